// Steps of "OK" that belong to the reaction, stopping and cross-section code. Each is
// declared here with the signature its own header gives it; the definitions live with
// that code.
#pragma once

namespace dodavev {

struct Session;

// Reads `Edit1_target`, `Edit1_mt`, `Edit1_qm`, `Edit1_level`, `Edit1_z1`, `Edit1_m1`,
// `Edit1_z2`, `Edit1_m2` and `Edit1_th` into their numeric fields, sets the analysis kind
// and the reaction labels, and reports its own errors.
void IdentifyReaction(Session& session);

// Run by every "OK": loads the SRIM 2003 tables of the checked stopping-list entries when
// `RadioButton_ZBL2003` is checked (the callee reads the choice).
void ApplyStoppingTableChoice(Session& session);

// Run by every "OK": releases the cross-section data of the previous run and loads the
// checked files of the lists when the choices ask for them (the callee reads the choices).
void LoadCrossSectionFiles(Session& session);

}  // namespace dodavev
