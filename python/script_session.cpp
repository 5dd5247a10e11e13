#include "script_session.hpp"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "app/calculations.hpp"
#include "app/input_fields.hpp"
#include "app/layer_file_actions.hpp"
#include "app/ok_action.hpp"
#include "app/output_actions.hpp"
#include "app/parameter_actions.hpp"
#include "app/program.hpp"
#include "app/session.hpp"

namespace dodavev {
namespace {

// Values 1..49 of a resolution-table row; value 50 is not used.
constexpr int kRowValues = 49;

ScriptTable MakeTable(std::vector<std::string> columns) {
  ScriptTable t;
  t.columns = std::move(columns);
  return t;
}

// The input/output error code of a message "#" + code (+ " " + file), else 0.
int IoErrorCode(const std::string& text) {
  if (text.size() < 2 || text[0] != '#' || !std::isdigit(static_cast<unsigned char>(text[1])))
    return 0;
  int code = 0;
  for (std::size_t i = 1; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
       ++i) {
    code = code * 10 + (text[i] - '0');
    if (code > 100000) break;
  }
  return code;
}

}  // namespace

const std::vector<std::string>& ResolutionColumnNames() {
  // Named after the report's column heads where a value is printed, after its meaning
  // otherwise; "k" values are the coefficients of the multiple-scattering combination.
  static const std::vector<std::string> kNames{
      "depth",              // 1  [nm]
      "depth_resolution",   // 2  [nm]
      "det",                // 3  total energy spread at the detector [keV]
      "E",                  // 4  energy before the reaction [keV]
      "dE",                 // 5  energy spread before the reaction [keV]
      "dfi",                // 6  angular spread before the reaction [deg]
      "beame",              // 7  beam energy spread [keV]
      "beama",              // 8  beam angular spread [keV]
      "geo",                // 9  geometrical [keV]
      "ss",                 // 10 straggling [keV]
      "msi",                // 11 multiple scattering in [keV]
      "mso",                // 12 multiple scattering out [keV]
      "tot",                // 13 total [keV]
      "error",              // 14 error of the approximation [%]
      "bes_transfer",       // 15 bes times the beam-energy transfer factor [keV]
      "straggling_in",      // 16 [keV]
      "straggling_out",     // 17 [keV]
      "tau_in",             // 18 incoming reduced thickness
      "fi_in",              // 19 incoming half-width angle [deg]
      "nu_in",              // 20 incoming 1/nu
      "k_energy_in",        // 21
      "k_path_in",          // 22
      "k_in",               // 23 value 22 / value 21 (IBM)
      "k_energy_perp_in",   // 24
      "k_path_perp_in",     // 25
      "dopll",              // 26 Doppler [keV]
      "tau_out",            // 27
      "fi_out",             // 28 [deg]
      "nu_out",             // 29
      "k_energy_out",       // 30
      "k_path_out",         // 31
      "k_out",              // 32 value 31 / value 30 (IBM)
      "k_energy_perp_out",  // 33
      "k_path_perp_out",    // 34
      "k_perp_out",         // 35 value 34 / value 33 (Cornell)
      "S_eff",              // 36 [keV/nm]
      "beam_transfer",      // 37 beam-energy transfer factor, way in
      "spread_transfer",    // 38 energy-spread transfer factor, way out
      "E_det",              // 39 mean detected energy [keV]
      "yield",              // 40 yield term of the step
      "m_res",              // 41
      "ms_42",              // 42 auxiliary
      "m_dE",               // 43 shape of the spread before the reaction
      "det_plus",           // 44 detected spread, plus edge [keV]
      "m_det",              // 45 mean detected shape
      "ms_46",              // 46 auxiliary
      "ms_47",              // 47 auxiliary
      "ms_48",              // 48 auxiliary
      "det_minus",          // 49 detected spread, minus edge [keV]
  };
  return kNames;
}

ScriptSession::ScriptSession(const std::filesystem::path& levDir)
    : session_(std::make_unique<Session>(sink_)) {
  FormCreate(*session_, levDir.parent_path(), levDir);
  startup_ = Take();
}

ScriptSession::~ScriptSession() = default;

std::filesystem::path ScriptSession::LevDirectory() const {
  return session_->levDir;
}

std::vector<std::string> ScriptSession::Take() {
  std::vector<std::string> taken = std::move(sink_.messages);
  sink_.messages.clear();
  return taken;
}

ScriptFileOutcome ScriptSession::FileOutcome() {
  ScriptFileOutcome out;
  out.messages = Take();
  for (const std::string& m : out.messages) {
    if (const int code = IoErrorCode(m); code != 0) {
      out.errorCode = code;
      break;
    }
  }
  return out;
}

std::string ScriptSession::GetText(const InputField& field) {
  const std::lock_guard lock(mutex_);
  return field.text != nullptr ? session_->params.*field.text : std::string();
}

bool ScriptSession::GetSwitch(const InputField& field) {
  const std::lock_guard lock(mutex_);
  return field.flag != nullptr && session_->params.*field.flag;
}

std::string ScriptSession::SetText(const InputField& field, std::string text, bool check) {
  const std::lock_guard lock(mutex_);
  ParameterInputs& in = session_->params;
  if (check || field.text == nullptr || field.kind == InputKind::kLabel)
    return SetInputText(in, field, std::move(text));
  // Unchecked, as typed into the window: "OK" reports what it cannot use.
  in.*field.text = std::move(text);
  return {};
}

std::string ScriptSession::SetSwitch(const InputField& field, bool on) {
  const std::lock_guard lock(mutex_);
  return SetInputSwitch(session_->params, field, on);
}

void ScriptSession::ResetInputs() {
  const std::lock_guard lock(mutex_);
  ParameterInputs& in = session_->params;
  DataFileRegistry registry = std::move(in.registry);
  in = ParameterInputs{};
  in.registry = std::move(registry);
}

DataFileRegistry ScriptSession::Registry() {
  const std::lock_guard lock(mutex_);
  return session_->params.registry;
}

void ScriptSession::SetRegistry(DataFileRegistry registry) {
  const std::lock_guard lock(mutex_);
  session_->params.registry = std::move(registry);
}

ScriptFileOutcome ScriptSession::LoadParameters(const std::filesystem::path& path) {
  const std::lock_guard lock(mutex_);
  LoadParameterFile(*session_, path);
  session_->parameterFileName = path.string();
  return FileOutcome();
}

ScriptFileOutcome ScriptSession::SaveParameters(const std::filesystem::path& path) {
  const std::lock_guard lock(mutex_);
  savethe1Click(*session_, path);
  return FileOutcome();
}

ScriptFileOutcome ScriptSession::LoadSample(const std::filesystem::path& path) {
  const std::lock_guard lock(mutex_);
  LoadSampleLayerFile(*session_, path);
  return FileOutcome();
}

ScriptFileOutcome ScriptSession::SaveSample(const std::filesystem::path& path) {
  const std::lock_guard lock(mutex_);
  SaveSampleLayerFile(*session_, path);
  return FileOutcome();
}

ScriptFileOutcome ScriptSession::LoadAbsorber(const std::filesystem::path& path) {
  const std::lock_guard lock(mutex_);
  LoadAbsorberFile(*session_, path);
  return FileOutcome();
}

ScriptFileOutcome ScriptSession::SaveAbsorber(const std::filesystem::path& path) {
  const std::lock_guard lock(mutex_);
  SaveAbsorberFile(*session_, path);
  return FileOutcome();
}

ScriptFileOutcome ScriptSession::LoadMeasuredSpectrum(const std::filesystem::path& path,
                                                      bool& loaded) {
  const std::lock_guard lock(mutex_);
  loaded = loadaspectrum1Click(*session_, path);
  return FileOutcome();
}

std::vector<std::string> ScriptSession::Ok() {
  const std::lock_guard lock(mutex_);
  Button5Click(*session_);
  return Take();
}

int ScriptSession::Jobs() {
  const std::lock_guard lock(mutex_);
  return session_->scan.jobs;
}

void ScriptSession::SetJobs(int jobs) {
  const std::lock_guard lock(mutex_);
  session_->scan.jobs = jobs;
}

ScriptResult ScriptSession::Run(std::string_view name, std::string& problem, bool check) {
  const std::lock_guard lock(mutex_);
  const CalculationEntry* calculation = FindCalculation(name);
  if (calculation == nullptr) {
    problem = "unknown calculation name \"" + std::string(name) + "\"; the names are ";
    bool first = true;
    for (const CalculationEntry& entry : Calculations()) {
      if (!first) problem += ", ";
      first = false;
      problem += "\"" + std::string(entry.caption) + "\"";
    }
    return {};
  }
  Button5Click(*session_);
  if (check && !sink_.messages.empty()) {
    ScriptResult refused;
    refused.messages = Take();
    return refused;
  }
  // As a BatchFile record: nothing an earlier calculation left stands for this one.
  session_->OutputLog.clear();
  session_->results.detailReport.clear();
  calculation->run(*session_);
  return Collect(calculation->caption);
}

ScriptResult ScriptSession::Collect(std::string_view name) {
  const Session& s = *session_;
  ScriptResult r;
  r.name = std::string(name);
  r.report = s.OutputLog;
  r.detailReport = s.results.detailReport;
  r.messages = Take();
  r.calcMode = Letter(s.CalcMode);
  r.spectrumFlag = Letter(s.SpectrumFlag);

  r.resolution = MakeTable(ResolutionColumnNames());
  r.optimisation = MakeTable({});
  r.excitation = MakeTable({"depth", "E_in", "dopl", "beame", "beama", "ss", "msi", "tot",
                            "tot_fwhm", "depth_resolution", "counts"});
  r.energyLoss = MakeTable({"depth", "E", "stopping", "straggling"});
  r.tschalar = MakeTable({"E_in", "E_out", "relative_loss", "spread_without", "spread_with"});

  const bool resolutionRun = name == "depth and energy resolution" ||
                             name == "spectrum simulation" || name == "full spectrum (1)";
  if (resolutionRun && s.results.CalcMode == CalculationMode::kDepthWalk) {
    const int rows = std::clamp(s.results.RowCount, 0, kResolutionRows);
    r.resolution.rows = rows;
    r.resolution.values.reserve(static_cast<std::size_t>(rows) * kRowValues);
    for (int row = 0; row < rows; ++row) {
      for (int v = 1; v <= kRowValues; ++v)
        r.resolution.values.push_back(s.results.table.at(row, v));
    }
  }
  if (name == "spectrum simulation" || name == "full spectrum (1)" || name == "spectrum fit") {
    const ParameterSet& p = s.params;
    const Spectrum& simulated = s.results.SimulatedSpectrum;
    const int channels = simulated.channels();
    for (int c = 1; c <= channels; ++c) {
      r.channelEnergies.push_back(c * p.detkevch + p.dete0);
      r.simulated.push_back(simulated[static_cast<std::size_t>(c)] * p.detkevch);
      r.measured.push_back(s.MeasuredSpectrum.Channel(c));
    }
  }
  if (name == "optimization") {
    const StudyResults& st = s.studies;
    if (st.angleScanRows > 0) {
      r.optimisation = MakeTable({"alpha", "theta", "x1", "x2", "x3", "x4"});
      r.optimisation.rows = st.angleScanRows;
      for (int row = 1; row <= st.angleScanRows; ++row) {
        for (int v = 1; v <= 6; ++v)
          r.optimisation.values.push_back(st.angleScan.at(row, v));
      }
    } else {
      r.optimisation = MakeTable({"depth", "depth_resolution", "alpha", "theta"});
      // The rows the report lists: from the first, while a best resolution was found (a
      // depth no geometry reached keeps a value of 2e6 nm; the listing ends at 1e6 nm).
      constexpr double kNoneFound = 1e6;
      for (int row = 1; row < BestByDepthTable::kRows; ++row) {
        if (!(st.bestByDepth.at(row, 2) < kNoneFound)) break;
        r.optimisation.rows = row;
        for (int v = 1; v <= 4; ++v)
          r.optimisation.values.push_back(st.bestByDepth.at(row, v));
      }
    }
  }
  if (name == "excitation curves for resonances") {
    const StudyResults& st = s.studies;
    r.excitation.rows = std::clamp(st.resonanceRows, 0, ResonanceTable::kRows);
    for (int row = 1; row <= r.excitation.rows; ++row) {
      for (int v = 1; v <= ResonanceTable::kValues; ++v)
        r.excitation.values.push_back(st.resonance.at(row, v));
    }
  }
  if (name == "energy loss" && !s.OutputLog.empty()) {
    for (const EnergyLossRow& row : s.energyLossTable.rows) {
      r.energyLoss.values.insert(r.energyLoss.values.end(),
                                 {row.depth, row.energy, row.stopping, row.straggling});
      ++r.energyLoss.rows;
    }
  }
  if (name == "Tschalar effect" && !s.OutputLog.empty()) {
    r.tschalar.rows = std::clamp(s.results.RowCount, 0, kResolutionRows - 1);
    for (int row = 1; row <= r.tschalar.rows; ++row) {
      for (int v = 1; v <= 5; ++v)
        r.tschalar.values.push_back(s.results.table.at(row, v));
    }
  }
  return r;
}

}  // namespace dodavev
