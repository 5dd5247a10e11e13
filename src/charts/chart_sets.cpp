#include "charts/chart_sets.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "app/session.hpp"
#include "model/units.hpp"
#include "studies/profile.hpp"

namespace dodavev {
namespace {

// Series of a set: title, colour and dash pattern; every titled series is in the legend.
ChartSeries& Titled(Chart& chart, std::size_t index, std::string_view title, ChartColour colour,
                    LineStyle style = LineStyle::Solid) {
  if (chart.series.size() <= index) chart.series.resize(index + 1);
  ChartSeries& s = chart.series[index];
  s.title = std::string(title);
  s.colour = colour;
  s.style = style;
  s.inLegend = true;
  return s;
}

// Points that are not finite numbers cannot be drawn and are left out.
void Add(ChartSeries& s, double x, double y) {
  if (std::isfinite(x) && std::isfinite(y)) s.points.push_back({x, y});
}

void Titles(Chart& chart, std::string_view bottom, std::string_view left) {
  chart.axis(AxisId::Bottom).title = std::string(bottom);
  chart.axis(AxisId::Left).title = std::string(left);
}

void ScaleBottomAndLeft(Chart& chart) {
  ScaleAxisToData(chart, AxisId::Bottom);
  ScaleAxisToData(chart, AxisId::Left);
}

// A row count from the results, kept inside the table it counts.
int RowsWithin(int count, int lowest, int highest) {
  return std::clamp(count, lowest - 1, highest);
}

// One series drawn against `xValue`: y from `yValue` of the resolution table's rows
// 0..RowCount-2 (the last row of a depth walk is not drawn).
struct ResolutionSeries {
  std::string_view title;
  ChartColour colour;
  int value;
};

void DrawResolutionRows(Chart& chart, const Session& session,
                        std::initializer_list<ResolutionSeries> list) {
  const RunResults& r = session.results;
  const int last = RowsWithin(r.RowCount, 0, kResolutionRows) - 2;
  std::size_t index = 0;
  for (const ResolutionSeries& entry : list) {
    ChartSeries& s =
        Titled(chart, index, entry.title, entry.colour, CycledStyle(static_cast<int>(index)));
    for (int row = 0; row <= last; ++row)
      Add(s, r.table.at(row, 1), r.table.at(row, entry.value));
    ++index;
  }
}

// The residuals of a spectrum fit in units of the Poisson spread of the fitted counts, one
// count where fewer were fitted.
void DrawFitResiduals(Chart& chart, const Session& session) {
  const ParameterSet& p = session.params;
  ChartSeries& residuals = Titled(chart, 0, "residuals", colours::kBlue);
  const int first = std::max(session.studies.fitFirstChannel, 1);
  const int last =
      std::min(session.studies.fitLastChannel, session.results.SimulatedSpectrum.channels());
  for (int c = first; c <= last; ++c) {
    const double fitted = session.results.SimulatedSpectrum.Channel(c) * p.detkevch;
    const double r =
        (session.MeasuredSpectrum.Channel(c) - fitted) / std::sqrt(std::max(fitted, 1.0));
    Add(residuals, c, std::isfinite(r) ? r : 0.0);
  }
  Titles(chart, "Channels", "(measured - fitted) / sqrt(fitted)");
}

void DrawSpectrum(Chart& chart, const Session& session) {
  const ParameterSet& p = session.params;
  ChartSeries& measured = Titled(chart, 0, "measured", colours::kBlack);
  ChartSeries& simulated = Titled(chart, 1, "simulated", colours::kBlue);
  ChartSeries& energy = Titled(chart, 2, "simulated", colours::kSilver);
  // The legend names the measured spectrum only when there is one: a file loaded or named,
  // or counts in it.
  measured.inLegend = !p.MeasuredSpectrumFile.empty() ||
                      std::any_of(session.MeasuredSpectrum.begin(), session.MeasuredSpectrum.end(),
                                  [](double counts) { return counts != 0.0; });
  // Carries the energy scale above the channels; nothing of it needs to be seen.
  energy.inLegend = false;
  energy.pointsVisible = false;
  energy.horizontal = AxisId::Top;
  const int channels = session.results.SimulatedSpectrum.channels();
  for (int c = 1; c <= channels; ++c) {
    const auto i = static_cast<std::size_t>(c);
    Add(measured, c, session.MeasuredSpectrum.Channel(c));
    Add(simulated, c, session.results.SimulatedSpectrum[i] * p.detkevch);
    Add(energy, p.dete0 + c * p.detkevch, 0.0);
  }
  Titles(chart, "Channels", "Yield");
  chart.axis(AxisId::Top).title = "Detected energy [keV]";

  // Both axes reach 1.1 x the largest measured value + 1, or 1.1 x the largest simulated
  // one when that is larger.
  auto extentOf = [](const ChartSeries& s, bool horizontal) {
    DataExtent e;
    for (const ChartPoint& pt : s.points) {
      const double v = horizontal ? pt.x : pt.y;
      e.smallest = e.found ? std::min(e.smallest, v) : v;
      e.largest = e.found ? std::max(e.largest, v) : v;
      e.found = true;
    }
    return e;
  };
  for (AxisId axis : {AxisId::Bottom, AxisId::Left}) {
    const bool horizontal = axis == AxisId::Bottom;
    const DataExtent m = extentOf(measured, horizontal);
    const DataExtent s = extentOf(simulated, horizontal);
    double maximum = 1.1 * std::max(m.largest, 0.0) + 1.0;
    maximum = std::max(maximum, 1.1 * s.largest);
    const double minimum = 1.1 * std::min({m.smallest, s.smallest, 0.0});
    SetAxisRange(chart.axis(axis), minimum, maximum);
  }
  const ChartAxis& bottom = chart.axis(AxisId::Bottom);
  SetAxisRange(chart.axis(AxisId::Top), p.dete0 + bottom.minimum * p.detkevch,
               p.dete0 + bottom.maximum * p.detkevch);
}

void DrawAlphaScan(Chart& chart, const Session& session) {
  const StudyResults& st = session.studies;
  const int rows = RowsWithin(st.angleScanRows, 1, AngleScanTable::kRows);
  constexpr std::array<ChartColour, 4> kColours{colours::kBlack, colours::kRed, colours::kGreen,
                                                colours::kYellow};
  for (std::size_t k = 0; k < 4; ++k) {
    ChartSeries& s = Titled(chart, k, DepthSeriesTitle(session.params.dex[k]), kColours[k],
                            CycledStyle(static_cast<int>(k)));
    for (int row = 1; row <= rows; ++row)
      Add(s, st.angleScan.at(row, 1), st.angleScan.at(row, 3 + static_cast<int>(k)));
  }
  Titles(chart, "Alpha [deg]", "Depth resolution [nm]");
  ScaleBottomAndLeft(chart);
}

void DrawOptimum(Chart& chart, const Session& session) {
  const StudyResults& st = session.studies;
  const int rows = RowsWithin(st.bestByDepthRows, 1, BestByDepthTable::kRows);
  ChartSeries& s = Titled(chart, 0, "opt. depth res.", colours::kBlack);
  for (int row = 1; row <= rows; ++row)
    Add(s, st.bestByDepth.at(row, 1), st.bestByDepth.at(row, 2));
  Titles(chart, "Depth [nm]", "Depth resolution [nm]");
  ScaleBottomAndLeft(chart);
}

void DrawEnergyLoss(Chart& chart, const Session& session) {
  const std::vector<EnergyLossRow>& rows = session.energyLossTable.rows;
  const auto count = static_cast<std::size_t>(
      std::clamp(session.results.RowCount, 0, static_cast<int>(rows.size())));
  ChartSeries& stopping = Titled(chart, 0, "Stopping power", colours::kBlack);
  ChartSeries& straggling = Titled(chart, 1, "Straggling", colours::kRed, LineStyle::Dash);
  straggling.vertical = AxisId::Right;
  for (std::size_t i = 0; i < count; ++i) {
    const double depthNm = rows[i].depth * 1000.0;
    Add(stopping, depthNm, rows[i].stopping);
    Add(straggling, depthNm, rows[i].straggling);
  }
  Titles(chart, "Depth [nm]", "Stopping power [keV/micron]");
  chart.axis(AxisId::Right).title = "Straggling [keV]";
  ScaleBottomAndLeft(chart);
}

void DrawTschalar(Chart& chart, const Session& session) {
  const RunResults& r = session.results;
  const int rows = RowsWithin(r.RowCount, 1, kResolutionRows - 1);
  ChartSeries& without = Titled(chart, 0, "without inhomogeneity", colours::kBlack);
  ChartSeries& with = Titled(chart, 1, "with inhomogeneity", colours::kRed, LineStyle::Dash);
  for (int row = 1; row <= rows; ++row) {
    Add(without, r.table.at(row, 3), r.table.at(row, 4));
    Add(with, r.table.at(row, 3), r.table.at(row, 5));
  }
  Titles(chart, "rel. energy loss", "Straggling [keV]");
  ScaleBottomAndLeft(chart);
}

struct ResonanceSeries {
  std::string_view title;
  ChartColour colour;
  int column;
};

// A beam energy below the resonance energy never reaches the resonance: its row has no
// depth and no spreads (columns 3 to 10 all zero), only counts.
bool ResonanceReached(const ResonanceTable& table, int row) {
  for (int column = 3; column <= 10; ++column) {
    if (table.at(row, column) != 0.0) return true;
  }
  return false;
}

// Series of the resonance table against `xColumn`; the depth charts (`reachedOnly`) leave
// out the beam energies that never reach the resonance, which have no depth to draw.
void DrawResonanceColumns(Chart& chart, const Session& session, int xColumn, bool reachedOnly,
                          std::initializer_list<ResonanceSeries> list) {
  const StudyResults& st = session.studies;
  const int rows = RowsWithin(st.resonanceRows, 1, ResonanceTable::kRows);
  std::size_t index = 0;
  for (const ResonanceSeries& entry : list) {
    ChartSeries& s =
        Titled(chart, index, entry.title, entry.colour, CycledStyle(static_cast<int>(index)));
    for (int row = 1; row <= rows; ++row) {
      if (reachedOnly && !ResonanceReached(st.resonance, row)) continue;
      Add(s, st.resonance.at(row, xColumn), st.resonance.at(row, entry.column));
    }
    ++index;
  }
}

}  // namespace

std::vector<ChartSetKind> ChartSetsFor(const Session& session) {
  using K = ChartSetKind;
  switch (session.CalcMode) {
    case CalculationMode::kDepthWalk:
      if ((session.SpectrumFlag == SpectrumMode::kSpectrum ||
           session.SpectrumFlag == SpectrumMode::kFullSpectrum) &&
          session.studies.fitLastChannel > 0) {
        return {K::SpectrumChart, K::FitResiduals};
      }
      if (session.SpectrumFlag == SpectrumMode::kSpectrum ||
          session.SpectrumFlag == SpectrumMode::kFullSpectrum)
        return {K::SpectrumChart};
      return {K::DepthResolution, K::EnergyResolution};
    case CalculationMode::kOptimisation:
      if (std::abs(session.params.theta_min - session.params.theta_max) < kZeroTolerance)
        return {K::AlphaScan};
      return {K::Optimum};
    case CalculationMode::kEnergyLoss:
      return {K::EnergyLoss};
    case CalculationMode::kTschalar:
      return {K::Tschalar};
    case CalculationMode::kExcitationCurve:
      return {K::ExcitationCurve, K::ResonanceDepthResolution, K::ResonanceEnergyResolution};
    case CalculationMode::kNone:
      return {};
  }
  return {};
}

Chart BuildChartSet(const Session& session, ChartSetKind kind) {
  Chart chart = ResetChart(session.parameterFileName);
  switch (kind) {
    case ChartSetKind::SpectrumChart:
      DrawSpectrum(chart, session);
      break;
    case ChartSetKind::DepthResolution:
      DrawResolutionRows(chart, session, {{"depth res.", colours::kBlack, 2}});
      Titles(chart, "Depth [nm]", "Depth resolution [nm]");
      ScaleBottomAndLeft(chart);
      break;
    case ChartSetKind::EnergyResolution:
      DrawResolutionRows(chart, session,
                         {{"energy res.", colours::kBlack, 3},
                          {"beam energy", colours::kRed, 7},
                          {"beam ang.", colours::kGreen, 8},
                          {"geometry", colours::kYellow, 9},
                          {"Doppler", colours::kSilver, 26},
                          {"straggling", colours::kAqua, 10},
                          {"MS in", colours::kMaroon, 11},
                          {"MS out", colours::kOlive, 12},
                          {"Sum without detector", colours::kBlue, 13}});
      Titles(chart, "Depth [nm]", "Energy resolution [keV]");
      ScaleBottomAndLeft(chart);
      break;
    case ChartSetKind::AlphaScan:
      DrawAlphaScan(chart, session);
      break;
    case ChartSetKind::FitResiduals:
      DrawFitResiduals(chart, session);
      ScaleBottomAndLeft(chart);
      break;
    case ChartSetKind::Optimum:
      DrawOptimum(chart, session);
      break;
    case ChartSetKind::EnergyLoss:
      DrawEnergyLoss(chart, session);
      break;
    case ChartSetKind::Tschalar:
      DrawTschalar(chart, session);
      break;
    case ChartSetKind::ExcitationCurve:
      DrawResonanceColumns(chart, session, 2, false, {{"Excitation curve", colours::kBlack, 11}});
      Titles(chart, "Incident energy [keV]", "Yield");
      ScaleAxisToData(chart, AxisId::Left);
      chart.axis(AxisId::Bottom).automatic = true;
      chart.axis(AxisId::Bottom).increment = 0.0;
      break;
    case ChartSetKind::ResonanceDepthResolution:
      DrawResonanceColumns(chart, session, 1, true, {{"Depth res.", colours::kBlack, 10}});
      Titles(chart, "Depth [nm]", "Depth resolution [nm]");
      ScaleBottomAndLeft(chart);
      break;
    case ChartSetKind::ResonanceEnergyResolution:
      DrawResonanceColumns(chart, session, 1, true,
                           {{"total+FWHM", colours::kBlack, 9},
                            {"total", colours::kRed, 8},
                            {"beam energy", colours::kGreen, 4},
                            {"beam angular", colours::kYellow, 5},
                            {"Doppler", colours::kSilver, 3},
                            {"straggling", colours::kAqua, 6},
                            {"MS in", colours::kMaroon, 7}});
      Titles(chart, "Depth [nm]", "Energy resolution [keV]");
      ScaleBottomAndLeft(chart);
      break;
  }
  return chart;
}

std::string_view ChartSetShortName(ChartSetKind kind) {
  switch (kind) {
    case ChartSetKind::SpectrumChart:
      return "spectrum";
    case ChartSetKind::DepthResolution:
      return "depth-resolution";
    case ChartSetKind::EnergyResolution:
      return "energy-resolution";
    case ChartSetKind::AlphaScan:
      return "alpha-scan";
    case ChartSetKind::Optimum:
      return "optimum";
    case ChartSetKind::EnergyLoss:
      return "energy-loss";
    case ChartSetKind::Tschalar:
      return "tschalar-effect";
    case ChartSetKind::ExcitationCurve:
      return "excitation-curve";
    case ChartSetKind::ResonanceDepthResolution:
      return "resonance-depth-resolution";
    case ChartSetKind::ResonanceEnergyResolution:
      return "resonance-energy-resolution";
    case ChartSetKind::FitResiduals:
      return "fit-residuals";
  }
  return "chart";
}

std::string ProfileTitle(const Session& session) {
  const std::string& label = session.params.samplefile;
  return label == "Samplefile" ? std::string("Sample file is not saved") : label;
}

double ProfileMaxDepth(const Session& session) {
  const CalculationMode mode = session.CalcMode;
  const int rows = RowsWithin(session.results.RowCount, 0, kResolutionRows);
  if ((mode == CalculationMode::kDepthWalk || mode == CalculationMode::kOptimisation ||
       mode == CalculationMode::kExcitationCurve) &&
      rows >= 2) {
    const double depthNm = session.results.table.at(rows - 1, 1);
    if (std::isfinite(depthNm) && depthNm > 0.0)
      return ArealDepth(session.sample, depthNm / 1000.0);
  }
  const double depthmax = session.params.depthmax;
  return std::isfinite(depthmax) && depthmax > 0.0 ? ArealDepth(session.sample, depthmax) : 0.0;
}

Chart BuildProfileChart(const Session& session) {
  Chart chart = ResetChart(ProfileTitle(session));
  const double maxDepth = ProfileMaxDepth(session);
  const std::vector<IsotopeProfile> profiles =
      ConcentrationProfiles(session.sample, session.elements, maxDepth);
  for (std::size_t k = 0; k < profiles.size(); ++k) {
    const IsotopeProfile& p = profiles[k];
    const std::string title = "  " + std::to_string(p.isotope.A) + " " + p.isotope.symbol;
    ChartSeries& s = Titled(chart, k, title, DefaultSeriesColour(static_cast<int>(k)),
                            DefaultSeriesStyle(static_cast<int>(k)));
    for (const ProfilePoint& point : p.points)
      Add(s, point.depth, point.concentration);
  }
  Titles(chart, "Depth [at/cm2]", "Concentration");
  SetAxisRange(chart.axis(AxisId::Left), 0.0, 1.1);
  if (maxDepth > 0.0) {
    SetAxisRange(chart.axis(AxisId::Bottom), 0.0, 1.1 * maxDepth);
  } else {
    ScaleAxisToData(chart, AxisId::Bottom);
  }
  return chart;
}

std::string DepthSeriesTitle(double depthNm) {
  char text[64];
  double rounded = depthNm;
  if (std::isfinite(depthNm) && depthNm != 0.0) {
    const int digits = static_cast<int>(std::floor(std::log10(std::abs(depthNm)))) + 1;
    const double scale = std::pow(10.0, 5 - digits);
    rounded = std::nearbyint(depthNm * scale) / scale;
  }
  // More integer digits than the five significant ones: exponent notation.
  if (std::isfinite(rounded) && std::abs(rounded) >= 1e5) {
    std::snprintf(text, sizeof text, "%.4E nm", depthNm);
  } else {
    std::snprintf(text, sizeof text, "%.2f nm", rounded);
  }
  return text;
}

}  // namespace dodavev
