#include "charts/drawing_state.hpp"

#include "app/session.hpp"

namespace dodavev {

void DrawingState::Activate(const Session& session) {
  sets_ = ChartSetsFor(session);
  index_ = sets_.empty() ? 0 : 1;
  Draw(session);
}

void DrawingState::Next(const Session& session) {
  if (sets_.empty()) {
    Draw(session);
    return;
  }
  index_ = index_ >= SetCount() ? 1 : index_ + 1;
  Draw(session);
}

void DrawingState::ShowProfile(const Session& session) {
  chart_ = BuildProfileChart(session);
  profileShown_ = true;
}

void DrawingState::Close(Session& session) {
  if (session.CalcMode == CalculationMode::kDepthWalk &&
      session.SpectrumFlag == SpectrumMode::kShown)
    session.SpectrumFlag = SpectrumMode::kSpectrum;
}

void DrawingState::ApplyAxis(AxisId axis, const AxisPanelFields& fields, const Session& session) {
  const ChannelCalibration calibration{session.params.dete0, session.params.detkevch};
  ApplyAxisPanel(chart_, axis, fields, calibration, session.messages);
}

void DrawingState::Draw(const Session& session) {
  // Every series is rebuilt, also after a profile with more isotopes than the set has
  // series: nothing of the profile stays on the set's chart.
  profileShown_ = false;
  chart_ =
      index_ > 0 ? BuildChartSet(session, CurrentSet()) : ResetChart(session.parameterFileName);
}

}  // namespace dodavev
