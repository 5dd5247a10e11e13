#include "app/ok_action.hpp"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <utility>

#include "app/cross_section_actions.hpp"
#include "app/identify_reaction.hpp"
#include "app/session.hpp"
#include "app/stopping_sources.hpp"
#include "engine/cross_sections.hpp"
#include "engine/reaction_identification.hpp"
#include "io/layer_parser.hpp"
#include "io/number_parse.hpp"
#include "model/input_ranges.hpp"
#include "model/units.hpp"
#include "physics/srim_tables.hpp"

namespace dodavev {
namespace {

// Densities, thicknesses and factors below this count as zero.

// Reads input texts into numeric fields, counting format errors. A field with an error
// takes the value of its default text, so a calculation that runs after the message
// works on a sensible number rather than on a stale or undefined one.
class FieldReader {
 public:
  bool Decimal(const std::string& text, const std::string& defaultText, double& out) {
    if (std::optional<double> v = ParseDecimal(text)) {
      out = *v;
      return true;
    }
    out = ParseDecimal(defaultText).value_or(0.0);
    ++errors;
    return false;
  }
  bool Integer(const std::string& text, const std::string& defaultText, std::int32_t& out) {
    if (std::optional<std::int32_t> v = ParseInteger(text)) {
      out = *v;
      return true;
    }
    out = ParseInteger(defaultText).value_or(0);
    ++errors;
    return false;
  }

