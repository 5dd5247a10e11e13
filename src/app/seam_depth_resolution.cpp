// Stand-in until the "depth and energy resolution" calculation is built: says so and leaves the
// results alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void depthandenergyresolution1Click(Session& session) {
  session.messages.Show("the calculation \"depth and energy resolution\" is not built yet");
}

}  // namespace dodavev
