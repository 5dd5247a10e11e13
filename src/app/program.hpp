// Program entry and start-up: finds the program directory and the start-up data, loads
// them, and either runs the BatchFile named on the command line or hands over to the
// window.
#pragma once

#include <filesystem>
#include <string_view>

namespace dodavev {

struct Session;

// Runs the interactive window; gets the command line, returns the exit status. A build
// without a window passes none.
using WindowRunner = int (*)(int argc, char** argv);

// Runs the BatchFile on a started session and writes the charts of every record into
// `plotDir` ("--plots"); returns what RunBatchFile returns. A build that cannot draw
// passes none.
using PlotRunner = int (*)(Session& session, const std::filesystem::path& batchFile,
                           const std::filesystem::path& plotDir);

// The whole program for a command line: "--help", "--version", a BatchFile run headless
// (exit status 0 when the BatchFile was read to its end, 1 when it could not be read),
// "--plots DIR BATCHFILE" (the same, with the charts of every record written into DIR), or
// the window. Without a window and without a BatchFile it prints how to use it.
int RunProgram(int argc, char** argv, WindowRunner runner = nullptr, PlotRunner plots = nullptr);

// Directory of the running executable (/proc/self/exe, else `argv0`).
std::filesystem::path FindProgramDirectory(std::string_view argv0);

// "LEV" beside the executable when it exists, else the installed one under
// `installDataDir`, else (not found) the one beside the executable, so that the start-up
// messages name the missing files there.
std::filesystem::path ChooseLevDirectory(const std::filesystem::path& programDir,
                                         const std::filesystem::path& installDataDir);

// The start-up data of a program (or module) in `programDir`: ChooseLevDirectory with the
// share directory the build installs into.
std::filesystem::path LevDirectoryFor(const std::filesystem::path& programDir);

// The program's version, as the build names it.
const char* ProgramVersion();

// Start-up of a session (the main window's creation): sets the directories and the
// start-up values, loads the element and physics tables from the LEV directory (each
// failure is shown and start-up goes on), and makes "Beam" the active page.
void FormCreate(Session& session, const std::filesystem::path& programDir,
                const std::filesystem::path& levDir);

}  // namespace dodavev
