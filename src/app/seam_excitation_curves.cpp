// Stand-in until the "excitation curves for resonances" calculation is built: says so and leaves
// the results alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void exitationcurvesforresonances1Click(Session& session) {
  session.messages.Show("the calculation \"excitation curves for resonances\" is not built yet");
}

}  // namespace dodavev
