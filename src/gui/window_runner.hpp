// The interactive program: the window over a session started from the LEV directory.
#pragma once

namespace dodavev {

// Runs the window until it closes; returns the exit status. Passed to RunProgram by main.
int RunWindow(int argc, char** argv);

}  // namespace dodavev
