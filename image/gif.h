// gif.h: the GIF decoder (GIF87a and GIF89a, first image only) into an 8-bit
// palette image, and LoadGif, which converts that image for the display.
#ifndef TILVANE_GIF_H
#define TILVANE_GIF_H

struct imageData;
struct paletteInfo;
struct wfileStruct;

// A palette image.
struct oldrzImageStruct {
  unsigned char **pixels;  // sy rows of sx bytes, zero-filled at creation
  int sx, sy;
  int colorsTotal;         // colour entries in use
  int red[256], green[256], blue[256];
  int open[256];           // 1 = entry not used by any pixel
  int transparent;         // transparent index, -1 = none
  int interlace;           // stored interlaced
};
typedef oldrzImageStruct *oldrzImagePtr;

// A byte source: read(context, buffer, length) gives the bytes read, 0 at the
// end of the data, or a negative value on failure.
typedef int (*gifReadFn)(void *context, char *buffer, int length);

// The decoder's state for one source: the byte source, the block reader and
// the LZW tables. Reset at the start of every image.
struct gifSource {
  gifReadFn read;
  void *context;
  // Block reader.
  unsigned char buf[280];  // the current block, behind the last two bytes of the one before
  int curbit, lastbit, lastByte, done;
  int zeroDataBlock;       // the most recent block had length 0
  // LZW.
  int fresh, codeSize, setCodeSize, maxCode, maxCodeSize, firstCode, oldCode, clearCode, endCode;
  int table[2][4096];
  int stack[8192];
  int sp;
  // The same table as the image decoder keeps it for code sizes up to 8: each
  // entry's prefix code, last index, and the length of its string (0 when the
  // string is not known to end at a root within that many steps).
  unsigned short prefix[4096], length[4096];
  unsigned char suffix[4096];
  unsigned int place[4096];    // where a non-interlaced image already holds the string
  unsigned long long packed[4096];  // a string of up to 8 indices, the first in the low byte, 0 above
  unsigned char string[4096];  // a decoded string that crosses the end of a row
  int tooLarge;            // 1: the image declared a size beyond the picture limit; 2: memory ran out
  int invalid;             // the data held an LZW code size or an index out of range
};

// Palette image operations. Create gives null for a size of 0 or above the
// picture limit, or when memory cannot be had.
oldrzImagePtr oldrzImageCreate(int sx, int sy);
void oldrzImageDestroy(oldrzImagePtr im);
void oldrzImageSetPixel(oldrzImagePtr im, int x, int y, int color);
void oldrzImageColorTransparent(oldrzImagePtr im, int color);

// Decodes the first image of the GIF read from source; null when the data is
// not a GIF, ends before an image, has a colour table cut short, or declares an
// LZW code size above 11 or an index above 255. source->tooLarge tells when the
// image was refused for its size.
oldrzImagePtr oldrzImageCreateFromGifSource(gifSource *source);

// The steps of the decoder.
int ReadColorMap(gifSource *source, int number, int buffer[3][256]);
void DoExtension(gifSource *source, int label, int *transparent);
int GetDataBlock(gifSource *source, unsigned char *buffer);
int GetCode(gifSource *source, int code_size, int flag);
int LWZReadByte(gifSource *source, int flag, int input_code_size);
int ReadImage(oldrzImagePtr im, gifSource *source, int len, int height, int cmap[3][256],
              int interlace);

// Decodes the GIF read from stream `in` into a new imageData stored through idP,
// converted for pa. 1 on success; 0 after showing the failure.
int LoadGif(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);

#endif
