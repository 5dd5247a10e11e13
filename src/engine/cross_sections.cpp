#include "engine/cross_sections.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <system_error>

#include "engine/r33_file.hpp"
#include "engine/registry_entries.hpp"
#include "engine/run_inputs.hpp"
#include "engine/rutherford_at_angle.hpp"
#include "io/number_parse.hpp"
#include "io/text_file.hpp"
#include "model/messages.hpp"
#include "model/units.hpp"
#include "physics/data_range_notes.hpp"
#include "physics/element_io.hpp"

namespace dodavev {
namespace {

constexpr double kEnergyFloorMeV = kZeroTolerance;  // "zero" incident energy
constexpr double kKeyTolerance = 0.01;              // particles, angle and level of a table
constexpr std::uintmax_t kMaxCrossSectionFileBytes = 32U << 20U;

double NonNegative(double sigma) {
  return sigma > 0.0 ? sigma : 0.0;
}

bool Near(double a, double b) {
  return std::abs(a - b) <= kKeyTolerance;
}

// Tables name their particles by mass number; a run may carry real isotope masses.
bool SameMassNumber(double a, double b) {
  return std::lround(a) == std::lround(b);
}

bool KeyMatches(const CrossSectionKey& set, const CrossSectionKey& want) {
  return Near(set.angle, want.angle) && set.level == want.level &&
         set.incidentZ == want.incidentZ && SameMassNumber(set.incidentMass, want.incidentMass) &&
         set.targetZ == want.targetZ && SameMassNumber(set.targetMass, want.targetMass) &&
         set.productZ == want.productZ && SameMassNumber(set.productMass, want.productMass);
}

// Index k of the table interval [energy[k], energy[k+1]] that holds e (clamped).
std::size_t IntervalOf(const std::vector<double>& energy, double e) {
  const auto it = std::upper_bound(energy.begin(), energy.end(), e);
  std::size_t k = static_cast<std::size_t>(it - energy.begin());
  k = std::clamp<std::size_t>(k, 1, energy.size() - 1);
  return k - 1;
}

// Linear interpolation of `values` over the table energies.
double Interpolate(const std::vector<double>& energy, const std::vector<double>& values, double e) {
  const std::size_t k = IntervalOf(energy, e);
  const double t = (e - energy[k]) / (energy[k + 1] - energy[k]);
  return values[k] + (values[k + 1] - values[k]) * t;
}

std::string_view StripLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
    line.remove_suffix(1);
  return line;
}

// Next blank- or tab-separated word of `line` from `pos`; empty at the end.
std::string_view NextWord(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
    ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
    ++pos;
  return line.substr(start, pos - start);
}

std::string LineProblem(const char* what, int line) {
  return std::string(what) + " in line " + std::to_string(line);
}

// The running integral and the bounds of a table whose points are read.
int FinishTable(CrossSectionDataSet& set, std::string& problem) {
  if (set.energy.size() < 2) {
    problem = "fewer than two points";
    return kInvalidNumericFormat;
  }
  set.integral.assign(set.energy.size(), 0.0);
  for (std::size_t i = 1; i < set.energy.size(); ++i) {
    set.integral[i] = set.integral[i - 1] +
                      (set.energy[i] - set.energy[i - 1]) * (set.sigma[i] + set.sigma[i - 1]) / 2.0;
  }
  set.lowestEnergy = set.energy.front();
  set.highestEnergy = set.energy.back();
  return 0;
}

// A file in the R33 exchange format: its points in keV and mbarn/sr, or nothing.
int ReadR33Table(std::string_view text, CrossSectionDataSet& set, std::string& problem) {
  R33Read read = ParseR33Text(text);
  if (!read.ok) {
    problem = read.error;
    return kInvalidNumericFormat;
  }
  set.energy = std::move(read.energy);
  set.sigma = std::move(read.sigma);
  return FinishTable(set, problem);
}

// What a reaction takes where its tables give no value.
struct Substitute {
  bool constant = false;  // the NRA constant, else Rutherford
  double mbarn = 0.0;     // the constant, mbarn/sr
  std::string Text() const {
    if (!constant) return "the Rutherford cross section";
    std::string text = "the constant " + NoteNumber(mbarn) + " mbarn/sr";
    if (mbarn == 0.0) text += " (no reaction outside the table)";
    return text;
  }
};

std::string FileName(const CrossSectionDataSet& set) {
  if (!set.file.empty()) return set.file.string();
  if (!set.description.empty()) return set.description;
  return "(without name)";
}

// "4He", the particle of a key with its mass number.
std::string Particle(const DataRangeNotes& notes, int z, double mass) {
  return NoteNumber(std::nearbyint(mass)) + notes.ElementName(z);
}

// Why the tables of `list` gave no value for `key` at `eKeV`, noted once per file and side.
void NoteNoValue(const CrossSectionList& list, const CrossSectionKey& key, double eKeV,
                 const Substitute& substitute, DataRangeNotes& notes) {
  const CrossSectionDataSet* match = nullptr;
  for (const CrossSectionDataSet& set : list) {
    if (KeyMatches(set.key, key)) match = &set;
  }
  if (match == nullptr || match->energy.size() < 2) {
    DataRangeNotes::Key note;
    note.source = &list;
    note.kind = kNoteNoTable;
    note.detail = {static_cast<double>(key.incidentZ),
                   key.incidentMass,
                   static_cast<double>(key.targetZ),
                   key.targetMass,
                   static_cast<double>(key.productZ),
                   key.productMass,
                   key.angle,
                   static_cast<double>(key.level)};
    if (notes.Has(note)) return;
    notes.Add(note, "no cross section file for " +
                        Particle(notes, key.incidentZ, key.incidentMass) + " on " +
                        Particle(notes, key.targetZ, key.targetMass) + " (emitted " +
                        Particle(notes, key.productZ, key.productMass) + ") at " +
                        NoteNumber(key.angle) + " deg, level " + std::to_string(key.level) + "; " +
                        substitute.Text() + " was used");
    return;
  }
  const CrossSectionDataSet& set = *match;
  if (eKeV < set.lowestEnergy || eKeV > set.highestEnergy) {
    DataRangeNotes::Key note;
    note.source = &set;
    note.kind = eKeV < set.lowestEnergy ? kNoteOutsideBelow : kNoteOutsideAbove;
    if (notes.Has(note)) return;
    notes.OutsideTable(
        &set, "cross section file", FileName(set), set.lowestEnergy, set.highestEnergy,
        eKeV < set.lowestEnergy ? TableSide::kBelow : TableSide::kAbove, substitute.Text());
    return;
  }
  DataRangeNotes::Key note;
  note.source = &set;
  note.kind = kNoteZeroInTable;
  if (notes.Has(note)) return;
  notes.Add(note, "cross section file " + FileName(set) +
                      " gives 0 mbarn/sr at some energies of its range " +
                      NoteNumber(set.lowestEnergy) + " to " + NoteNumber(set.highestEnergy) +
                      " keV; there " + substitute.Text() + " was used");
}

// The tabulated cross section (barn/sr), or `fallback` where the tables give none.
double TabulatedOr(const CrossSectionList& list, const CrossSectionKey& key, double eKeV,
                   double windowKeV, double fallback, const Substitute& substitute,
                   DataRangeNotes* notes) {
  const double mb = LookUpCrossSection(list, key, eKeV, windowKeV);
  if (mb > 0.0) return mb / 1000.0;
  if (notes != nullptr) NoteNoValue(list, key, eKeV, substitute, *notes);
  return fallback;
}

}  // namespace

