#include "gui/window_message_sink.hpp"

#include <QMessageBox>
#include <QThread>
#include <iostream>

#include "gui/ui_text.hpp"

namespace dodavev {

WindowMessageSink::WindowMessageSink(QObject* parent) : QObject(parent) {}

WindowMessageSink::~WindowMessageSink() {
  Abandon();
}

void WindowMessageSink::Show(std::string_view text) {
  if (QThread::currentThread() == thread()) {
    if (deferring_) {
      deferred_.emplace_back(text);
    } else {
      Present(std::string(text));
    }
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (abandoned_) {
    std::cerr << text << '\n';
    return;
  }
  queue_.emplace_back(text);
  const std::uint64_t ticket = ++posted_;
  QMetaObject::invokeMethod(this, &WindowMessageSink::ShowQueued, Qt::QueuedConnection);
  acknowledged_.wait(lock, [&] { return abandoned_ || shown_ >= ticket; });
}

void WindowMessageSink::ShowQueued() {
  // A box already open further up this thread's stack shows the rest when it closes, so
  // the messages keep their order.
  if (showingQueued_) return;
  showingQueued_ = true;
  for (;;) {
    std::string text;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty() || abandoned_) break;
      text = std::move(queue_.front());
      queue_.pop_front();
    }
    Present(text);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++shown_;
    }
    acknowledged_.notify_all();
  }
  showingQueued_ = false;
}

void WindowMessageSink::Present(const std::string& text) {
  ++presented_;
  if (presenter_) {
    presenter_(ToQt(text));
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("DOdavev"), ToQt(text), QMessageBox::Ok,
                  dialogParent_.data());
  box.exec();
}

MessageWindowScope::MessageWindowScope(WindowMessageSink* sink, QWidget* window) : sink_(sink) {
  if (sink_ == nullptr) return;
  previous_ = sink_->dialogParent();
  presentedBefore_ = sink_->presentedCount();
  sink_->SetDialogParent(window);
}

MessageWindowScope::~MessageWindowScope() {
  if (sink_ != nullptr) sink_->SetDialogParent(previous_.data());
}

bool MessageWindowScope::anyShown() const {
  return sink_ != nullptr && sink_->presentedCount() != presentedBefore_;
}

void WindowMessageSink::BeginDeferring() {
  deferring_ = true;
  deferred_.clear();
}

std::vector<std::string> WindowMessageSink::EndDeferring() {
  deferring_ = false;
  return std::exchange(deferred_, {});
}

void WindowMessageSink::Abandon() {
  std::deque<std::string> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    left.swap(queue_);
  }
  for (const std::string& text : left)
    std::cerr << text << '\n';
  acknowledged_.notify_all();
}

}  // namespace dodavev
