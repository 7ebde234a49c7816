// libFuzzer target: the simulated camera's scene (binary PPM) reader on arbitrary bytes.
#include <cstdio>
#include <cstdlib>

#include "parser_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const char* wrong = brimlet_fuzz::checkPpm(data, size)) {
    std::fprintf(stderr, "%s\n", wrong);
    std::abort();  // libFuzzer keeps the input as a crash artifact
  }
  return 0;
}
