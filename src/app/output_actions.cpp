#include "app/output_actions.hpp"

#include <cerrno>
#include <string>

#include "app/session.hpp"
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

}  // namespace dodavev
