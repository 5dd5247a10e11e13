// Stand-in until the "spectrum simulation" calculation is built: says so and leaves the results
// alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void spectrumsimulation1Click(Session& session) {
  session.messages.Show("the calculation \"spectrum simulation\" is not built yet");
}

}  // namespace dodavev
