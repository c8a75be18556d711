// fuzz_png.cpp: feeds arbitrary bytes to LoadPng over a memory stream, in each of
// the three display modes; every outcome must be a picture or a clean failure.
#include "fuzz/fuzz_image_common.h"
#include "workflow/loadimg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzimage::run(data, size, LoadPng);
  return 0;
}
