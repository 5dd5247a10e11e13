#include "app/run_inputs_of.hpp"

#include "app/session.hpp"

namespace dodavev {

RunSwitches RunSwitchesOf(const ParameterSet& p) {
  RunSwitches s;
  s.contributions =
      ContributionOptions{p.CheckBeam,      p.CheckGeo,        p.CheckDoppler, p.CheckDet,
                          p.CheckKinematic, p.CheckKinematic2, p.CheckMS_max};
  s.transport =
      TransportOptions{p.CheckStraggling, p.CheckChu, p.CheckYang, p.Checktschalar, p.CheckMS};
  s.crossSections = ChoicesFromParameters(p);
  s.srimTablesChosen = p.RadioButton_ZBL2003;
  s.nuclearStoppingLight = p.CheckNuclearStopping;
  return s;
}

RunInputs RunInputsOf(const Session& session) {
  return RunInputs{session.params,        RunSwitchesOf(session.params),
                   session.elements,      session.tables,
                   session.srimTables,    session.sample,
                   session.absorber,      session.reaction,
                   session.crossSections, session.levDir};
}

FitInputs FitInputsOf(const Session& session, const RunInputs& run) {
  return FitInputs{run, session.MeasuredSpectrum, !session.params.MeasuredSpectrumFile.empty(),
                   session.params.CheckBox1_given_target};
}

TransportOptions TransportOptionsOf(const Session& session) {
  return RunSwitchesOf(session.params).transport;
}

StoppingModel StoppingModelOf(const Session& session) {
  return StoppingModelOf(RunInputsOf(session));
}

}  // namespace dodavev
