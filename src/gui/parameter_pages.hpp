// The parameter pages of the main window: the inputs of the beam, sample, detection,
// reactions, options, optimisation and simulation, each control named after its input.
// The stopping-power and cross-section pages are built with the data-file lists
// (registry_pages.hpp).
#pragma once

class QWidget;

namespace dodavev {

QWidget* BuildBeamPage();
QWidget* BuildSamplePage();
// Also holds the detector-resolution panel (`Panel3`) and the calibration panel
// (`Panel14`), both hidden.
QWidget* BuildDetectionPage();
QWidget* BuildReactionsPage();
QWidget* BuildOptionsPage();
QWidget* BuildOptimisationPage();
QWidget* BuildSimulationPage();

// Explanation the detector-resolution panel shows when "Energy resolution" opens it.
inline constexpr const char* kResolutionExplanation =
    "energy resolution of the detector can be given as\n"
    " a0 + a1 * E^a2 + a3 * E^a4\n"
    "where E is the energy of the detected ion [keV]";

}  // namespace dodavev
