// What one run of the depth-resolution engine leaves behind: the per-step table, the two
// report texts and the simulated spectrum. A run fills its own copy; the session keeps the
// results of the last run for saving, charts and the studies that read them.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/calculation_mode.hpp"

namespace dodavev {

inline constexpr int kResolutionRows = 200;
inline constexpr int kResolutionValues = 50;
// Detector channels of a spectrum: the input "number of channels", 600 unless set.
inline constexpr int kDefaultSpectrumChannels = 600;
inline constexpr int kMaxSpectrumChannels = 16384;

// The values of one step of the walk, by the numbers the report, the charts and the table
// files print them under. Energies keV, spreads FWHM keV, angles degrees.
enum class Step : int {
  kDepthNm = 1,               // depth of the step, nm
  kResolutionNm = 2,          // depth resolution: the spread at the detector over S eff, nm
  kDetectedSpread = 3,        // energy spread at the detector with its resolution
  kIonEnergy = 4,             // incident ion just before the reaction
  kIonSpread = 5,             // energy spread of the incident ion at the depth
  kIonAngleSpread = 6,        // angular spread of the incident ion at the depth
  kBeamEnergySpread = 7,      // contribution of the beam energy spread
  kBeamAngleSpread = 8,       // contribution of the beam angular spread
  kGeometricSpread = 9,       // contribution of the detector acceptance
  kStragglingSpread = 10,     // contribution of the energy straggling
  kMsInSpread = 11,           // contribution of the multiple scattering on the way in
  kMsOutSpread = 12,          // contribution of the multiple scattering on the way out
  kTotalSpread = 13,          // all contributions but the detector
  kLinearError = 14,          // %, error of the linearised treatment
  kBeamEnergyCarried = 15,    // beam energy spread times the inward transfer factor
  kStragglingIn = 16,         // straggling FWHM of the inward path
  kStragglingOut = 17,        // straggling FWHM of the outward path
  kMsInThickness = 18,        // reduced thickness of the inward path
  kMsInHalfAngle = 19,        // half-width angle of the inward multiple scattering
  kMsInExponentInverse = 20,  // 1 / nu of the inward angular distribution
  kMsInQ1 = 21,               // inward distribution parameters in the two planes
  kMsInP1 = 22,
  kMsInRatio1 = 23,
  kMsInQ2 = 24,
  kMsInP2 = 25,
  kDopplerSpread = 26,   // contribution of the thermal motion of the target atoms
  kMsOutThickness = 27,  // the same for the outward path
  kMsOutHalfAngle = 28,
  kMsOutExponentInverse = 29,
  kMsOutQ1 = 30,
  kMsOutP1 = 31,
  kMsOutRatio1 = 32,
  kMsOutQ2 = 33,
  kMsOutP2 = 34,
  kMsOutRatio2 = 35,
  kSeff = 36,            // effective stopping factor, keV/nm
  kTransferIn = 37,      // stopping-ratio transfer factor of the inward path
  kTransferOut = 38,     // the same of the outward path
  kDetectedEnergy = 39,  // mean energy at the detector
  kYield = 40,           // counts of the step (spectrum and resonance walks)
  kShapeTotal = 41,      // shape parameter of the total ("m res")
  kShapeMsIn = 42,       // shape parameters of the inward multiple scattering,
  kShapeIon = 43,        //   of the incident ion's energy distribution,
  kEdgePlus = 44,        // upper edge of the detected distribution
  kEdgeShape = 45,       // shape parameter of the edges
  kShapeMsOut = 46,      // shape parameter of the outward multiple scattering
  kGaussianPart = 47,    // Gaussian part of the total, without the detector
  kTotalCorrected = 48,  // total with the lateral-spread corrections
  kEdgeMinus = 49,       // lower edge of the detected distribution
};

// Row r (0..199) holds the values of depth step r. Values are addressed by their report
// numbers 1..50; slot 0 of a row is unused.
//
// A spectrum or resonance walk goes on past the 200 printed rows to its own stop. Its
// further steps r = 200, 201, ... are held in two rolling rows (step r in slot r mod 2), so
// that the studies read a step and the one before it as they read the printed rows, without
// a table growing with the walk; no report, chart or count ever reads them.
class ResolutionTable {
 public:
  using Row = std::array<double, kResolutionValues + 1>;
  double& at(int row, int value) { return Slot(row).at(Index(value)); }
  double at(int row, int value) const { return Slot(row).at(Index(value)); }
  double& at(int row, Step value) { return at(row, static_cast<int>(value)); }
  double at(int row, Step value) const { return at(row, static_cast<int>(value)); }
  const Row& row(int r) const { return Slot(r); }
  void Clear() {
    rows_ = {};
    rolling_ = {};
  }

 private:
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  Row& Slot(int r) { return r < kResolutionRows ? rows_.at(Index(r)) : rolling_.at(Index(r % 2)); }
  const Row& Slot(int r) const {
    return r < kResolutionRows ? rows_.at(Index(r)) : rolling_.at(Index(r % 2));
  }
  std::array<Row, kResolutionRows> rows_{};
  std::array<Row, 2> rolling_{};
};

// Counts by detector channel: channel c (1..channels()) at index c. Index 0 holds channel 0,
// the energies just above dete0, which is not part of the recorded spectrum. The channel
// count is fixed at construction (clamped to 1..kMaxSpectrumChannels); a default spectrum
// has 600 channels.
class Spectrum {
 public:
  Spectrum() : Spectrum(kDefaultSpectrumChannels) {}
  explicit Spectrum(int channels)
      : values_(static_cast<std::size_t>(std::clamp(channels, 1, kMaxSpectrumChannels)) + 1, 0.0) {}

  int channels() const { return static_cast<int>(values_.size()) - 1; }
  std::size_t size() const { return values_.size(); }  // channels() + 1
  double& operator[](std::size_t i) { return values_[i]; }
  double operator[](std::size_t i) const { return values_[i]; }
  double& at(std::size_t i) { return values_.at(i); }
  double at(std::size_t i) const { return values_.at(i); }
  // Content of channel c, 0 for a channel the spectrum does not have.
  double Channel(int c) const {
    return c >= 0 && c <= channels() ? values_[static_cast<std::size_t>(c)] : 0.0;
  }
  void fill(double v) { std::fill(values_.begin(), values_.end(), v); }
  double* data() { return values_.data(); }
  const double* data() const { return values_.data(); }
  double* begin() { return values_.data(); }
  double* end() { return values_.data() + values_.size(); }
  const double* begin() const { return values_.data(); }
  const double* end() const { return values_.data() + values_.size(); }
  bool operator==(const Spectrum&) const = default;

 private:
  std::vector<double> values_;
};

struct RunResults {
  ResolutionTable table;
  int RowCount = 0;
  std::string mainReport;    // becomes the OutputLog text
  std::string detailReport;  // straggling and multiple-scattering table
  Spectrum SimulatedSpectrum{};
  // Resonance yield (value 40) of the steps an excitation-curve walk took past its printed
  // rows; the counts of the curve include it.
  double yieldBeyondRows = 0.0;
  int stepsWalked = 0;   // depth steps evaluated, printed or not
  bool stopped = false;  // stopped from outside before the walk's own end
  CalculationMode CalcMode = CalculationMode::kDepthWalk;
  SpectrumMode SpectrumFlag = SpectrumMode::kResolution;
};

}  // namespace dodavev