// ---- Rutherford and screening ----------------------------------------------------------

Screening ScreeningFromText(std::string_view comboText) {
  return comboText == "L'Ecuer screening" ? Screening::kLEcuer : Screening::kNone;
}

double ScreeningFactor(Screening screening, int z1, int z2, double targetMass,
                       double projectileMass, double eMeV) {
  if (screening != Screening::kLEcuer) return 1.0;
  const double massSum = projectileMass + targetMass;
  if (!(massSum > 0.0)) return 1.0;
  const double eCm = 1000.0 * eMeV * targetMass / massSum;  // keV
  if (!(eCm > 0.0)) return 0.0;
  const double z2Root = std::cbrt(static_cast<double>(z2));
  const double f = 1.0 - 0.049 * z1 * z2Root * z2Root * z2Root * z2Root / eCm;
  return NonNegative(f);
}

double RutherfordCrossSection(ReactionKind kind, int z1, int z2, double struckMass,
                              double projectileMass, double eMeV, double theta,
                              Screening screening) {
  // The angular factors of the prepared form, worked out for this one call.
  return PrepareRutherford(kind, z1, z2, struckMass, projectileMass, theta, screening).At(eMeV);
}

// ---- Helium recoil fits ----------------------------------------------------------------

HeErdFit HeErdFitFromText(std::string_view comboText) {
  if (comboText == "Rutherford") return HeErdFit::kRutherford;
  if (comboText == "Quillet") return HeErdFit::kQuillet;
  if (comboText == "Benenson") return HeErdFit::kBenenson;
  if (comboText == "Merovan") return HeErdFit::kMerovan;
  return HeErdFit::kPrompt;
}

