// Stand-in until the "energy loss" calculation is built: says so and leaves the results alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void energy_lossClick(Session& session) {
  session.messages.Show("the calculation \"energy loss\" is not built yet");
}

}  // namespace dodavev
