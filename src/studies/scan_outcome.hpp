// The end of a scan of depth-resolution runs (optimisation, excitation curve).
#pragma once

#include <string>
#include <string_view>

#include "studies/parallel_scan.hpp"

namespace dodavev {

// The closing line of a scan stopped early: "optimization: stopped after 3 of 10 geometries".
inline std::string ScanStoppedLine(std::string_view what, std::size_t done, int total,
                                   std::string_view unit) {
  return std::string(what) + ": stopped after " + std::to_string(done) + " of " +
         std::to_string(total) + " " + std::string(unit);
}

}  // namespace dodavev
