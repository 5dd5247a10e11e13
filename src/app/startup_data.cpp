#include "app/startup_data.hpp"

#include <string>

#include "app/session.hpp"
#include "physics/element_io.hpp"

namespace dodavev {

void LoadStartupData(Session& session) {
  const int elementStatus = LoadElementTable(session.levDir / "STOP.DAT", session.elements);
  if (elementStatus != 0) {
    session.messages.Show("problem with stopping data !" + std::to_string(elementStatus));
  }
  // Every further file is reported on its own, so that a missing multiple-scattering or
  // straggling table does not pass unnoticed behind a complete last file.
  const PhysicsTablesStatus status =
      LoadPhysicsTables(session.levDir, session.elements, session.tables);
  for (std::size_t i = 0; i < status.fileStatus.size(); ++i) {
    if (status.fileStatus[i] == 0) continue;
    std::string where(kPhysicsTableFiles[i]);
    if (!status.problem[i].empty()) where += ", " + status.problem[i];
    session.messages.Show("problem with chupar !" + std::to_string(status.fileStatus[i]) + " (" +
                          where + ")");
  }
}

}  // namespace dodavev
