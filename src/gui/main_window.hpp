// The main window (`TDVornex`, caption "DOdavev"): menu bar, the nine parameter pages with
// their "OK" button, the output panel with the report, the About panel and the status bar.
// It holds no physics: every action copies the controls into the session's inputs, calls
// the core's handler of the same name and shows what the session then holds.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "gui/calculation_worker.hpp"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace dodavev {

struct Session;
class FileChooser;
class RegistryPages;
class TForm_drawing;
class WindowMessageSink;

class TDVornex final : public QMainWindow {
  Q_OBJECT

 public:
  // `sink` is the session's message sink; the window becomes the parent of its boxes.
  TDVornex(Session& session, WindowMessageSink& sink, QWidget* parent = nullptr);
  ~TDVornex() override;

  Session& session() { return session_; }
  RegistryPages& registry() { return *registry_; }
  // The drawing window, once a "View" button has opened it.
  TForm_drawing* drawingWindow() const { return drawing_; }
  // Replaces the file dialogs (tests choose their files without a dialog).
  void SetFileChooser(std::unique_ptr<FileChooser> chooser);
  // Asks the user a question with the given buttons and returns the one chosen; replaced by
  // tests, which answer themselves.
  using Asker = std::function<QMessageBox::StandardButton(const QString& text,
                                                          QMessageBox::StandardButtons buttons)>;
  void SetAsker(Asker asker) { asker_ = std::move(asker); }
  // What would be lost by quitting now: modified parameters, sample or absorber text, a
  // calculation running (empty when nothing).
  QStringList UnsavedWork();
  // Ctrl+R / F5: "OK" and the last calculation of the menu again.
  void RepeatCalculation();

  // Controls <-> session: the inputs as typed, and what the session says is shown.
  void CollectInputs();
  void ShowSession();

  // Menu "files".
  void open1Click();
  void savethe1Click();
  void loadaspectrum1Click();
  void quit1Click();
  // Menu "parameters" and the "OK" button.
  void parameters1Click();
  void Button5Click();
  // Opening the "calculations" menu runs "OK"; its messages are shown once the menu has
  // closed, after which the menu opens again for the choice.
  void calculations1Click();
  // A calculation of the menu by its caption, on the worker thread.
  void RunCalculation(std::string_view caption);
  // Any task on the worker thread under the given caption (the menu's calculations, and
  // tests that stand in for a long scan). False while another run is on.
  bool StartTask(const QString& caption, CalculationWorker::Task task);
  bool calculationRunning() const;
  // "Stop" of the status bar.
  void StopCalculation();

  // Detector panels.
  void Button1Click();
  void Button2Click();
  void Button10Click();
  void Button11Click();
  // Layer files.
  void Button6Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  // Output panel.
  void Button3Click();
  void Button4Click();
  void Button12Click();
  void Button13Click();
  void Button14Click();
  // About panel.
  void AboutVornex1Click();
  void Button20Click();

 Q_SIGNALS:
  // A calculation run ended and its results are in the session.
  void calculationFinished(const QString& caption, bool stopped);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildCentralArea();
  void BuildStatusBar();
  void ConnectPageHandlers();
  QWidget* BuildAboutPanel();
  void UpdateShapeVisibility();
  void ApplyPanels();
  void ShowOutput(const QString& caption);
  void SetRunning(bool running, const QString& caption = {});
  void OnRunFinished(const QString& caption, bool stopped);
  void OnProgress(const QString& what, const QString& unit, int done, int total);
  void ReactionFieldLeft();
  void GeometryFieldLeft();
  void ShowHint(const QString& text);
  void ShowDrawingWindow();
  // "save parameters", then the offer of the modified layer texts beside the file; false
  // when the parameters, or a layer text the user chose to save, were not written.
  bool SaveParameters();
  QMessageBox::StandardButton Ask(const std::string& question);
  std::string ControlsParameterText();
  void MarkParametersSaved();
  void UpdateFieldMarks();
  void RecheckMarkedFields();
  bool ConfirmQuit();

  Session& session_;
  WindowMessageSink& sink_;
  std::unique_ptr<FileChooser> chooser_;
  RegistryPages* registry_ = nullptr;
  CalculationWorker* worker_ = nullptr;
  TForm_drawing* drawing_ = nullptr;  // made when first shown

  QWidget* splitter_ = nullptr;  // pages above, output below
  QWidget* pagesPanel_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QGroupBox* output_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  QWidget* about_ = nullptr;
  QLabel* welcome_ = nullptr;
  QMenu* files_ = nullptr;
  QMenu* calculations_ = nullptr;
  QAction* parameters_ = nullptr;
  QLabel* progressLabel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QPushButton* stop_ = nullptr;
  Asker asker_;
  std::string savedParameters_;  // the parameter file text of the inputs last loaded or saved
  QString lastCalculation_;      // caption of the last calculation started from the menu
  bool skipNextOk_ = false;      // the menu reopens after OK's messages without a second OK
  bool checkingField_ = false;   // a re-check on leaving a field is under way
};

}  // namespace dodavev
