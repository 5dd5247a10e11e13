// The two panels that take typed values outside the parameter pages, with any texts in
// their fields (one field a line): the axis panel of the left, bottom and right axes, and
// the import panel of the four data-file lists.
//
// Axis: whatever was typed, every axis is drawn over a finite, ordered range with a bounded
// number of ticks. Import: an entry is added (and only one, checked as asked) or refused
// with a message, and an added entry reads back to the numbers and the file typed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "charts/axis_panel.hpp"
#include "charts/chart_model.hpp"
#include "engine/registry_entries.hpp"
#include "fuzz_input.hpp"
#include "physics/element_io.hpp"
#include "physics/srim_tables.hpp"

namespace {

using namespace dodavev;
using fuzzing::NextLine;

class CountingSink final : public MessageSink {
 public:
  void Show(std::string_view) override { ++count; }
  int count = 0;
};

const ElementTable& Elements() {
  static const std::unique_ptr<ElementTable> elements = [] {
    auto t = std::make_unique<ElementTable>();
    if (LoadElementTable(fuzzing::ShippedLevDir() / "STOP.DAT", *t) != 0) __builtin_trap();
    return t;
  }();
  return *elements;
}

void CheckAxisPanel(std::uint8_t flags, std::string_view& text) {
  static constexpr AxisId kPanelAxes[] = {AxisId::Left, AxisId::Bottom, AxisId::Right};
  const AxisId axis = kPanelAxes[flags % 3];
  Chart chart = ResetChart("");
  chart.series[0].points = {{0.0, 1.0}, {2.0, 3.0}};
  // The spectrum set: the top axis has a range of its own and follows the bottom one.
  if ((flags & 8U) != 0) chart.axis(AxisId::Top).automatic = false;
  AxisPanelFields fields = OpenAxisPanel(chart, axis);
  fields.visible = (flags & 16U) != 0;
  fields.grid = (flags & 32U) != 0;
  fields.Edit_amin = std::string(NextLine(text));
  fields.Edit_amax = std::string(NextLine(text));
  fields.Edit_ainc = std::string(NextLine(text));
  fields.Edit_Caption = std::string(NextLine(text));
  fields.label = AxisLabel(axis);
  CountingSink sink;
  ApplyAxisPanel(chart, axis, fields, ChannelCalibration{185.88, 7.03}, sink);
  for (AxisId id : {AxisId::Bottom, AxisId::Left, AxisId::Right, AxisId::Top}) {
    const AxisScale scale = ResolveAxisScale(chart, id);
    if (!std::isfinite(scale.minimum) || !std::isfinite(scale.maximum)) __builtin_trap();
    if (!(scale.increment > 0.0) || !(scale.minimum < scale.maximum)) __builtin_trap();
    if ((scale.maximum - scale.minimum) / scale.increment > 2.0 * kMaxAxisTicks + 2.0)
      __builtin_trap();
  }
}

const std::vector<RegistryEntry>& ListOf(const DataFileRegistry& r, RegistryList list) {
  switch (list) {
    case RegistryList::kStopping:
      return r.CheckListBox1;
    case RegistryList::kElastic:
      return r.CheckListBox_ESS;
    case RegistryList::kRecoil:
      return r.CheckListBox_ERD;
    case RegistryList::kReaction:
      break;
  }
  return r.CheckListBox_NRA;
}

void CheckImportPanel(std::uint8_t flags, std::string_view& text) {
  const auto list = static_cast<RegistryList>(1 + flags % 4);
  ImportPanel panel;
  for (std::string* field :
       {&panel.Edit1_Z, &panel.Edit1_M, &panel.Edit1_Ztarget, &panel.Edit1_Mtarget,
        &panel.Edit1_scatt_angl, &panel.Edit1_Zreactionproduct, &panel.Edit1_Mreactionproduct,
        &panel.Edit1_Nucllevel, &panel.Edit1_filename}) {
    *field = std::string(NextLine(text));
  }
  panel.CheckBox1_enabled = (flags & 4U) != 0;
  DataFileRegistry registry;
  registry.CheckListBox_NRA.push_back({"an earlier entry", false});
  const DataFileRegistry before = registry;
  CountingSink sink;
  if (!AddImportedEntry(list, panel, Elements(), registry, sink)) {
    if (registry != before || sink.count == 0) __builtin_trap();
    return;
  }
  const std::vector<RegistryEntry>& entries = ListOf(registry, list);
  const std::size_t expected = list == RegistryList::kReaction ? 2 : 1;
  if (entries.size() != expected) __builtin_trap();
  const RegistryEntry& added = entries.back();
  if (added.checked != panel.CheckBox1_enabled) __builtin_trap();

  const ImportNumbers n = ReadImportPanel(list, panel, Elements()).numbers;
  if (list == RegistryList::kStopping) {
    const auto back = ParseSrimEntry(added.text);
    if (!back || back->path != panel.Edit1_filename || back->massNumber != n.m) __builtin_trap();
    if (back->symbol != RegistrySymbol(Elements(), n.z)) __builtin_trap();
    return;
  }
  const CrossSectionEntryRead back = ReadCrossSectionEntry(added.text, Elements());
  const CrossSectionEntry& e = back.entry;
  if (back.formatErrors != 0 || e.file != panel.Edit1_filename || e.incidentZ != n.z ||
      e.incidentMass != n.m || e.angle != n.angle || e.level != n.level) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string_view text = fuzzing::AsText(data + 2, size - 2);
  CheckAxisPanel(data[0], text);
  CheckImportPanel(data[1], text);
  return 0;
}
