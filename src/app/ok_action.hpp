// "OK" (Button5Click): reads every input text into the numeric fields of the parameter
// set, checks them, derives the detector solid angle, identifies the reaction, parses the
// sample and absorber layer texts and loads the chosen stopping and cross-section data.
// Errors are shown as messages and never stop the action: the calculations run on what
// was read.
#pragma once

#include <string>
#include <vector>

namespace dodavev {

struct Session;
struct ParameterInputs;

// The whole "OK" action; also run by opening the "calculations" menu and by every
// BatchFile record after its files are loaded.
void Button5Click(Session& session);
// Opening the "calculations" menu.
void calculations1Click(Session& session);

// Reads `detres0` .. `detres4`; returns the number of fields with a format error (0..5).
// With errors shows "problem with the parameters of detector resolution" followed by that
// number; without, closes the detector-resolution panel.
int CheckDetectorResolution(Session& session);
// Reads `detkevch` and `dete0`; returns the number of format errors (0..2). With errors
// shows "problem with the parameters of detector calibration"; without, closes the panel.
int CheckDetectorCalibration(Session& session);
// Reads the detector distance and diaphragm, computes `solid_angle` (msr), shows it in
// `Label35` and makes "Detection" the active page. Each bad field shows its own message.
void CheckDetectionGeometry(Session& session);

// The OK buttons of the detector-resolution and detector-calibration panels.
void Button10Click(Session& session);
void Button11Click(Session& session);

// A numeric field of the pages whose text "OK" cannot use: its control name ("Edit1_e0") and
// why ("not a number", or the range of InputRanges() it lies outside).
struct UnreadableField {
  std::string name;
  std::string reason;
};
// Every such field of `inputs`, in the order of the pages; empty when all numbers read. The
// window marks them after "Problem with the parameters".
std::vector<UnreadableField> UnreadableFields(const ParameterInputs& inputs);

// `Label35` text of a solid angle: rounded to three significant digits, three decimals.
std::string FormatSolidAngle(double msr);

}  // namespace dodavev
