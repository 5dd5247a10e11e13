// The end of a scan of depth-resolution runs (optimisation, excitation curve): what the
// session keeps of it once the scan's own table and report are written.
#pragma once

#include <string>
#include <string_view>

#include "app/session.hpp"
#include "studies/parallel_scan.hpp"

namespace dodavev {

// The session takes the results of the last run done (the charts and the output panel
// show them), hears that the scan was stopped early ("optimization: stopped after 3 of 10
// geometries"), and records the scan's row count and calculation modes. `Result` carries
// the run's results as `results`, a pointer that may be empty.
template <class Result>
void AdoptScanOutcome(Session& session, const ScanOutcome<Result>& outcome, std::string_view what,
                      std::string_view unit, int total, int rowCount, char calcMode,
                      char spectrumFlag) {
  if (!outcome.results.empty() && outcome.results.back().results)
    session.results = *outcome.results.back().results;
  if (outcome.stopped) {
    session.messages.Show(std::string(what) + ": stopped after " +
                          std::to_string(outcome.results.size()) + " of " + std::to_string(total) +
                          " " + std::string(unit));
  }
  session.results.RowCount = rowCount;
  session.results.CalcMode = calcMode;
  session.results.SpectrumFlag = spectrumFlag;
}

}  // namespace dodavev
