// dither.cpp: the display palette (true colour, the 216-colour cube, or the
// system palette), its lookup tables, and the row converters. Owns palette.
#include "image/dither.h"

#include <cstdlib>
#include <cstring>

#include <QGuiApplication>
#include <QScreen>

#include "platform/strhack.h"

paletteInfo palette;

const paletteEntry vgaColors[16] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0}};

int displayDepth(void) {
  const char *env = std::getenv("TILVANE_DISPLAY_DEPTH");
  if (env && *env) {
    char *end;
    long d = std::strtol(env, &end, 10);
    if (*end == 0 && d >= 1 && d <= 32) return (int)d;
  }
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && screen->depth() > 0) return screen->depth();
  }
  return 24;
}

void paletteRelease(paletteInfo *p) {
  std::free(p->hpal);
  p->hpal = nullptr;
}

int paletteSetupDepth(paletteInfo *p, int depth) {
  paletteRelease(p);
  if (!p->useSysp && depth > 8) return 1;
  if (depth >= 8) {
    p->hpal = (paletteEntry *)std::calloc(216, sizeof(paletteEntry));
    if (!p->hpal) dieMemory();
    Build666Cube(p->hpal);
    return 1;
  }
  p->useSysp = 1;
  int want = depth < 1 ? 1 : (1 << depth);
  if (want > 256) want = 256;
  int got = want < 16 ? want : 16;
  std::memset(p->sysp, 0, sizeof p->sysp);
  std::memcpy(p->sysp, vgaColors, (size_t)got * sizeof(paletteEntry));
  p->syspColors = got;
  BuildSyspCube(p->sysp, p->syspColors, p->syspCube);
  return 1;
}

int paletteSetup(paletteInfo *p, void *context) { return paletteSetupDepth(p, displayDepth()); }

void Build666Cube(paletteEntry *p) {
  int n = 0;
  for (int r = 0; r < 6; r++)
    for (int g = 0; g < 6; g++)
      for (int b = 0; b < 6; b++) p[n++] = {(unsigned char)(r * 51), (unsigned char)(g * 51),
                                            (unsigned char)(b * 51), 0};
}

void BuildSyspCube(const paletteEntry *sysp, int syspColors, int syspCube[8][8][8]) {
  for (int r = 0; r < 8; r++)
    for (int g = 0; g < 8; g++)
      for (int b = 0; b < 8; b++) {
        int sr = 36 * r + r / 2, sg = 36 * g + g / 2, sb = 36 * b + b / 2;
        int best = 0, bestDistance = -1;
        for (int i = 0; i < syspColors; i++) {
          int d = std::abs(sysp[i].red - sr) + std::abs(sysp[i].green - sg) +
                  std::abs(sysp[i].blue - sb);
          if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
          }
        }
        syspCube[r][g][b] = best;
      }
}

TILVANE_PIXEL_LOOP void DitherRowTruecolorRGB(unsigned char *out, const unsigned char *in, int w) {
  for (int x = 0; x < w; x++, in += 3, out += 3) {
    unsigned char r = in[0], g = in[1], b = in[2];
    out[0] = b;
    out[1] = g;
    out[2] = r;
  }
}

TILVANE_PIXEL_LOOP void DitherRowTruecolorGray(unsigned char *out, const unsigned char *in, int w) {
  for (int x = 0; x < w; x++, out += 3) out[0] = out[1] = out[2] = in[x];
}

TILVANE_PIXEL_LOOP void DitherRowTruecolorPalette(unsigned char *out, const unsigned char *in, int w,
                               const unsigned char *sourcep) {
  for (int x = 0; x < w; x++, out += 3) {
    const unsigned char *e = sourcep + 4 * in[x];
    out[0] = e[2];
    out[1] = e[1];
    out[2] = e[0];
  }
}

