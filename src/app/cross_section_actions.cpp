#include "app/cross_section_actions.hpp"

#include <numbers>

#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "engine/cross_sections.hpp"
#include "physics/data_range_notes.hpp"

namespace dodavev {

void LoadCrossSectionFiles(Session& session) {
  LoadCrossSectionFiles(session.params.registry, ChoicesFromParameters(session.params),
                        session.elements, session.crossSections, session.messages);
}

void CrossSectionTestListing(Session& session) {
  const double theta = session.params.th * (std::numbers::pi / 180.0);
  DataRangeNotes notes(&session.elements);
  const RunInputs inputs = RunInputsOf(session);
  session.OutputLog =
      CrossSectionListing(CrossSectionRequestOf(inputs, theta), inputs.switches.crossSections,
                          session.crossSections, &notes);
  notes.Show(session.messages);
}

}  // namespace dodavev
