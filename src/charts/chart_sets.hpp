// The chart sets of each calculation, built from the session's last results: which sets a
// calculation has (`CalcMode` and `SpectrumFlag` choose them), and each set's series, axis
// titles and ranges. Also the isotope concentration profile of the sample.
#pragma once

#include <string_view>
#include <vector>

#include "charts/chart_model.hpp"

namespace dodavev {

struct Session;

enum class ChartSetKind {
  SpectrumChart,
  DepthResolution,
  EnergyResolution,
  AlphaScan,
  Optimum,
  EnergyLoss,
  Tschalar,
  ExcitationCurve,
  ResonanceDepthResolution,
  ResonanceEnergyResolution,
  FitResiduals,  // (measured - fitted) / sqrt(fitted) over the channels of a spectrum fit
};

// The sets of the last calculation in the order "Next" shows them; none before the first
// calculation (`CalcMode` kNone) or for a mode without charts.
std::vector<ChartSetKind> ChartSetsFor(const Session& session);

// A reset chart (titled with the parameter-file path) with one set drawn.
Chart BuildChartSet(const Session& session, ChartSetKind kind);

// Short name of a set for file names ("depth-resolution", "spectrum", ...).
std::string_view ChartSetShortName(ChartSetKind kind);

// The chart title of the isotope profile: the sample file's name, or "Sample file is not
// saved" when the sample text never came from or went to a file.
std::string ProfileTitle(const Session& session);

// Deepest point of the last calculation in atoms/cm2 of the sample: the depth of the last
// row of the resolution table, or the maximum depth input when no depth walk left rows.
double ProfileMaxDepth(const Session& session);

// The isotope concentration profile ("Profile"): one series per isotope of the sample.
Chart BuildProfileChart(const Session& session);

// Title of an alpha-scan series: the depth in nm with 2 decimals after rounding to 5
// significant digits (exponent notation for depths of 100000 nm and more), then " nm".
std::string DepthSeriesTitle(double depthNm);

}  // namespace dodavev
