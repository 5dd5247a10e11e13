// Program entry: everything is done by the library. A build with a window passes the
// function that runs it; a build without one runs BatchFiles only.
#include "app/program.hpp"

#ifdef DODAVEV_HAVE_GUI
#include "gui/chart_plots.hpp"
#include "gui/window_runner.hpp"
#endif

int main(int argc, char** argv) {
#ifdef DODAVEV_HAVE_GUI
  return dodavev::RunProgram(argc, argv, &dodavev::RunWindow, &dodavev::RunBatchWithPlots);
#else
  return dodavev::RunProgram(argc, argv, nullptr);
#endif
}
