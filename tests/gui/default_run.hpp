// A session started as the program starts it, with its default inputs, and the depth and
// energy resolution of those inputs calculated on demand.
#pragma once

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"

namespace dodavev::testing {

class DefaultRun : public StartedSession {
 protected:
  Session& s() { return session(); }
  void RunDefaultResolution() {
    Button5Click(s());
    depthandenergyresolution1Click(s());
    ASSERT_GT(s().results.RowCount, 2) << "the default calculation gave no rows";
  }
};

}  // namespace dodavev::testing
