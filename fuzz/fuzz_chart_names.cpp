// Names typed into the chart save dialog, output lines of BatchFile records and the texts
// of the axis panel: any bytes give a name, a format and an axis that can be drawn with a
// bounded number of ticks, never a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charts/axis_panel.hpp"
#include "charts/chart_files.hpp"
#include "charts/chart_model.hpp"
#include "model/messages.hpp"

namespace {

class Discard final : public dodavev::MessageSink {
 public:
  void Show(std::string_view) override {}
};

// The next line of the input (the rest when there is no line break).
std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  return line;
}

bool EndsWith(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dodavev;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const int filter = size > 0 ? data[0] % 6 : 0;
  const std::string_view name = NextLine(text);

  const std::string saved = ChartNameWithEnding(name, filter);
  if (saved.compare(0, name.size(), name) != 0) __builtin_trap();
  const ChartFileFormat format = ChartFormatOfName(saved);
  if (format != ChartFileFormat::Unknown) {
    bool known = false;
    for (std::string_view e : {".svg", ".SVG", ".png", ".PNG", ".pdf", ".PDF", ".bmp", ".BMP"})
      known = known || EndsWith(saved, e);
    if (!known) __builtin_trap();
  }
  const std::string base = PlotBaseName(name, 7);
  if (base.empty() || base.find('/') != std::string::npos || base.find('.') != std::string::npos)
    __builtin_trap();

  Discard sink;
  Chart chart = ResetChart("");
  chart.series[0].points = {{0.0, 1.0}, {2.0, 3.0}};
  AxisPanelFields fields = OpenAxisPanel(chart, AxisId::Bottom);
  fields.Edit_amin = std::string(NextLine(text));
  fields.Edit_amax = std::string(NextLine(text));
  fields.Edit_ainc = std::string(NextLine(text));
  fields.Edit_Caption = std::string(NextLine(text));
  chart.axis(AxisId::Top).automatic = false;  // as on the spectrum chart
  ApplyAxisPanel(chart, AxisId::Bottom, fields, ChannelCalibration{185.88, 7.03}, sink);
  const ChartAxis& bottom = chart.axis(AxisId::Bottom);
  if (!(bottom.minimum < bottom.maximum)) __builtin_trap();
  for (AxisId id : {AxisId::Bottom, AxisId::Top}) {
    const AxisScale scale = ResolveAxisScale(chart, id);
    if (!std::isfinite(scale.minimum) || !std::isfinite(scale.maximum)) __builtin_trap();
    if (!(scale.increment > 0.0) || !(scale.minimum < scale.maximum)) __builtin_trap();
    // The drawing never has to lay out an unbounded number of ticks.
    if ((scale.maximum - scale.minimum) / scale.increment > 2.0 * kMaxAxisTicks + 2.0)
      __builtin_trap();
  }
  return 0;
}
