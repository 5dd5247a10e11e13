// Program entry: everything is done by the library.
#include "app/program.hpp"

int main(int argc, char** argv) { return dodavev::RunProgram(argc, argv); }