  int errors = 0;
};

// Step 3 of "OK": every field that needs no check of its own, in the order of the pages.
int ReadPlainFields(ParameterSet& p, const ParameterInputs& def) {
  FieldReader r;
  r.Decimal(p.Edit1_e0, def.Edit1_e0, p.e0);
  r.Integer(p.Edit1_chargestate_in, def.Edit1_chargestate_in, p.chargestate_in);
  r.Decimal(p.Edit1_a, def.Edit1_a, p.a);
  r.Decimal(p.Edit1_q1, def.Edit1_q1, p.q1);
  r.Decimal(p.Edit1_bes, def.Edit1_bes, p.bes);
  r.Decimal(p.Edit1_asb, def.Edit1_asb, p.asb);
  if (p.RadioButton1) {
    r.Decimal(p.Edit1_diam, def.Edit1_diam, p.beam_width);
  } else {
    r.Decimal(p.Edit1_r, def.Edit1_r, p.beam_width);
  }
  r.Decimal(p.Edit1_leng, def.Edit1_leng, p.beam_length);
  r.Decimal(p.Edit1_temperature, def.Edit1_temperature, p.temperature);
  r.Decimal(p.Edit1_monothick, def.Edit1_monothick, p.monothick);
  r.Decimal(p.Edit1_ho, def.Edit1_ho, p.ho);
  r.Integer(p.Edit1_chargestate_out, def.Edit1_chargestate_out, p.chargestate_out);
  r.Decimal(p.Edit1_c3, def.Edit1_c3, p.c3);
  r.Decimal(p.Edit1_er, def.Edit1_er, p.er);
  r.Decimal(p.Edit1_fwhm, def.Edit1_fwhm, p.fwhm);
  r.Decimal(p.Edit1_rezmin, def.Edit1_rezmin, p.rezmin);
  r.Decimal(p.Edit1_rezmax, def.Edit1_rezmax, p.rezmax);
  r.Decimal(p.Edit1_estep, def.Edit1_estep, p.estep);
  r.Decimal(p.Edit1_x, def.Edit1_x, p.x);
  r.Decimal(p.Edit1_depthmax, def.Edit1_depthmax, p.depthmax);
  r.Decimal(p.Edit1_thr, def.Edit1_thr, p.thr);
  r.Decimal(p.Edit1_x_corr, def.Edit1_x_corr, p.x_corr);
  r.Decimal(p.Edit1_theta_max, def.Edit1_theta_max, p.theta_max);
  r.Decimal(p.Edit1_theta_min, def.Edit1_theta_min, p.theta_min);
  r.Decimal(p.Edit1_Alfa_min, def.Edit1_Alfa_min, p.Alfa_min);
  r.Decimal(p.Edit1_step_deg, def.Edit1_step_deg, p.step_deg);
  r.Decimal(p.Edit1_dex1, def.Edit1_dex1, p.dex[0]);
  r.Decimal(p.Edit1_dex2, def.Edit1_dex2, p.dex[1]);
  r.Decimal(p.Edit1_dex3, def.Edit1_dex3, p.dex[2]);
  r.Decimal(p.Edit1_dex4, def.Edit1_dex4, p.dex[3]);
  r.Decimal(p.Edit1_itlength, def.Edit1_itlength, p.itlength);
  return r.errors;
}

// A length that must be positive (a distance divided by) or not negative (a slit size).
bool ReadLength(const std::string& text, const std::string& defaultText, double& out,
                bool zeroAllowed) {
  FieldReader r;
  if (!r.Decimal(text, defaultText, out)) return false;
  if (std::isfinite(out) && (out > 0.0 || (zeroAllowed && out == 0.0))) return true;
  out = ParseDecimal(defaultText).value_or(0.0);
  return false;
}

// The number of channels of the spectra: a whole number 1..16384; anything else is shown
// and the default 600 taken.
int ReadChannelCount(Session& session) {
  ParameterSet& p = session.params;
  const std::optional<std::int32_t> n = ParseInteger(p.Edit1_channels);
  if (n && *n >= 1 && *n <= kMaxSpectrumChannels) {
    p.channels = *n;
    return 0;
  }
  p.channels = kDefaultSpectrumChannels;
  session.messages.Show("the number of channels must be a whole number from 1 to " +
                        std::to_string(kMaxSpectrumChannels) + "; " +
                        std::to_string(kDefaultSpectrumChannels) + " are used");
  return 1;
}

void ShowParameterPages(Session& session) {
  session.parametersVisible = true;
}

}  // namespace

std::string FormatSolidAngle(double msr) {
  char buf[64];
  if (!std::isfinite(msr) || msr == 0.0) {
    std::snprintf(buf, sizeof buf, "%.3f", msr);
    return buf;
  }
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(msr))));
  if (exponent >= 3) {
    // More integer digits than significant ones: scientific notation.
    std::snprintf(buf, sizeof buf, "%.2E", msr);
    return buf;
  }
  const double scale = std::pow(10.0, 2 - exponent);
  std::snprintf(buf, sizeof buf, "%.3f", std::round(msr * scale) / scale);
  return buf;
}

int CheckDetectorResolution(Session& session) {
  ParameterSet& p = session.params;
  const ParameterInputs def;
  FieldReader r;
  r.Decimal(p.Edit1_detres0, def.Edit1_detres0, p.detres0);
  r.Decimal(p.Edit1_detres1, def.Edit1_detres1, p.detres1);
  r.Decimal(p.Edit1_detres2, def.Edit1_detres2, p.detres2);
  r.Decimal(p.Edit1_detres3, def.Edit1_detres3, p.detres3);
  r.Decimal(p.Edit1_detres4, def.Edit1_detres4, p.detres4);
  if (r.errors != 0) {
    session.messages.Show("problem with the parameters of detector resolution" +
                          std::to_string(r.errors));
  } else {
    session.Panel3Visible = false;
  }
  return r.errors;
}

int CheckDetectorCalibration(Session& session) {
  ParameterSet& p = session.params;
  const ParameterInputs def;
  FieldReader r;
  r.Decimal(p.Edit1_detkevch, def.Edit1_detkevch, p.detkevch);
  r.Decimal(p.Edit1_dete0, def.Edit1_dete0, p.dete0);
  if (r.errors != 0) {
    session.messages.Show("problem with the parameters of detector calibration");
  } else {
    session.Panel14Visible = false;
  }
  return r.errors;
}

