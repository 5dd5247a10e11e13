// What one run of the depth walk reads, and nothing more: the numbers of the inputs after
// "OK" and the reaction identification, the switches of the Options, Stopping powers,
// Cross sections and Simulation pages, the start-up tables, the sample and the absorber,
// the kind of analysis and the tabulated cross sections. The session builds it for each
// calculation (app/run_inputs_of.hpp); the runs, the set-up and the studies take it and
// never see the window's texts or another run's state.
//
// The tables are held by reference: they belong to the session, which outlives every run
// of its calculations, and a run only reads them.
#pragma once

#include <filesystem>

#include "engine/contributions.hpp"
#include "engine/cross_sections.hpp"
#include "engine/reaction_identification.hpp"
#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "model/parameter_set.hpp"
#include "model/physics_tables.hpp"
#include "physics/srim_tables.hpp"
#include "physics/stopping.hpp"
#include "physics/straggling.hpp"

namespace dodavev {

// The page switches a run reads.
struct RunSwitches {
  ContributionOptions contributions;  // energy-spread contributions of the Options page
  TransportOptions transport;         // straggling, its corrections, multiple scattering
  CrossSectionChoices crossSections;  // the Cross sections page
  bool srimTablesChosen = false;      // "ZBL 2003 from files"
  bool nuclearStoppingLight = false;  // "nuclear stopping for H and He ions"
};

struct RunInputs {
  const ParameterValues& params;
  RunSwitches switches;
  const ElementTable& elements;
  const PhysicsTables& tables;
  const SrimTableSet& srimTables;
  const LayerStructure& sample;
  const LayerStructure& absorber;
  ReactionInfo reaction;
  const CrossSectionData& crossSections;
  std::filesystem::path levDir;  // start-up data directory, for the level files
};

// The stopping source of the inputs (no notes).
inline StoppingModel StoppingModelOf(const RunInputs& inputs) {
  return StoppingModel{inputs.elements, &inputs.srimTables, inputs.switches.srimTablesChosen,
                       inputs.switches.nuclearStoppingLight};
}

}  // namespace dodavev
