// The state one user session owns: the inputs, the start-up tables, the parsed layer
// structures and the last results. Passed by reference; there are no globals.
#pragma once

#include <filesystem>
#include <string>
#include <utility>

#include "engine/cross_sections.hpp"
#include "engine/reaction_identification.hpp"
#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "model/messages.hpp"
#include "model/parameter_set.hpp"
#include "model/physics_tables.hpp"
#include "model/run_results.hpp"
#include "physics/absorber.hpp"
#include "physics/srim_tables.hpp"
#include "studies/parallel_scan.hpp"
#include "studies/study_tables.hpp"

namespace dodavev {

// The sink a session shows its messages on. A copy of a session (a calculation's own)
// shows them on the same sink; assigning another session's state to a session (the
// calculation's results coming back to the window) leaves the session's sink as it was.
class SessionMessages final : public MessageSink {
 public:
  explicit SessionMessages(MessageSink& target) : target_(&target) {}
  SessionMessages(const SessionMessages&) = default;
  SessionMessages& operator=(const SessionMessages&) noexcept { return *this; }
  ~SessionMessages() override = default;
  void Show(std::string_view text) override;

  // While set, input/output error messages ("#" + code ...) end with this place, such as
  // "(record 2, line 1)" in a batch run; empty: they are shown as they are.
  void SetPlace(std::string place) { place_ = std::move(place); }

 private:
  MessageSink* target_;
  std::string place_;
};

struct Session {
  explicit Session(MessageSink& sink) : messages(sink) {}

  // Not part of the session's state: a session read as const still shows messages.
  mutable SessionMessages messages;
  std::filesystem::path programDir;  // directory of the executable
  std::filesystem::path levDir;      // start-up data directory "LEV"

  ParameterSet params;
  // Read at start-up, read-only afterwards.
  ElementTable elements;
  PhysicsTables tables;
  // SRIM 2003 stopping tables, reloaded by every "OK" when "ZBL 2003 from files" is chosen.
  SrimTableSet srimTables;
  // Parsed by "OK" from the sample and absorber texts.
  LayerStructure sample;
  LayerStructure absorber;
  // Kind of analysis found by the last reaction identification.
  ReactionInfo reaction;
  // Tabulated cross sections read by "OK" from the checked data-file entries.
  CrossSectionData crossSections;

  std::string OutputLog;  // text of the last report
  // Tables, second report and simulated spectrum of the last calculation run. "OK" empties
  // the second report (results.detailReport).
  RunResults results;
  StudyResults studies;  // optimisation scans and excitation curve rows
  // Worker threads of the studies' scans ("--jobs"; 0: one per core) and who watches their
  // progress (batch mode: a line on standard error; the window: its status bar).
  ScanSettings scan;
  EnergyLossTable energyLossTable;  // rows of the last "energy loss" calculation
  // Loaded by "load a new spectrum" or named by the parameter file; as many channels as
  // its file has (up to 16384), of which the charts and files show the simulation's.
  Spectrum MeasuredSpectrum{};
  std::string stoppingDataNote;      // which stopping data the last run used; "OK" empties it
  std::string stoppingSourcesShown;  // the stopping-data lines "OK" showed last

  // Modes of the last calculation: `CalcMode` chooses the report and chart set (kNone at
  // start-up), `SpectrumFlag` (kSpectrum after a spectrum simulation) chooses the writer
  // of a BatchFile record's output line; it is kNone until a calculation sets it.
  CalculationMode CalcMode = CalculationMode::kNone;
  SpectrumMode SpectrumFlag = SpectrumMode::kNone;
  std::string parameterFileName;  // current parameter file, shown by the charts

  // What the window shows; a front end without pages reads these instead.
  bool parametersVisible = false;  // parameter pages and their "OK" button
  std::string activePage = "Beam";
  bool Panel3Visible = false;   // detector resolution panel
  bool Panel14Visible = false;  // detector calibration panel
};

}  // namespace dodavev
