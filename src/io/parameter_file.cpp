#include "io/parameter_file.hpp"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "io/number_parse.hpp"
#include "io/text_file.hpp"

namespace dodavev {
namespace {

// The line sequence of a parameter file, shared by the writer and the reader: `v` gets
// every label, value, choice and list in file order.
template <typename Visitor>
void Walk(Visitor& v, ParameterInputs& in) {
  v.Label("atomic number of the incident ion");
  v.Text(in.Edit1_z1);
  v.Label("charge state of the incident ion");
  v.Text(in.Edit1_chargestate_in);
  v.Label("mass number of the incident ion");
  v.Text(in.Edit1_m1);
  v.Label("energy of the incident beam");
  v.Text(in.Edit1_e0);
  v.Label("incident angle (angle between the incident beam and surface of the sample)");
  v.Text(in.Edit1_a);
  v.Label("dose (microC)");
  v.Text(in.Edit1_q1);
  v.Label("shape of the slit");
  v.Shape(in.RadioButton1, in.RadioButton2, in.Edit1_diam, in.Edit1_r, in.Edit1_leng);
  v.Label("beam energy spread [keV]");
  v.Text(in.Edit1_bes);
  v.Label("angular spread of the incident beam [deg]");
  v.Text(in.Edit1_asb);
  v.Label("Please, define the layer structure of the sample in a separate file");
  v.Label("Sample temperature [K]");
  v.Text(in.Edit1_temperature);
  v.Label(
      "Thickness of a monolayer [at/cm2] (0 for amorf sample); In this case the iteration "
      "step will be this value!");
  v.Text(in.Edit1_monothick);
  v.Label("atomic number of the emitted ion");
  v.Text(in.Edit1_z2);
  v.Label("charge state of the emitted ion");
  v.Text(in.Edit1_chargestate_out);
  v.Label("mass number of the emitted ion");
  v.Text(in.Edit1_m2);
  v.Label("scattering angle (angle between the incident beam and thedirection of the detector)");
  v.Text(in.Edit1_th);
  v.Label("detector - target distance");
  v.Text(in.Edit1_d);
  v.Label("shape of the detector diaphragm");
  v.Shape(in.RadioButton3, in.RadioButton4, in.Edit1_detdia, in.Edit1_ss, in.Edit1_hossz);
  v.Label("position of the detector");
  v.Position(in.RadioButton5, in.RadioButton6);
  v.Label("Please, define the layer structure of the absorbens in a separate file");
  v.Label("Inhomogeneity [micron]");
  v.Text(in.Edit1_ho);
  v.Label("Energy calibration of the detector (linear)");
  v.Label("keV/ch");
  v.Text(in.Edit1_detkevch);
  v.Label("E0");
  v.Text(in.Edit1_dete0);
  v.Label(
      "the detector resolution = a0 + a1 * E^a2 + a3 * E^a4  , where E is the energy of the "
      "detected ion [keV]");
  v.Label("a0");
  v.Text(in.Edit1_detres0);
  v.Label("a1");
  v.Text(in.Edit1_detres1);
  v.Label("a2");
  v.Text(in.Edit1_detres2);
  v.Label("a3");
  v.Text(in.Edit1_detres3);
  v.Label("a4");
  v.Text(in.Edit1_detres4);
  v.Label("Symbol of the target element");
  v.Text(in.Edit1_target);
  v.Label("Its mass number");
  v.Text(in.Edit1_mt);
  v.Label("Isotopic abundance");
  v.Text(in.Edit1_c3);
  v.Label("Q-value for ground state");
  v.Text(in.Edit1_qm);
  v.Label("Excitation level");
  v.Text(in.Edit1_level);
  v.Label("Resonance energy [keV]");
  v.Text(in.Edit1_er);
  v.Label("Resonance width [keV]");
  v.Text(in.Edit1_fwhm);
  v.Label("Minimum energy [keV]");
  v.Text(in.Edit1_rezmin);
  v.Label("Maximum energy [keV]");
  v.Text(in.Edit1_rezmax);
  v.Label("Energy step [keV]");
  v.Text(in.Edit1_estep);
  v.Label("  Iteration step [micron]  ");
  v.Text(in.Edit1_x);
  v.Label("  Max. depth [micron]  ");
  v.Text(in.Edit1_depthmax);
  v.Label("  Threshold energy [keV] ");
  v.Text(in.Edit1_thr);
  v.Label("corr.X [at/cm2] ");
  v.Text(in.Edit1_x_corr);
  v.Label("Beam energy and angular spread");
  v.Check(in.CheckBeam);
  v.Label("Energy straggling (Bohr)");
  v.Check(in.CheckStraggling);
  v.Label("Chu`s correction for Bohr straggling");
  v.Check(in.CheckChu);
  v.Label("Yang`s correction for straggling");
  v.Check(in.CheckYang);
  v.Label("Multiple scattering");
  v.Check(in.CheckMS);
  v.Label("Doppler effect");
  v.Check(in.CheckDoppler);
  v.Label("Geometrical contribution");
  v.Check(in.CheckGeo);
  v.Label("Energy spread of the detector");
  v.Check(in.CheckDet);
  v.Label("No energy spread at all");
  v.Check(in.CheckNothing);
  v.Label("All the energy spread contributions");
  v.Check(in.CheckAll);
  v.Label("Stopping correction; recommended : true");
  v.Check(in.Checktschalar);
  v.Label("Kinematic correction for magnetic spectrograph in the scattering plane");
  v.Check(in.CheckKinematic);
  v.Label("perpendicular plane");
  v.Check(in.CheckKinematic2);
  v.Label("Theta min. [deg]");
  v.Text(in.Edit1_theta_min);
  v.Label("Theta max. [deg] ");
  v.Text(in.Edit1_theta_max);
  v.Label("Alfa min. [deg] ");
  v.Text(in.Edit1_Alfa_min);
  v.Label("Step  [deg]");
  v.Text(in.Edit1_step_deg);
  v.Label("Depth (multipled by iteration step): x1");
  v.Text(in.Edit1_dex1);
  v.Label("x2");
  v.Text(in.Edit1_dex2);
  v.Label("x3");
  v.Text(in.Edit1_dex3);
  v.Label("x4");
  v.Text(in.Edit1_dex4);
  v.Label("use ZBL 2003 stopping powers from files");
  v.Radio(in.RadioButton_ZBL2003, in.RadioButton_ZBL92);
  v.List("File details for stopping powers", in.registry.CheckListBox1);
  v.Label("Elastic Scattering cross section: Rutherford");
  v.Radio(in.RadioButton_ESS_Rutherford, in.RadioButton_ESS_NonRutherford);
  v.List("File details for Elastic Scattering", in.registry.CheckListBox_ESS);
  v.Label("ERD cross section: Rutherford");
  v.Radio(in.RadioButton_ERD_Rutherford, in.RadioButton_ERD_NonRutherford);
  v.List("File details for ERD", in.registry.CheckListBox_ERD);
  v.Label("NRA cross section: Constant");
  v.Radio(in.RadioButton_NRAConstans, in.RadioButton_NRA_Files);
  v.Text(in.Edit1_NRACrossConstant);
  v.List("File details for NRA", in.registry.CheckListBox_NRA);
  v.Text(in.ComboBox_HEERD_d);
  v.Text(in.ComboBox_HEERD_p);
  v.Label("screening function for Rutherford cross section");
  v.Text(in.ComboBox1);
  v.Label("iteration length for simulation");
  v.Text(in.Edit1_itlength);
  v.Label("simulate only one isotop");
  v.Flag(in.CheckBox1_given_target);
  // Lines added after the original sequence; a file that ends before them keeps its
  // meaning: 600 channels and no measured spectrum.
  v.Label("number of channels");
  v.TextOr(in.Edit1_channels, "600");
  v.Label("measured spectrum file");
  v.Text(in.MeasuredSpectrumFile);
  v.Label("nuclear stopping for H and He ions");
  v.Flag(in.CheckNuclearStopping);
  v.Label("fit parameters");
  v.Text(in.Edit1_fit_parameters);
  v.Label("fit channels");
  v.Text(in.Edit1_fit_channels);
}

// Check boxes of the options are written in lower case, choices and flags in upper case.
constexpr std::string_view Lower(bool b) {
  return b ? "true" : "false";
}
constexpr std::string_view Upper(bool b) {
  return b ? "TRUE" : "FALSE";
}

class Writer {
 public:
  void Label(std::string_view text) { Line(text); }
  void Text(const std::string& value) { Line(value); }
  void TextOr(const std::string& value, std::string_view /*fallback*/) { Line(value); }
  void Check(bool value) { Line(Lower(value)); }
  void Flag(bool value) { Line(Upper(value)); }
  void Radio(bool first, bool /*second*/) { Line(Upper(first)); }
  void Shape(bool circular, bool /*rectangular*/, const std::string& diameter,
             const std::string& width, const std::string& length) {
    Line(circular ? "circular" : "rectangular");
    Line(circular ? diameter : width);
    Line(circular ? diameter : length);
  }
  void Position(bool ibm, bool /*cornell*/) { Line(ibm ? "IBM" : "Cornell"); }
  void List(std::string_view label, const std::vector<RegistryEntry>& entries) {
    Line(label);
    Line(std::to_string(entries.size()));
    for (const RegistryEntry& e : entries) {
      Line(Upper(e.checked));
      Line(e.text);
    }
  }

