// Messages of the window: shown at once on the window's thread, queued in order from
// other threads with the caller waiting for each, kept back while a menu opens, and never
// waited for once the window is gone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <thread>

#include "gui/ui_text.hpp"
#include "gui/window_message_sink.hpp"

namespace dodavev {
namespace {

bool Spin(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

std::string Numbered(char who, int i) {
  std::string text(1, who);
  text += std::to_string(i);
  return text;
}

class SinkTest : public ::testing::Test {
 protected:
  SinkTest() {
    sink_.SetPresenter([this](const QString& text) {
      shown_.push_back(FromQt(text));
      onWindowThread_ = onWindowThread_ && QThread::currentThread() == qApp->thread();
    });
  }
  WindowMessageSink sink_;
  std::vector<std::string> shown_;
  bool onWindowThread_ = true;
};

TEST_F(SinkTest, WindowThreadShowsAtOnce) {
  sink_.Show("problem with stopping data !122");
  EXPECT_EQ(shown_, std::vector<std::string>({"problem with stopping data !122"}));
}

TEST_F(SinkTest, EightBitTextsArriveUnchanged) {
  // A report byte above 127 (the degree sign of Latin-1) survives the round trip.
  sink_.Show(std::string("theta = 165\xBA"));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0], std::string("theta = 165\xBA"));
}

TEST_F(SinkTest, MessagesFromTwoThreadsEachKeepTheirOrder) {
  std::atomic<int> finished{0};
  auto worker = [&](const std::string& who) {
    for (int i = 0; i < 20; ++i)
      sink_.Show(who + std::to_string(i));
    ++finished;
  };
  std::thread a(worker, "a");
  std::thread b(worker, "b");
  ASSERT_TRUE(Spin([&] { return finished == 2; }));
  a.join();
  b.join();
  EXPECT_TRUE(onWindowThread_);
  ASSERT_EQ(shown_.size(), 40u);
  int nextA = 0, nextB = 0;
  for (const std::string& text : shown_) {
    if (text[0] == 'a') {
      EXPECT_EQ(text, Numbered('a', nextA++));
    } else {
      EXPECT_EQ(text, Numbered('b', nextB++));
    }
  }
}

TEST_F(SinkTest, DeferredMessagesAreHandedBackInOrder) {
  sink_.BeginDeferring();
  sink_.Show("first");
  sink_.Show("second");
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(sink_.EndDeferring(), std::vector<std::string>({"first", "second"}));
  sink_.Show("third");
  EXPECT_EQ(shown_, std::vector<std::string>({"third"}));
}

TEST_F(SinkTest, AbandonedSinkReleasesAWaitingThread) {
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    sink_.Show("nobody will acknowledge this");
    returned = true;
  });
  // No event is processed: the message stays queued and the worker waits...
  QThread::msleep(50);
  EXPECT_FALSE(returned.load());
  // ...until the window goes away.
  sink_.Abandon();
  worker.join();
  EXPECT_TRUE(returned.load());
  EXPECT_TRUE(shown_.empty());
  // Later messages of other threads do not wait at all.
  std::thread late([&] { sink_.Show("after the window"); });
  late.join();
}

}  // namespace
}  // namespace dodavev
