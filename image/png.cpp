// png.cpp: the PNG loader: a libpng read callback over a stream, the message
// callbacks, the transformations (expansion, background, gamma, 16-bit
// stripping, unpacking, interlacing), the Exif orientation of an eXIf chunk
// before the pixels, and the row loop that converts the rows of the last pass
// for the display and pushes them into the tiles, turned as the orientation
// says.
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include "platform/strhack.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "image/loaders.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

// The colours of the last palette image loaded.
unsigned char sourcep[256 * 4];

const char *const pngTitle = "PNG Decoding Error";

void pngMessage(const char *text) { platformMessageBox(nullptr, text, pngTitle, MB_OK | MB_ICONWARNING); }

}  // namespace

static void png_wfile_read_data(png_structp png_ptr, png_bytep data, png_size_t length) {
  wfileStruct *in = (wfileStruct *)png_get_io_ptr(png_ptr);
  // Reads of more than 2^31 bytes do not occur: chunks are read in pieces.
  if (length > 0x7fffffff || wfileRead(in, (char *)data, (int)length) != (int)length)
    png_error(png_ptr, "Read Error");
}

static void png_error_fn(png_structp png_ptr, png_const_charp text) {
  platformMessageBox(png_get_error_ptr(png_ptr), text, "PNG Decoding Error -- Bad PNG Image File?",
                     MB_OK | MB_ICONWARNING);
  png_longjmp(png_ptr, 1);
}

static void png_warning_fn(png_structp png_ptr, png_const_charp text) {
  // A damaged eXIf chunk costs only the orientation (the picture is shown as
  // stored), which is no reason to stop the user with a box.
  if (text && std::strncmp(text, "eXIf", 4) == 0) return;
  platformMessageBox(png_get_error_ptr(png_ptr), text, "PNG Decoding Warning -- Bad PNG Image File?",
                     MB_OK | MB_ICONWARNING);
}

