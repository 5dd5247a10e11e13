#include "app/parameter_actions.hpp"

#include <string>

#include "app/identify_reaction.hpp"
#include "app/ok_action.hpp"
#include "app/output_actions.hpp"
#include "app/session.hpp"
#include "engine/reaction_identification.hpp"
#include "io/parameter_file.hpp"
#include "io/text_file.hpp"

namespace dodavev {

void LoadParameterFile(Session& session, const std::filesystem::path& path) {
  ParameterReadResult r = ReadParameterFile(path, session.params);
  if (r.droppedEntries != 0) {
    session.messages.Show("a data-file list holds more than " +
                          std::to_string(kMaxRegistryEntries) +
                          " entries: " + std::to_string(r.droppedEntries) + " were not read");
  }
  if (r.code != 0) {
    std::string text = IoErrorText(r.code, path);
    if (r.line != 0) text += ", line " + std::to_string(r.line);
    session.messages.Show(text);
    return;
  }
  IdentifyReaction(session);
  LoadNamedMeasuredSpectrum(session, path.parent_path());
}

void open1Click(Session& session, const std::optional<std::filesystem::path>& chosen) {
  ParameterInputs& in = session.params;
  in.ComboBox1 = "no screening";
  in.Edit1_itlength = "1e17";
  in.CheckBox1_given_target = false;
  if (!chosen) return;
  LoadParameterFile(session, *chosen);
  session.parameterFileName = chosen->string();
}

void savethe1Click(Session& session, const std::filesystem::path& chosen) {
  session.parameterFileName = chosen.string();
  int code = WriteParameterFile(chosen, session.params);
  if (code != 0) session.messages.Show(IoErrorText(code, chosen));
}

void parameters1Click(Session& session) {
  session.parametersVisible = true;
}

void RadioButton3Click(Session& session) {
  SelectRadio(session.params.RadioButton3, session.params.RadioButton4);
  CheckDetectionGeometry(session);
}

void RadioButton4Click(Session& session) {
  SelectRadio(session.params.RadioButton4, session.params.RadioButton3);
  CheckDetectionGeometry(session);
}

void RadioButton1Click(Session& session) {
  SelectRadio(session.params.RadioButton1, session.params.RadioButton2);
}

void RadioButton2Click(Session& session) {
  SelectRadio(session.params.RadioButton2, session.params.RadioButton1);
}

void Button1Click(Session& session) {
  session.Panel3Visible = true;
}
void Button2Click(Session& session) {
  session.Panel14Visible = true;
}

void CheckAllClick(ParameterInputs& in, bool checked) {
  in.CheckAll = checked;
  if (!checked) return;
  in.CheckBeam = in.CheckStraggling = in.CheckChu = in.CheckYang = in.CheckMS = true;
  in.CheckDoppler = in.CheckGeo = in.CheckDet = in.Checktschalar = true;
  in.CheckMS_max = false;
  in.CheckNothing = false;
}

void CheckNothingClick(ParameterInputs& in, bool checked) {
  in.CheckNothing = checked;
  if (!checked) return;
  in.CheckBeam = in.CheckStraggling = in.CheckChu = in.CheckYang = in.CheckMS = false;
  in.CheckMS_max = in.CheckDoppler = in.CheckGeo = in.CheckDet = in.CheckAll = false;
  in.Checktschalar = false;
}

}  // namespace dodavev
