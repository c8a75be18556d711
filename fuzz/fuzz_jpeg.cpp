// fuzz_jpeg.cpp: feeds arbitrary bytes to LoadJpeg over a memory stream, in each of
// the three display modes; every outcome must be a picture or a clean failure.
#include "fuzz/fuzz_image_common.h"
#include "workflow/loadimg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzimage::run(data, size, LoadJpeg);
  return 0;
}
