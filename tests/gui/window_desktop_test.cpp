// The window as a desktop program: boxes of the drawing window belong to it, quitting asks
// before losing work, shortcuts reach their actions without typing into a field, a stopped
// scan says how far it got, the chart zooms and comes back, fields show their ranges and
// the numbers that did not read.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLegendMarker>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>
#include <QWheelEvent>
#include <QXYSeries>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "gui/drawing_window.hpp"
#include "gui/field_hints.hpp"
#include "model/input_ranges.hpp"
#include "support/temp_dir.hpp"
#include "window_fixture.hpp"

namespace dodavev::testing {
namespace {

class WindowDesktop : public WindowTest {
 protected:
  WindowDesktop() {
    QObject::connect(window_.get(), &TDVornex::calculationFinished,
                     [this](const QString&, bool stopped) {
                       ++finished_;
                       stopped_ = stopped;
                     });
  }
  bool RunAndWait(const char* caption) {
    const int before = finished_;
    window_->RunCalculation(caption);
    return WaitUntil([&] { return finished_ > before; }, 120000);
  }
  TForm_drawing* OpenDrawing() {
    window_->calculations1Click();
    EXPECT_TRUE(RunAndWait("depth and energy resolution"));
    Click("Button14");
    return window_->drawingWindow();
  }
  QValueAxis* Bottom(TForm_drawing* d) {
    for (QAbstractAxis* axis : d->chart()->axes(Qt::Horizontal))
      if (axis->alignment() == Qt::AlignBottom) return qobject_cast<QValueAxis*>(axis);
    return nullptr;
  }

  TempDir dir_;
  int finished_ = 0;
  bool stopped_ = false;
};

TEST_F(WindowDesktop, AxisPanelMessageBelongsToTheDrawingWindowAndThePanelStaysOpen) {
  TForm_drawing* drawing = OpenDrawing();
  ASSERT_NE(drawing, nullptr);
  std::vector<QWidget*> parents;
  sink_.SetPresenter([&](const QString& text) {
    messages_.push_back(FromQt(text));
    parents.push_back(sink_.dialogParent());
  });
  drawing->SpeedButton_LeftAxis->click();
  drawing->Edit_amin->setText("50");
  drawing->Edit_amax->setText("10");  // below the minimum
  drawing->Button_axis_ok->click();
  ASSERT_EQ(messages_, std::vector<std::string>{"The axis Minimum must be below its Maximum"});
  EXPECT_EQ(parents, std::vector<QWidget*>{drawing});
  EXPECT_FALSE(drawing->Panel_axis->isHidden());
  EXPECT_EQ(drawing->Edit_amin->text(), "50");
  EXPECT_EQ(drawing->Edit_amax->text(), "10");
  // "Wrong file format" of "Save" too; afterwards boxes belong to the main window again.
  EXPECT_FALSE(drawing->SaveTo(QString::fromStdString((dir_ / "c.Wmf").string()), 0));
  EXPECT_EQ(parents.back(), drawing);
  EXPECT_EQ(sink_.dialogParent(), window_.get());
  // Corrected, the panel closes.
  drawing->Edit_amin->setText("10");
  drawing->Edit_amax->setText("50");
  drawing->Button_axis_ok->click();
  EXPECT_TRUE(drawing->Panel_axis->isHidden());
}

TEST_F(WindowDesktop, QuitAsksOnlyWhenWorkWouldBeLost) {
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_TRUE(window_->UnsavedWork().isEmpty());
  // Ctrl+Q, with nothing to lose, quits without a question.
  QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(questions_.empty());

  window_->show();
  Type("Edit1_e0", "2500");
  Find<QPlainTextEdit>("richedit1")->setPlainText("1000 Si 1");
  EXPECT_EQ(window_->UnsavedWork(), (QStringList{"the parameters", "the sample text"}));
  // Cancel keeps the window open.
  answers_.push_back(QMessageBox::Cancel);
  EXPECT_FALSE(window_->close());
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_NE(questions_[0].find("the parameters, the sample text"), std::string::npos);
  EXPECT_TRUE(window_->isVisible());
  // Save: the file dialog; cancelled there, the window stays too.
  answers_.push_back(QMessageBox::Save);
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  // Saved, the parameters count as saved and the window closes; the modified sample text
  // was offered beside them and is saved too (the test's asker says yes).
  answers_.push_back(QMessageBox::Save);
  Choose(dir_ / "kept.par");
  EXPECT_TRUE(window_->close());
  EXPECT_TRUE(std::filesystem::exists(dir_ / "kept.par"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "kept.lay"));
  EXPECT_TRUE(window_->UnsavedWork().isEmpty());
}

TEST_F(WindowDesktop, QuitStaysWhenALayerTextChosenForSavingCouldNotBeWritten) {
  window_->show();
  Find<QPlainTextEdit>("richedit1")->setPlainText("1000 Si 1");
  answers_.push_back(QMessageBox::Save);
  answers_.push_back(QMessageBox::Yes);  // save the sample text beside the parameters
  // A folder where the layer file should go: the parameters are written, the sample is not.
  std::filesystem::create_directory(dir_ / "kept.lay");
  Choose(dir_ / "kept.par");
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  ASSERT_EQ(messages_.size(), 1U);
  EXPECT_EQ(messages_[0].front(), '#');
  EXPECT_EQ(window_->UnsavedWork(), QStringList{"the sample text"});
}

TEST_F(WindowDesktop, QuitDuringARunAsksWhetherToStopIt) {
  window_->show();
  std::atomic<bool> stoppedByClose{false};
  ASSERT_TRUE(window_->StartTask("optimization", [&](Session&, RunControl& control) {
    while (!control.StopRequested())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stoppedByClose = true;
  }));
  answers_.push_back(QMessageBox::Cancel);
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->calculationRunning());
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0], "A calculation is running. Stop it and quit?");
  EXPECT_TRUE(window_->close());  // yes: the run is stopped before the window goes
  EXPECT_TRUE(stoppedByClose.load());
  EXPECT_FALSE(window_->calculationRunning());
}

