// The menu entry "depth and energy resolution" (also BatchFile calculation name): the set-up,
// one run of the depth walk, and its results made the session's.
#include <memory>

#include "app/calculations.hpp"
#include "app/session.hpp"
#include "engine/resolution.hpp"
#include "engine/setup.hpp"

namespace dodavev {

void depthandenergyresolution1Click(Session& session) {
  RunRequest request;
  request.CalcMode = 'D';
  request.SpectrumFlag = 'W';
  auto run = std::make_unique<RunState>();
  auto results = std::make_unique<RunResults>();
  SetUpCalculation(session, request, *run, session.messages);
  const RunOutcome outcome = RunResolution(session, request, *run, *results, session.messages);

  // The report of an earlier calculation must not stand for this one.
  if (outcome == RunOutcome::kBelowThreshold) {
    session.messages.Show("the energy of the incident ion is below the threshold energy");
  } else if (outcome == RunOutcome::kKinematicGate) {
    session.messages.Show("no emitted particle reaches the detector at this angle");
  }
  session.results = *results;
  session.OutputLog = results->mainReport;
  session.CalcMode = results->CalcMode;
  session.SpectrumFlag = results->SpectrumFlag;
}

}  // namespace dodavev
