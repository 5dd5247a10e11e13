// A session driven by a script: the inputs by name, the parameter and layer files, "OK"
// and the seven calculations, each action returning the messages it showed, and the
// results of a calculation copied out as plain tables. Independent of Python, so that the
// module's bindings stay a thin layer over it.
//
// One object serialises its own actions (a script may share it between threads); separate
// objects run in parallel, as they share nothing.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/data_file_registry.hpp"
#include "model/messages.hpp"

namespace dodavev {

struct Session;
struct InputField;

// A table of `rows` rows of `columns.size()` values, row after row.
struct ScriptTable {
  std::vector<std::string> columns;
  int rows = 0;
  std::vector<double> values;
};

struct ScriptResult {
  std::string name;                   // calculation caption
  std::string report;                 // the report text ("OutputLog"), CR LF lines
  std::string detailReport;           // second report of a resolution run
  std::vector<std::string> messages;  // shown by "OK" and the calculation, in order
  char calcMode = '\0';
  char spectrumFlag = '\0';
  ScriptTable resolution;    // rows printed by the last resolution run, values 1..49
  ScriptTable optimisation;  // alpha scan or best resolution by depth
  ScriptTable excitation;    // one row per beam energy
  ScriptTable energyLoss;    // "energy loss": the incident ion in the foil
  ScriptTable tschalar;      // "Tschalar effect": the emitted particle through the foil
  // Spectra of a spectrum simulation, channels 1..N: the energy of each channel, the
  // simulated yield per channel (as the spectrum file and the chart show it) and the
  // measured counts (0 beyond the measured spectrum's channels).
  std::vector<double> channelEnergies;
  std::vector<double> simulated;
  std::vector<double> measured;
};

// Names of the 49 values of a resolution-table row, value 1 first.
const std::vector<std::string>& ResolutionColumnNames();

// What a file action leaves: the messages shown and, when the file could not be read or
// written, the system error code ("#" + code message), else 0.
struct ScriptFileOutcome {
  std::vector<std::string> messages;
  int errorCode = 0;
};

class ScriptSession {
 public:
  // Starts a session as the program starts: defaults, and the start-up tables of `levDir`.
  explicit ScriptSession(const std::filesystem::path& levDir);
  ~ScriptSession();
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  const std::vector<std::string>& StartupMessages() const { return startup_; }
  std::filesystem::path LevDirectory() const;

  // Inputs: texts come back as typed, switches as set. The problem text, empty on success.
  std::string GetText(const InputField& field);
  bool GetSwitch(const InputField& field);
  std::string SetText(const InputField& field, std::string text, bool check);
  std::string SetSwitch(const InputField& field, bool on);
  // Every input back to its default (the data-file lists stay as they are).
  void ResetInputs();
  // The four lists of data files with their check marks; setting them replaces the lists.
  DataFileRegistry Registry();
  void SetRegistry(DataFileRegistry registry);

  ScriptFileOutcome LoadParameters(const std::filesystem::path& path);
  ScriptFileOutcome SaveParameters(const std::filesystem::path& path);
  ScriptFileOutcome LoadSample(const std::filesystem::path& path);
  ScriptFileOutcome SaveSample(const std::filesystem::path& path);
  ScriptFileOutcome LoadAbsorber(const std::filesystem::path& path);
  ScriptFileOutcome SaveAbsorber(const std::filesystem::path& path);
  // Loads a measured spectrum and names it as the parameter set's measured spectrum file;
  // `loaded` tells whether it loaded.
  ScriptFileOutcome LoadMeasuredSpectrum(const std::filesystem::path& path, bool& loaded);

  // "OK": the messages it showed.
  std::vector<std::string> Ok();

  // "OK" and then the calculation of caption `name`, as a BatchFile record runs it. A
  // name that is no calculation runs nothing and is said in `problem`. With `check`, a
  // message of "OK" stops the run: the result then has no name, only the messages.
  ScriptResult Run(std::string_view name, std::string& problem, bool check);

  // Threads of the optimisation and excitation-curve scans (0: one per core).
  int Jobs();
  void SetJobs(int jobs);

 private:
  std::vector<std::string> Take();
  ScriptFileOutcome FileOutcome();
  ScriptResult Collect(std::string_view name);

  std::mutex mutex_;
  CollectingSink sink_;  // before the session, which shows its messages here
  std::unique_ptr<Session> session_;
  std::vector<std::string> startup_;
};

}  // namespace dodavev
