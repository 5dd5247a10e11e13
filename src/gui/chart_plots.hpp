// "--plots DIR BATCHFILE": a BatchFile run that writes the charts of every record, drawn
// on Qt's offscreen platform, so that no display is needed.
#pragma once

#include <filesystem>

namespace dodavev {

struct Session;

// Runs `batchFile` on the started session; after each record every chart set of its
// calculation goes into `plotDir` (created when missing) as SVG and PNG, named after the
// record's output line. Returns what RunBatchFile returns, or 1 without running anything
// when `plotDir` cannot be made (shown).
int RunBatchWithPlots(Session& session, const std::filesystem::path& batchFile,
                      const std::filesystem::path& plotDir);

}  // namespace dodavev
