// fuzz_bmp.cpp: feeds arbitrary bytes to LoadBmp as a file in memory; every
// outcome must be a picture or a clean failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_image_common.h"
#include "fuzz/fuzz_memfile.h"
#include "workflow/loadimg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzimage::setUp();
  fuzzmem::memFile &file = fuzzmem::file();
  file.set(data, size);
  imageData *im = nullptr;
  int ok = LoadBmp(file.path(), &im);
  if (!ok && im) std::abort();
  if (ok) {
    if (!im || im->width <= 0 || im->height <= 0) std::abort();
    imageDataGetPixel(im, 0, 0);
    imageDataGetPixel(im, im->width - 1, im->height - 1);
    imageDataDestroy(im);
  }
  return 0;
}
