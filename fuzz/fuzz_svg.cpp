// fuzz_svg.cpp: feeds arbitrary bytes to LoadSvg over a memory stream, in each of
// the three display modes; every outcome must be a picture or a clean failure.
// The picture is drawn at its own size (the page gives none), in this process:
// the child that keeps the editor safe from the drawing library would hide the
// library's work from the fuzzer.
#include "editor/view.h"
#include "fuzz/fuzz_image_common.h"
#include "workflow/loadimg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  displayWidth = displayHeight = -1;
  svgDrawInProcess = 1;
  fuzzimage::run(data, size, LoadSvg);
  return 0;
}
