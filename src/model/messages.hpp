// One interface for every message the program shows the user: the window shows modal
// boxes, the batch mode writes to standard error and a log file, tests collect them.
#pragma once

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace dodavev {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message (an OK-only box in the window); returns when it is acknowledged.
  virtual void Show(std::string_view text) = 0;
};

// Keeps every message in order; for tests and for callers that decide later.
class CollectingSink final : public MessageSink {
 public:
  void Show(std::string_view text) override { messages.emplace_back(text); }
  std::vector<std::string> messages;
};

// Batch mode: writes each message as one line to standard error and, when a log file
// could be opened, appends it there too. Never waits for a key.
class StderrLogSink final : public MessageSink {
 public:
  StderrLogSink() = default;
  // Opens (appending) the log file; a log that cannot be opened is reported once on
  // standard error and the messages still reach standard error.
  bool OpenLog(const std::string& path);
  void Show(std::string_view text) override;

 private:
  std::ofstream log_;
};

}  // namespace dodavev