double QuilletProton(double eMeV, double thetaDeg, double rutherford) {
  const double t = thetaDeg;
  const double de = 1000.0 * eMeV - 8050.0;
  const double resonance =
      (-5.5e8 * t + 1.59e10 + 9e6 * t * t) / (de * de + (-4.337e6 * t + 6.094e7 + 81300.0 * t * t));
  return NonNegative(rutherford + resonance / 1000.0);
}

double BenensonProton(double eMeV, double thetaDeg, double rutherford) {
  const double t = thetaDeg;
  const double a = -0.10353 * t + 9.77024 - 0.00134 * t * t;
  const double b = -0.07027 * t + 4.83216 + 0.00758 * t * t;
  const double c = -0.00445 * t + 0.89968 + 0.000664175 * t * t;
  const double de = eMeV - 8.05;
  return NonNegative((a / (de * de + b) + rutherford) * c);
}

double MerovanProton(double eMeV, double thetaDeg) {
  const double e = eMeV;
  const double t = thetaDeg;
  return NonNegative((89.1 * e * e - 0.119 * t * t - 455.7 * e + 10.2 * t - 1.38 * t * e + 693.0) /
                     1000.0);
}

double QuilletDeuteron(double eMeV, double thetaDeg) {
  const double t = thetaDeg;
  const double e = 1000.0 * eMeV;
  const double a = -10.0 * t + 1422.0 + 0.18 * t * t;
  const double b = 111.6 * t - 72.0 - 2.59 * t * t;
  const double c = -0.1278 * t + 0.583 + 0.00309 * t * t;
  const double d = 3.645e-5 * t - 0.000171 - 9.05e-7 * t * t;
  const double de = e - 2128.0;
  const double resonance = (-176000.0 * t + 8.79e6 - 2600.0 * t * t) / (de * de + a);
  return NonNegative((resonance + b + c * e + d * e * e) / 1000.0);
}

// ---- Tabulated cross sections ----------------------------------------------------------

double LookUpCrossSection(const CrossSectionList& list, const CrossSectionKey& request, double eKeV,
                          double windowKeV) {
  const CrossSectionDataSet* match = nullptr;
  for (const CrossSectionDataSet& set : list) {
    if (KeyMatches(set.key, request)) match = &set;
  }
  if (match == nullptr || match->energy.size() < 2) return 0.0;
  const CrossSectionDataSet& set = *match;
  if (!(eKeV >= set.lowestEnergy && eKeV <= set.highestEnergy)) return 0.0;
  if (!(windowKeV > 0.0)) return Interpolate(set.energy, set.sigma, eKeV);
  // Mean over the channel, from the running integral; the part of a channel beyond the
  // ends of the table does not count.
  const double lo = std::max(eKeV - windowKeV / 2.0, set.lowestEnergy);
  const double hi = std::min(eKeV + windowKeV / 2.0, set.highestEnergy);
  if (!(hi > lo)) return Interpolate(set.energy, set.sigma, eKeV);
  return (Interpolate(set.energy, set.integral, hi) - Interpolate(set.energy, set.integral, lo)) /
         (hi - lo);
}

