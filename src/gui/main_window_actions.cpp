// The handlers of the main window: each copies the controls into the session, calls the
// core's action of the same name and shows the session again.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "app/calculations.hpp"
#include "app/identify_reaction.hpp"
#include "app/layer_file_actions.hpp"
#include "app/ok_action.hpp"
#include "app/output_actions.hpp"
#include "app/parameter_actions.hpp"
#include "app/parameter_layer_files.hpp"
#include "app/session.hpp"
#include "engine/reaction_identification.hpp"
#include "gui/drawing_window.hpp"
#include "gui/field_hints.hpp"
#include "gui/file_chooser.hpp"
#include "gui/input_bindings.hpp"
#include "gui/main_window.hpp"
#include "gui/parameter_pages.hpp"
#include "gui/registry_pages.hpp"
#include "gui/ui_text.hpp"
#include "gui/window_message_sink.hpp"
#include "io/layer_file.hpp"
#include "io/parameter_file.hpp"
#include "io/result_files.hpp"

namespace dodavev {
namespace {

constexpr const char* kParameterOpenFilter = "Parameter files (*.par)|*.par|All files (*.*)|*.*";
constexpr const char* kParameterSaveFilter = "parameter files *.par|*.par|All files *.*|*.*";
constexpr const char* kSpectrumOpenFilter = "Spectrum files (*.dat)|*.dat|All files (*.*)|*.*";
constexpr const char* kLayerOpenFilter = "*.lay|*.lay|*.*|*.*";
constexpr const char* kSampleSaveFilter = "*.lay|*.lay|*.dat|*.dat|*.*|*.*";
constexpr const char* kResultsFilter = "Data files(*.dat)|*.dat|All files (*.*)|*.*";
constexpr const char* kSpectrumSaveFilter =
    "Spectrum files (*.dat)|*.dat|Depth files (*.txt)|*.txt|All files (*.*)|*.*";

// Reports end their lines with CR LF; the text area shows lines.
QString ReportText(const std::string& report) {
  QString text = ToQt(report);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace

// ---- Controls and session -------------------------------------------------------------

void TDVornex::CollectInputs() {
  ReadInputsFromControls(this, session_.params);
  registry_->ReadRegistry(session_.params.registry);
}

void TDVornex::ShowSession() {
  ShowInputsInControls(session_.params, this);
  registry_->ShowRegistry(session_.params.registry);
  registry_->UpdateEnabling();
  UpdateShapeVisibility();
  ApplyPanels();
}

void TDVornex::UpdateShapeVisibility() {
  const auto checked = [this](const char* name) {
    const auto* b = findChild<QRadioButton*>(QString::fromLatin1(name));
    return b != nullptr && b->isChecked();
  };
  const auto show = [this](std::initializer_list<const char*> names, bool visible) {
    for (const char* name : names) {
      if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) w->setVisible(visible);
    }
  };
  const bool beamCircular = checked("RadioButton1");
  show({"Edit1_diam", "Label28"}, beamCircular);
  show({"Edit1_r", "Edit1_leng", "Label11", "Label12"}, !beamCircular);
  const bool detectorCircular = checked("RadioButton3");
  show({"Edit1_detdia", "Label13"}, detectorCircular);
  show({"Edit1_ss", "Edit1_hossz", "Label14", "Label15"}, !detectorCircular);
}

// What the session says is shown: the pages, the page in front, the detector panels.
void TDVornex::ApplyPanels() {
  pagesPanel_->setVisible(session_.parametersVisible);
  for (int i = 0; i < pages_->count(); ++i) {
    if (pages_->tabText(i) == ToQt(session_.activePage)) pages_->setCurrentIndex(i);
  }
  if (auto* panel = findChild<QWidget*>(QStringLiteral("Panel3")))
    panel->setVisible(session_.Panel3Visible);
  if (auto* panel = findChild<QWidget*>(QStringLiteral("Panel14")))
    panel->setVisible(session_.Panel14Visible);
  const bool empty = !session_.parametersVisible && output_->isHidden();
  splitter_->setVisible(!empty);
  welcome_->setVisible(empty && about_->isHidden());
}

void TDVornex::ShowHint(const QString& text) {
  if (text.isEmpty()) {
    statusBar()->clearMessage();
  } else {
    statusBar()->showMessage(text);
  }
}

// ---- Menu "files" ------------------------------------------------------------------------

void TDVornex::open1Click() {
  if (calculationRunning()) return;  // the run owns the inputs until it ends
  CollectInputs();
  std::optional<std::filesystem::path> chosen;
  if (std::optional<FileChoice> choice = chooser_->Open(this, kParameterOpenFilter, "*.par"))
    chosen = choice->path;
  dodavev::open1Click(session_, chosen);
  if (chosen) {
    // The layer files of the same base name, when there are any, come with it if wanted.
    for (const ParameterLayerFile& file : LayerFilesToLoad(*chosen)) {
      if (Ask(LoadLayerFileQuestion(session_.params, file)) == QMessageBox::Yes)
        LoadLayerFile(session_, file);
    }
  }
  ShowSession();
  if (chosen) {
    MarkParametersSaved();
    UpdateFieldMarks();
  }
}

void TDVornex::savethe1Click() {
  if (calculationRunning()) return;
  SaveParameters();
}

bool TDVornex::SaveParameters() {
  CollectInputs();
  std::optional<FileChoice> choice = chooser_->Save(this, kParameterSaveFilter, ".par");
  if (!choice) return false;
  const std::uint64_t before = sink_.presentedCount();
  dodavev::savethe1Click(session_, choice->path);
  if (sink_.presentedCount() != before) return false;  // the file could not be written
  MarkParametersSaved();
  // Modified layer texts may go beside it, under the same base name; a layer file that
  // could not be written leaves its text unsaved.
  bool saved = true;
  for (const ParameterLayerFile& file : LayerFilesToSave(session_.params, choice->path)) {
    if (Ask(SaveLayerFileQuestion(file)) == QMessageBox::Yes)
      saved = SaveLayerFile(session_, file) == 0 && saved;
  }
  ShowSession();
  return saved;
}

QMessageBox::StandardButton TDVornex::Ask(const std::string& question) {
  return asker_(ToQt(question), QMessageBox::Yes | QMessageBox::No);
}

// The parameter file text of what the controls hold now, the session left alone.
std::string TDVornex::ControlsParameterText() {
  ParameterInputs inputs = session_.params;
  ReadInputsFromControls(this, inputs);
  registry_->ReadRegistry(inputs.registry);
  return FormatParameterFile(inputs);
}

void TDVornex::MarkParametersSaved() {
  savedParameters_ = ControlsParameterText();
}

QStringList TDVornex::UnsavedWork() {
  QStringList what;
  if (ControlsParameterText() != savedParameters_) what << QStringLiteral("the parameters");
  const auto modified = [this](const char* name) {
    const auto* label = findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr && label->text().endsWith(QLatin1String(": modified"));
  };
  if (modified("samplefile")) what << QStringLiteral("the sample text");
  if (modified("Absorbensfile")) what << QStringLiteral("the absorber text");
  if (calculationRunning()) what << QStringLiteral("the calculation running");
  return what;
}

// Quitting with work that would be lost asks first: save (the parameters), discard or
// cancel. A run alone asks whether to stop it.
bool TDVornex::ConfirmQuit() {
  const QStringList what = UnsavedWork();
  if (what.isEmpty()) return true;
  const bool running = calculationRunning();
  const bool edits = what.size() > (running ? 1 : 0);
  if (!edits) {
    return asker_(QStringLiteral("A calculation is running. Stop it and quit?"),
                  QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
  }
  QString text = QStringLiteral("Not saved: ") + what.join(QStringLiteral(", ")) +
                 QStringLiteral(".\nSave the parameters before quitting?");
  switch (asker_(text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
    case QMessageBox::Discard:
      return true;
    case QMessageBox::Save:
      return SaveParameters();
    default:
      return false;
  }
}

void TDVornex::loadaspectrum1Click() {
  if (calculationRunning()) return;
  CollectInputs();  // the number of channels as typed
  std::optional<FileChoice> choice = chooser_->Open(this, kSpectrumOpenFilter, "*.dat");
  if (!choice) return;
  if (!dodavev::loadaspectrum1Click(session_, choice->path)) return;
  // Say what came in: the file, the channels up to the last with counts, the total.
  double total = 0.0;
  std::size_t last = 0;
  for (std::size_t c = 1; c < session_.MeasuredSpectrum.size(); ++c) {
    total += session_.MeasuredSpectrum[c];
    if (session_.MeasuredSpectrum[c] != 0.0) last = c;
  }
  statusBar()->showMessage(QStringLiteral("measured spectrum %1: channels 1-%2, %3 counts")
                               .arg(PathToQt(choice->path.filename()))
                               .arg(last)
                               .arg(total, 0, 'g', 10));
  if (drawing_ != nullptr && drawing_->isVisible()) drawing_->Activate();
}

void TDVornex::quit1Click() {
  close();
}

// ---- Marks and repetition ------------------------------------------------------------------

void TDVornex::UpdateFieldMarks() {
  MarkBadFields(pagesPanel_, UnreadableFields(session_.params));
}

void TDVornex::RecheckMarkedFields() {
  ParameterInputs inputs = session_.params;
  ReadInputsFromControls(this, inputs);
  MarkBadFields(pagesPanel_, UnreadableFields(inputs));
}

void TDVornex::RepeatCalculation() {
  if (calculationRunning() || lastCalculation_.isEmpty()) return;
  CollectInputs();
  dodavev::calculations1Click(session_);
  ShowSession();
  UpdateFieldMarks();
  const std::string caption = FromQt(lastCalculation_);
  if (const CalculationEntry* entry = FindCalculation(caption)) RunCalculation(entry->caption);
}

// ---- Pages and "OK" ----------------------------------------------------------------------

void TDVornex::parameters1Click() {
  about_->hide();
  session_.parametersVisible = true;
  ApplyPanels();
}

void TDVornex::Button5Click() {
  if (calculationRunning()) return;
  CollectInputs();
  dodavev::Button5Click(session_);
  ShowSession();
  UpdateFieldMarks();
}

void TDVornex::calculations1Click() {
  if (calculationRunning()) return;
  if (skipNextOk_) {
    skipNextOk_ = false;
    return;
  }
  CollectInputs();
  sink_.BeginDeferring();
  dodavev::calculations1Click(session_);
  std::vector<std::string> messages = sink_.EndDeferring();
  ShowSession();
  UpdateFieldMarks();
  if (messages.empty()) return;
  // The menu is opening: close it, show the messages in order, then open it again so
  // that a calculation can still be chosen, as after any "OK" with errors.
  QTimer::singleShot(0, this, [this, messages = std::move(messages)] {
    calculations_->hide();
    for (const std::string& text : messages)
      sink_.Show(text);
    if (isVisible() && !calculationRunning()) {
      skipNextOk_ = true;
      menuBar()->setActiveAction(calculations_->menuAction());
      if (!calculations_->isVisible()) skipNextOk_ = false;
    }
  });
}

void TDVornex::ReactionFieldLeft() {
  if (checkingField_ || calculationRunning()) return;
  checkingField_ = true;
  CollectInputs();
  IdentifyReaction(session_);
  ShowSession();
  checkingField_ = false;
}

void TDVornex::GeometryFieldLeft() {
  if (checkingField_ || calculationRunning()) return;
  checkingField_ = true;
  CollectInputs();
  CheckDetectionGeometry(session_);
  ShowSession();
  checkingField_ = false;
}

// ---- Detector panels -----------------------------------------------------------------------

void TDVornex::Button1Click() {
  if (auto* label = findChild<QLabel*>(QStringLiteral("Label_resolution")))
    label->setText(QString::fromLatin1(kResolutionExplanation));
  session_.Panel3Visible = true;
  ApplyPanels();
}

void TDVornex::Button2Click() {
  session_.Panel14Visible = true;
  ApplyPanels();
}

void TDVornex::Button10Click() {
  if (calculationRunning()) return;
  CollectInputs();
  dodavev::Button10Click(session_);
  ShowSession();
}

void TDVornex::Button11Click() {
  if (calculationRunning()) return;
  CollectInputs();
  dodavev::Button11Click(session_);
  ShowSession();
}

// ---- Layer files ---------------------------------------------------------------------------

void TDVornex::Button6Click() {
  if (calculationRunning()) return;
  CollectInputs();
  if (std::optional<FileChoice> choice = chooser_->Open(this, kLayerOpenFilter, "")) {
    LoadSampleLayerFile(session_, choice->path);
    ShowSession();
  }
}

void TDVornex::Button7Click() {
  if (calculationRunning()) return;
  CollectInputs();
  if (std::optional<FileChoice> choice = chooser_->Save(this, kSampleSaveFilter, "")) {
    SaveSampleLayerFile(session_, choice->path);
    ShowSession();
  }
}

void TDVornex::Button8Click() {
  if (calculationRunning()) return;
  CollectInputs();
  if (std::optional<FileChoice> choice = chooser_->Open(this, kLayerOpenFilter, "")) {
    LoadAbsorberFile(session_, choice->path);
    ShowSession();
  }
}

void TDVornex::Button9Click() {
  if (calculationRunning()) return;
  CollectInputs();
  if (std::optional<FileChoice> choice = chooser_->Save(this, kLayerOpenFilter, "")) {
    SaveAbsorberFile(session_, choice->path);
    ShowSession();
  }
}

// ---- Calculations --------------------------------------------------------------------------

void TDVornex::RunCalculation(std::string_view caption) {
  const CalculationEntry* entry = FindCalculation(caption);
  if (entry == nullptr) return;
  const CalculationHandler run = entry->run;
  StartTask(ToQt(caption), [run](Session& session, RunControl&) { run(session); });
}

bool TDVornex::StartTask(const QString& caption, CalculationWorker::Task task) {
  if (worker_->running()) return false;
  if (!worker_->Start(caption, CopySessionForRun(session_), std::move(task))) return false;
  SetRunning(true, caption);
  return true;
}

bool TDVornex::calculationRunning() const {
  return worker_->running();
}

void TDVornex::StopCalculation() {
  if (!worker_->running()) return;
  worker_->RequestStop();
  stop_->setEnabled(false);
  progressLabel_->setText(progressLabel_->text() + QStringLiteral(" - stopping"));
}

void TDVornex::SetRunning(bool running, const QString& caption) {
  // The run works on a copy of the inputs: nothing that changes them, nor a second run,
  // may start until its results are back.
  pagesPanel_->setEnabled(!running);
  for (const char* name : {"open1", "savethe1", "loadaspectrum1"}) {
    if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) action->setEnabled(!running);
  }
  // The charts of the previous results would change under the drawing window's feet.
  if (running && drawing_ != nullptr) drawing_->hide();
  calculations_->setEnabled(!running);
  parameters_->setEnabled(!running);
  for (const char* name : {"Button4", "Button12", "Button13", "Button14"}) {
    if (auto* b = findChild<QPushButton*>(QString::fromLatin1(name))) b->setEnabled(!running);
  }
  progressLabel_->setText(caption);
  progressLabel_->setVisible(running);
  progressBar_->setRange(0, 0);  // busy until a scan reports how far it is
  progressBar_->setVisible(running);
  stop_->setEnabled(running);
  stop_->setVisible(running);
}

void TDVornex::OnProgress(const QString& what, const QString& unit, int done, int total) {
  if (!worker_->running()) return;
  if (stop_->isEnabled()) {
    // "optimization: 120/1600 geometries"
    progressLabel_->setText(
        QStringLiteral("%1: %2/%3 %4").arg(what).arg(done).arg(total).arg(unit).trimmed());
  }
  if (total > 0) {
    progressBar_->setRange(0, total);
    progressBar_->setValue(std::min(done, total));
  }
}

void TDVornex::OnRunFinished(const QString& caption, bool stopped) {
  std::unique_ptr<Session> run = worker_->Join();
  if (!run) return;  // already taken back (the window is closing)
  AdoptRunSession(session_, std::move(*run));
  SetRunning(false);
  ShowSession();
  ShowOutput(caption);
  if (stopped) {
    // The report's closing line of a stopped scan, so that the status bar and the report
    // give the same count; other runs just say they were stopped.
    QString line = caption + QStringLiteral(": stopped");
    const QStringList lines =
        ReportText(session_.OutputLog).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!lines.isEmpty() && lines.constLast().contains(QLatin1String(": stopped after ")))
      line = lines.constLast();
    statusBar()->showMessage(line);
  }
  Q_EMIT calculationFinished(caption, stopped);
}

// ---- Output panel --------------------------------------------------------------------------

void TDVornex::ShowOutput(const QString& caption) {
  report_->setPlainText(ReportText(session_.OutputLog));
  about_->hide();
  output_->show();
  // The spectrum buttons belong to the spectrum simulations, once they have left a
  // spectrum ('N'); the full spectrum is a sub-spectrum only when one isotope was asked.
  auto* view = findChild<QPushButton*>(QStringLiteral("Button12"));
  auto* save = findChild<QPushButton*>(QStringLiteral("Button13"));
  const bool subSpectrum = caption == QLatin1String("spectrum simulation");
  // The fit leaves the fitted full spectrum (or sub-spectrum) as a full spectrum does.
  const bool fullSpectrum =
      caption == QLatin1String("full spectrum (1)") || caption == QLatin1String("spectrum fit");
  const bool spectrum =
      (subSpectrum || fullSpectrum) && session_.SpectrumFlag == SpectrumMode::kSpectrum;
  if (spectrum) {
    view->setText(subSpectrum || session_.params.CheckBox1_given_target
                      ? QStringLiteral("View subspectrum")
                      : QStringLiteral("View spectrum"));
  }
  view->setVisible(spectrum);
  save->setVisible(spectrum);
  ApplyPanels();
}

void TDVornex::Button3Click() {
  output_->hide();
  ApplyPanels();
}

void TDVornex::Button4Click() {
  if (std::optional<FileChoice> choice = chooser_->Save(this, kResultsFilter, ""))
    SaveResults(session_, choice->path);
}

void TDVornex::Button13Click() {
  if (std::optional<FileChoice> choice = chooser_->Save(this, kSpectrumSaveFilter, ""))
    SaveSpectrum(session_, choice->path, choice->filterIndex);
}

void TDVornex::Button12Click() {
  ShowDrawingWindow();
}

void TDVornex::Button14Click() {
  session_.SpectrumFlag = SpectrumMode::kShown;
  ShowDrawingWindow();
}

void TDVornex::ShowDrawingWindow() {
  if (drawing_ == nullptr) {
    drawing_ = new TForm_drawing(session_, this);
    drawing_->SetMessageSink(&sink_);
  }
  drawing_->Activate();
}

// ---- About -----------------------------------------------------------------------------------

void TDVornex::AboutVornex1Click() {
  if (auto* dataDir = findChild<QLabel*>(QStringLiteral("Label_datadir")))
    dataDir->setText(QStringLiteral("Data directory: ") + PathToQt(session_.levDir));
  about_->show();
  ApplyPanels();
}

void TDVornex::Button20Click() {
  about_->hide();
  ApplyPanels();
}

}  // namespace dodavev
