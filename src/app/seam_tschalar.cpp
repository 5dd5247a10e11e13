// Stand-in until the "Tschalar effect" calculation is built: says so and leaves the results alone.
#include "app/calculations.hpp"
#include "app/session.hpp"

namespace dodavev {

void schalareffect1Click(Session& session) {
  session.messages.Show("the calculation \"Tschalar effect\" is not built yet");
}

}  // namespace dodavev