  std::string out;

 private:
  void Line(std::string_view text) {
    for (char c : text)
      out.push_back(c == '\r' || c == '\n' ? ' ' : c);
    out += "\r\n";
  }
};

class Reader {
 public:
  explicit Reader(std::string_view text) : lines_(text) {}

  void Label(std::string_view /*text*/) { Skip(); }
  void Text(std::string& value) {
    if (Failed()) return;
    value = lines_.Next();
  }
  // A line the file does not reach reads `fallback` rather than an empty text.
  void TextOr(std::string& value, std::string_view fallback) {
    if (Failed()) return;
    value = lines_.AtEnd() ? std::string(fallback) : std::string(lines_.Next());
  }
  void Check(bool& value) {
    if (Failed()) return;
    value = lines_.Next() == "true";
  }
  void Flag(bool& value) {
    if (Failed()) return;
    value = lines_.Next() == "TRUE";
  }
  void Radio(bool& first, bool& second) {
    if (Failed()) return;
    first = lines_.Next() == "TRUE";
    second = !first;
  }
  void Shape(bool& circular, bool& rectangular, std::string& diameter, std::string& width,
             std::string& length) {
    if (Failed()) return;
    circular = lines_.Next() == "circular";
    rectangular = !circular;
    // A circular slit is written as its diameter twice; the first copy is skipped.
    if (circular) {
      lines_.Next();
      diameter = lines_.Next();
    } else {
      width = lines_.Next();
      length = lines_.Next();
    }
  }
  void Position(bool& ibm, bool& cornell) {
    if (Failed()) return;
    ibm = lines_.Next() == "IBM";
    cornell = !ibm;
  }
  void List(std::string_view /*label*/, std::vector<RegistryEntry>& entries) {
    if (Failed()) return;
    entries.clear();
    lines_.Next();               // label
    if (lines_.AtEnd()) return;  // the file ended before the count: an empty list
    std::string_view countLine = lines_.Next();
    while (!countLine.empty() && (countLine.back() == ' ' || countLine.back() == '\t')) {
      countLine.remove_suffix(1);
    }
    std::optional<std::int32_t> count = ParseInteger(countLine);
    if (!count || *count < 0) {
      result.code = kInvalidNumericFormat;
      result.line = lines_.LinesRead();
      return;
    }
    // Entries that lie beyond the end of the file are not entries: a count larger than
    // the file can hold ends with the file.
    for (std::int32_t i = 0; i < *count && !lines_.AtEnd(); ++i) {
      RegistryEntry entry;
      entry.checked = lines_.Next() == "TRUE";
      entry.text = lines_.Next();
      if (entries.size() < kMaxRegistryEntries) {
        entries.push_back(std::move(entry));
      } else {
        ++result.droppedEntries;
      }
    }
  }