void CheckDetectionGeometry(Session& session) {
  ParameterSet& p = session.params;
  const ParameterInputs def;
  // The distance divides the solid angle: zero or negative is as undefined as a typo.
  if (!ReadLength(p.Edit1_d, def.Edit1_d, p.d, false)) {
    session.messages.Show("detector distance is not well defined");
  }
  if (p.RadioButton3) {
    if (!ReadLength(p.Edit1_detdia, def.Edit1_detdia, p.det_width, true)) {
      session.messages.Show("diameter of the diafragma is not well defined");
    }
    p.det_length = p.det_width;
    // Area of the circular diaphragm over the distance squared: sr, times 1000: msr.
    p.solid_angle = std::numbers::pi * p.det_width * p.det_width / 4.0 / p.d / p.d * 1000.0;
  } else {
    if (!ReadLength(p.Edit1_ss, def.Edit1_ss, p.det_width, true)) {
      session.messages.Show("detector slit is not well defined");
    }
    if (!ReadLength(p.Edit1_hossz, def.Edit1_hossz, p.det_length, true)) {
      session.messages.Show("detector slit is not well defined");
    }
    p.solid_angle = p.det_width * p.det_length / p.d / p.d * 1000.0;
  }
  p.Label35 = FormatSolidAngle(p.solid_angle);
  session.activePage = "Detection";
}

namespace {

// The numeric texts "OK" and the reaction identification read, in the order of the pages;
// whole numbers where the field is one.
struct NumericText {
  const char* name;
  std::string ParameterInputs::*text;
  bool whole;
};

#define DODAVEV_NUMBER(name, whole)      \
  NumericText {                          \
#name, &ParameterInputs::name, whole \
  }
constexpr NumericText kNumericTexts[] = {
    // Beam.
    DODAVEV_NUMBER(Edit1_e0, false), DODAVEV_NUMBER(Edit1_z1, true),
    DODAVEV_NUMBER(Edit1_m1, false), DODAVEV_NUMBER(Edit1_chargestate_in, true),
    DODAVEV_NUMBER(Edit1_a, false), DODAVEV_NUMBER(Edit1_q1, false),
    DODAVEV_NUMBER(Edit1_bes, false), DODAVEV_NUMBER(Edit1_asb, false),
    DODAVEV_NUMBER(Edit1_diam, false), DODAVEV_NUMBER(Edit1_r, false),
    DODAVEV_NUMBER(Edit1_leng, false),
    // Sample.
    DODAVEV_NUMBER(Edit1_temperature, false), DODAVEV_NUMBER(Edit1_monothick, false),
    // Detection.
    DODAVEV_NUMBER(Edit1_z2, true), DODAVEV_NUMBER(Edit1_m2, false),
    DODAVEV_NUMBER(Edit1_chargestate_out, true), DODAVEV_NUMBER(Edit1_th, false),
    DODAVEV_NUMBER(Edit1_d, false), DODAVEV_NUMBER(Edit1_detdia, false),
    DODAVEV_NUMBER(Edit1_ss, false), DODAVEV_NUMBER(Edit1_hossz, false),
    DODAVEV_NUMBER(Edit1_ho, false), DODAVEV_NUMBER(Edit1_detkevch, false),
    DODAVEV_NUMBER(Edit1_dete0, false), DODAVEV_NUMBER(Edit1_detres0, false),
    DODAVEV_NUMBER(Edit1_detres1, false), DODAVEV_NUMBER(Edit1_detres2, false),
    DODAVEV_NUMBER(Edit1_detres3, false), DODAVEV_NUMBER(Edit1_detres4, false),
    // Reactions.
    DODAVEV_NUMBER(Edit1_mt, false), DODAVEV_NUMBER(Edit1_qm, false),
    DODAVEV_NUMBER(Edit1_level, true), DODAVEV_NUMBER(Edit1_c3, false),
    DODAVEV_NUMBER(Edit1_er, false), DODAVEV_NUMBER(Edit1_fwhm, false),
    DODAVEV_NUMBER(Edit1_rezmin, false), DODAVEV_NUMBER(Edit1_rezmax, false),
    DODAVEV_NUMBER(Edit1_estep, false), DODAVEV_NUMBER(Edit1_depthmax, false),
    DODAVEV_NUMBER(Edit1_x, false), DODAVEV_NUMBER(Edit1_thr, false),
    DODAVEV_NUMBER(Edit1_x_corr, false),
    // Optimisation.
    DODAVEV_NUMBER(Edit1_theta_min, false), DODAVEV_NUMBER(Edit1_theta_max, false),
    DODAVEV_NUMBER(Edit1_Alfa_min, false), DODAVEV_NUMBER(Edit1_step_deg, false),
    DODAVEV_NUMBER(Edit1_dex1, false), DODAVEV_NUMBER(Edit1_dex2, false),
    DODAVEV_NUMBER(Edit1_dex3, false), DODAVEV_NUMBER(Edit1_dex4, false),
    // Simulation.
    DODAVEV_NUMBER(Edit1_itlength, false), DODAVEV_NUMBER(Edit1_channels, true)};
#undef DODAVEV_NUMBER

}  // namespace

