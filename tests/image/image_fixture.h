// Helpers of the picture tests: writers of small GIF, PNG, JPEG and BMP files
// made in memory, a switch of the display mode, and temporary files.
#ifndef TILVANE_TESTS_IMAGE_FIXTURE_H
#define TILVANE_TESTS_IMAGE_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> bytes;

// Makes `palette` the one of the given display depth (24, 8 or 4), from scratch.
void setDisplayDepth(int depth);

// LZW data blocks (code size byte, sub-blocks, terminator) of indices with the
// given minimum code size. clearWhenFull = false keeps emitting 12-bit codes
// when the table is full instead of starting it again.
bytes gifImageData(const std::vector<uint8_t> &indices, int minCodeSize, bool clearWhenFull = true,
                   int blockSize = 255);

struct gifColor {
  uint8_t r, g, b;
};

// A GIF with one image. The pixels are stored row by row, or in interlaced row
// order when `interlace`. Empty tables are left out. `before` is written
// between the screen descriptor (and global table) and the image separator.
struct gifSpec {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  std::vector<gifColor> globalTable, localTable;  // sizes 2, 4, ... 256
  bool interlace = false;
  int minCodeSize = 8;
  bytes before;
  bytes after;  // written after the image data, before the trailer
  const char *version = "89a";
};
bytes makeGif(const gifSpec &picture);

// A PNG written by libpng from rows of the given colour type and bit depth
// (rows already packed as PNG wants them). Optional chunks: background (bKGD,
// in the file's sample format), gamma, tRNS as given.
struct pngSpec {
  int width = 0, height = 0, colorType = 2, bitDepth = 8;
  bool interlace = false;
  std::vector<bytes> rows;
  std::vector<gifColor> palette;
  bool hasBackground = false;
  uint16_t backgroundRed = 0, backgroundGreen = 0, backgroundBlue = 0, backgroundGray = 0;
  uint8_t backgroundIndex = 0;
  double gamma = 0;  // 0: no gAMA chunk
  std::vector<uint8_t> paletteAlpha;
  bytes exif;  // an eXIf chunk ahead of the pixels when not empty
};
bytes makePng(const pngSpec &picture);

// A JPEG (quality 100) from RGB rows (components 3) or gray rows (1), with
// extra APP4 markers written after the frame header, and an APP1 marker
// holding app1 when it is not empty.
bytes makeJpeg(int width, int height, int components, const bytes &pixels,
               const std::vector<bytes> &app4 = {}, int quality = 100, const bytes &app1 = {});

// Exif data (a TIFF header in the byte order asked for, after "Exif\0\0" when
// `named`) whose first directory holds one entry: the orientation.
bytes exifBlock(int orientation, bool bigEndian = true, bool named = true);

// A 24-bit BMP of RGB pixels.
bytes makeBmp(int width, int height, const bytes &rgb);

// Writes bytes to a new temporary file with the given suffix; removed at exit.
std::string tempFile(const bytes &data, const std::string &suffix);

// Decodes data with the loader of `decoder` (decoderGif...) over a memory
// stream into a new imageData (null when the load failed).
struct imageData;
imageData *decodeMemory(const bytes &data, int decoder);

// The pixel at (x, y) of im as 0x00BBGGRR.
unsigned pixelAt(imageData *im, int x, int y);
inline unsigned rgb(int r, int g, int b) { return (unsigned)r | ((unsigned)g << 8) | ((unsigned)b << 16); }

// The corpus folder, or "" when it is absent.
std::string corpusDir();

#endif
