#include "app/input_fields.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "app/parameter_actions.hpp"
#include "io/number_parse.hpp"
#include "model/input_ranges.hpp"

namespace dodavev {
namespace {

constexpr std::array<const char*, 2> kScreeningItems{"no screening", "L'Ecuer screening"};
constexpr std::array<const char*, 4> kProtonErdItems{"Rutherford", "Quillet", "Benenson",
                                                     "Merovan"};
constexpr std::array<const char*, 2> kDeuteronErdItems{"Rutherford", "Quillet"};

using In = ParameterInputs;

constexpr InputField Number(const char* name, const char* shortName, std::string In::*text) {
  return {name, shortName, InputKind::kNumber, text};
}
constexpr InputField Whole(const char* name, const char* shortName, std::string In::*text) {
  return {name, shortName, InputKind::kWholeNumber, text};
}
constexpr InputField Text(const char* name, const char* shortName, InputKind kind,
                          std::string In::*text, const char* caption) {
  return {name, shortName, kind, text, nullptr, nullptr, {}, caption};
}
constexpr InputField Choice(const char* name, const char* shortName, std::string In::*text,
                            std::span<const char* const> items, const char* caption) {
  return {name, shortName, InputKind::kChoice, text, nullptr, nullptr, items, caption};
}
constexpr InputField Check(const char* name, bool In::*flag, const char* caption) {
  return {name, name, InputKind::kCheckBox, nullptr, flag, nullptr, {}, caption};
}
constexpr InputField Radio(const char* name, bool In::*flag, bool In::*partner,
                           const char* caption) {
  return {name, name, InputKind::kRadio, nullptr, flag, partner, {}, caption};
}

#define DODAVEV_NUMBER(name) Number("Edit1_" #name, #name, &In::Edit1_##name)
#define DODAVEV_WHOLE(name) Whole("Edit1_" #name, #name, &In::Edit1_##name)

// The same inputs as the window's controls, in the order of its pages.
const std::array kFields{
    // Beam.
    DODAVEV_NUMBER(e0),
    DODAVEV_WHOLE(z1),
    DODAVEV_NUMBER(m1),
    DODAVEV_WHOLE(chargestate_in),
    DODAVEV_NUMBER(a),
    DODAVEV_NUMBER(q1),
    DODAVEV_NUMBER(bes),
    DODAVEV_NUMBER(asb),
    Radio("RadioButton1", &In::RadioButton1, &In::RadioButton2, "beam slit \"Circular\""),
    Radio("RadioButton2", &In::RadioButton2, &In::RadioButton1, "beam slit \"Rectangular\""),
    DODAVEV_NUMBER(diam),
    DODAVEV_NUMBER(r),
    DODAVEV_NUMBER(leng),
    // Sample.
    DODAVEV_NUMBER(temperature),
    DODAVEV_NUMBER(monothick),
    Text("richedit1", "sample", InputKind::kLayerText, &In::richedit1, "sample layer text"),
    Text("samplefile", "samplefile", InputKind::kLabel, &In::samplefile,
         "name of the loaded sample layer file"),
    // Detection.
    DODAVEV_WHOLE(z2),
    DODAVEV_NUMBER(m2),
    DODAVEV_WHOLE(chargestate_out),
    DODAVEV_NUMBER(th),
    DODAVEV_NUMBER(d),
    Radio("RadioButton3", &In::RadioButton3, &In::RadioButton4, "detector diaphragm \"Circular\""),
    Radio("RadioButton4", &In::RadioButton4, &In::RadioButton3,
          "detector diaphragm \"Rectangular\""),
    DODAVEV_NUMBER(detdia),
    DODAVEV_NUMBER(ss),
    DODAVEV_NUMBER(hossz),
    Text("Label35", "solid_angle", InputKind::kLabel, &In::Label35,
         "solid angle shown after \"OK\" [msr]"),
    Radio("RadioButton5", &In::RadioButton5, &In::RadioButton6, "detector position \"IBM\""),
    Radio("RadioButton6", &In::RadioButton6, &In::RadioButton5, "detector position \"CORNELL\""),
    DODAVEV_NUMBER(ho),
    Text("RichEdit2", "absorber", InputKind::kLayerText, &In::RichEdit2,
         "absorber foil layer text"),
    Text("Absorbensfile", "Absorbensfile", InputKind::kLabel, &In::Absorbensfile,
         "name of the loaded absorber layer file"),
    DODAVEV_NUMBER(detkevch),
    DODAVEV_NUMBER(dete0),
    DODAVEV_NUMBER(detres0),
    DODAVEV_NUMBER(detres1),
    DODAVEV_NUMBER(detres2),
    DODAVEV_NUMBER(detres3),
    DODAVEV_NUMBER(detres4),
    // Reactions.
    Text("Edit1_target", "target", InputKind::kText, &In::Edit1_target,
         "symbol of the target element"),
    DODAVEV_NUMBER(mt),
    DODAVEV_NUMBER(qm),
    DODAVEV_WHOLE(level),
    DODAVEV_NUMBER(c3),
    DODAVEV_NUMBER(er),
    DODAVEV_NUMBER(fwhm),
    DODAVEV_NUMBER(rezmin),
    DODAVEV_NUMBER(rezmax),
    DODAVEV_NUMBER(estep),
    DODAVEV_NUMBER(depthmax),
    DODAVEV_NUMBER(x),
    DODAVEV_NUMBER(thr),
    DODAVEV_NUMBER(x_corr),
    Text("Label_reaction", "Label_reaction", InputKind::kLabel, &In::Label_reaction,
         "reaction found by the reaction identification"),
    Text("Label_iba", "Label_iba", InputKind::kLabel, &In::Label_iba, "kind of analysis"),
    Text("Label_given_target", "Label_given_target", InputKind::kLabel, &In::Label_given_target,
         "target isotope of the simulation"),
    // Options.
    Check("CheckAll", &In::CheckAll, "every contribution (sets the others)"),
    Check("CheckGeo", &In::CheckGeo, "geometrical spread"),
    Check("CheckStraggling", &In::CheckStraggling, "energy straggling"),
    Check("CheckChu", &In::CheckChu, "Chu straggling"),
    Check("CheckYang", &In::CheckYang, "Yang straggling"),
    Check("CheckMS", &In::CheckMS, "multiple scattering"),
    Check("CheckDoppler", &In::CheckDoppler, "Doppler broadening"),
    Check("CheckBeam", &In::CheckBeam, "beam energy and angular spread"),
    Check("CheckDet", &In::CheckDet, "detector resolution"),
    Check("CheckNothing", &In::CheckNothing, "no contribution (clears the others)"),
    Check("Checktschalar", &In::Checktschalar, "Tschalar effect in the absorber"),
    Check("CheckNuclearStopping", &In::CheckNuclearStopping, "nuclear stopping for H and He ions"),
    Check("CheckKinematic", &In::CheckKinematic,
          "magnetic spectrograph, kinematic correction in the scattering plane"),
    Check("CheckKinematic2", &In::CheckKinematic2,
          "magnetic spectrograph, kinematic correction perpendicular to it"),
    Check("CheckMS_max", &In::CheckMS_max, "MS max = lateral spread correction"),
    // Optimisation.
    DODAVEV_NUMBER(theta_min),
    DODAVEV_NUMBER(theta_max),
    DODAVEV_NUMBER(Alfa_min),
    DODAVEV_NUMBER(step_deg),
    DODAVEV_NUMBER(dex1),
    DODAVEV_NUMBER(dex2),
    DODAVEV_NUMBER(dex3),
    DODAVEV_NUMBER(dex4),
    // Stopping powers and cross sections.
    Radio("RadioButton_ZBL2003", &In::RadioButton_ZBL2003, &In::RadioButton_ZBL92,
          "stopping \"ZBL 2003 from files\""),
    Radio("RadioButton_ZBL92", &In::RadioButton_ZBL92, &In::RadioButton_ZBL2003,
          "stopping \"ZBL '95\""),
    Radio("RadioButton_ESS_Rutherford", &In::RadioButton_ESS_Rutherford,
          &In::RadioButton_ESS_NonRutherford, "elastic scattering: Rutherford"),
    Radio("RadioButton_ESS_NonRutherford", &In::RadioButton_ESS_NonRutherford,
          &In::RadioButton_ESS_Rutherford, "elastic scattering: from files"),
    Radio("RadioButton_ERD_Rutherford", &In::RadioButton_ERD_Rutherford,
          &In::RadioButton_ERD_NonRutherford, "recoils: Rutherford"),
    Radio("RadioButton_ERD_NonRutherford", &In::RadioButton_ERD_NonRutherford,
          &In::RadioButton_ERD_Rutherford, "recoils: from files"),
    Radio("RadioButton_NRAConstans", &In::RadioButton_NRAConstans, &In::RadioButton_NRA_Files,
          "nuclear reactions: \"Constant\" cross section"),
    Radio("RadioButton_NRA_Files", &In::RadioButton_NRA_Files, &In::RadioButton_NRAConstans,
          "nuclear reactions: \"From Files\""),
    DODAVEV_NUMBER(NRACrossConstant),
    Choice("ComboBox1", "screening", &In::ComboBox1, kScreeningItems,
           "screening of the Rutherford cross section"),
    Choice("ComboBox_HEERD_p", "he_erd_proton", &In::ComboBox_HEERD_p, kProtonErdItems,
           "p(4He,p)4He cross section"),
    Choice("ComboBox_HEERD_d", "he_erd_deuteron", &In::ComboBox_HEERD_d, kDeuteronErdItems,
           "d(4He,d)4He cross section"),
    // Simulation.
    DODAVEV_NUMBER(itlength),
    Check("CheckBox1_given_target", &In::CheckBox1_given_target, "only the given target isotope"),
    DODAVEV_WHOLE(channels),
    Text("MeasuredSpectrumFile", "measured_spectrum_file", InputKind::kText,
         &In::MeasuredSpectrumFile, "measured spectrum file (empty for none)"),
    Text("Edit1_fit_parameters", "fit_parameters", InputKind::kText, &In::Edit1_fit_parameters,
         "what the spectrum fit fits: \"thickness 1, amount 2 Si, calibration, resolution, "
         "dose\""),
    Text("Edit1_fit_channels", "fit_channels", InputKind::kText, &In::Edit1_fit_channels,
         "first and last channel of the spectrum fit"),
};

#undef DODAVEV_NUMBER
#undef DODAVEV_WHOLE

std::string Quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

std::string WithoutLeadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

}  // namespace

std::span<const InputField> InputFields() {
  return kFields;
}

const InputField* FindInputField(std::string_view name) {
  for (const InputField& f : kFields) {
    if (name == f.name || name == f.shortName) return &f;
  }
  return nullptr;
}

std::string UnknownInputText(std::string_view name) {
  return "unknown input " + Quoted(name) +
         ": inputs are named as their controls (\"Edit1_e0\", \"CheckMS\") or as their fields "
         "(\"e0\", \"th\", \"sample\", \"absorber\")";
}

std::string InputTextProblem(const InputField& field, std::string_view text) {
  switch (field.kind) {
    case InputKind::kNumber:
    case InputKind::kWholeNumber: {
      std::optional<double> value;
      if (field.kind == InputKind::kWholeNumber) {
        if (std::optional<std::int32_t> v = ParseInteger(text)) value = *v;
      } else {
        value = ParseDecimal(text);
      }
      std::string typed = WithoutLeadingBlanks(text);
      if (typed.empty()) typed = "\"\"";
      const std::string shown = std::string(field.shortName) + " = " + typed;
      if (!value) {
        return shown + (field.kind == InputKind::kWholeNumber ? " is not a whole number"
                                                              : " is not a number");
      }
      // The same refusal "OK" shows for a number outside the physical range of its field.
      if (const InputRange* range = FindInputRange(field.shortName)) {
        if (!(*value >= range->min && *value <= range->max))
          return shown + " is outside the range of " + DescribeInputRange(*range);
      }
      return {};
    }
    case InputKind::kChoice: {
      const ParameterInputs defaults;
      // The text shown before a choice is made ("Screening") stands for no choice.
      if (text == defaults.*field.text) return {};
      if (std::find(field.choices.begin(), field.choices.end(), text) != field.choices.end())
        return {};
      std::string s =
          std::string(field.shortName) + " = " + std::string(text) + " is not one of the choices ";
      for (std::size_t i = 0; i < field.choices.size(); ++i) {
        if (i != 0) s += ", ";
        s += Quoted(field.choices[i]);
      }
      return s;
    }
    case InputKind::kLabel:
      return std::string(field.shortName) + " is written by the program and cannot be set";
    case InputKind::kCheckBox:
    case InputKind::kRadio:
      return std::string(field.shortName) + " is a switch: set it on or off";
    case InputKind::kText:
    case InputKind::kLayerText:
      return {};
  }
  return {};
}

std::string SetInputText(ParameterInputs& inputs, const InputField& field, std::string text) {
  std::string problem = InputTextProblem(field, text);
  if (problem.empty()) inputs.*field.text = std::move(text);
  return problem;
}

std::string SetInputSwitch(ParameterInputs& inputs, const InputField& field, bool on) {
  if (!field.IsSwitch()) {
    return std::string(field.shortName) + " is not a switch: set it to a text or a number";
  }
  if (field.flag == &ParameterInputs::CheckAll) {
    CheckAllClick(inputs, on);
  } else if (field.flag == &ParameterInputs::CheckNothing) {
    CheckNothingClick(inputs, on);
  } else if (field.kind == InputKind::kRadio) {
    if (on) {
      SelectRadio(inputs.*field.flag, inputs.*field.partner);
    } else {
      SelectRadio(inputs.*field.partner, inputs.*field.flag);
    }
  } else {
    inputs.*field.flag = on;
  }
  return {};
}

}  // namespace dodavev
