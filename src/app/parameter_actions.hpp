// Window actions on the parameter set as a whole: loading and saving parameter files and
// the two master switches of the energy-spread options.
#pragma once

#include <filesystem>
#include <optional>

namespace dodavev {

struct Session;
struct ParameterInputs;

// Reads a parameter file into the inputs (BatchFile line 1, and the menu after its
// resets) and re-identifies the reaction so the labels match the loaded inputs. Errors
// show "#" + the error code; inputs read before the error keep their new texts.
void LoadParameterFile(Session& session, const std::filesystem::path& path);

// "load a new parameter file": resets the screening choice, the simulation's iteration
// length and the given-target switch, then, when the dialog chose a file, reads it and
// remembers its name as the current parameter file.
void open1Click(Session& session, const std::optional<std::filesystem::path>& chosen);

// "save parameters" with the name the dialog chose: remembers the name, then writes the
// file. A failure shows "#" + the error code and leaves any old file as it was.
void savethe1Click(Session& session, const std::filesystem::path& chosen);

// "parameters" menu: shows the parameter pages and their "OK" button.
void parameters1Click(Session& session);

// Detector diaphragm shape: "Circular" (`RadioButton3`) or "Rectangular" (`RadioButton4`);
// either re-reads the detection geometry, so the solid angle follows the choice.
void RadioButton3Click(Session& session);
void RadioButton4Click(Session& session);
// Beam slit shape: "Circular" (`RadioButton1`) or "Rectangular" (`RadioButton2`).
void RadioButton1Click(Session& session);
void RadioButton2Click(Session& session);

// "Energy resolution" (`Button1`) and "Energy calibration" (`Button2`) open the detector
// panels; the resolution panel explains its formula with this text.
inline constexpr const char* kDetectorResolutionExplanation =
    "energy resolution of the detector can be given as\n a0 + a1 * E^a2 + a3 * E^a4\nwhere E "
    "is the energy of the detected ion [keV]";
void Button1Click(Session& session);
void Button2Click(Session& session);

// Master switches of the Options page; checking one sets the contributions it governs.
// Unchecking either changes nothing else; neither touches the kinematic corrections.
void CheckAllClick(ParameterInputs& inputs, bool checked);
void CheckNothingClick(ParameterInputs& inputs, bool checked);

}  // namespace dodavev