int ParseCrossSectionText(std::string_view text, CrossSectionDataSet& set, std::string& problem) {
  set.energy.clear();
  set.sigma.clear();
  set.integral.clear();
  set.lowestEnergy = set.highestEnergy = 0.0;
  problem.clear();
  if (LooksLikeR33(text)) return ReadR33Table(text, set, problem);
  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = StripLineEnd(text.substr(pos, end - pos));
    pos = end + 1;
    ++lineNumber;
    if (lineNumber <= 3) continue;  // header
    std::size_t at = 0;
    const std::string_view energyWord = NextWord(line, at);
    if (energyWord.empty()) continue;  // an empty line
    const std::string_view sigmaWord = NextWord(line, at);
    const std::optional<double> e = ParseDecimal(energyWord);
    const std::optional<double> s = ParseDecimal(sigmaWord);
    if (!e || !s) {
      problem = LineProblem("no energy and cross section", lineNumber);
      return kInvalidNumericFormat;
    }
    if (*s < 0.0) {
      problem = LineProblem("negative cross section", lineNumber);
      return kInvalidNumericFormat;
    }
    if (!(*e >= 0.0 && *e <= kMaxCrossSectionEnergyKeV)) {
      problem = LineProblem("energy outside 0 to 1e6 keV", lineNumber);
      return kInvalidNumericFormat;
    }
    if (!(*s <= kMaxCrossSectionMbarn)) {
      problem = LineProblem("cross section above 1e15 mbarn/sr", lineNumber);
      return kInvalidNumericFormat;
    }
    if (!set.energy.empty() && !(*e > set.energy.back())) {
      problem = LineProblem("energy not above the one before", lineNumber);
      return kInvalidNumericFormat;
    }
    if (static_cast<int>(set.energy.size()) >= kMaxCrossSectionPoints) {
      problem = "more than " + std::to_string(kMaxCrossSectionPoints) + " points";
      return kInvalidNumericFormat;
    }
    set.energy.push_back(*e);
    set.sigma.push_back(*s);
  }
  return FinishTable(set, problem);
}

int ReadCrossSectionFile(const std::filesystem::path& path, CrossSectionDataSet& set,
                         std::string& problem) {
  std::string text;
  const int code = ReadTextFileCapped(path, kMaxCrossSectionFileBytes, text);
  if (code == EFBIG) {
    problem = "file too large";
    return kInvalidNumericFormat;
  }
  if (code != 0) {
    problem = "#" + std::to_string(code);
    return code;
  }
  return ParseCrossSectionText(text, set, problem);
}

namespace {

// What the lists of one parameter file can make "OK" hold: per list, as many tables as the
// SRIM stopping list; for all lists together, the points of forty of the largest tables
// (3 numbers of 8 bytes each: 96 MB).
constexpr std::size_t kMaxCrossSectionTables = 200;
constexpr std::size_t kMaxHeldCrossSectionPoints = 4000000;

bool SameKey(const CrossSectionKey& a, const CrossSectionKey& b) {
  return a.incidentZ == b.incidentZ && a.incidentMass == b.incidentMass && a.targetZ == b.targetZ &&
         a.targetMass == b.targetMass && a.productZ == b.productZ &&
         a.productMass == b.productMass && a.angle == b.angle && a.level == b.level;
}

// The first table read from `file` in any of the lists, or nullptr.
const CrossSectionDataSet* AlreadyRead(const CrossSectionData& data,
                                       const std::filesystem::path& file) {
  for (const CrossSectionList* list : {&data.elastic, &data.erd, &data.nra}) {
    for (const CrossSectionDataSet& set : *list) {
      if (set.file == file) return &set;
    }
  }
  return nullptr;
}

}  // namespace

