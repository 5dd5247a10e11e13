// Renders the main window to PNG files, page by page, with the output panel after a
// "depth and energy resolution" run, the data-file registry with its import panel and the
// drawing window. Runs on the offscreen platform unless the caller chose another.
//
//   dodavev_screenshots OUTPUT_DIR [WIDTH HEIGHT]
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/calculations.hpp"
#include "app/messages.hpp"
#include "app/program.hpp"
#include "app/session.hpp"
#include "gui/drawing_window.hpp"
#include "gui/import_panel.hpp"
#include "gui/main_window.hpp"
#include "gui/registry_pages.hpp"
#include "gui/window_message_sink.hpp"

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

  // "depth and energy resolution" on the defaults: the output panel.
  window.Button5Click();
  QEventLoop loop;
  QObject::connect(&window, &TDVornex::calculationFinished, &loop, &QEventLoop::quit);
  window.RunCalculation("depth and energy resolution");
  QTimer::singleShot(120000, &loop, &QEventLoop::quit);
  loop.exec();
  ok = Save(&window, dir, QStringLiteral("output_panel")) && ok;

  window.findChild<QPushButton*>(QStringLiteral("Button14"))->click();
  if (TForm_drawing* drawing = window.drawingWindow()) {
    drawing->resize(900, 620);
    ok = Save(drawing, dir, QStringLiteral("drawing_window")) && ok;
    drawing->hide();
  }

  window.Button3Click();
  window.AboutVornex1Click();
  ok = Save(&window, dir, QStringLiteral("about")) && ok;

  for (const QString& text : shown)
    std::printf("message: %s\n", qPrintable(text));
  return ok ? 0 : 1;
}
