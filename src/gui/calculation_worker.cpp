#include "gui/calculation_worker.hpp"

#include <exception>
#include <string>

#include "app/session.hpp"
#include "gui/ui_text.hpp"

namespace dodavev {

CalculationWorker::CalculationWorker(QObject* parent) : QObject(parent) {}

CalculationWorker::~CalculationWorker() {
  if (thread_.joinable()) {
    RequestStop();
    thread_.join();
  }
}

bool CalculationWorker::Start(const QString& caption, std::unique_ptr<Session> run, Task task) {
  if (thread_.joinable() || !run || !task) return false;
  run_ = std::move(run);
  control_ = std::make_unique<RunControl>(
      [this](std::string_view what, std::string_view unit, int done, int total) {
        Q_EMIT progress(ToQt(what), ToQt(unit), done, total);
      });
  run_->scan.observer = control_.get();
  Session* session = run_.get();
  RunControl* control = control_.get();
  thread_ = std::thread([this, caption, session, control, task = std::move(task)] {
    // Whatever goes wrong inside a calculation ends the run with a message, never the
    // program; the window gets back what the run had.
    try {
      task(*session, *control);
    } catch (const std::exception& e) {
      session->messages.Show("the calculation \"" + FromQt(caption) +
                             "\" stopped: " + std::string(e.what()));
    } catch (...) {
      session->messages.Show("the calculation \"" + FromQt(caption) + "\" stopped");
    }
    Q_EMIT finished(caption, control->StopRequested());
  });
  return true;
}

void CalculationWorker::RequestStop() {
  if (control_) control_->RequestStop();
}

std::unique_ptr<Session> CalculationWorker::Join() {
  if (thread_.joinable()) thread_.join();
  if (run_) run_->scan.observer = nullptr;
  control_.reset();
  return std::move(run_);
}

std::unique_ptr<Session> CopySessionForRun(const Session& session) {
  return std::make_unique<Session>(session);
}

void AdoptRunSession(Session& window, Session&& run) {
  const ScanSettings scan = window.scan;
  window = std::move(run);  // keeps the window's message sink
  window.scan = scan;
}

}  // namespace dodavev