void LoadCrossSectionFiles(const DataFileRegistry& registry, const CrossSectionChoices& choices,
                           const ElementTable& elements, CrossSectionData& data,
                           MessageSink& messages) {
  data.Clear();
  struct ListToLoad {
    bool wanted;
    const std::vector<RegistryEntry>& entries;
    CrossSectionList& sets;
  };
  const ListToLoad lists[] = {
      {choices.elasticFromFiles, registry.CheckListBox_ESS, data.elastic},
      {choices.erdFromFiles, registry.CheckListBox_ERD, data.erd},
      {choices.nraFromFiles, registry.CheckListBox_NRA, data.nra},
  };
  // Files that could not be read, with the reason: each is tried once.
  std::map<std::filesystem::path, std::string> unreadable;
  std::size_t heldPoints = 0;
  for (const ListToLoad& list : lists) {
    if (!list.wanted) continue;
    for (const RegistryEntry& entry : list.entries) {
      if (!entry.checked) continue;
      const CrossSectionEntryRead read = ReadCrossSectionEntry(entry.text, elements);
      if (read.formatErrors > 0) {
        messages.Show("cross section entry is not well defined: " + entry.text);
        continue;
      }
      const CrossSectionEntry& e = read.entry;
      CrossSectionDataSet set;
      set.key = {e.incidentZ, static_cast<double>(e.incidentMass),
                 e.targetZ,   static_cast<double>(e.targetMass),
                 e.productZ,  static_cast<double>(e.productMass),
                 e.angle,     e.level};
      set.description = e.description;
      set.file = e.file;
      // The same file for the same reaction again: the lookup takes the last table that
      // matches, so the one held moves to the end; nothing is read or held twice.
      const auto same = std::find_if(list.sets.begin(), list.sets.end(), [&](const auto& held) {
        return held.file == set.file && SameKey(held.key, set.key);
      });
      if (same != list.sets.end()) {
        std::rotate(same, same + 1, list.sets.end());
        list.sets.back().description = set.description;
        continue;
      }
      if (list.sets.size() >= kMaxCrossSectionTables) {
        messages.Show("too many cross section tables in one list; only the first " +
                      std::to_string(kMaxCrossSectionTables) + " are loaded");
        break;
      }
      std::string problem;
      if (const CrossSectionDataSet* known = AlreadyRead(data, set.file)) {
        set.lowestEnergy = known->lowestEnergy;
        set.highestEnergy = known->highestEnergy;
        set.energy = known->energy;
        set.sigma = known->sigma;
        set.integral = known->integral;
      } else if (const auto failed = unreadable.find(set.file); failed != unreadable.end()) {
        problem = failed->second;
      } else if (const int code = ReadCrossSectionFile(set.file, set, problem); code != 0) {
        if (problem.empty()) problem = "#" + std::to_string(code);
        unreadable.emplace(set.file, problem);
      }
      if (!problem.empty()) {
        const char* joint = problem.starts_with("#") ? " " : ": ";
        messages.Show("problem with cross section file " + e.file + joint + problem);
        continue;
      }
      if (set.energy.size() > kMaxHeldCrossSectionPoints - heldPoints) {
        messages.Show("cross section tables beyond " + std::to_string(kMaxHeldCrossSectionPoints) +
                      " points in all are not loaded: " + e.file + " and the entries after it");
        return;
      }
      heldPoints += set.energy.size();
      list.sets.push_back(std::move(set));
    }
  }
}

// ---- The cross section of the reaction -------------------------------------------------

CrossSectionChoices ChoicesFromParameters(const ParameterSet& p) {
  CrossSectionChoices c;
  c.elasticFromFiles = p.RadioButton_ESS_NonRutherford;
  c.erdFromFiles = p.RadioButton_ERD_NonRutherford;
  c.nraFromFiles = p.RadioButton_NRA_Files;
  c.nraConstant = p.NRACrossConstant;
  c.screening = ScreeningFromText(p.ComboBox1);
  c.protonFit = HeErdFitFromText(p.ComboBox_HEERD_p);
  // The deuteron box offers only Rutherford and Quillet.
  const HeErdFit d = HeErdFitFromText(p.ComboBox_HEERD_d);
  c.deuteronFit = (d == HeErdFit::kRutherford || d == HeErdFit::kQuillet) ? d : HeErdFit::kPrompt;
  return c;
}

CrossSectionRequest CrossSectionRequestOf(const RunInputs& inputs, double theta) {
  const ParameterValues& p = inputs.params;
  CrossSectionRequest r;
  r.kind = inputs.reaction.kind;
  r.z1 = p.z1;
  r.m1 = p.m1;
  r.z2 = p.z2;
  r.m2 = p.m2;
  r.targetZ = LookupElement(p.target, inputs.elements);
  r.targetMass = p.mt;
  r.theta = theta;
  r.level = p.level;
  r.windowKeV = p.detkevch;
  return r;
}

