// A session's messages stay on the sink it was made with, whatever state it takes over.
#include "app/session.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dodavev {
namespace {

TEST(SessionMessages, CopiesShareTheSinkAndAssignmentKeepsIt) {
  CollectingSink window;
  CollectingSink other;
  Session a(window);
  Session b(other);
  b.OutputLog = "report of b";
  b.CalcMode = CalculationMode::kDepthWalk;

  // A calculation's copy reports where the original does.
  Session copy(b);
  copy.messages.Show("from the copy");
  EXPECT_EQ(other.messages, std::vector<std::string>{"from the copy"});

  // Taking over another session's state moves its results, not its messages.
  a = std::move(b);
  EXPECT_EQ(a.OutputLog, "report of b");
  EXPECT_EQ(a.CalcMode, CalculationMode::kDepthWalk);
  a.messages.Show("after the take-over");
  EXPECT_EQ(window.messages, std::vector<std::string>{"after the take-over"});
  EXPECT_EQ(other.messages.size(), 1U);
}

}  // namespace
}  // namespace dodavev
