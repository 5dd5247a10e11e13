// Stand-in until the "full spectrum (1)" calculation is built: says so and leaves the results
// alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void spektrumsim21Click(Session& session) {
  session.messages.Show("the calculation \"full spectrum (1)\" is not built yet");
}

}  // namespace dodavev
