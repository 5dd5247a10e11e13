// A main window over a session started from the shipped LEV directory, with its message
// boxes collected instead of shown and its file dialogs answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QThread>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "app/session.hpp"
#include "gui/file_chooser.hpp"
#include "gui/main_window.hpp"
#include "gui/ui_text.hpp"
#include "gui/window_message_sink.hpp"

namespace dodavev::testing {

// Answers the file dialogs from a queue and remembers the filters they were given.
class QueuedFileChooser final : public FileChooser {
 public:
  std::optional<FileChoice> Open(QWidget*, std::string_view filter,
                                 std::string_view defaultExtension) override {
    return Next(filter, defaultExtension);
  }
  std::optional<FileChoice> Save(QWidget*, std::string_view filter,
                                 std::string_view defaultExtension) override {
    return Next(filter, defaultExtension);
  }

  std::deque<std::optional<FileChoice>> answers;  // nullopt: the user cancels
  std::vector<std::string> filters;
  std::vector<std::string> extensions;

 private:
  std::optional<FileChoice> Next(std::string_view filter, std::string_view extension) {
    filters.emplace_back(filter);
    extensions.emplace_back(extension);
    if (answers.empty()) return std::nullopt;
    std::optional<FileChoice> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Processes events until `done` holds or `ms` milliseconds have passed.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : session_(std::make_unique<Session>(sink_)) {
    sink_.SetPresenter([this](const QString& text) {
      messages_.push_back(FromQt(text));
      presentedOnWindowThread_ =
          presentedOnWindowThread_ && QThread::currentThread() == qApp->thread();
    });
    FormCreate(*session_, DODAVEV_SOURCE_DIR, DODAVEV_LEV_DIR);
    messages_.clear();  // start-up reports are not what these tests look at
    window_ = std::make_unique<TDVornex>(*session_, sink_);
    auto chooser = std::make_unique<QueuedFileChooser>();
    chooser_ = chooser.get();
    window_->SetFileChooser(std::move(chooser));
    // Questions are answered from a queue; without an answer queued: discard, or yes.
    window_->SetAsker([this](const QString& text, QMessageBox::StandardButtons buttons) {
      questions_.push_back(FromQt(text));
      if (!answers_.empty()) {
        const QMessageBox::StandardButton answer = answers_.front();
        answers_.pop_front();
        return answer;
      }
      if (buttons.testFlag(QMessageBox::Discard)) return QMessageBox::Discard;
      return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::No;
    });
  }
  ~WindowTest() override {
    window_.reset();
    session_.reset();
  }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* w = window_->findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr) ADD_FAILURE() << "no control named " << name;
    return w;
  }
  std::string Text(const char* name) { return FromQt(Find<QLineEdit>(name)->text()); }
  void Type(const char* name, const char* text) { Find<QLineEdit>(name)->setText(text); }
  std::string LabelText(const char* name) { return FromQt(Find<QLabel>(name)->text()); }
  bool Checked(const char* name) { return Find<QAbstractButton>(name)->isChecked(); }
  void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
  // Shown as far as the window's own switches go (the window itself is never shown).
  bool Shown(const char* name) { return !Find(name)->isHidden(); }
  bool PagesShown() { return Shown("Panel_parameters"); }
  std::string CurrentPage() {
    auto* pages = Find<QTabWidget>("PageControl1");
    return FromQt(pages->tabText(pages->currentIndex()));
  }
  void Choose(const std::filesystem::path& path, int filterIndex = 1) {
    chooser_->answers.push_back(FileChoice{path, filterIndex});
  }

  WindowMessageSink sink_;
  std::vector<std::string> messages_;
  bool presentedOnWindowThread_ = true;
  std::unique_ptr<Session> session_;
  std::unique_ptr<TDVornex> window_;
  QueuedFileChooser* chooser_ = nullptr;
  std::vector<std::string> questions_;
  std::deque<QMessageBox::StandardButton> answers_;
};

}  // namespace dodavev::testing
