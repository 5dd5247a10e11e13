// Which stopping data every element of every layer takes, for the incident ion and the
// detected particle: the ZBL-92 formulas, or a SRIM table read from the stopping list
// (a SRIM 2003 all-element table or an SR module table), with the ZBL-92 formulas beyond
// the table's energies.
#pragma once

#include <string>

namespace dodavev {

struct Session;
struct LayerStructure;
struct SrimTableSet;
class ElementTable;

// One line: "stopping data for HE: sample layer 1: SI SRIM table 10-10000 keV, O  ZBL-92
// (no table); absorber layer 1: AL ZBL-92 (no table)". Without tables chosen every element
// takes ZBL-92 and the line says so.
std::string StoppingSourcesLine(int ionZ, const LayerStructure& sample,
                                const LayerStructure& absorber, const SrimTableSet* tables,
                                const ElementTable& elements);

// After the tables are loaded with "ZBL 2003 from files" chosen: shows the line of the
// incident ion and (when another) of the detected particle, so the user sees where each
// element of each layer finds its data. The lines are shown again only when they change
// (another sample, absorber, particle or table), not at every "OK". With "ZBL '95" every
// element takes ZBL-92 and nothing is shown.
void ReportStoppingSources(Session& session);

// The "OK" step for the stopping source: loads the tables when "ZBL 2003 from files"
// (`RadioButton_ZBL2003`) is chosen.
void ApplyStoppingTableChoice(Session& session);

}  // namespace dodavev
