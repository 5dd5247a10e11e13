// The yield of a nuclear resonance in one depth step of an excitation-curve run.
//
// A slab of the sample in which the beam loses dE_slab (from E_slab + dE_slab down to
// E_slab) yields, per incident ion and steradian, c / S * integral of sigma over
// [E_slab, E_slab + dE_slab] (c the atomic density of the target isotope, S the stopping
// of the beam): the path length dx / sin(alpha) equals dE_slab / S. The beam reaches the
// slab with an energy spread, a Pearson VII distribution of the FWHM and shape the
// resolution calculation reports, so the slab integral is averaged over it.
//
// Resonances are often far narrower than a keV (15N(p,alpha gamma)12C at 429 keV, about
// 0.1 keV wide). The cross section is therefore taken at its own tabulated points (not as a
// mean over a detector channel) and integrated exactly as a piecewise-linear function on a
// mesh that is a twentieth of the resonance width fine at the resonance energy and grows
// with the distance from it; the energy spread is sampled in bins of a twenty-first of its
// width, in which the spread's density is taken as linear and the slab integral is
// integrated exactly. So neither a narrow resonance nor a narrow spread is smeared by a
// bin.
//
// Units: keV, micron, 1e22 atoms/cm3, barn/sr; a yield of 1 is 1e-6 reactions per incident
// ion and steradian (1e22 cm^-3 x 1e-24 cm2 x 1e-4 cm).
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/cross_sections.hpp"
#include "engine/resolution.hpp"
#include "physics/data_range_notes.hpp"

namespace dodavev {

struct Layer;
struct RunInputs;
class ElementTable;

// The integral of a cross section over the incident energy. sigma(E) is sampled on a mesh
// anchored at the resonance energy: spacing `fineKeV` there, a sixteenth of the distance
// further out, at most `coarseKeV` (beyond 1000 x coarseKeV, a thousandth of the
// distance). Between the nodes sigma is taken as linear and integrated exactly. The mesh
// grows as energies are asked for and is the same whatever the order of the questions.
// Energies at or below 0 have no cross section.
class CrossSectionIntegral {
 public:
  using Sigma = std::function<double(double eKeV)>;  // barn/sr at the incident energy
  CrossSectionIntegral(Sigma sigma, double anchorKeV, double fineKeV, double coarseKeV);

  // The running integrals at an energy: C the integral of sigma from the resonance
  // energy, D the integral of C, E the integral of D (sigma 0 beyond the ends of the mesh).
  struct Cumulants {
    double C = 0.0;
    double D = 0.0;
    double E = 0.0;
  };
  Cumulants At(double e);

  // Integral of sigma from a to b (barn/sr keV); negative when b < a.
  double Integral(double a, double b);
  // Mean over [e - bin/2, e + bin/2] of the slab integral G(t) = Integral(t, t + slab).
  double MeanSlabIntegral(double e, double slab, double bin);
  // The same bin's first moment: the mean of (t - e) G(t).
  double SlabMoment(double e, double slab, double bin);
  // Nodes sampled so far (for tests of the mesh's economy).
  std::size_t nodeCount() const { return up_.size() + down_.size(); }

 private:
  struct Node {
    double e = 0.0;
    double sigma = 0.0;
    double C = 0.0;
    double D = 0.0;
    double E = 0.0;
  };
  double Spacing(double distance) const;
  void Cover(double lo, double hi);

