#include "charts/axis_panel.hpp"

#include <cmath>
#include <cstdio>
#include <optional>

#include "io/number_parse.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

std::string Field(double value) {
  char text[512];
  std::snprintf(text, sizeof text, "%*.*f", 12, 1, value);
  return text;
}

// The typed number, or nothing after telling the user what is wrong.
std::optional<double> ReadField(std::string_view name, const std::string& text,
                                MessageSink& messages) {
  const NumberRead read = ReadDecimal(text);
  if (read.ok && std::isfinite(read.value)) return read.value;
  messages.Show("The axis " + std::string(name) + " is not a number: " + text);
  return std::nullopt;
}

}  // namespace

std::string AxisLabel(AxisId axis) {
  switch (axis) {
    case AxisId::Left:
      return "Left axis";
    case AxisId::Bottom:
      return "Bottom axis";
    case AxisId::Right:
      return "Right axis";
    case AxisId::Top:
      return "Top axis";
  }
  return "Axis";
}

AxisPanelFields OpenAxisPanel(const Chart& chart, AxisId axis) {
  const ChartAxis& a = chart.axis(axis);
  AxisPanelFields fields;
  fields.label = AxisLabel(axis);
  fields.visible = a.visible;
  fields.grid = a.grid;
  fields.Edit_amin = Field(a.minimum);
  fields.Edit_amax = Field(a.maximum);
  fields.Edit_ainc = Field(a.increment);
  fields.Edit_Caption = a.title;
  return fields;
}

void ApplyAxisPanel(Chart& chart, AxisId axis, const AxisPanelFields& fields,
                    const ChannelCalibration& calibration, MessageSink& messages) {
  ChartAxis& a = chart.axis(axis);
  a.title = fields.Edit_Caption;
  a.visible = fields.visible;
  a.grid = fields.grid;

  const std::optional<double> minimum = ReadField("Minimum", fields.Edit_amin, messages);
  const std::optional<double> maximum = ReadField("Maximum", fields.Edit_amax, messages);
  const std::optional<double> increment = ReadField("Increment", fields.Edit_ainc, messages);
  if (increment) {
    if (*increment < 0.0) {
      messages.Show("The axis Increment must not be negative: " + fields.Edit_ainc);
    } else {
      a.increment = *increment;  // 0: the drawing chooses the ticks
    }
  }
  if (!minimum || !maximum) return;
  if (!(*minimum < *maximum)) {
    messages.Show("The axis Minimum must be below its Maximum");
    return;
  }
  if (!std::isfinite(*maximum - *minimum)) {
    messages.Show("The axis range is too wide to draw");
    return;
  }
  a.minimum = *minimum;
  a.maximum = *maximum;
  if (axis != AxisId::Right || fields.visible) a.automatic = false;

  // The energy axis above the channels follows the channel range.
  ChartAxis& top = chart.axis(AxisId::Top);
  if (axis == AxisId::Bottom && !top.automatic) {
    SetAxisRange(top, calibration.dete0 + a.minimum * calibration.detkevch,
                 calibration.dete0 + a.maximum * calibration.detkevch);
  }
}

}  // namespace dodavev
