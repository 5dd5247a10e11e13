#include "engine/reaction_identification.hpp"

#include <cmath>
#include <cstdio>

#include "app/input_ranges.hpp"
#include "app/session.hpp"
#include "io/number_parse.hpp"
#include "physics/element_table.hpp"

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

// Reads one reaction field; a field that cannot be read takes its default and counts. A
// number outside the field's physical range (which "OK" reports) takes the default too,
// so every calculation works on the reaction "OK" announced.
bool InRange(std::string_view field, double value) {
  const InputRange* range = FindInputRange(field);
  return range == nullptr || (value >= range->min && value <= range->max);
}

void ReadField(std::string_view field, const std::string& text, double& value, double fallback,
               int& errors) {
  if (std::optional<double> v = ParseDecimal(text)) {
    value = InRange(field, *v) ? *v : fallback;
  } else {
    value = fallback;
    ++errors;
  }
}

void ReadField(std::string_view field, const std::string& text, std::int32_t& value,
               std::int32_t fallback, int& errors) {
  if (std::optional<std::int32_t> v = ParseInteger(text)) {
    value = InRange(field, *v) ? *v : fallback;
  } else {
    value = fallback;
    ++errors;
  }
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

void IdentifyReaction(Session& session) {
  ParameterSet& p = session.params;
  const ParameterValues defaults;
  p.target = TargetSymbol(p.Edit1_target);
  int errors = 0;
  ReadField("z1", p.Edit1_z1, p.z1, defaults.z1, errors);
  ReadField("m1", p.Edit1_m1, p.m1, defaults.m1, errors);
  ReadField("z2", p.Edit1_z2, p.z2, defaults.z2, errors);
  ReadField("m2", p.Edit1_m2, p.m2, defaults.m2, errors);
  ReadField("th", p.Edit1_th, p.th, defaults.th, errors);
  ReadField("mt", p.Edit1_mt, p.mt, defaults.mt, errors);
  ReadField("qm", p.Edit1_qm, p.qm, defaults.qm, errors);
  ReadField("level", p.Edit1_level, p.level, defaults.level, errors);
  if (errors > 0) session.messages.Show("reaction is not well defined");

  const ReactionFields fields{p.z1, p.m1, p.z2, p.m2, p.th, p.mt, p.qm};
  session.reaction.kind = ClassifyReaction(fields);
  p.Label_given_target = GivenTargetLabel(p.mt, p.target);
  p.Label_reaction = ReactionLabel(fields, p.target, session.elements);
  p.Label_iba = std::string(ReactionKindText(session.reaction.kind));
}

}  // namespace dodavev
