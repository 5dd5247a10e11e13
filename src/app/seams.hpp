// Steps of "OK" that belong to the stopping and cross-section code, declared here with the
// signatures their own headers give them; the definitions live with that code.
#pragma once

namespace dodavev {

struct Session;

// Run by every "OK": loads the SRIM 2003 tables of the checked stopping-list entries when
// `RadioButton_ZBL2003` is checked (the callee reads the choice).
void ApplyStoppingTableChoice(Session& session);

// Run by every "OK": releases the cross-section data of the previous run and loads the
// checked files of the lists when the choices ask for them (the callee reads the choices).
void LoadCrossSectionFiles(Session& session);

}  // namespace dodavev
