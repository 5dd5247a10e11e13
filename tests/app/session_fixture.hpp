// A session started as the program starts it, with the shipped start-up data, and its
// messages collected.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/program.hpp"
#include "app/session.hpp"
#include "model/messages.hpp"

namespace dodavev::testing {

class StartedSession : public ::testing::Test {
 protected:
  StartedSession() : session_(std::make_unique<Session>(sink_)) {
    FormCreate(*session_, DODAVEV_SOURCE_DIR, DODAVEV_LEV_DIR);
    sink_.messages.clear();  // start-up reports are not what these tests look at
  }

  Session& session() { return *session_; }
  ParameterSet& params() { return session_->params; }
  std::vector<std::string>& messages() { return sink_.messages; }

  CollectingSink sink_;
  std::unique_ptr<Session> session_;
};

}  // namespace dodavev::testing
