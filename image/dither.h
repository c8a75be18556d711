// dither.h: the display palette and the row converters that turn decoded rows
// (RGB, gray or palette indices) into what the display shows: blue-green-red
// bytes in true colour, cube indices in the 216-colour cube mode, or the nearest
// of the system colours (with error carry) in system-palette mode. Owns palette.
#ifndef TILVANE_DITHER_H
#define TILVANE_DITHER_H

// Marks a function that only converts pixels, one after another, with no
// decision worth a fuzzer's attention: clang leaves it out of coverage tracing,
// which would otherwise cost a call for every comparison of every pixel. The
// sanitizers still check it.
#if defined(__clang__)
#define TILVANE_PIXEL_LOOP __attribute__((no_sanitize("coverage")))
#else
#define TILVANE_PIXEL_LOOP
#endif

// One palette entry: red, green, blue and a flags byte.
struct paletteEntry {
  unsigned char red, green, blue, flags;
};

struct paletteInfo {
  paletteEntry sysp[256];   // the system palette (system-palette mode only)
  int syspCube[8][8][8];    // nearest system colour for each level triple
  int useSysp;              // system-palette mode is on
  int syspColors;           // valid entries of sysp
  paletteEntry *hpal;       // the 216-colour cube in cube mode; null otherwise
};

// The display palette, filled once at start-up by paletteSetup.
extern paletteInfo palette;

// The colour depth of the display: TILVANE_DISPLAY_DEPTH when it holds a number
// from 1 to 32, else the primary screen's depth when a Qt GUI application runs,
// else 24.
int displayDepth(void);

// Fills p for the display of window `context` (ignored; the depth comes from
// displayDepth). Returns 1.
int paletteSetup(paletteInfo *p, void *context);

// The same for a given depth: above 8 true colour (unless useSysp is already
// set), 8 the colour cube, below 8 the system palette of 2^depth of the 16
// standard VGA colours.
int paletteSetupDepth(paletteInfo *p, int depth);

// Releases the cube of p (hpal) and sets it to null.
void paletteRelease(paletteInfo *p);

// The 216 cube entries: entry r*36 + g*6 + b is (r*51, g*51, b*51).
void Build666Cube(paletteEntry *p);

// For red, green and blue levels 0-7, the index of the nearest of the first
// syspColors entries of sysp (least sum of absolute differences, lowest index on
// a tie). All zero when syspColors is 0.
void BuildSyspCube(const paletteEntry *sysp, int syspColors, int syspCube[8][8][8]);

// The 16 standard VGA colours in the order of the system palette.
extern const paletteEntry vgaColors[16];

// Row converters: w pixels from scanlineC into dibBitsC. RGB rows have 3 bytes
// a pixel (red first), gray rows 1, palette rows 1 (an index into sourcep, 256
// entries of 4 bytes: red, green, blue, unused).
void DitherRowTruecolorRGB(unsigned char *dibBitsC, const unsigned char *scanlineC, int w);
void DitherRowTruecolorGray(unsigned char *dibBitsC, const unsigned char *scanlineC, int w);
void DitherRowTruecolorPalette(unsigned char *dibBitsC, const unsigned char *scanlineC, int w,
                               const unsigned char *sourcep);
void DitherRow666RGB(unsigned char *dibBitsC, const unsigned char *scanlineC, int w);
void DitherRow666Gray(unsigned char *dibBitsC, const unsigned char *scanlineC, int w);
void DitherRow666Palette(unsigned char *dibBitsC, const unsigned char *scanlineC, int w,
                         const unsigned char *sourcep);
void DitherRowSyspRGB(unsigned char *dibBitsC, const unsigned char *scanlineC, int w,
                      const int syspCube[8][8][8], const paletteEntry *sysp);
void DitherRowSyspGray(unsigned char *dibBitsC, const unsigned char *scanlineC, int w,
                       const int syspCube[8][8][8], const paletteEntry *sysp);
void DitherRowSyspPalette(unsigned char *dibBitsC, const unsigned char *scanlineC, int w,
                          const unsigned char *sourcep, const int syspCube[8][8][8],
                          const paletteEntry *sysp, int syspColors);

// The three families by input kind, for the display mode of pa (system palette
// first, then cube, then true colour). sourcep is used by the palette kind only.
enum { rowRGB = 0, rowGray = 1, rowPalette = 2 };
void ditherRow(const paletteInfo *pa, int kind, unsigned char *out, const unsigned char *in, int w,
               const unsigned char *sourcep);

#endif
