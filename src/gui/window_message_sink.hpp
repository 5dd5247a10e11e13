// Messages of the window: each one a modal box with an OK button, shown in order on the
// window's thread. A calculation running on a worker thread hands its messages over and
// waits until the user has acknowledged each, exactly as it would on the window's thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/messages.hpp"

namespace dodavev {

class WindowMessageSink final : public QObject, public MessageSink {
  Q_OBJECT

 public:
  // Shows one message and returns when it is acknowledged (window thread only).
  using Presenter = std::function<void(const QString& text)>;

  explicit WindowMessageSink(QObject* parent = nullptr);
  ~WindowMessageSink() override;

  // Any thread. On the window's thread the box is shown at once; from another thread the
  // message is queued to the window's thread and the caller waits for its acknowledgement.
  void Show(std::string_view text) override;

  // The window whose boxes these are (their parent), and who shows them (tests collect).
  void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }
  // The window the next box belongs to (window thread).
  QWidget* dialogParent() const { return dialogParent_.data(); }
  // Boxes shown so far on the window's thread (window thread).
  std::uint64_t presentedCount() const { return presented_; }
  void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }

  // While deferring, messages raised on the window's thread are kept instead of shown; the
  // caller shows them later (a menu that is opening cannot hold a modal box).
  void BeginDeferring();
  std::vector<std::string> EndDeferring();

  // The window is going away: queued and later messages of other threads go to standard
  // error and nobody waits for them.
  void Abandon();

 private:
  void ShowQueued();
  void Present(const std::string& text);

  std::mutex mutex_;
  std::condition_variable acknowledged_;
  std::deque<std::string> queue_;  // messages of other threads not yet shown
  std::uint64_t posted_ = 0;       // messages ever queued
  std::uint64_t shown_ = 0;        // of those, acknowledged
  bool abandoned_ = false;

  // Window thread only.
  bool showingQueued_ = false;
  bool deferring_ = false;
  std::vector<std::string> deferred_;
  Presenter presenter_;
  QPointer<QWidget> dialogParent_;
  std::uint64_t presented_ = 0;
};

// While it lives, the boxes of `sink` belong to `window`: a message belongs to the window
// whose action raised it (a box of the drawing window must not raise the main window over
// it). The parent before comes back at the end. Without a sink it does nothing.
class MessageWindowScope {
 public:
  MessageWindowScope(WindowMessageSink* sink, QWidget* window);
  ~MessageWindowScope();
  MessageWindowScope(const MessageWindowScope&) = delete;
  MessageWindowScope& operator=(const MessageWindowScope&) = delete;
  // Whether a box was shown since the scope began.
  bool anyShown() const;

 private:
  WindowMessageSink* sink_;
  QPointer<QWidget> previous_;
  std::uint64_t presentedBefore_ = 0;
};

}  // namespace dodavev
