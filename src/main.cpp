// Program entry: everything is done by the library. A build with a window passes the
// function that runs it; this one runs BatchFiles only.
#include "app/program.hpp"

int main(int argc, char** argv) { return dodavev::RunProgram(argc, argv, nullptr); }
