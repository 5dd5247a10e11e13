// A calculation of the "calculations" menu running beside the window: on a thread of its
// own, on a copy of the session (inputs, tables, layer structures as the last "OK" left
// them), so the window stays responsive. The window takes the copy back, results and
// all, when the run ends. Messages go through the session's sink, which hands them to the
// window's thread in order.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

#include "studies/parallel_scan.hpp"

namespace dodavev {

struct Session;

// What a running calculation may ask: whether "Stop" was pressed (a scan then ends after
// its current geometry or energy, keeping what it has), and where to report how far it
// is. The studies' scans see it as their ScanObserver.
class RunControl final : public ScanObserver {
 public:
  using ProgressSink =
      std::function<void(std::string_view what, std::string_view unit, int done, int total)>;

  explicit RunControl(ProgressSink progress = {}) : progress_(std::move(progress)) {}

  bool StopRequested() const override { return stop_.load(std::memory_order_relaxed); }
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  // "optimization", "geometries", 120, 1600: 120 of 1600 geometries done.
  void Progress(const ScanProgress& p) override {
    if (progress_) progress_(p.what, p.unit, p.done, p.total);
  }

 private:
  std::atomic<bool> stop_{false};
  ProgressSink progress_;
};

class CalculationWorker final : public QObject {
  Q_OBJECT

 public:
  using Task = std::function<void(Session& run, RunControl& control)>;

  explicit CalculationWorker(QObject* parent = nullptr);
  // Asks a running task to stop and waits for it. Whoever owns the message sink must
  // have released waiting messages first (WindowMessageSink::Abandon).
  ~CalculationWorker() override;

  // Runs `task` on `run` on a new thread; false (and nothing started) while a run is on.
  bool Start(const QString& caption, std::unique_ptr<Session> run, Task task);
  bool running() const { return thread_.joinable(); }
  void RequestStop();
  // After `finished`: waits for the thread's end and hands back the run's session.
  std::unique_ptr<Session> Join();

 Q_SIGNALS:
  void progress(const QString& what, const QString& unit, int done, int total);
  void finished(const QString& caption, bool stopped);

 private:
  std::thread thread_;
  std::unique_ptr<Session> run_;
  std::unique_ptr<RunControl> control_;
};

// A copy of the window's session for a run: every input, table and result, and the same
// message sink (which must accept messages from any thread). The copy's scans report to
// the worker, not to whoever watches the window's session.
std::unique_ptr<Session> CopySessionForRun(const Session& session);

// Takes everything a run may have changed or produced back into the window's session: the
// numeric parameters, layer structures, loaded data, reports, result tables, spectra and
// mode characters. Every member of Session is moved except its message sink and its scan
// settings, which stay the window's own.
void AdoptRunSession(Session& window, Session&& run);

}  // namespace dodavev
