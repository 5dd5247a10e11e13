// The session's tabulated cross sections: loaded by "OK" from the checked file-list
// entries, and listed by the output panel's "test" button.
#pragma once

namespace dodavev {

struct Session;

// Empties the session's three lists and reads the checked files of each list whose choice
// asks for tabulated data (non-Rutherford elastic scattering, non-Rutherford recoils,
// reactions "From Files"). Every entry or file that cannot be used is reported and left out.
void LoadCrossSectionFiles(Session& session);

// The "test" button of the output panel: the listing for the session's reaction at `th`
// (degrees in the inputs) replaces the report text; what the files did not cover is said.
void CrossSectionTestListing(Session& session);

}  // namespace dodavev
