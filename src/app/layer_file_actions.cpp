#include "app/layer_file_actions.hpp"

#include <string>

#include "app/session.hpp"
#include "io/file_naming.hpp"
#include "io/layer_file.hpp"
#include "io/text_file.hpp"

namespace dodavev {
namespace {

void ShowIoError(Session& session, int code, const std::filesystem::path& file) {
  session.messages.Show(IoErrorText(code, file));
}

}  // namespace

void LoadSampleLayerFile(Session& session, const std::filesystem::path& path) {
  std::string& text = session.params.richedit1;
  const int code = ReadLayerText(path, text);
  session.params.samplefile = path.string();
  if (code != 0) ShowIoError(session, code, path);
}

void LoadAbsorberFile(Session& session, const std::filesystem::path& path) {
  std::string& text = session.params.RichEdit2;
  const int code = ReadLayerText(path, text);
  session.params.Absorbensfile = "Absorbens : " + path.string();
  if (code != 0) ShowIoError(session, code, path);
}

int SaveSampleLayerFile(Session& session, const std::filesystem::path& chosen) {
  const std::filesystem::path file = ForceExtension(chosen, ".lay");
  const int code = WriteLayerText(file, session.params.richedit1);
  if (code != 0) {
    ShowIoError(session, code, file);
    return code;
  }
  session.params.samplefile = chosen.string();
  return 0;
}

int SaveAbsorberFile(Session& session, const std::filesystem::path& chosen) {
  const std::filesystem::path file = ForceExtension(chosen, ".lay");
  const int code = WriteLayerText(file, session.params.RichEdit2);
  if (code != 0) {
    ShowIoError(session, code, file);
    return code;
  }
  session.params.Absorbensfile = "Absorbens : " + chosen.string();
  return 0;
}

}  // namespace dodavev
