#include "model/messages.hpp"

#include <iostream>

namespace dodavev {

bool StderrLogSink::OpenLog(const std::string& path) {
  log_.open(path, std::ios::out | std::ios::app | std::ios::binary);
  if (!log_) {
    std::cerr << "cannot open the log file " << path << '\n';
    return false;
  }
  return true;
}

void StderrLogSink::Show(std::string_view text) {
  std::cerr << text << '\n';
  if (log_) {
    log_ << text << "\r\n";
    log_.flush();
  }
}

}  // namespace dodavev
