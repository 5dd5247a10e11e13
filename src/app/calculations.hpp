// The calculations of the "calculations" menu, each a handler over the session, and the
// table that finds one by its menu caption (BatchFile line 4).
#pragma once

#include <span>
#include <string_view>

namespace dodavev {

struct Session;
struct ScanSettings;

// Menu handlers (app/calculation_handlers.cpp); each runs its calculation on the inputs of
// the last "OK", replaces the report text and sets the session's mode characters.
void energy_lossClick(Session& session);                    // "energy loss"
void schalareffect1Click(Session& session);                 // "Tschalar effect"
void depthandenergyresolution1Click(Session& session);      // "depth and energy resolution"
void optimization1Click(Session& session);                  // "optimization"
void spectrumsimulation1Click(Session& session);            // "spectrum simulation"
void spektrumsim21Click(Session& session);                  // "full spectrum (1)"
void exitationcurvesforresonances1Click(Session& session);  // "excitation curves for resonances"
void spectrumfitClick(Session& session);                    // "spectrum fit"

// The two scans with the threads of `settings` (the menu handlers take the session's own):
// set-up, the scan, its table and report (the OutputLog), row count and modes (optimisation or
// excitation curve).
void RunOptimisation(Session& session, const ScanSettings& settings);
void RunExcitationCurve(Session& session, const ScanSettings& settings);

using CalculationHandler = void (*)(Session&);

struct CalculationEntry {
  std::string_view caption;  // menu caption, also the BatchFile name
  CalculationHandler run;
};

// The calculations a BatchFile may name, in menu order.
std::span<const CalculationEntry> Calculations();

// The calculation whose caption equals `name` exactly (case and blanks count), or nullptr.
const CalculationEntry* FindCalculation(std::string_view name);

}  // namespace dodavev