namespace {
// One step of the cube's error carry: the level (0-5) of the accumulated value.
// The carry left is below 51, so with a value of at most 255 the sum stays
// below 306 and its level never passes 5.
TILVANE_PIXEL_LOOP inline int cubeLevel(int &acc, int value) {
  acc += value;
  int level = acc / 51;
  acc -= level * 51;
  return level;
}

// One step of the system palette's error carry: the level (0-7) of the
// accumulated value held to 0-255. One unsigned test finds both ends.
TILVANE_PIXEL_LOOP inline int syspLevel(int acc) {
  if ((unsigned)acc <= 255u) return acc >> 5;
  return acc < 0 ? 0 : 7;
}

// Converts w pixels of one row to the nearest system colours with the error
// carried along the row; pixel(x) gives the red, green and blue of pixel x
// as red + 256 * green + 65536 * blue. The carries are plain locals, so that the loop keeps them in registers.
template <class Pixel>
TILVANE_PIXEL_LOOP void syspRow(unsigned char *out, int w, Pixel pixel, const int syspCube[8][8][8],
             const paletteEntry *sysp) {
  int ar = 0, ag = 0, ab = 0;
  const int *cube = &syspCube[0][0][0];
  for (int x = 0; x < w; x++, out += 3) {
    unsigned rgb = pixel(x);  // red in the low byte
    ar += (int)(rgb & 255);
    ag += (int)((rgb >> 8) & 255);
    ab += (int)(rgb >> 16);
    const paletteEntry &e = sysp[cube[(syspLevel(ar) << 6) | (syspLevel(ag) << 3) | syspLevel(ab)]];
    out[0] = e.blue;
    out[1] = e.green;
    out[2] = e.red;
    ar -= e.red;
    ag -= e.green;
    ab -= e.blue;
  }
}
}  // namespace

TILVANE_PIXEL_LOOP void DitherRow666RGB(unsigned char *out, const unsigned char *in, int w) {
  int ar = 0, ag = 0, ab = 0;
  for (int x = 0; x < w; x++, in += 3) {
    int r = cubeLevel(ar, in[0]);
    int g = cubeLevel(ag, in[1]);
    int b = cubeLevel(ab, in[2]);
    out[x] = (unsigned char)(r * 36 + g * 6 + b);
  }
}

TILVANE_PIXEL_LOOP void DitherRow666Gray(unsigned char *out, const unsigned char *in, int w) {
  int acc = 0;
  for (int x = 0; x < w; x++) out[x] = (unsigned char)(cubeLevel(acc, in[x]) * 43);
}

TILVANE_PIXEL_LOOP void DitherRow666Palette(unsigned char *out, const unsigned char *in, int w,
                         const unsigned char *sourcep) {
  int ar = 0, ag = 0, ab = 0;
  for (int x = 0; x < w; x++) {
    const unsigned char *e = sourcep + 4 * in[x];
    int r = cubeLevel(ar, e[0]);
    int g = cubeLevel(ag, e[1]);
    int b = cubeLevel(ab, e[2]);
    out[x] = (unsigned char)(r * 36 + g * 6 + b);
  }
}

TILVANE_PIXEL_LOOP void DitherRowSyspRGB(unsigned char *out, const unsigned char *in, int w,
                      const int syspCube[8][8][8], const paletteEntry *sysp) {
  syspRow(out, w, [in](int x) { return in[3 * x] | in[3 * x + 1] << 8 | (unsigned)in[3 * x + 2] << 16; },
          syspCube, sysp);
}

TILVANE_PIXEL_LOOP void DitherRowSyspGray(unsigned char *out, const unsigned char *in, int w,
                       const int syspCube[8][8][8], const paletteEntry *sysp) {
  syspRow(out, w, [in](int x) { return in[x] * 0x010101u; }, syspCube, sysp);
}

TILVANE_PIXEL_LOOP void DitherRowSyspPalette(unsigned char *out, const unsigned char *in, int w,
                          const unsigned char *sourcep, const int syspCube[8][8][8],
                          const paletteEntry *sysp, int syspColors) {
  syspRow(out, w,
          [in, sourcep](int x) {
            const unsigned char *e = sourcep + 4 * in[x];
            return e[0] | e[1] << 8 | (unsigned)e[2] << 16;
          },
          syspCube, sysp);
}

void ditherRow(const paletteInfo *pa, int kind, unsigned char *out, const unsigned char *in, int w,
               const unsigned char *sourcep) {
  if (pa->useSysp) {
    if (kind == rowRGB) DitherRowSyspRGB(out, in, w, pa->syspCube, pa->sysp);
    else if (kind == rowGray) DitherRowSyspGray(out, in, w, pa->syspCube, pa->sysp);
    else DitherRowSyspPalette(out, in, w, sourcep, pa->syspCube, pa->sysp, pa->syspColors);
  } else if (pa->hpal) {
    if (kind == rowRGB) DitherRow666RGB(out, in, w);
    else if (kind == rowGray) DitherRow666Gray(out, in, w);
    else DitherRow666Palette(out, in, w, sourcep);
  } else {
    if (kind == rowRGB) DitherRowTruecolorRGB(out, in, w);
    else if (kind == rowGray) DitherRowTruecolorGray(out, in, w);
    else DitherRowTruecolorPalette(out, in, w, sourcep);
  }
}
