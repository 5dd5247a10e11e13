// Stand-in for the reaction identification until it is built: reads the reaction fields
// so that "OK" sees the typed numbers; no analysis kind, labels or kinematics.
#include <string>

#include "app/seams.hpp"
#include "app/session.hpp"
#include "io/number_parse.hpp"

namespace dodavev {

void IdentifyReaction(Session& session) {
  ParameterSet& p = session.params;
  if (auto v = ParseInteger(p.Edit1_z1)) p.z1 = *v;
  if (auto v = ParseDecimal(p.Edit1_m1)) p.m1 = *v;
  if (auto v = ParseInteger(p.Edit1_z2)) p.z2 = *v;
  if (auto v = ParseDecimal(p.Edit1_m2)) p.m2 = *v;
  if (auto v = ParseDecimal(p.Edit1_th)) p.th = *v;
  if (auto v = ParseDecimal(p.Edit1_mt)) p.mt = *v;
  if (auto v = ParseDecimal(p.Edit1_qm)) p.qm = *v;
  if (auto v = ParseInteger(p.Edit1_level)) p.level = *v;
  p.target = p.Edit1_target;
}

}  // namespace dodavev