  Sigma sigma_;
  double anchor_;
  double fine_;
  double coarse_;
  std::vector<Node> up_;    // anchor first, increasing energy
  std::vector<Node> down_;  // anchor first, decreasing energy, ending at 0 at the lowest
};

// The slab integral averaged over the beam's energy distribution P (Pearson VII of FWHM
// `spread` and shape `shape`): the integral of P(x) G(centre - x) over centre +- 3 spread,
// in bins of spread/21 in which P is taken as linear and G is integrated exactly, so that a
// resonance much narrower than a bin still lands where it lies in the bin. The bins'
// weights are normalised to one (all the beam's ions are counted). A spread not above
// 2e-10 gives the slab integral at the centre. In barn/sr keV.
double SpreadSlabIntegral(CrossSectionIntegral& integral, double centre, double spread,
                          double shape, double slab);

// One target isotope of a layer as the resonance yield counts it.
struct ResonanceIsotope {
  int Z = 0;
  int massNumber = 0;
  double density = 0.0;  // 1e22 atoms/cm3
};

// The isotopes of `layer` that take part, with their atomic densities: NRA and ERD the
// entries of the target element, RBS those heavier (in Z) than the projectile, each
// isotope of mass number within 0.5 of `mt`; forward scattering every isotope of every
// entry. A natural entry counts each isotope with its abundance, an entry with a mass
// number as that one isotope.
std::vector<ResonanceIsotope> ResonanceIsotopes(const Layer& layer, ReactionKind kind,
                                                std::string_view targetSymbol, double mt, int z1,
                                                const ElementTable& elements);

// What the resonance yield of one printed step reads.
struct ResonanceStep {
  double depth = 0.0;     // micron; the surface row yields nothing
  double E = 0.0;         // keV, mean energy of the beam at the end of the step
  double Eprev = 0.0;     // keV, at its start
  double spread = 0.0;    // keV, FWHM of the beam's energy spread over the step
  double shape = 100.0;   // Pearson VII shape of the spread (value 43)
  double stopping = 0.0;  // keV/micron, of the beam at the end of the step
};

// The step's yield for one isotope of density c: c / S times the slab integral from E up
// to Eprev averaged over the beam's spread. Summed over a walk, every slab of the path is
// counted once, and only energies the beam has. 0 at the surface, for no energy loss or no
// stopping.
double IsotopeStepYield(CrossSectionIntegral& integral, const ResonanceStep& step, double c);

// The beam's spread over the step of row `row`: the quadratic mean of the spreads (value 5)
// at the step's two ends, the previous row's and its own (the variance grows linearly over
// a thin step). A spread without a finite positive value counts as 0.
double StepSpread(const ResolutionTable& table, int row);

// The beam's energy distribution reaches up to centre + 3 FWHM (the window the yield sums
// over). A Breit-Wigner resonance of width G holds a fraction G / (2 pi d) of its integral
// below Er - d, so 100 widths below Er leave less than 0.2 % of it uncounted.
inline constexpr double kYieldWindowSpreads = 3.0;
inline constexpr double kResonanceTailWidths = 100.0;

// True when the beam at `energy` keV with the FWHM `spread` lies entirely below the
// resonance at `resonanceKeV` of width `widthKeV`: deeper steps add no yield.
bool BeamBelowResonance(double energy, double spread, double resonanceKeV, double widthKeV);

// The resonance stage of an excitation-curve run: per printed row, the yield of the row's
// step summed over the isotopes of the current layer. The cross sections are those of the
// session's reaction at the run's detection angle, taken at the tabulated points; their
// integrals are kept for the rest of the run, per isotope. One object per run.
class ResonanceHooks : public RunHooks {
 public:
  // `resonanceKeV` and `widthKeV` (the inputs `er` and `fwhm`) set the fine mesh.
  ResonanceHooks(const RunInputs& inputs, double resonanceKeV, double widthKeV);
  ResonanceHooks(const ResonanceHooks&) = delete;  // the integrals note into its own notes
  ResonanceHooks& operator=(const ResonanceHooks&) = delete;
  double ResonanceYield(const RunState& run, int row, const RunResults& results) override;
  const DataRangeNotes* DataNotes() const override { return &notes_; }
  // Past the printed rows the walk goes on until the beam lies entirely below the resonance.
  bool StepsBeyondCount(const RunState& run, int row, const RunResults& results) override;

 private:
  CrossSectionIntegral& IntegralFor(const RunState& run, const ResonanceIsotope& isotope);

  const RunInputs& inputs_;
  double resonance_;
  double width_;
  double fine_;
  CrossSectionChoices choices_;
  DataRangeNotes notes_;  // what the cross-section tables did not cover
  std::map<std::pair<int, int>, CrossSectionIntegral> integrals_;
};

}  // namespace dodavev
