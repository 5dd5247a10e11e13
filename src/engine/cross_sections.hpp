// Differential cross sections of the reaction at the detection angle, as functions of the
// incident energy: Rutherford in the laboratory frame (optionally screened), the
// helium-on-hydrogen recoil fits, tabulated cross sections from the user's data files and
// a constant for nuclear reactions; and their means over energy intervals.
//
// Units: barn/sr for the cross sections the selector returns, mbarn/sr for tabulated
// values; energies MeV where a function says so, keV otherwise; angles radians unless a
// name says degrees.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reaction_identification.hpp"

namespace dodavev {

struct RunInputs;
struct DataFileRegistry;
class MessageSink;
struct ParameterSet;
class ElementTable;
class DataRangeNotes;

// e^2 squared in barn MeV^2: (1.43996448 MeV fm)^2 = 0.0207350 (CODATA 2018 e^2/(4 pi eps0)).
inline constexpr double kRutherfordConstant = 0.0207350;

// ---- Rutherford and screening ----------------------------------------------------------

enum class Screening { kNone, kLEcuer };

// The screening box: "L'Ecuer screening" screens, every other text does not.
Screening ScreeningFromText(std::string_view comboText);

// L'Ecuer: F = 1 - 0.049 Z1 Z2^(4/3) / E_cm[keV], never below 0 (at centre-of-mass
// energies so low that the correction would exceed the cross section itself).
double ScreeningFactor(Screening screening, int z1, int z2, double targetMass,
                       double projectileMass, double eMeV);

// Laboratory Rutherford cross section (barn/sr). Scattering ('R', 'F'): `struckMass` is
// the target mass, `z2` its atomic number; recoils ('E'): `struckMass` is the recoil mass
// and theta the recoil angle. Other kinds, and angles with no finite or no real value
// (no recoil at 90 degrees or beyond, scattering beyond the largest angle, zero angle): 0.
double RutherfordCrossSection(ReactionKind kind, int z1, int z2, double struckMass,
                              double projectileMass, double eMeV, double theta,
                              Screening screening);

// ---- Helium recoil fits for hydrogen isotopes ------------------------------------------

enum class HeErdFit { kPrompt, kRutherford, kQuillet, kBenenson, kMerovan };

// The fit chosen in a special-fitting box; texts that are no item (the prompt) give kPrompt.
HeErdFit HeErdFitFromText(std::string_view comboText);

// p(4He,p)4He fits (barn/sr) for E in MeV and the recoil angle in degrees; `rutherford`
// is the (screened) Rutherford recoil value at that energy. Negative fit values are 0.
double QuilletProton(double eMeV, double thetaDeg, double rutherford);
double BenensonProton(double eMeV, double thetaDeg, double rutherford);
double MerovanProton(double eMeV, double thetaDeg);
// d(4He,d)4He (barn/sr).
double QuilletDeuteron(double eMeV, double thetaDeg);

// ---- Tabulated cross sections ----------------------------------------------------------

// Which reaction a table belongs to: particles, angle (degrees) and level.
struct CrossSectionKey {
  int incidentZ = 0;
  double incidentMass = 0.0;
  int targetZ = 0;
  double targetMass = 0.0;
  int productZ = 0;
  double productMass = 0.0;
  double angle = 0.0;  // degrees
  int level = 0;
};

// One data file: points of increasing energy and the running integral of the cross
// section over energy from the first point (trapezoid rule).
struct CrossSectionDataSet {
  CrossSectionKey key;
  std::string description;  // the registry entry before its file name
  std::filesystem::path file;
  double lowestEnergy = 0.0;     // keV
  double highestEnergy = 0.0;    // keV
  std::vector<double> energy;    // keV, strictly increasing
  std::vector<double> sigma;     // mbarn/sr
  std::vector<double> integral;  // mbarn/sr * keV, 0 at the first point
  int pointCount() const { return static_cast<int>(energy.size()); }
};

using CrossSectionList = std::vector<CrossSectionDataSet>;  // in the order of loading

struct CrossSectionData {
  CrossSectionList elastic;
  CrossSectionList erd;
  CrossSectionList nra;
  void Clear() {
    elastic.clear();
    erd.clear();
    nra.clear();
  }
};

// Mean cross section (mbarn/sr) over one detector channel of width `windowKeV` around
// `eKeV`, from the last set of `list` whose key matches `request`: the same atomic numbers
// and level, the same mass numbers (masses rounded to the nearest integer, so that a run
// with real isotope masses finds the table of its isotope), angles within 0.01. 0 when no
// set matches or the energy lies outside the matching table. The channel is clipped to
// the table; a window of no width gives the interpolated value at the energy.
double LookUpCrossSection(const CrossSectionList& list, const CrossSectionKey& request, double eKeV,
                          double windowKeV);

// Largest table accepted from one file; more points are a malformed file.
inline constexpr int kMaxCrossSectionPoints = 100000;
// Bounds of a credible table: ion energies up to 1 GeV and cross sections up to 1e15
// mbarn/sr lie far beyond any ion beam analysis, yet keep the running integral (at most
// kMaxCrossSectionPoints trapezoids) finite, so channel means never become inf - inf.
inline constexpr double kMaxCrossSectionEnergyKeV = 1.0e6;
inline constexpr double kMaxCrossSectionMbarn = 1.0e15;

// Reads the points of one cross-section file into `set` (three header lines, then one
// energy [keV] and cross section [mbarn/sr] per line; further columns are ignored).
// Returns 0, or the input/output code of a file that cannot be read (2 = not found), or
// kInvalidNumericFormat; `problem` then says what is wrong, for the user.
int ReadCrossSectionFile(const std::filesystem::path& path, CrossSectionDataSet& set,
                         std::string& problem);
// The same on the text of a file already in memory.
int ParseCrossSectionText(std::string_view text, CrossSectionDataSet& set, std::string& problem);

// ---- The cross section of the reaction -------------------------------------------------

// The user's choices on the "Cross sections" page.
struct CrossSectionChoices {
  bool elasticFromFiles = false;  // `RadioButton_ESS_NonRutherford`
  bool erdFromFiles = false;      // `RadioButton_ERD_NonRutherford`
  bool nraFromFiles = false;      // `RadioButton_NRA_Files`
  double nraConstant = 100.0;     // mbarn/sr
  Screening screening = Screening::kNone;
  HeErdFit protonFit = HeErdFit::kPrompt;
  HeErdFit deuteronFit = HeErdFit::kPrompt;
};
CrossSectionChoices ChoicesFromParameters(const ParameterSet& params);

// Empties the three lists and reads the checked files of each list whose choice asks for
// tabulated data (non-Rutherford elastic scattering, non-Rutherford recoils, reactions
// "From Files"). Every entry or file that cannot be used is reported and left out.
void LoadCrossSectionFiles(const DataFileRegistry& registry, const CrossSectionChoices& choices,
                           const ElementTable& elements, CrossSectionData& data,
                           MessageSink& messages);

// The reaction whose cross section is wanted, for one target isotope.
struct CrossSectionRequest {
  ReactionKind kind = ReactionKind::kRbs;
  int z1 = 0;
  double m1 = 0.0;
  int z2 = 0;  // emitted particle (the recoil for ERD)
  double m2 = 0.0;
  int targetZ = 0;
  double targetMass = 0.0;
  double theta = 0.0;  // radians, detection angle
  int level = 0;
  double windowKeV = 0.0;  // energy per detector channel, for tabulated data
};

// The reaction of the run inputs at detection angle `theta` (radians); the target atomic
// number is looked up from the target symbol without a message.
CrossSectionRequest CrossSectionRequestOf(const RunInputs& inputs, double theta);

// Cross section (barn/sr) at incident energy `eMeV`, by kind and choices; 0 at or below
// 2e-10 MeV and for kinds without a cross section. Where tabulated data are chosen but no
// table gives a value (no file for the reaction, an energy outside the file's range, a
// zero in the table), the fallback is used and, with `notes`, noted once per file and side:
//   "cross section file <file> covers <low> to <high> keV; below <low> keV the Rutherford
//    cross section was used" (or "above <high> keV", or "the constant <c> mbarn/sr", with
//    " (no reaction outside the table)" for a constant of 0),
//   "cross section file <file> gives 0 mbarn/sr at some energies of its range <low> to
//    <high> keV; there <substitute> was used",
//   "no cross section file for <ion> on <target> (emitted <particle>) at <angle> deg, level
//    <level>; <substitute> was used".
double CrossSectionAt(const CrossSectionRequest& request, const CrossSectionChoices& choices,
                      const CrossSectionData& data, double eMeV, DataRangeNotes* notes = nullptr);

// Integral of the cross section over the incident energies between `eaKeV` and `ebKeV`
// (either order) by one trapezoid: (E_hi - E_lo) * (sigma(E_lo) + sigma(E_hi)) / 2, in
// barn/sr * keV. Divided by the interval it is the mean cross section in barn/sr.
double IntervalCrossSection(const CrossSectionRequest& request, const CrossSectionChoices& choices,
                            const CrossSectionData& data, double eaKeV, double ebKeV,
                            DataRangeNotes* notes = nullptr);

// Listing of the mean cross section over [E, E + 5 keV] for E = 3410, 3420, ..., 4900 keV:
// one line per energy, "E   sigma" with sigma in mbarn/sr, CR LF line ends.
std::string CrossSectionListing(const CrossSectionRequest& request,
                                const CrossSectionChoices& choices, const CrossSectionData& data,
                                DataRangeNotes* notes = nullptr);

}  // namespace dodavev