std::vector<UnreadableField> UnreadableFields(const ParameterInputs& inputs) {
  std::vector<UnreadableField> bad;
  for (const NumericText& n : kNumericTexts) {
    const std::string& text = inputs.*n.text;
    std::optional<double> value;
    if (n.whole) {
      if (std::optional<std::int32_t> v = ParseInteger(text)) value = *v;
    } else {
      value = ParseDecimal(text);
    }
    if (!value) {
      bad.push_back({n.name, "not a number"});
      continue;
    }
    // The field name of the range table is the control name without "Edit1_".
    const std::string_view field = std::string_view(n.name).substr(6);
    if (const InputRange* range = FindInputRange(field)) {
      if (!(*value >= range->min && *value <= range->max))
        bad.push_back({n.name, "outside the range: " + DescribeInputRange(*range)});
    }
  }
  return bad;
}

namespace {

// The texts of the fields "OK" reads with the slit and diaphragm shapes chosen: the
// other shape's sizes are not read and not checked.
bool ReadByOk(const ParameterInputs& in, std::string_view name) {
  if (name == "Edit1_diam") return in.RadioButton1;
  if (name == "Edit1_r") return !in.RadioButton1;
  if (name == "Edit1_detdia") return in.RadioButton3;
  if (name == "Edit1_ss" || name == "Edit1_hossz") return !in.RadioButton3;
  return true;
}

std::string WithoutLeadingBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

// A number outside the physical range of its field is refused like a format error: it is
// shown with the field, the value and the range, counted, and the field reads its
// default text while "OK" runs. The typed texts come back when the action ends, so the
// user sees and corrects what was typed.
class RangeRefusals {
 public:
  RangeRefusals(ParameterInputs& in, MessageSink& messages) : in_(in) {
    const ParameterInputs def;
    for (const NumericText& n : kNumericTexts)
      Check(n.name, n.text, n.whole, def, messages);
    Check("Edit1_NRACrossConstant", &ParameterInputs::Edit1_NRACrossConstant, false, def, messages);
  }
  ~RangeRefusals() {
    for (auto& [member, typed] : typed_)
      in_.*member = std::move(typed);
  }
  RangeRefusals(const RangeRefusals&) = delete;
  RangeRefusals& operator=(const RangeRefusals&) = delete;

  int count() const { return static_cast<int>(typed_.size()); }

