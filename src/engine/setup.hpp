// The preparation every calculation built on the depth-resolution engine runs first: the
// reaction identified again, the beam energy of the study, the nuclear levels of the
// residual nucleus, and per run the engine geometry (exit angles, detector acceptances,
// derivative factors), the target isotope and the kinematics.
//
// Angles are degrees in the parameter set and radians in a run; they are converted here and
// nowhere else, and the parameter set is never changed by a run.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reaction_identification.hpp"
#include "engine/run_state.hpp"
#include "model/units.hpp"

namespace dodavev {

class MessageSink;
class RunHooks;
class ElementTable;
struct RunInputs;
struct ParameterValues;

// Most outward-path steps a spectrum or resonance walk takes, over all its depths, before it
// stops past its printed rows and says so (some 15 s of one core): each deeper step walks its
// emitted particle out through everything above it, so tiny steps under a thick layer would
// take hours.
inline constexpr long long kMaxOutwardSteps = 100000000;

// What a caller asks of one run of the depth walk. The studies set their own modes and may
// replace the angles, the beam energy or (full spectrum) the target isotope.
struct RunRequest {
  CalculationMode CalcMode = CalculationMode::kDepthWalk;  // kNone: no particle reaches
  SpectrumMode SpectrumFlag = SpectrumMode::kResolution;
  std::optional<double> alphaDeg;  // incidence angle instead of `a`
  std::optional<double> thetaDeg;  // detection angle instead of `th`
  std::optional<double> e0;        // keV, incident energy instead of `e0`
  // Full spectrum (kFullSpectrum): the target element symbol (as typed or stored) and mass number
  // the caller prepared.
  std::string fullSpectrumTarget;
  double fullSpectrumMass = 0.0;
  // Full spectrum at forward angles: the recoils ('E') or the forward-scattered projectiles
  // ('F') of the isotope instead of the identified kind of analysis.
  std::optional<ReactionKind> kind;
  // MeV, level 0 first: the levels of the residual nucleus of a nuclear reaction, read by
  // the set-up from its level file.
  std::vector<double> levelEnergies;
  RunHooks* hooks = nullptr;  // spectrum and resonance stages of the studies; none: no-ops
  // The report texts of the run; a run whose reports nobody reads (all isotope runs of a
  // full spectrum but the one it shows) leaves them empty and skips their formatting.
  bool reports = true;
  // Outward steps the walk may take over all its depths (a test asks for fewer).
  long long maxOutwardSteps = kMaxOutwardSteps;
  // Asked before every depth step; true ends the walk there, with the rows done so far and
  // `RunResults::stopped` set (the window's Stop). None: the walk runs to its own end.
  std::function<bool()> stopRequested;
};

// Shape factor of a slit or diaphragm: FWHM^2 of the angular distribution per width^2,
// 2.35^2/16 for a circular one ('C') and 2.35^2/12 for a rectangular one (anything else).
double ShapeFactor(char shape);

// What the engine geometry is computed from; angles in radians, sizes and distance in mm.
struct GeometryInputs {
  double alpha = 0.0;
  double theta = 0.0;
  char position = 'C';  // 'I' IBM; every other position is taken as Cornell
  char detShape = 'C';
  double detWidth = 0.0;
  double detLength = 0.0;
  char beamShape = 'R';
  double beamWidth = 0.0;
  double beamLength = 0.0;
  double distance = 0.0;
};

// The geometry inputs of a parameter set at the given angles (radians). A circular beam
// slit is as long as it is wide, whatever its hidden length field holds.
GeometryInputs GeometryInputsOf(const ParameterValues& p, double alpha, double theta);

// Exact-to-linear factor of the outgoing path length 1/sin(beta) over the edge
// beta + edgeSign * delta / 2 of an acceptance delta: the linear change over the exact one.
// 1 when the cosine of beta is 1e-4 or less, or the exact change vanishes.
double ExactToLinearFactor(double beta, double delta, int edgeSign);

// Exit angles, sines and cosines, acceptances, derivative factors, exact-to-linear factors
// and multiple-scattering caps.
EngineGeometry ComputeEngineGeometry(const GeometryInputs& in);

// Why a geometry cannot be walked; empty when it can. The beam must enter the sample
// (0 < alpha < 180 degrees) and the emitted particles must leave it towards the detector
// (both exit-angle sines positive).
std::string GeometryProblem(const EngineGeometry& g);

// Atomic fraction of the target isotope (symbol, mass number mt) in one layer: an entry
// with an explicit mass number counts when it equals mt rounded, a natural entry with the
// abundance of its isotope of that mass number (0 when it has none). A later matching
// entry replaces an earlier one.
double TargetConcentration(const Layer& layer, std::string_view targetSymbol, double mt,
                           const ElementTable& elements);

// ---- Nuclear levels --------------------------------------------------------------------

// Levels read from a level file: first line the number of levels, then one excitation
// energy (MeV) per line, ground state first.
struct LevelFile {
  int status = 0;  // 0, the input/output code of an unreadable file (2 = not found), or
                   // kInvalidNumericFormat for a malformed one
  std::vector<double> energies;  // the levels read before any problem
  std::string problem;           // for the user when status is not 0
};

// Most levels accepted from one file; a count beyond it is a malformed file.
inline constexpr int kMaxLevels = 10000;

LevelFile ParseLevelText(std::string_view text);
LevelFile ReadLevelFile(const std::filesystem::path& path);

// Level-file name of the residual nucleus: its stored two-character symbol followed by the
// rounded mass number and ".lev" ("C 13.lev", "SI28.lev"); empty for an atomic number the
// element table does not hold or a mass number below 1.
std::string LevelFileName(const ElementTable& elements, int zResidual, double mResidual);

// ---- Set-up ----------------------------------------------------------------------------

// The set-up of a calculation, run after "OK" and the reaction identification: puts the
// resonance energy in place of the beam energy for an excitation curve ('R'), reads the
// levels of the residual nucleus of a nuclear reaction (a missing or malformed level file
// is reported once; the calculation goes on without its levels), switches the mode to kNone
// for forward scattering beyond the largest angle, and prepares `run` as the walk will.
void PrepareCalculation(const RunInputs& inputs, RunRequest& request, RunState& run,
                        MessageSink& messages);

// The run-level preparation shared by the set-up and the walk: modes, beam energy and
// angles of the request in radians, the target isotope and the emitted particle (taken
// from the request in full-spectrum mode), the engine geometry, the kinematics at the
// beam energy and the cleared walk state. Returns false when a full-spectrum target
// cannot be backscattered (lighter than the emitted particle).
bool PrepareRun(const RunInputs& inputs, const RunRequest& request, RunState& run);

}  // namespace dodavev
