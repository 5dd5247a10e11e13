// Stand-in until the "optimization" calculation is built: says so and leaves the results alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void optimization1Click(Session& session) {
  session.messages.Show("the calculation \"optimization\" is not built yet");
}

}  // namespace dodavev
