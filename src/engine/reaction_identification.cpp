#include "engine/reaction_identification.hpp"

#include <cmath>
#include <cstdio>

#include "model/element_table.hpp"

namespace dodavev {
namespace {

constexpr std::size_t kLabelLength = 15;

// A mass number as shown in labels: the nearest integer (halves to even).
std::string RoundedText(double value) {
  double rounded = std::nearbyint(value);
  if (rounded == 0.0) rounded = 0.0;  // no "-0"
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
  return buffer;
}

// Two-character symbol of element z as stored, "??" where the table has none.
std::string ElementSymbol(const ElementTable& elements, int z) {
  if (!ElementTable::ValidZ(z) || !elements[z].Present()) return "??";
  return std::string(elements[z].SymbolView());
}

}  // namespace

std::string_view ReactionKindText(ReactionKind kind) {
  switch (kind) {
    case ReactionKind::kRbs:
      return "RBS";
    case ReactionKind::kForwardScattering:
      return "FS";
    case ReactionKind::kErd:
      return "ERD";
    case ReactionKind::kNra:
      return "NRA";
    case ReactionKind::kNotUsable:
      return "I do not like this";
  }
  return "I do not like this";
}

std::string TargetSymbol(std::string_view typed) {
  std::string symbol(typed.substr(0, 2));
  symbol.resize(2, ' ');
  for (char& c : symbol) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return symbol;
}

ReactionKind ClassifyReaction(const ReactionFields& f) {
  const bool forward = f.th < 90.0;
  ReactionKind kind;
  if (f.m1 == f.m2 && f.z1 == f.z2) {
    kind = forward ? ReactionKind::kForwardScattering : ReactionKind::kRbs;
  } else {
    kind = forward ? ReactionKind::kErd : ReactionKind::kNra;
  }
  if (f.z2 == 0) kind = ReactionKind::kNra;    // a photon or neutral particle comes out
  if (f.qm != 0.0) kind = ReactionKind::kNra;  // energy is released or taken up
  if (f.z2 == 0 && f.m2 != 0.0) kind = ReactionKind::kNotUsable;  // a neutron
  return kind;
}

std::string ReactionLabel(const ReactionFields& f, std::string_view targetSymbol,
                          const ElementTable& elements) {
  std::string label = RoundedText(f.mt);
  label += targetSymbol;
  label += '(';
  label += RoundedText(f.m1);
  label += ElementSymbol(elements, f.z1);
  label += ',';
  if (f.z2 < 0.1 && f.m2 < 0.1) {
    label += "gamma)";
  } else if (f.z2 < 1) {
    label += RoundedText(f.m2);
    label += "n)";
  } else {
    label += RoundedText(f.m2);
    label += ElementSymbol(elements, f.z2);
    label += ')';
  }
  if (label.size() > kLabelLength) label.resize(kLabelLength);
  return label;
}

std::string GivenTargetLabel(double mt, std::string_view targetSymbol) {
  std::string label = RoundedText(mt);
  if (!targetSymbol.empty()) label += targetSymbol[0];
  if (targetSymbol.size() > 1 && targetSymbol[1] != ' ') label += targetSymbol[1];
  return label;
}

}  // namespace dodavev
