// Stand-in until the cross-section file loader is built: says so when files are chosen.
#include "app/seams.hpp"
#include "app/session.hpp"

namespace dodavev {

void LoadCrossSectionFiles(Session& session) {
  if (session.params.RadioButton_ESS_NonRutherford) {
    session.messages.Show("reading cross-section files is not built yet");
  }
}

}  // namespace dodavev
