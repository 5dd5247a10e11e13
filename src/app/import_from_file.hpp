// What a chosen data file says about itself goes into the import panel: the particles,
// angle and level of an R33 cross-section file (its "Zeds", "Masses", "Theta" and
// "Reaction" lines), the ion of a stopping table from SRIM's SR module. The user can
// still change every input before "OK".
#pragma once

#include <string_view>

#include "engine/registry_entries.hpp"

namespace dodavev {

// Fills the inputs `list` shows from the text of a data file; inputs the file does not
// state stay as they are. Returns true when the text was an R33 file or an SR module
// table whose header could be read.
bool FillImportPanelFromText(RegistryList list, std::string_view text, ImportPanel& panel);

// The same for the file named in `panel.Edit1_filename`; a file that cannot be read
// changes nothing.
bool FillImportPanelFromFile(RegistryList list, ImportPanel& panel);

}  // namespace dodavev