 private:
  void Check(const char* name, std::string ParameterInputs::*member, bool whole,
             const ParameterInputs& def, MessageSink& messages) {
    if (!ReadByOk(in_, name)) return;
    const InputRange* range = FindInputRange(std::string_view(name).substr(6));
    if (range == nullptr) return;
    std::optional<double> value;
    if (whole) {
      if (std::optional<std::int32_t> v = ParseInteger(in_.*member)) value = *v;
    } else {
      value = ParseDecimal(in_.*member);
    }
    if (!value || (*value >= range->min && *value <= range->max)) return;
    messages.Show(std::string(range->field) + " = " + WithoutLeadingBlanks(in_.*member) +
                  " is outside the range of " + DescribeInputRange(*range) + "; " + def.*member +
                  " is used instead");
    typed_.emplace_back(member, std::move(in_.*member));
    in_.*member = def.*member;
  }

  ParameterInputs& in_;
  std::vector<std::pair<std::string ParameterInputs::*, std::string>> typed_;
};

}  // namespace

void Button10Click(Session& session) {
  CheckDetectorResolution(session);
}
void Button11Click(Session& session) {
  CheckDetectorCalibration(session);
}

void Button5Click(Session& session) {
  ParameterSet& p = session.params;
  const ParameterInputs def;

  // 1-2.
  session.parametersVisible = false;
  p.kin_sign = 1;

  // 3-5. Numbers outside their ranges, every plain field, then the detector panels, each
  // panel with its own message.
  const RangeRefusals refusals(p, session.messages);
  int errors = refusals.count();
  errors += ReadPlainFields(p, def);
  errors += ReadChannelCount(session);
  errors += CheckDetectorResolution(session);
  errors += CheckDetectorCalibration(session);
  if (errors != 0) {
    session.messages.Show("Problem with the parameters");
    ShowParameterPages(session);
  }

  // 6-7.
  CheckDetectionGeometry(session);
  IdentifyReaction(session);

  // 8. At most one message, even when both charge states are too large.
  if (p.chargestate_in > p.z1 || p.chargestate_out > p.z2) {
    session.messages.Show("Problem with the charge state parameters");
    ShowParameterPages(session);
  }

  // 9.
  ParseLayerStructure(p.richedit1, session.sample, session.elements, p.z1, p.z2, session.messages);
  if (session.sample.empty()) {
    session.messages.Show("Target is not defined");
    session.activePage = "Sample";
    ShowParameterPages(session);
  }

  // 10. A monolayer (at/cm2) over the density of the first layer (1e22 at/cm3) is a
  // thickness: monothick / 1e22 / n cm = monothick / 1e15 / n * 0.001 micron. Without a
  // first layer of known density there is nothing to divide by; the typed step stays.
  if (p.monothick > kZeroTolerance && !session.sample.empty() &&
      session.sample.layers.front().density > kZeroTolerance) {
    p.x = p.monothick / 1e15 / session.sample.layers.front().density * 0.001;
  }

  // 11. An empty absorber text gives a structure without layers: no foil.
  ParseLayerStructure(p.RichEdit2, session.absorber, session.elements, p.z1, p.z2,
                      session.messages);

  // 12.
  p.geometry = p.RadioButton5 ? 'I' : 'C';
  p.det_shape = p.RadioButton3 ? 'C' : 'R';
  p.beam_shape = p.RadioButton1 ? 'C' : 'R';

  // 13. Multiples of the depth step (micron) become depths in nm.
  for (double& depth : p.dex)
    depth *= p.x * 1000.0;

  // 14-16.
  session.results.detailReport.clear();
  session.stoppingDataNote.clear();
  ApplyStoppingTableChoice(session);
  ReportStoppingSources(session);
  LoadCrossSectionFiles(session);

  // 17. Neither counted nor reported.
  FieldReader quiet;
  quiet.Decimal(p.Edit1_NRACrossConstant, def.Edit1_NRACrossConstant, p.NRACrossConstant);
}

void calculations1Click(Session& session) {
  Button5Click(session);
}

}  // namespace dodavev
