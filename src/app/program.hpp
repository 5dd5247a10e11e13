#pragma once

namespace dodavev {

// Runs the program for a command line: a BatchFile headless, or the window.
int RunProgram(int argc, char** argv);

}  // namespace dodavev
