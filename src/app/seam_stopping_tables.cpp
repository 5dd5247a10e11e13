// Stand-in until the SRIM 2003 table reader is built: says so when the tables are chosen.
#include "app/seams.hpp"
#include "app/session.hpp"

namespace dodavev {

void ApplyStoppingTableChoice(Session& session) {
  if (session.params.RadioButton_ZBL2003) {
    session.messages.Show("reading SRIM 2003 stopping tables is not built yet");
  }
}

}  // namespace dodavev
