#include "app/program.hpp"

#include <cstdio>

namespace dodavev {

int RunProgram(int /*argc*/, char** /*argv*/) {
  std::puts("dodavev: usage: dodavev BATCHFILE");
  return 0;
}

}  // namespace dodavev
