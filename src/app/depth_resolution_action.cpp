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

  ShowRunOutcome(outcome, session.messages);
  // The report of an earlier calculation must not stand for this one.
  session.results = *results;
  session.OutputLog = results->mainReport;
  session.CalcMode = results->CalcMode;
  session.SpectrumFlag = results->SpectrumFlag;
}

}  // namespace dodavev
