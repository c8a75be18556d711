// fuzz_image_common.h: what the picture fuzz targets share: a silent platform
// table, a picture limit that keeps each run small (16K pixels), and one
// decode over a memory stream in the display mode a hash of the input picks.
#ifndef TILVANE_FUZZ_IMAGE_COMMON_H
#define TILVANE_FUZZ_IMAGE_COMMON_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_quiet.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace fuzzimage {

inline void setUp() {
  fuzzquiet::install();
  imageDataPixelLimit = 1 << 14;
}

// The display palettes of the three modes are made once; the one a hash of
// the whole input picks is copied into the display palette (which then shares
// its cube). A hash rather than one byte, since real files end alike (every
// GIF in ';'), and their seeds would all try one mode.
inline void setMode(const uint8_t *data, size_t size) {
  static const int depths[3] = {24, 8, 4};
  static paletteInfo modes[3];
  static bool made = false;
  if (!made) {
    for (int i = 0; i < 3; i++) paletteSetupDepth(&modes[i], depths[i]);
    made = true;
  }
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; i++) hash = (hash ^ data[i]) * 16777619u;
  palette = modes[hash % 3];
}

// Runs loader over the bytes and checks what it made.
inline void run(const uint8_t *data, size_t size,
                int (*loader)(wfileStruct *, void *, paletteInfo *, imageData **)) {
  setUp();
  setMode(data, size);
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *in = wfileOpenMemory(data, (int)size, &info);
  imageData *im = nullptr;
  int ok = loader(in, nullptr, &palette, &im);
  wfileClose(in);
  if (!ok && im) std::abort();
  if (ok) {
    if (!im || im->width <= 0 || im->height <= 0) std::abort();
    // Read every corner back.
    imageDataGetPixel(im, 0, 0);
    imageDataGetPixel(im, im->width - 1, im->height - 1);
    imageDataDestroy(im);
  }
}

}  // namespace fuzzimage

#endif