TEST_F(WindowDesktop, ShortcutsReachTheirActionsAndNeverTypeIntoAField) {
  window_->show();
  window_->parameters1Click();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  auto* e0 = Find<QLineEdit>("Edit1_e0");
  e0->setFocus();
  const QString before = e0->text();
  QTest::keyClick(e0, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(chooser_->filters.size(), 1u);  // "load a new parameter file" asked for a file
  EXPECT_EQ(chooser_->filters[0], "Parameter files (*.par)|*.par|All files (*.*)|*.*");
  QTest::keyClick(e0, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(chooser_->filters.size(), 2u);
  EXPECT_EQ(chooser_->filters[1], "parameter files *.par|*.par|All files *.*|*.*");
  EXPECT_EQ(e0->text(), before);

  // Ctrl+R and F5 repeat the last calculation of the menu, after "OK".
  window_->calculations1Click();
  window_->findChild<QAction*>("depthandenergyresolution1")->trigger();
  ASSERT_TRUE(WaitUntil([&] { return finished_ == 1; }, 120000));
  window_->parameters1Click();
  e0->setFocus();
  QTest::keyClick(e0, Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(WaitUntil([&] { return finished_ == 2; }, 120000));
  QTest::keyClick(e0, Qt::Key_F5);
  ASSERT_TRUE(WaitUntil([&] { return finished_ == 3; }, 120000));
  EXPECT_EQ(e0->text(), before);

  // Enter in a field is "OK": the pages close as after the button.
  window_->parameters1Click();
  e0->setFocus();
  QTest::keyClick(e0, Qt::Key_Return);
  EXPECT_FALSE(PagesShown());
  // The menus carry accelerators; their words stay.
  EXPECT_EQ(window_->findChild<QMenu*>("files1")->title(), "&files");
}

// Theta from 100 to 170 degrees in steps of 1 degree: thousands of geometries, far more than
// run before "Stop"; the scan ends with those in hand and says how many in its message, its
// report and the status bar.
TEST_F(WindowDesktop, StoppedOptimisationReportAndStatusBarGiveTheSameCount) {
  Type("Edit1_theta_min", "100");
  Type("Edit1_theta_max", "170");
  Type("Edit1_step_deg", "1");
  window_->calculations1Click();
  ASSERT_TRUE(messages_.empty()) << messages_.front();
  window_->RunCalculation("optimization");
  ASSERT_TRUE(
      WaitUntil([&] { return LabelText("Label_progress").find("optimization: ") == 0; }, 60000));
  Click("Button_stop");
  ASSERT_TRUE(WaitUntil([&] { return finished_ == 1; }, 120000));
  EXPECT_TRUE(stopped_);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back().rfind("optimization: stopped after ", 0), 0u) << messages_.back();
  EXPECT_TRUE(Shown("Output"));
  const QString report = Find<QPlainTextEdit>("RichEdit3")->toPlainText();
  const QString last = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts).constLast();
  EXPECT_TRUE(last.startsWith(QLatin1String("optimization: stopped after "))) << FromQt(last);
  EXPECT_TRUE(last.endsWith(QLatin1String(" geometries")));
  EXPECT_EQ(window_->statusBar()->currentMessage(), last);
}

TEST_F(WindowDesktop, WheelZoomsTheChartAndResetRestoresTheBuildersRanges) {
  TForm_drawing* drawing = OpenDrawing();
  ASSERT_NE(drawing, nullptr);
  QValueAxis* bottom = Bottom(drawing);
  ASSERT_NE(bottom, nullptr);
  const double min = bottom->min();
  const double max = bottom->max();
  auto* view = drawing->findChild<QChartView*>("Chart1");
  ASSERT_NE(view, nullptr);
  const QPointF centre(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
  QWheelEvent wheel(centre, view->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view->viewport(), &wheel);
  bottom = Bottom(drawing);
  EXPECT_LT(bottom->max() - bottom->min(), 0.9 * (max - min));
  // A rubber band zooms further in.
  drawing->chart()->zoomIn(QRectF(drawing->chart()->plotArea().center(), QSizeF(40, 40)));
  EXPECT_LT(Bottom(drawing)->max() - Bottom(drawing)->min(), 0.5 * (max - min));
  drawing->SpeedButton_zoomreset->click();
  bottom = Bottom(drawing);
  EXPECT_DOUBLE_EQ(bottom->min(), min);
  EXPECT_DOUBLE_EQ(bottom->max(), max);
  // The arrow keys and a drag with the middle button pan: the span stays, the range moves.
  view = drawing->findChild<QChartView*>("Chart1");
  QTest::keyClick(view, Qt::Key_Right);
  bottom = Bottom(drawing);
  EXPECT_GT(bottom->min(), min);
  EXPECT_NEAR(bottom->max() - bottom->min(), max - min, 1e-9 * (max - min));
  const double afterKey = bottom->min();
  QTest::mousePress(view->viewport(), Qt::MiddleButton, {}, centre.toPoint());
  QMouseEvent drag(QEvent::MouseMove, centre + QPointF(60, 0),
                   view->viewport()->mapToGlobal(centre + QPointF(60, 0)), Qt::NoButton,
                   Qt::MiddleButton, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &drag);
  QTest::mouseRelease(view->viewport(), Qt::MiddleButton, {}, (centre + QPointF(60, 0)).toPoint());
  EXPECT_LT(Bottom(drawing)->min(), afterKey);  // dragged to the right: earlier depths
  drawing->SpeedButton_zoomreset->click();
  EXPECT_DOUBLE_EQ(Bottom(drawing)->min(), min);

  // The read-out names the axes at the mouse.
  drawing->ShowCursorValues(centre);
  EXPECT_NE(drawing->Label_cursor->text().indexOf(QLatin1String("Depth [nm] = ")), -1)
      << FromQt(drawing->Label_cursor->text());
  // Another chart set has no values at that place until the mouse moves again.
  drawing->NextClick();
  EXPECT_TRUE(drawing->Label_cursor->text().isEmpty()) << FromQt(drawing->Label_cursor->text());
}

TEST_F(WindowDesktop, ViewResultsOpensTheDrawingWindowOnTheScreenSizedToIt) {
  TForm_drawing* drawing = OpenDrawing();
  ASSERT_NE(drawing, nullptr);
  EXPECT_EQ(session_->SpectrumFlag, SpectrumMode::kShown);  // the results are being viewed
  EXPECT_FALSE(drawing->isHidden());
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(available.contains(drawing->frameGeometry().topLeft()));
  EXPECT_LE(drawing->width(), available.width());
  EXPECT_LE(drawing->height(), available.height());
}

TEST_F(WindowDesktop, FieldsThatDidNotReadAreMarkedUntilCorrected) {
  window_->parameters1Click();
  Type("Edit1_e0", "2O00");  // a letter O
  Type("Edit1_bes", "1,5");
  Click("Button5");
  ASSERT_FALSE(messages_.empty());
  EXPECT_NE(std::find(messages_.begin(), messages_.end(), "Problem with the parameters"),
            messages_.end());
  auto* e0 = Find<QLineEdit>("Edit1_e0");
  auto* bes = Find<QLineEdit>("Edit1_bes");
  EXPECT_TRUE(IsMarkedBad(*e0));
  EXPECT_TRUE(IsMarkedBad(*bes));
  EXPECT_FALSE(IsMarkedBad(*Find<QLineEdit>("Edit1_a")));
  EXPECT_TRUE(e0->toolTip().startsWith(QLatin1String("not a number\n"))) << FromQt(e0->toolTip());
  EXPECT_NE(e0->styleSheet().indexOf(QLatin1String("border")), -1);
  // Typing a number takes the mark away; the other field keeps its own.
  window_->parameters1Click();
  e0->setFocus();
  e0->selectAll();
  QTest::keyClicks(e0, "2000");
  EXPECT_FALSE(IsMarkedBad(*e0));
  EXPECT_TRUE(e0->styleSheet().isEmpty());
  EXPECT_TRUE(IsMarkedBad(*bes));
  // A number outside its range is marked with the range.
  Type("Edit1_bes", "1.5");
  Type("Edit1_th", "200");
  Click("Button5");
  EXPECT_FALSE(IsMarkedBad(*bes));
  EXPECT_TRUE(
      Find<QLineEdit>("Edit1_th")
          ->toolTip()
          .startsWith(ToQt("outside the range: " + DescribeInputRange(*FindInputRange("th")))));
}

TEST_F(WindowDesktop, EveryFieldHasATooltipAndRangedOnesShowTheirRange) {
  // The fields of the parameter pages (the import dialog of the data files is no page).
  for (QLineEdit* edit : Find("Panel_parameters")->findChildren<QLineEdit*>()) {
    if (!edit->objectName().startsWith(QLatin1String("Edit1_"))) continue;
    EXPECT_FALSE(edit->toolTip().isEmpty()) << "field " << FromQt(edit->objectName());
  }
  int ranged = 0;
  for (const InputRange& range : InputRanges()) {
    auto* edit = window_->findChild<QLineEdit*>(QStringLiteral("Edit1_") + ToQt(range.field));
    if (edit == nullptr) continue;  // a field of another page set
    EXPECT_EQ(FromQt(edit->toolTip()), DescribeInputRange(range)) << range.field;
    ++ranged;
  }
  EXPECT_GT(ranged, 0);
  EXPECT_EQ(FromQt(Find<QLineEdit>("Edit1_e0")->toolTip()), "incident energy (keV), 1 to 1e+06");
}

// The legend entries shown in the drawing window.
QStringList LegendLabels(TForm_drawing* drawing) {
  QStringList labels;
  for (QLegendMarker* marker : drawing->chart()->legend()->markers())
    if (marker->isVisible()) labels << marker->label();
  return labels;
}

TEST_F(WindowDesktop, ALoadedMeasuredSpectrumJoinsTheOpenSpectrumChartAndItsLegend) {
  window_->calculations1Click();
  ASSERT_TRUE(RunAndWait("spectrum simulation"));
  Click("Button12");  // "View subspectrum"
  TForm_drawing* drawing = window_->drawingWindow();
  ASSERT_NE(drawing, nullptr);
  ASSERT_TRUE(drawing->isVisible());
  EXPECT_EQ(LegendLabels(drawing), QStringList{"simulated"});
  // 100 counts in channel 10 (the tenth line), nothing elsewhere.
  std::string text;
  for (int c = 1; c <= 11; ++c)
    text += std::to_string(c) + (c == 10 ? " 100\r\n" : " 0\r\n");
  WriteFile(dir_ / "m.dat", text);
  Choose(dir_ / "m.dat");
  window_->loadaspectrum1Click();
  EXPECT_EQ(LegendLabels(drawing), (QStringList{"measured", "simulated"}));
  // The measured series as drawn holds the loaded counts.
  bool found = false;
  for (QAbstractSeries* series : drawing->chart()->series()) {
    auto* line = qobject_cast<QXYSeries*>(series);
    if (line == nullptr || line->name() != QLatin1String("measured")) continue;
    for (const QPointF& p : line->points())
      found = found || (p.x() == 10.0 && p.y() == 100.0);
  }
  EXPECT_TRUE(found);
  // The read-out names the channel and the detected energy at the mouse.
  drawing->ShowCursorValues(drawing->chart()->plotArea().center());
  const QString readOut = drawing->Label_cursor->text();
  EXPECT_NE(readOut.indexOf(QLatin1String("Channels = ")), -1) << FromQt(readOut);
  EXPECT_NE(readOut.indexOf(QLatin1String("Detected energy [keV] = ")), -1) << FromQt(readOut);
}

TEST_F(WindowDesktop, TwoThousandChannelSpectrumIsDrawnBesideAMeasuredOneOfTheSameLength) {
  Type("Edit1_channels", "2048");
  Type("Edit1_detkevch", "1.5");  // 2048 channels of 1.5 keV reach 3258 keV
  Click("Button5");               // "OK" reads the channel count
  ASSERT_TRUE(messages_.empty()) << messages_.front();
  // A measured spectrum of 2048 channels, counts = channel number.
  std::string text;
  for (int c = 1; c <= 2048; ++c)
    text += std::to_string(c) + " " + std::to_string(c) + "\r\n";
  WriteFile(dir_ / "m2048.dat", text);
  Choose(dir_ / "m2048.dat");
  window_->loadaspectrum1Click();
  window_->calculations1Click();
  ASSERT_TRUE(RunAndWait("spectrum simulation"));
  EXPECT_TRUE(messages_.empty()) << messages_.front();
  EXPECT_EQ(session_->results.SimulatedSpectrum.channels(), 2048);
  Click("Button12");  // "View subspectrum"
  TForm_drawing* drawing = window_->drawingWindow();
  ASSERT_NE(drawing, nullptr);
  EXPECT_EQ(LegendLabels(drawing), (QStringList{"measured", "simulated"}));
  // Both series run to the last channel; the measured one holds the file's counts there.
  int drawn = 0;
  for (QAbstractSeries* series : drawing->chart()->series()) {
    auto* line = qobject_cast<QXYSeries*>(series);
    if (line == nullptr || line->points().isEmpty()) continue;
    ++drawn;
    SCOPED_TRACE(FromQt(line->name()));
    double last = 0.0;
    bool lastCounts = false;
    for (const QPointF& p : line->points()) {
      last = std::max(last, p.x());
      lastCounts = lastCounts || (p.x() == 2048.0 && p.y() == 2048.0);
    }
    EXPECT_GE(last, 2047.0);
    if (line->name() == QLatin1String("measured")) {
      EXPECT_TRUE(lastCounts);
    }
  }
  EXPECT_GE(drawn, 2);
}

}  // namespace
}  // namespace dodavev::testing
