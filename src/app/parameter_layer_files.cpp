#include "app/parameter_layer_files.hpp"

#include <system_error>
#include <utility>

#include "app/layer_file_actions.hpp"
#include "app/session.hpp"
#include "io/file_naming.hpp"
#include "io/layer_file.hpp"

namespace dodavev {
namespace {

const char* TextName(LayerText text) {
  return text == LayerText::kSample ? "sample" : "absorber";
}

bool IsRegularFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// A parameter file named like its own layer file ("run.lay") is never overwritten by, nor
// read as, a layer text.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  return a.lexically_normal() == b.lexically_normal();
}

}  // namespace

ParameterLayerFile LayerFileBeside(const std::filesystem::path& parameterFile, LayerText text) {
  const char* ending = text == LayerText::kSample ? ".lay" : "_absorber.lay";
  return {text, ForceExtension(parameterFile, ending)};
}

bool LayerTextModified(const ParameterInputs& inputs, LayerText text) {
  return text == LayerText::kSample ? inputs.samplefile == kSampleModifiedLabel
                                    : inputs.Absorbensfile == kAbsorberModifiedLabel;
}

std::vector<ParameterLayerFile> LayerFilesToSave(const ParameterInputs& inputs,
                                                 const std::filesystem::path& parameterFile) {
  std::vector<ParameterLayerFile> files;
  for (LayerText text : {LayerText::kSample, LayerText::kAbsorber}) {
    ParameterLayerFile file = LayerFileBeside(parameterFile, text);
    if (LayerTextModified(inputs, text) && !SameFile(file.path, parameterFile))
      files.push_back(std::move(file));
  }
  return files;
}

std::vector<ParameterLayerFile> LayerFilesToLoad(const std::filesystem::path& parameterFile) {
  std::vector<ParameterLayerFile> files;
  for (LayerText text : {LayerText::kSample, LayerText::kAbsorber}) {
    ParameterLayerFile file = LayerFileBeside(parameterFile, text);
    if (!SameFile(file.path, parameterFile) && IsRegularFile(file.path))
      files.push_back(std::move(file));
  }
  return files;
}

std::string SaveLayerFileQuestion(const ParameterLayerFile& file) {
  std::string q = std::string("The ") + TextName(file.text) +
                  " text was modified. Save it as the layer file " + file.path.string() + "?";
  if (Exists(file.path)) q += "\nThe file of that name is replaced.";
  return q;
}

std::string LoadLayerFileQuestion(const ParameterInputs& inputs, const ParameterLayerFile& file) {
  std::string q = std::string("Load the ") + TextName(file.text) + " layer file " +
                  file.path.string() + " too?";
  if (LayerTextModified(inputs, file.text))
    q += std::string("\nIt replaces the modified ") + TextName(file.text) + " text.";
  return q;
}

int SaveLayerFile(Session& session, const ParameterLayerFile& file) {
  return file.text == LayerText::kSample ? SaveSampleLayerFile(session, file.path)
                                         : SaveAbsorberFile(session, file.path);
}

void LoadLayerFile(Session& session, const ParameterLayerFile& file) {
  if (file.text == LayerText::kSample) {
    LoadSampleLayerFile(session, file.path);
  } else {
    LoadAbsorberFile(session, file.path);
  }
}

}  // namespace dodavev
