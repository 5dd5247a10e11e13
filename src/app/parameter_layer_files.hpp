// Layer files kept beside a parameter file. A parameter file holds no layer text, so a
// measurement's inputs are three files of one base name: "run.par" with "run.lay" (the
// sample) and "run_absorber.lay" (the absorber foil). "save parameters" offers to write
// the layer texts the user has modified there; "load a new parameter file" offers to read
// those that exist. The parameter file itself is not changed by any of this.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace dodavev {

struct Session;
struct ParameterInputs;

// What the file labels show after the user has edited a layer text.
inline constexpr const char* kSampleModifiedLabel = "Sample : modified";
inline constexpr const char* kAbsorberModifiedLabel = "Absorbens : modified";

enum class LayerText { kSample, kAbsorber };

struct ParameterLayerFile {
  LayerText text;
  std::filesystem::path path;
};

// The layer file of `text` beside `parameterFile`: same folder, the parameter file's name
// cut before its first "." (as the layer writers cut names) and ".lay" appended, with
// "_absorber" before the ending for the absorber.
ParameterLayerFile LayerFileBeside(const std::filesystem::path& parameterFile, LayerText text);

// True when the user has edited the text since it was loaded or saved.
bool LayerTextModified(const ParameterInputs& inputs, LayerText text);

// After the parameters were saved to `parameterFile`: the layer files to offer, one for each
// modified text, the sample first.
std::vector<ParameterLayerFile> LayerFilesToSave(const ParameterInputs& inputs,
                                                 const std::filesystem::path& parameterFile);

// After `parameterFile` was loaded: the layer files of its base name that exist as regular
// files, the sample first.
std::vector<ParameterLayerFile> LayerFilesToLoad(const std::filesystem::path& parameterFile);

// The yes/no questions of the two offers. The save question says when a file of that name
// is replaced; the load question says when it replaces edits not saved.
std::string SaveLayerFileQuestion(const ParameterLayerFile& file);
std::string LoadLayerFileQuestion(const ParameterInputs& inputs, const ParameterLayerFile& file);

// Writes or reads the text with the layer file actions of its page, which show their own
// errors and set the file label. Saving returns 0 or the input/output error code.
int SaveLayerFile(Session& session, const ParameterLayerFile& file);
void LoadLayerFile(Session& session, const ParameterLayerFile& file);

}  // namespace dodavev
