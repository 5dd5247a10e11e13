// Cross sections in the R33 exchange format of ion beam analysis data (as the IBANDL
// library and SigmaCalc write them): "Key: value" header lines, a comment that runs from
// "Comment:" to the first blank line, then "Data:" and rows of E, dE, sigma, dsigma, and
// "EndData:". Only excitation functions in the laboratory frame are read: energies in keV,
// cross sections in mb/sr or b/sr ("mb" and "b" stand for the same), or as ratios to the
// Rutherford cross section ("rr"), which are turned into mb/sr with the laboratory
// Rutherford cross section of the file's own reaction (its "Zeds", "Masses" and "Theta").
// The first number of "Enfactors" multiplies the energies, the first of "Sigfactors" the
// cross sections; their further numbers are read and not used.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dodavev {

// The reaction a file states, nuclei in the order incident ion, target, emitted particle,
// residual nucleus (the order of "Masses" and "Zeds").
struct R33Header {
  std::string reaction;  // "Reaction", as written
  bool hasMasses = false;
  bool hasZeds = false;
  std::array<double, 4> masses{};  // amu
  std::array<double, 4> zeds{};
  bool hasTheta = false;
  double theta = 0.0;     // degrees, laboratory
  std::string thetaText;  // the "Theta" value as written (its number)
  int level = 0;          // from the emitted particle of "Reaction", e.g. "p1" is level 1
};

struct R33Read {
  bool ok = false;
  std::string error;  // what is wrong and in which line, when not ok
  R33Header header;
  std::vector<double> energy;  // keV, laboratory, strictly increasing
  std::vector<double> sigma;   // mbarn/sr
};

// True when the text is an R33 file: its first line that is not blank is "Key:" with a
// key of the format, and a line "Data:" or "Nvalues:" follows. The three-header-line
// tables never read as R33.
bool LooksLikeR33(std::string_view text);

// Reads an R33 text. Any fault (an unknown key, a second data block, a missing "EndData:",
// centre-of-mass or angular-distribution data, unknown units, energies out of order or
// repeated, a row that is not four numbers, fewer than two rows) refuses the whole text;
// `energy` and `sigma` are then empty.
R33Read ParseR33Text(std::string_view text);

// Only the header lines, for filling in what a file is about; ok is false (with the
// error) when a header line before the data cannot be read.
R33Read ParseR33Header(std::string_view text);

}  // namespace dodavev
