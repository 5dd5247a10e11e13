// The two fixed-width text reports of the depth and energy resolution calculation: the main
// report (energies and every energy-spread contribution per depth step) and the detail
// report (straggling and multiple-scattering quantities per step). 8-bit text, CR LF line
// ends; the detail header carries two Windows-1252 bytes (0xC1, 0xBA).
#pragma once

#include <string>

#include "engine/run_state.hpp"
#include "model/run_results.hpp"

namespace dodavev {

// `value` rounded to `significant` significant digits and written in fixed notation with
// `decimals` decimals; a value with more integer digits than significant digits is written
// in exponent notation ("1.23E+04").
std::string FormatSignificant(double value, int significant, int decimals);

// "REFLECTION GEOMETRY" / "TRANSMISSION GEOMETRY", the angles (degrees) and the four column
// header lines.
std::string MainReportHeader(char geometryKind, double thetaDeg, double alphaDeg);

// The angles (degrees), the particles and the three column header lines.
std::string DetailReportHeader(double alphaDeg, double thetaDeg, double beta1Deg, double beta2Deg,
                               double z1, double m1, double z2, double m2);

// One line of each report for a row of the resolution table.
std::string MainReportLine(const ResolutionTable::Row& row);
std::string DetailReportLine(const ResolutionTable::Row& row);

// How the walk ended, for its closing lines.
struct WalkEnd {
  double stopDepth = 0.0;                      // micron
  StepProblem ErrorCode = StepProblem::kNone;  // why the rows stopped
  double cumulativeThickness = 0.0;            // micron, layers entered so far
  double depthmax = 0.0;                       // micron
  double detectedEnergy = 0.0;                 // keV, E_det of the last step
  double thr = 0.0;                            // keV
};

// The reason an error code stands for ("error > 1000% ", "ctg(alpha) ", ...); empty for 0.
std::string ErrorReason(StepProblem problem);

// "the max. probing depth = ... nm" and "The calculation was finished: " with the reason.
std::string ClosingLines(const WalkEnd& end);

// The line written when the walk ran its 200 steps without stopping at a depth.
std::string SublayerLimitLine();

}  // namespace dodavev
