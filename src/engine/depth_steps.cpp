#include "engine/depth_steps.hpp"

#include <algorithm>
#include <cmath>

#include "engine/setup.hpp"

namespace dodavev {
namespace {

double LayerThickness(const LayerStructure& sample, std::size_t layer) {
  return sample.layers[layer].thickness;
}

// First step in a layer: the nominal step, or the whole layer when it is thinner.
double FirstStepIn(const LayerStructure& sample, std::size_t layer, double nominal) {
  return std::min(nominal, LayerThickness(sample, layer));
}

}  // namespace

std::size_t FirstWalkableLayer(const LayerStructure& sample, std::size_t from) {
  std::size_t i = from;
  while (i < sample.layers.size() && !(sample.layers[i].thickness >= kDepthTolerance))
    ++i;
  return i;
}

bool StartWalk(const LayerStructure& sample, const ElementTable& elements, RunState& run) {
  const std::size_t first = FirstWalkableLayer(sample, 0);
  if (first >= sample.layers.size()) return false;
  run.currentLayer = first;
  run.depth = 0.0;
  run.depthInLayer = 0.0;
  run.cumulativeThickness = 0.0;
  for (std::size_t i = 0; i <= first; ++i)
    run.cumulativeThickness += LayerThickness(sample, i);
  run.step = FirstStepIn(sample, first, run.nominalStep);
  run.targetConcentration =
      TargetConcentration(sample.layers[first], run.targetSymbol, run.mt, elements);
  return true;
}

void ChooseStep(int row, const LayerStructure& sample, double depthmax,
                const ElementTable& elements, RunState& run) {
  if (row == 0) {
    run.depth = 0.0;
    run.step = FirstStepIn(sample, run.currentLayer, run.nominalStep);
    return;
  }
  if (depthmax - run.depth < kDepthTolerance) {
    run.RaiseThreshold(run.depth);
  } else {
    const double rest = LayerThickness(sample, run.currentLayer) - run.depthInLayer;
    if (run.nominalStep <= rest) {
      run.step = run.nominalStep;
    } else if (std::fabs(rest) >= kDepthTolerance) {
      run.step = rest;  // the step ends exactly at the layer boundary
    } else {
      const std::size_t next = FirstWalkableLayer(sample, run.currentLayer + 1);
      if (next >= sample.layers.size()) {
        // The end of the sample; empty layers behind it add no thickness.
        run.RaiseThreshold(run.depth);
      } else {
        for (std::size_t i = run.currentLayer + 1; i <= next; ++i) {
          run.cumulativeThickness += LayerThickness(sample, i);
        }
        run.currentLayer = next;
        run.depthInLayer = 0.0;
        run.targetConcentration =
            TargetConcentration(sample.layers[next], run.targetSymbol, run.mt, elements);
        run.step = FirstStepIn(sample, next, run.nominalStep);
      }
    }
  }
  run.depth += run.step;
  run.depthInLayer += run.step;
}

}  // namespace dodavev
