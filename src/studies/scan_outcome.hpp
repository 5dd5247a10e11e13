// The end of a scan of depth-resolution runs (optimisation, excitation curve): what the
// session keeps of it once the scan's own table and report are written.
#pragma once

#include <string>
#include <string_view>

#include "app/session.hpp"
#include "studies/parallel_scan.hpp"

namespace dodavev {

// The closing line of a scan stopped early: "optimization: stopped after 3 of 10 geometries".
inline std::string ScanStoppedLine(std::string_view what, std::size_t done, int total,
                                   std::string_view unit) {
  return std::string(what) + ": stopped after " + std::to_string(done) + " of " +
         std::to_string(total) + " " + std::string(unit);
}

// The session takes the results of the last run done (the charts and the output panel
// show them), hears that the scan was stopped early (ScanStoppedLine, also the closing line
// of the report, so that a saved report does not read as a complete scan), and records the
// scan's row count and calculation modes. `Result` carries the run's results as `results`,
// a pointer that may be empty.
template <class Result>
void AdoptScanOutcome(Session& session, const ScanOutcome<Result>& outcome, std::string_view what,
                      std::string_view unit, int total, int rowCount, char calcMode,
                      char spectrumFlag) {
  if (!outcome.results.empty() && outcome.results.back().results)
    session.results = *outcome.results.back().results;
  if (outcome.stopped) {
    const std::string line = ScanStoppedLine(what, outcome.results.size(), total, unit);
    session.OutputLog += line + "\r\n";
    session.messages.Show(line);
  }
  session.results.RowCount = rowCount;
  session.results.CalcMode = calcMode;
  session.results.SpectrumFlag = spectrumFlag;
}

}  // namespace dodavev
