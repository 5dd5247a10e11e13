// The depth cursor of the resolution walk: where the walk starts in the sample and how long
// each depth step is, so that steps never exceed the nominal step and land exactly on layer
// boundaries.
#pragma once

#include "engine/run_state.hpp"
#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "model/units.hpp"

namespace dodavev {

// Depths and thicknesses closer than this count as equal.
inline constexpr double kDepthTolerance = kZeroTolerance;

// Index of the first layer with a thickness (empty layers hold nothing to walk through);
// the layer count when there is none.
std::size_t FirstWalkableLayer(const LayerStructure& sample, std::size_t from);

// Puts the cursor at the surface: the first walkable layer, no depth, and the cumulative
// thickness of the layers up to it. False when the sample has no thickness at all.
bool StartWalk(const LayerStructure& sample, const ElementTable& elements, RunState& run);

// Chooses depth step `row` (0 = the surface row, which stays at depth 0) and advances the
// depth and the depth in the layer by it. At the maximum depth, or at the end of the last
// layer, the threshold counter is raised and the stop depth set instead; moving into the
// next layer recomputes the target concentration.
void ChooseStep(int row, const LayerStructure& sample, double depthmax,
                const ElementTable& elements, RunState& run);

}  // namespace dodavev
