// Renders the main window to PNG files, page by page, with the output panel after a
// "depth and energy resolution" run, the data-file registry with its import panel and the
// drawing window, and the states a desktop user meets: marked fields, a tooltip, the
// files menu, questions before quitting and about layer files, a zoomed chart, an SVG
// export of a narrowed axis, a stopped optimisation and a loaded measured spectrum. Runs on
// the offscreen platform unless the caller chose another.
//
//   dodavev_screenshots OUTPUT_DIR [WIDTH HEIGHT]
#include <QApplication>
#include <QChart>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/calculations.hpp"
#include "app/output_actions.hpp"
#include "app/program.hpp"
#include "app/session.hpp"
#include "gui/chart_render.hpp"
#include "gui/drawing_window.hpp"
#include "gui/file_chooser.hpp"
#include "gui/import_panel.hpp"
#include "gui/main_window.hpp"
#include "gui/registry_pages.hpp"
#include "gui/window_message_sink.hpp"
#include "model/messages.hpp"

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i)
    QApplication::processEvents();
}

bool Save(QWidget* widget, const QDir& dir, const QString& name) {
  Settle();
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  const bool ok = widget->grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  return ok;
}

// A window with the top-level widgets it has opened (a menu, a tooltip) painted over it
// where they stand on the screen.
bool SaveWithPopups(QWidget* window, const QList<QWidget*>& popups, const QDir& dir,
                    const QString& name) {
  Settle();
  QImage image = window->grab().toImage();
  {
    QPainter painter(&image);
    for (QWidget* popup : popups) {
      if (popup == nullptr || !popup->isVisible()) continue;
      painter.drawPixmap(popup->mapToGlobal(QPoint()) - window->mapToGlobal(QPoint()),
                         popup->grab());
    }
  }
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  const bool ok = image.save(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  return ok;
}

// Processes events until `done` holds or two minutes have passed.
bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 120000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

// Answers every file dialog with the path set last.
class FixedFileChooser final : public dodavev::FileChooser {
 public:
  std::optional<dodavev::FileChoice> Open(QWidget*, std::string_view, std::string_view) override {
    return Next();
  }
  std::optional<dodavev::FileChoice> Save(QWidget*, std::string_view, std::string_view) override {
    return Next();
  }
  std::optional<dodavev::FileChoice> next;

 private:
  std::optional<dodavev::FileChoice> Next() {
    std::optional<dodavev::FileChoice> answer = next;
    next.reset();
    return answer;
  }
};

// The end of the report in view.
void ScrollReportToEnd(QWidget& window) {
  if (auto* report = window.findChild<QPlainTextEdit*>(QStringLiteral("RichEdit3"))) {
    report->moveCursor(QTextCursor::End);
    report->ensureCursorVisible();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: dodavev_screenshots OUTPUT_DIR [WIDTH HEIGHT]\n");
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[1]));
  dir.mkpath(QStringLiteral("."));

  using namespace dodavev;
  WindowMessageSink sink;
  QStringList shown;
  sink.SetPresenter([&shown](const QString& text) { shown << text; });
  auto session = std::make_unique<Session>(sink);
  FormCreate(*session, DODAVEV_SOURCE_DIR, DODAVEV_LEV_DIR);
  TDVornex window(*session, sink);
  const int width = argc > 3 ? std::atoi(argv[2]) : 1180;
  const int height = argc > 3 ? std::atoi(argv[3]) : 760;
  window.resize(width > 0 ? width : 1180, height > 0 ? height : 760);
  window.show();
  bool ok = Save(&window, dir, QStringLiteral("window_start"));

  window.parameters1Click();
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  const char* names[] = {"page_beam",      "page_sample",         "page_detection",
                         "page_reactions", "page_options",        "page_optimisation",
                         "page_stopping",  "page_cross_sections", "page_simulation"};
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    ok = Save(&window, dir, QString::fromLatin1(names[i])) && ok;
  }

  // Numbers that did not read are marked on their page after "OK" ("Problem with the
  // parameters"); a tooltip names the reason and the field's range.
  const auto edit = [&window](const char* name) {
    return window.findChild<QLineEdit*>(QString::fromLatin1(name));
  };
  pages->setCurrentIndex(0);
  edit("Edit1_e0")->setText(QStringLiteral("2O00"));
  edit("Edit1_bes")->setText(QStringLiteral("1,5"));
  window.Button5Click();
  pages->setCurrentIndex(0);
  ok = Save(&window, dir, QStringLiteral("page_bad_fields")) && ok;
  QLineEdit* e0 = edit("Edit1_e0");
  QToolTip::showText(e0->mapToGlobal(QPoint(e0->width() / 2, e0->height())), e0->toolTip(), e0);
  Settle();
  QList<QWidget*> tips;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->inherits("QTipLabel")) tips << top;
  ok = SaveWithPopups(&window, tips, dir, QStringLiteral("page_bad_field_tooltip")) && ok;
  QToolTip::hideText();
  edit("Edit1_e0")->setText(QStringLiteral("2000"));
  edit("Edit1_bes")->setText(QStringLiteral("15"));
  window.Button5Click();
  window.parameters1Click();
  shown.clear();

  // The files menu with its accelerators and shortcuts.
  pages->setCurrentIndex(0);
  if (auto* files = window.findChild<QMenu*>(QStringLiteral("files1"))) {
    window.menuBar()->setActiveAction(files->menuAction());
    Settle();
    ok = SaveWithPopups(&window, {files}, dir, QStringLiteral("menu_files")) && ok;
    files->hide();
    window.menuBar()->setActiveAction(nullptr);
  }

  // The detector panels open on the Detection page.
  pages->setCurrentIndex(2);
  window.Button1Click();
  window.Button2Click();
  ok = Save(&window, dir, QStringLiteral("page_detection_panels")) && ok;
  window.Button10Click();
  window.Button11Click();

  // The registry with a few entries and the import panel for a nuclear reaction.
  for (const char* name :
       {"RadioButton_ESS_NonRutherford", "RadioButton_ERD_NonRutherford", "RadioButton_NRA_Files"})
    window.findChild<QRadioButton*>(QString::fromLatin1(name))->click();
  window.CollectInputs();
  session->params.registry.CheckListBox_ESS.push_back(
      {"Theta=165; 28SI(4HE,4HE)28SI; level=0;    /data/xs/si28_aa_165.dat", true});
  session->params.registry.CheckListBox_ESS.push_back(
      {"Theta=170; 12C (4HE,4HE)12C ; level=0;    /data/xs/c12_aa_170.dat", false});
  session->params.registry.CheckListBox_NRA.push_back(
      {"Theta=150; 12C (2H ,1H )13C ; level=0;    /data/xs/c12_dp0_150.dat", true});
  window.ShowSession();
  pages->setCurrentIndex(7);
  ok = Save(&window, dir, QStringLiteral("registry")) && ok;
  window.registry().OpenImport(RegistryList::kReaction);
  ok = Save(window.registry().importPanel(), dir, QStringLiteral("registry_import_panel")) && ok;
  window.registry().importPanel()->hide();
  window.registry().specialFittingsPanel()->show();
  ok = Save(window.registry().specialFittingsPanel(), dir,
            QStringLiteral("registry_special_fittings")) &&
       ok;
  window.registry().specialFittingsPanel()->hide();
  // The entries above name no real files: the calculations below use the Rutherford and
  // constant cross sections again.
  for (const char* name :
       {"RadioButton_ESS_Rutherford", "RadioButton_ERD_Rutherford", "RadioButton_NRAConstans"})
    window.findChild<QRadioButton*>(QString::fromLatin1(name))->click();
  window.CollectInputs();
  session->params.registry.CheckListBox_ESS.resize(
      session->params.registry.CheckListBox_ESS.size() - 2);
  session->params.registry.CheckListBox_NRA.pop_back();
  window.ShowSession();

  // "depth and energy resolution" on the defaults: the output panel.
  window.Button5Click();
  QEventLoop loop;
  QObject::connect(&window, &TDVornex::calculationFinished, &loop, &QEventLoop::quit);
  window.RunCalculation("depth and energy resolution");
  QTimer::singleShot(120000, &loop, &QEventLoop::quit);
  loop.exec();
  ok = Save(&window, dir, QStringLiteral("output_panel")) && ok;

  QTemporaryDir scratch;
  window.findChild<QPushButton*>(QStringLiteral("Button14"))->click();
  if (TForm_drawing* drawing = window.drawingWindow()) {
    drawing->resize(900, 620);
    ok = Save(drawing, dir, QStringLiteral("drawing_window")) && ok;

    // Zoomed into the middle of the plot, the read-out under the mouse.
    const QRectF plot = drawing->chart()->plotArea();
    drawing->chart()->zoomIn(
        QRectF(plot.center() - QPointF(plot.width() / 4, plot.height() / 4), plot.size() / 2));
    drawing->ShowCursorValues(plot.center());
    ok = Save(drawing, dir, QStringLiteral("drawing_zoomed")) && ok;
    drawing->ResetZoom();

    // The energy-resolution chart with its left axis narrowed to 10..50: first refused
    // with the limits the wrong way round (the panel keeps them), then accepted.
    drawing->NextClick();
    drawing->OpenAxisPanel(AxisId::Left);
    drawing->Edit_amin->setText(QStringLiteral("50"));
    drawing->Edit_amax->setText(QStringLiteral("10"));
    drawing->AxisPanelOk();
    ok = Save(drawing, dir, QStringLiteral("drawing_axis_panel_refused")) && ok;
    drawing->Edit_amin->setText(QStringLiteral("10"));
    drawing->Edit_amax->setText(QStringLiteral("50"));
    drawing->AxisPanelOk();
    // Its SVG export drawn back: nothing outside the plot frame.
    const QString svg = scratch.filePath(QStringLiteral("narrowed.svg"));
    if (drawing->SaveTo(svg, 1)) {
      QSvgRenderer renderer(svg);
      QImage image(kChartFileWidth, kChartFileHeight, QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, kChartFileWidth, kChartFileHeight));
      }
      const QString path = dir.filePath(QStringLiteral("svg_export_narrowed_axis.png"));
      const bool saved = image.save(path);
      std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
      ok = saved && ok;
    } else {
      ok = false;
    }
    drawing->hide();
  }

  // Questions: quitting with modified parameters and sample text, and the layer file
  // offered beside the saved parameters. The boxes are built as the window builds them.
  auto chooser = std::make_unique<FixedFileChooser>();
  FixedFileChooser* files = chooser.get();
  window.SetFileChooser(std::move(chooser));
  QString questionShot;
  window.SetAsker([&](const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("DOdavev"), text, buttons, &window);
    box.show();
    ok = Save(&box, dir, questionShot) && ok;
    return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
  });
  window.parameters1Click();
  pages->setCurrentIndex(1);
  window.findChild<QPlainTextEdit*>(QStringLiteral("richedit1"))
      ->setPlainText(QStringLiteral("S=\nn=9.64e22\nc,1\nsi,1\n"));
  edit("Edit1_e0")->setText(QStringLiteral("2500"));
  questionShot = QStringLiteral("question_quit");
  window.close();
  questionShot = QStringLiteral("question_layer_file");
  files->next = FileChoice{scratch.filePath(QStringLiteral("run.par")).toStdString(), 1};
  window.savethe1Click();
  edit("Edit1_e0")->setText(QStringLiteral("2000"));
  window.Button5Click();

  session->parameterFileName.clear();  // the charts below are not titled with the scratch file

  // The default optimisation: its geometries at 10 degrees with the beam along the
  // surface cannot be measured; they are skipped and listed once.
  int finished = 0;
  QObject::connect(&window, &TDVornex::calculationFinished, [&finished] { ++finished; });
  window.RunCalculation("optimization");
  ok = WaitFor([&] { return finished == 1; }) && ok;
  ok = Save(&window, dir, QStringLiteral("optimization_skipped_geometries")) && ok;

  // A wider optimisation stopped part of the way: the report closes with how many
  // geometries were run, as the status bar says.
  window.parameters1Click();
  edit("Edit1_theta_min")->setText(QStringLiteral("100"));
  edit("Edit1_theta_max")->setText(QStringLiteral("170"));
  edit("Edit1_step_deg")->setText(QStringLiteral("0.1"));
  window.Button5Click();
  window.RunCalculation("optimization");
  auto* progress = window.findChild<QLabel*>(QStringLiteral("Label_progress"));
  WaitFor([&] { return progress->text().startsWith(QLatin1String("optimization: ")); });
  ok = Save(&window, dir, QStringLiteral("optimization_running")) && ok;
  window.StopCalculation();
  ok = WaitFor([&] { return finished == 2; }) && ok;
  ScrollReportToEnd(window);
  ok = Save(&window, dir, QStringLiteral("optimization_stopped")) && ok;
  window.parameters1Click();
  edit("Edit1_theta_min")->setText(QStringLiteral("10"));
  edit("Edit1_theta_max")->setText(QStringLiteral("10"));
  edit("Edit1_step_deg")->setText(QStringLiteral("2"));

  // A measured spectrum loaded. For the picture the program's own full spectrum of the
  // default sample (carbon and silicon) is saved and read back as the measured one, beside
  // the carbon sub-spectrum of "spectrum simulation".
  window.Button5Click();
  window.RunCalculation("full spectrum (1)");
  ok = WaitFor([&] { return finished == 3; }) && ok;
  const std::filesystem::path spectrum = scratch.filePath(QStringLiteral("full.dat")).toStdString();
  SaveSpectrum(*session, spectrum, 1);
  window.Button5Click();
  window.RunCalculation("spectrum simulation");
  ok = WaitFor([&] { return finished == 4; }) && ok;
  files->next = FileChoice{spectrum, 1};
  window.loadaspectrum1Click();
  ok = Save(&window, dir, QStringLiteral("measured_spectrum_loaded")) && ok;
  window.findChild<QPushButton*>(QStringLiteral("Button12"))->click();
  if (TForm_drawing* drawing = window.drawingWindow()) {
    drawing->resize(900, 620);
    ok = Save(drawing, dir, QStringLiteral("drawing_measured_spectrum")) && ok;
    drawing->hide();
  }

  window.Button3Click();
  window.AboutVornex1Click();
  ok = Save(&window, dir, QStringLiteral("about")) && ok;

  for (const QString& text : shown)
    std::printf("message: %s\n", qPrintable(text));
  return ok ? 0 : 1;
}
