#include "app/output_actions.hpp"

#include <cerrno>
#include <string>

#include "app/session.hpp"
#include "io/measured_spectrum.hpp"
#include "io/number_parse.hpp"
#include "io/result_files.hpp"

namespace dodavev {
namespace {

// The writers make the file name from the chosen one by replacing its ending; an empty
// choice would become a bare ending such as "_1.dat" in the current directory.
bool NameMissing(Session& session, const std::filesystem::path& name) {
  if (!name.empty()) return false;
  session.messages.Show("#" + std::to_string(ENOENT));
  return true;
}

// The number of channels as typed on the Simulation page, before "OK" reads it: a
// valid text counts, otherwise the value of the last "OK".
int TypedChannels(const ParameterSet& p) {
  const std::optional<std::int32_t> n = ParseInteger(p.Edit1_channels);
  if (n && *n >= 1 && *n <= kMaxSpectrumChannels) return *n;
  return p.channels;
}

}  // namespace

void SaveResults(Session& session, const std::filesystem::path& name) {
  if (NameMissing(session, name)) return;
  WriteResults(name, session.OutputLog, session.results.detailReport, session.CalcMode,
               session.SpectrumFlag, session.messages);
}

void SaveSpectrum(Session& session, const std::filesystem::path& name, int kind) {
  if (NameMissing(session, name)) return;
  const ParameterSet& p = session.params;
  WriteSpectrum(name, kind, session.results.SimulatedSpectrum, session.MeasuredSpectrum,
                SpectrumCalibration{p.detkevch, p.dete0}, session.messages);
}

bool loadaspectrum1Click(Session& session, const std::optional<std::filesystem::path>& chosen) {
  if (!chosen) return false;
  if (!LoadMeasuredSpectrum(*chosen, TypedChannels(session.params), session.MeasuredSpectrum,
                            session.messages)) {
    return false;
  }
  session.params.MeasuredSpectrumFile = chosen->string();
  return true;
}

void LoadNamedMeasuredSpectrum(Session& session, const std::filesystem::path& baseDir) {
  const std::string& name = session.params.MeasuredSpectrumFile;
  if (name.empty()) {
    session.MeasuredSpectrum = Spectrum{};
    return;
  }
  std::filesystem::path path(name);
  if (path.is_relative() && !baseDir.empty()) path = baseDir / path;
  LoadMeasuredSpectrum(path, TypedChannels(session.params), session.MeasuredSpectrum,
                       session.messages);
}

}  // namespace dodavev