double CrossSectionAt(const CrossSectionRequest& r, const CrossSectionChoices& choices,
                      const CrossSectionData& data, double eMeV, DataRangeNotes* notes) {
  if (!(eMeV > kEnergyFloorMeV)) return 0.0;
  const double thetaDeg = r.theta * kRadToDeg;
  const CrossSectionKey key{r.z1, r.m1, r.targetZ, r.targetMass, r.z2, r.m2, thetaDeg, r.level};
  const double eKeV = 1000.0 * eMeV;
  switch (r.kind) {
    case ReactionKind::kRbs:
    case ReactionKind::kForwardScattering: {
      const double rutherford = RutherfordCrossSection(r.kind, r.z1, r.targetZ, r.targetMass, r.m1,
                                                       eMeV, r.theta, choices.screening);
      if (!choices.elasticFromFiles) return rutherford;
      return TabulatedOr(data.elastic, key, eKeV, r.windowKeV, rutherford, Substitute{}, notes);
    }
    case ReactionKind::kErd: {
      const double rutherford =
          RutherfordCrossSection(r.kind, r.z1, r.z2, r.m2, r.m1, eMeV, r.theta, choices.screening);
      if (!choices.erdFromFiles) return rutherford;
      if (r.z1 == 2 && std::abs(r.m1 - 4.0) < 0.5 && r.z2 == 1) {
        if (std::abs(r.m2 - 1.0) < 0.5) {
          switch (choices.protonFit) {
            case HeErdFit::kRutherford:
              return rutherford;
            case HeErdFit::kQuillet:
              return QuilletProton(eMeV, thetaDeg, rutherford);
            case HeErdFit::kBenenson:
              return BenensonProton(eMeV, thetaDeg, rutherford);
            case HeErdFit::kMerovan:
              return MerovanProton(eMeV, thetaDeg);
            case HeErdFit::kPrompt:
              break;
          }
        } else if (std::abs(r.m2 - 2.0) < 0.5) {
          if (choices.deuteronFit == HeErdFit::kRutherford) return rutherford;
          if (choices.deuteronFit == HeErdFit::kQuillet) return QuilletDeuteron(eMeV, thetaDeg);
        }
      }
      return TabulatedOr(data.erd, key, eKeV, r.windowKeV, rutherford, Substitute{}, notes);
    }
    case ReactionKind::kNra: {
      const double constant = choices.nraConstant / 1000.0;
      if (!choices.nraFromFiles) return constant;
      return TabulatedOr(data.nra, key, eKeV, r.windowKeV, constant,
                         Substitute{true, choices.nraConstant}, notes);
    }
    case ReactionKind::kNotUsable:
      break;
  }
  return 0.0;
}

double IntervalCrossSection(const CrossSectionRequest& request, const CrossSectionChoices& choices,
                            const CrossSectionData& data, double eaKeV, double ebKeV,
                            DataRangeNotes* notes) {
  const double lo = std::min(eaKeV, ebKeV);
  const double hi = std::max(eaKeV, ebKeV);
  const double sigmaLo = CrossSectionAt(request, choices, data, lo / 1000.0, notes);
  const double sigmaHi = CrossSectionAt(request, choices, data, hi / 1000.0, notes);
  return (hi - lo) * (sigmaLo + sigmaHi) / 2.0;
}

std::string CrossSectionListing(const CrossSectionRequest& request,
                                const CrossSectionChoices& choices, const CrossSectionData& data,
                                DataRangeNotes* notes) {
  std::string out;
  for (int i = 0; i < 150; ++i) {
    const double e = 3410.0 + 10.0 * i;
    const double mean = IntervalCrossSection(request, choices, data, e, e + 5.0, notes) / 5.0;
    char line[128];
    std::snprintf(line, sizeof line, "%.1f   %.1f\r\n", e, mean * 1000.0);
    out += line;
  }
  return out;
}

}  // namespace dodavev