  ParameterReadResult result;

 private:
  bool Failed() const { return result.code != 0; }
  void Skip() {
    if (!Failed()) lines_.Next();
  }

  LineCursor lines_;
};

}  // namespace

std::string_view LineCursor::Next() {
  if (pos_ >= text_.size()) return {};
  ++linesRead_;
  std::size_t end = text_.find_first_of("\r\n", pos_);
  if (end == std::string_view::npos) end = text_.size();
  std::string_view line = text_.substr(pos_, end - pos_);
  pos_ = end + 1;
  // CR LF is one line end; a CR alone (old Macintosh files) is one too.
  if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') {
    ++pos_;
  }
  return line;
}

ParameterReadResult ParseParameterText(std::string_view text, ParameterInputs& inputs) {
  Reader reader(text);
  Walk(reader, inputs);
  return reader.result;
}

std::string FormatParameterFile(const ParameterInputs& inputs) {
  Writer writer;
  ParameterInputs copy = inputs;
  Walk(writer, copy);
  return writer.out;
}

ParameterReadResult ReadParameterFile(const std::filesystem::path& path, ParameterInputs& inputs) {
  std::string content;
  int code = ReadTextFileCapped(path, kMaxParameterFileBytes, content);
  if (code != 0) return ParameterReadResult{code, 0};
  return ParseParameterText(content, inputs);
}

int WriteParameterFile(const std::filesystem::path& path, const ParameterInputs& inputs) {
  return WriteFileAtomically(path, FormatParameterFile(inputs));
}

}  // namespace dodavev
