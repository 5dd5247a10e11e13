// The nuclear process behind a measurement, classified from the reaction fields: incident
// ion, detected particle, target isotope, Q-value, level and detection angle.
#pragma once

#include <string>
#include <string_view>

namespace dodavev {

class ElementTable;

// Kind of analysis. The values are the one-character codes the reports and the batch
// language use.
enum class ReactionKind : char {
  kRbs = 'R',                // elastic backscattering of the incident ion
  kForwardScattering = 'F',  // elastic forward scattering of the incident ion
  kErd = 'E',                // elastic recoil detection: the target atom is detected
  kNra = 'C',                // nuclear reaction: another particle comes out, or Q is not 0
  kNotUsable = 'N',          // an uncharged particle with a mass (a neutron) is detected
};

inline constexpr char KindCode(ReactionKind kind) {
  return static_cast<char>(kind);
}

// Text shown for a kind: "RBS", "FS", "ERD", "NRA", "I do not like this".
std::string_view ReactionKindText(ReactionKind kind);

// What the identification derived; the labels themselves are texts of the inputs
// (`Label_reaction`, `Label_iba`, `Label_given_target`).
struct ReactionInfo {
  ReactionKind kind = ReactionKind::kRbs;
};

// The reaction numbers the identification reads from the reaction fields.
struct ReactionFields {
  int z1 = 0;
  double m1 = 0.0;
  int z2 = 0;
  double m2 = 0.0;
  double th = 0.0;  // degrees
  double mt = 0.0;
  double qm = 0.0;  // MeV
};

// Two characters, upper case: the typed symbol followed by one blank, cut to two.
std::string TargetSymbol(std::string_view typed);

// Kind of analysis: elastic (same particle out as in) is forward or backscattering by
// the angle, otherwise recoil or reaction; a photon or a Q-value makes it a reaction, and
// a neutral massive particle makes it unusable.
ReactionKind ClassifyReaction(const ReactionFields& fields);

// "12C (4HE,4HE)"-style label, at most 15 characters; `targetSymbol` is the two-character
// symbol. Atomic numbers without an element in `elements` show as "??".
std::string ReactionLabel(const ReactionFields& fields, std::string_view targetSymbol,
                          const ElementTable& elements);

// Target isotope, e.g. "12C" or "28SI".
std::string GivenTargetLabel(double mt, std::string_view targetSymbol);

}  // namespace dodavev
