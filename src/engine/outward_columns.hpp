// The first stretch of the outward path in reflection, from the reaction point up to the top
// of the layer it lies in, for the depth walk of one spectrum run.
//
// A particle emitted m whole steps below the top of a layer takes m steps up through it, and
// the state of its walk after those m steps depends on nothing but its starting energy and
// m. So one walk from a starting energy E, kept after every step, serves every depth of the
// layer: the columns are such walks from starting energies on a grid uniform in ln E, each
// walked further when a deeper reaction point needs it, and a particle emitted at E0 takes
// the six-point Lagrange interpolation in ln E between the six columns around E0. A walk of
// N depth steps in a layer then costs some tens of columns of at most N steps instead of
// N^2/2 outward steps. The layers above are walked as before.
//
// The columns belong to one run: they are filled as its walk goes deeper, and never shared.
#pragma once

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

#include "engine/outward_walk.hpp"

namespace dodavev {

class OutwardColumns {
 public:
  // Spacing of the starting energies in ln E.
  static constexpr double kLogStep = 0.01;

  // Most walker states the columns of one run keep (some 80 MB); a walk that would need
  // more is taken step by step from there on.
  static constexpr std::size_t kDefaultMaxStates = 500000;

  // The columns of the emitted particle of `context` in its sample layers; `context` must
  // outlive them.
  explicit OutwardColumns(const PathContext& context, std::size_t maxStates = kDefaultMaxStates)
      : context_(context), maxStates_(maxStates) {}

  // Sets `w` (energy, path and multiple-scattering state) to that of a particle emitted at
  // `e0` keV at `depthInLayer` micron below the top of sample layer `li`, after its walk up
  // to the layer's top in steps of `stepLength` micron with the outward factor `f`. False,
  // and `w` unchanged, where the columns do not hold it: a depth that is not a whole number
  // of steps, an energy or a step the grid has no room for, or a column that had to stop
  // before that many steps (threshold, no stopping, missing multiple-scattering tables).
  bool After(std::size_t li, double depthInLayer, double e0, double stepLength, double f,
             OutwardWalker& w);

 private:
  struct Column {
    OutwardWalker walker;               // where the walk has got to
    std::vector<OutwardWalker> states;  // after 1, 2, ... steps
    bool stopped = false;
  };
  Column& ColumnAt(std::size_t li, long node);
  // Walks `c` on until it holds `steps` states or stops; true when it holds them.
  bool Extend(Column& c, std::size_t li, std::size_t steps);

  const PathContext& context_;
  std::size_t maxStates_;
  std::size_t states_ = 0;  // kept by all columns
  double step_ = 0.0;       // micron, of the first call: a run has one step length and one factor
  double f_ = 0.0;
  std::map<std::pair<std::size_t, long>, Column> columns_;
};

}  // namespace dodavev