int LoadPng(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP) {
  // Everything the recovery point releases lives in this record, so that it
  // keeps its values across the jump.
  struct loadState {
    png_structp png;
    png_infop info;
    png_bytep *rows;       // one buffer per image row (interlaced), else one in all
    int rowsMade;
    unsigned char *header;
    unsigned char *out;    // the converted row
    imageData *made;
  };
  *idP = nullptr;
  loadState *st = (loadState *)std::calloc(1, sizeof(loadState));
  if (st) st->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, context, png_error_fn, png_warning_fn);
  if (st && st->png) st->info = png_create_info_struct(st->png);
  if (!st || !st->info) {
    if (st && st->png) png_destroy_read_struct(&st->png, nullptr, nullptr);
    std::free(st);
    pngMessage("Out of Memory!");
    return 0;
  }
  // 0: a libpng failure; 2: memory or size, already reported.
  int jumped = setjmp(png_jmpbuf(st->png));
  if (jumped) {
    png_destroy_read_struct(&st->png, &st->info, nullptr);
    imageDataDestroy(st->made);
    *idP = nullptr;
    if (st->rows)
      for (int i = 0; i < st->rowsMade; i++) std::free(st->rows[i]);
    std::free(st->rows);
    std::free(st->header);
    std::free(st->out);
    std::free(st);
    if (jumped == 1) pngMessage("PNG File Damaged, or Not a PNG");
    return 0;
  }
  png_structp png = st->png;
  png_infop info = st->info;
  png_set_read_fn(png, in, png_wfile_read_data);
  // libpng allocates a text, profile or palette-suggestion chunk whole, at
  // the length it declares, before reading it, so a few damaged bytes could
  // ask for gigabytes. None of them changes what is shown here: they are
  // skipped as they stream past, and the rest (eXIf, for its orientation,
  // among them) are held to a sane size.
  static const png_byte skipped[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0pCAL\0sCAL";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, skipped, (int)(sizeof skipped / 5));
  png_set_chunk_malloc_max(png, 16u << 20);
  png_read_info(png, info);

  png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  int bitDepth = png_get_bit_depth(png, info);
  int colorType = png_get_color_type(png, info);
  int interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  if ((long long)width * height > imageDataPixelLimit) {
    pngMessage("Image Too Large");
    png_longjmp(png, 2);
  }
  // An eXIf chunk ahead of the pixels gives the orientation; one after them
  // comes too late to turn the picture, as in browsers.
  int orientation = 1;
  png_uint_32 exifSize = 0;
  png_bytep exif = nullptr;
  if (png_get_eXIf_1(png, info, &exifSize, &exif) && exif) orientation = exifOrientation(exif, exifSize);

  st->rows = (png_bytep *)std::calloc(interlaced ? height : 1, sizeof(png_bytep));
  if (!st->rows) {
    pngMessage("Out of Memory!");
    png_longjmp(png, 2);
  }

  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand(png);
  png_color_16p fileBackground;
  if (png_get_bKGD(png, info, &fileBackground)) {
    png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
  } else {
    png_color_16 white;
    white.index = 0;
    white.red = white.green = white.blue = white.gray = 65535;
    png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
  }
  double fileGamma;
  if (!png_get_gAMA(png, info, &fileGamma)) fileGamma = 0.45;
  png_set_gamma(png, 2.0, fileGamma);
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  int passes = interlaced ? png_set_interlace_handling(png) : 1;
  // RGB rows in true colour come as blue, green, red and go to the tiles as
  // they are; palette and gray rows (alpha composited away) are converted.
  bool trueColor = !pa->useSysp && !pa->hpal;
  bool bgr = trueColor && (colorType & PNG_COLOR_MASK_COLOR) && colorType != PNG_COLOR_TYPE_PALETTE &&
             orientation == 1;
  if (bgr) png_set_bgr(png);
  png_read_update_info(png, info);
  int outType = png_get_color_type(png, info);
  int kind = outType == PNG_COLOR_TYPE_PALETTE ? rowPalette
             : (outType & PNG_COLOR_MASK_COLOR) ? rowRGB
                                                 : rowGray;
  bool direct = bgr && kind == rowRGB && png_get_channels(png, info) == 3;
  size_t rowBytes = png_get_rowbytes(png, info);
  size_t specBytes = kind == rowRGB ? (size_t)width * 3 + 4 : (size_t)width + 4;
  if (rowBytes + 4 > specBytes) specBytes = rowBytes + 4;
  // Rows handed over ready for the tiles are read straight into them.
  int buffers = direct ? 0 : interlaced ? (int)height : 1;
  for (int i = 0; i < buffers; i++) {
    st->rows[i] = (png_bytep)std::calloc(specBytes, 1);
    if (!st->rows[i]) {
      pngMessage("Out of Memory!");
      png_longjmp(png, 2);
    }
    st->rowsMade = i + 1;
  }

  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp colors;
    int count = 0;
    if (png_get_PLTE(png, info, &colors, &count)) {
      for (int i = 0; i < count && i < 256; i++) {
        sourcep[4 * i] = colors[i].red;
        sourcep[4 * i + 1] = colors[i].green;
        sourcep[4 * i + 2] = colors[i].blue;
      }
    }
  }

  int shownWidth, shownHeight;
  exifOrientedSize(orientation, (int)width, (int)height, &shownWidth, &shownHeight);
  st->header = imageHeaderCreate(shownWidth, shownHeight, pa);
  if (!st->header) {
    pngMessage("Out of Memory!");
    pngMessage("Not Enough Memory");
    png_longjmp(png, 2);
  }
  st->out = (unsigned char *)std::malloc((size_t)width * 3 + 4);
  if (!st->out) {
    pngMessage("Out of Memory!");
    png_longjmp(png, 2);
  }
  st->made = imageDataCreateFromHeader(st->header, imageHeaderSize);
  if (!st->made) {
    pngMessage("Image Too Large");
    png_longjmp(png, 2);
  }

  long long total = (long long)passes * height, done = 0;
  for (int pass = 0; pass < passes; pass++)
    for (png_uint_32 y = 0; y < height; y++) {
      png_bytep row = direct ? imageDataRowPointer(st->made, (int)y) : st->rows[interlaced ? y : 0];
      png_read_rows(png, &row, nullptr, 1);
      if (pass == passes - 1) {
        if (direct) {
          imageDataPushRow(st->made, (int)y, row);
        } else {
          unsigned char *target = orientation == 1 ? imageDataRowPointer(st->made, (int)y) : nullptr;
          ditherRow(pa, kind, target ? target : st->out, row, (int)width, sourcep);
          imageDataPushOrientedRow(st->made, orientation, (int)y, target ? target : st->out);
        }
      }
      if (!loadProgress(++done, total)) png_longjmp(png, 2);
    }
  png_read_end(png, nullptr);

  *idP = st->made;
  png_destroy_read_struct(&st->png, &st->info, nullptr);
  for (int i = 0; i < st->rowsMade; i++) std::free(st->rows[i]);
  std::free(st->rows);
  std::free(st->header);
  std::free(st->out);
  std::free(st);
  return 1;
}
