// What the drawing window shows and how its buttons change it, without the widgets: the
// chart sets of the last calculation, the index of the one shown, the chart drawn, and the
// "Next", "Profile" and "Close" actions. One object per window.
#pragma once

#include <vector>

#include "charts/axis_panel.hpp"
#include "charts/chart_model.hpp"
#include "charts/chart_sets.hpp"

namespace dodavev {

struct Session;

class DrawingState {
 public:
  // Window shown: the sets of the last calculation, the first of them drawn.
  void Activate(const Session& session);
  // "Next": the following set, back to the first after the last; the chart is rebuilt.
  void Next(const Session& session);
  // "Profile": the isotope concentration profile of the sample in place of the set.
  void ShowProfile(const Session& session);
  // "Close": leaving the results view of a depth-resolution run ends its 'S' mode.
  static void Close(Session& session);
  // Axis panel "OK" on the chart shown.
  void ApplyAxis(AxisId axis, const AxisPanelFields& fields, const Session& session);

  int SetCount() const { return static_cast<int>(sets_.size()); }
  int Index() const { return index_; }  // from 1; 0 when there is no set
  bool NextVisible() const { return sets_.size() > 1; }
  bool ProfileShown() const { return profileShown_; }
  // The set shown; only when Index() > 0.
  ChartSetKind CurrentSet() const { return sets_.at(static_cast<std::size_t>(index_ - 1)); }
  const std::vector<ChartSetKind>& Sets() const { return sets_; }
  const Chart& chart() const { return chart_; }

 private:
  void Draw(const Session& session);

  std::vector<ChartSetKind> sets_;
  int index_ = 0;
  bool profileShown_ = false;
  Chart chart_ = ResetChart("");
};

}  // namespace dodavev
