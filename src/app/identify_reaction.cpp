#include "app/identify_reaction.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/session.hpp"
#include "engine/reaction_identification.hpp"
#include "io/number_parse.hpp"
#include "model/input_ranges.hpp"

namespace dodavev {
namespace {

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
