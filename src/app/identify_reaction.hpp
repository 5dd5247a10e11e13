// The reaction identification of the session's inputs: the reaction fields read into
// numbers, the kind of analysis and the labels the pages show.
#pragma once

namespace dodavev {

struct Session;

// Reads the reaction fields of the inputs into the numbers (`z1`, `m1`, `z2`, `m2`, `th`,
// `mt`, `qm`, `level`, `target`), sets the kind and the three labels. A field that cannot
// be read takes its default value; one "reaction is not well defined" is shown for any
// number of bad fields.
void IdentifyReaction(Session& session);

}  // namespace dodavev
