// Every input of a calculation, as the texts and switches the user edits, and the
// numeric values "OK" derives from them.
#pragma once

namespace dodavev {

struct ParameterSet {};

}  // namespace dodavev
