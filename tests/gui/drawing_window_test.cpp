// The drawing window on the offscreen platform over a real resolution run: "Next",
// "Close", the axis panel, "Profile", "Save" (the sets' own order: charts/drawing_state).
#include "gui/drawing_window.hpp"

#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QChart>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>
#include <QWidget>
#include <memory>

#include "default_run.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

class DrawingWindow : public testing::DefaultRun {
 protected:
  DrawingWindow() : window_(std::make_unique<TForm_drawing>(*session_)) {}

  // Names of the series the window's chart shows, in order.
  QStringList SeriesNames() const {
    QStringList names;
    for (QAbstractSeries* series : window_->chart()->series())
      names << series->name();
    return names;
  }
  QValueAxis* Axis(Qt::Alignment alignment) const {
    const QList<QAbstractAxis*> axes = window_->chart()->axes(
        alignment == Qt::AlignBottom || alignment == Qt::AlignTop ? Qt::Horizontal : Qt::Vertical);
    for (QAbstractAxis* axis : axes)
      if (axis->alignment() == alignment) return qobject_cast<QValueAxis*>(axis);
    return nullptr;
  }

  std::unique_ptr<TForm_drawing> window_;
};

TEST_F(DrawingWindow, NextAlternatesTheResolutionSets) {
  RunDefaultResolution();
  s().SpectrumFlag = SpectrumMode::kShown;  // "View results"
  window_->Activate();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_TRUE(window_->Button_next->isVisible());
  EXPECT_EQ(SeriesNames(), QStringList{"depth res."});
  ASSERT_NE(Axis(Qt::AlignLeft), nullptr);
  EXPECT_EQ(Axis(Qt::AlignLeft)->titleText(), "Depth resolution [nm]");
  // The last row of the table is not drawn.
  auto* line = qobject_cast<QLineSeries*>(window_->chart()->series().first());
  EXPECT_EQ(line->count(), s().results.RowCount - 1);
  window_->Button_next->click();
  EXPECT_EQ(SeriesNames().size(), 9);
  EXPECT_EQ(SeriesNames().first(), "energy res.");
  EXPECT_EQ(Axis(Qt::AlignLeft)->titleText(), "Energy resolution [keV]");
  window_->Button_next->click();
  EXPECT_EQ(SeriesNames(), QStringList{"depth res."});
}

TEST_F(DrawingWindow, OneSetHidesNext) {
  s().CalcMode = CalculationMode::kEnergyLoss;
  window_->Activate();
  EXPECT_FALSE(window_->Button_next->isVisible());
}

TEST_F(DrawingWindow, CloseHidesAndEndsTheResultsView) {
  RunDefaultResolution();
  s().SpectrumFlag = SpectrumMode::kShown;
  window_->Activate();
  window_->Button_close->click();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(s().SpectrumFlag, SpectrumMode::kSpectrum);
  // Closed by the window frame: the same.
  s().SpectrumFlag = SpectrumMode::kShown;
  window_->Activate();
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(s().SpectrumFlag, SpectrumMode::kSpectrum);
}

TEST_F(DrawingWindow, AxisPanelSetsTheBottomRange) {
  RunDefaultResolution();
  window_->Activate();
  window_->SpeedButton_bottomaxis->click();
  EXPECT_TRUE(window_->Panel_axis->isVisible());
  EXPECT_EQ(window_->Label_axis->text(), "Bottom axis");
  EXPECT_EQ(window_->Edit_amin->text(), "         0.0");
  EXPECT_EQ(window_->Edit_Caption->text(), "Depth [nm]");
  window_->Edit_amax->setText("300");
  window_->Edit_Caption->setText("x [nm]");
  window_->CheckBox_grid->setChecked(false);
  window_->Button_axis_ok->click();
  EXPECT_FALSE(window_->Panel_axis->isVisible());
  QValueAxis* bottom = Axis(Qt::AlignBottom);
  ASSERT_NE(bottom, nullptr);
  EXPECT_DOUBLE_EQ(bottom->max(), 300.0);
  EXPECT_EQ(bottom->titleText(), "x [nm]");
  EXPECT_FALSE(bottom->isGridLineVisible());
  // "Cancel" changes nothing.
  window_->SpeedButton_LeftAxis->click();
  window_->Edit_amax->setText("5");
  window_->Button_axis_cancel->click();
  EXPECT_FALSE(window_->Panel_axis->isVisible());
  EXPECT_NE(Axis(Qt::AlignLeft)->max(), 5.0);
}

TEST_F(DrawingWindow, EnergyAxisFollowsTheChannels) {
  Button5Click(s());
  spectrumsimulation1Click(s());
  window_->Activate();
  QValueAxis* top = Axis(Qt::AlignTop);
  ASSERT_NE(top, nullptr);
  EXPECT_TRUE(top->isVisible());
  EXPECT_EQ(top->titleText(), "Detected energy [keV]");
  window_->SpeedButton_bottomaxis->click();
  window_->Edit_amin->setText("100");
  window_->Edit_amax->setText("300");
  window_->Button_axis_ok->click();
  top = Axis(Qt::AlignTop);
  const double e0 = s().params.dete0;
  const double k = s().params.detkevch;
  EXPECT_NEAR(top->min(), e0 + 100.0 * k, 1e-9);
  EXPECT_NEAR(top->max(), e0 + 300.0 * k, 1e-9);
}

TEST_F(DrawingWindow, ProfileShowsTheSampleIsotopes) {
  RunDefaultResolution();
  window_->Activate();
  window_->Button_profile->click();
  // The default sample is silicon carbide given as C and Si: 12C and 28Si.
  EXPECT_EQ(SeriesNames(), (QStringList{"  12 C", "  28 SI"}));
  EXPECT_EQ(window_->chart()->title(), "Sample file is not saved");
  EXPECT_EQ(Axis(Qt::AlignBottom)->titleText(), "Depth [at/cm2]");
  window_->Button_next->click();
  EXPECT_EQ(SeriesNames().size(), 9);
}

TEST_F(DrawingWindow, SaveWithAWrongEndingShowsTheMessage) {
  RunDefaultResolution();
  window_->Activate();
  dodavev::testing::TempDir dir;
  EXPECT_FALSE(window_->SaveTo(QString::fromStdString((dir / "c.Wmf").string()), 0));
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"Wrong file format"});
  EXPECT_TRUE(window_->SaveTo(QString::fromStdString((dir / "c").string()), 1));
  EXPECT_TRUE(std::filesystem::exists(dir / "c.png"));
}

TEST_F(DrawingWindow, ShownAgainTheWindowIsReused) {
  RunDefaultResolution();
  QWidget parent;
  TForm_drawing* first = ShowDrawingWindow(&parent, s());
  first->Button_next->click();
  TForm_drawing* second = ShowDrawingWindow(&parent, s());
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->state().Index(), 1);  // every activation starts at the first set
}

}  // namespace
}  // namespace dodavev
