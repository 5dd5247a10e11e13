// The axis panel of the drawing window without the widgets: what it shows for an axis and
// how "OK" applies the typed values.
#pragma once

#include <string>

#include "charts/chart_model.hpp"

namespace dodavev {

class MessageSink;

// The panel's fields: label "Left axis", "Bottom axis" or "Right axis"; "Visible",
// "Grid"; "Minimum" (`Edit_amin`), "Maximum" (`Edit_amax`), "Increment" (`Edit_ainc`),
// "Caption" (`Edit_Caption`).
struct AxisPanelFields {
  std::string label;
  bool visible = true;
  bool grid = true;
  std::string Edit_amin;
  std::string Edit_amax;
  std::string Edit_ainc;
  std::string Edit_Caption;
};

// Caption of the panel's label for an axis ("Top axis" for the top one, which has no
// button of its own).
std::string AxisLabel(AxisId axis);

// The fields as the panel opens for `axis`: the numbers right-aligned in 12 characters
// with 1 decimal.
AxisPanelFields OpenAxisPanel(const Chart& chart, AxisId axis);

// Calibration of the energy axis above the channel axis of the spectrum set.
struct ChannelCalibration {
  double dete0 = 0.0;     // keV at channel 0
  double detkevch = 1.0;  // keV per channel
};

// "OK": applies the fields to `axis`. The bottom and left axes take the typed range (their
// automatic scaling ends); the right axis does so when "Visible" is ticked. When the
// bottom axis changes while the top axis has a range of its own (the spectrum set), the
// top axis follows through the calibration with the increment rule. A number field that
// does not read as a number, or a minimum not below the maximum, is reported and leaves
// the axis's range as it was; the other fields still apply.
void ApplyAxisPanel(Chart& chart, AxisId axis, const AxisPanelFields& fields,
                    const ChannelCalibration& calibration, MessageSink& messages);

}  // namespace dodavev
