// jpeg.cpp: the JPEG loader: a libjpeg data source over a stream, the error
// callbacks, the APP4 placement and end marks, the Exif orientation (APP1),
// and the row loop that converts every scan line for the display and pushes
// it into the tiles, turned as the orientation says.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/strhack.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "image/loaders.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

enum { jpegInputSize = 4096, jpegScanLimit = 1000 };
const long jpegMemoryLimit = 2000L * 1024 * 1024;

// The data source over a stream.
struct jpegWfileSource {
  jpeg_source_mgr pub;
  wfileStruct *in;
  JOCTET *buffer;
  boolean startOfFile;
  boolean atEnd;  // the input is used up: the buffer holds the inserted end marker
};

// The error manager with its recovery point.
struct jpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf recovery;
};

void init_source(j_decompress_ptr cinfo) {
  ((jpegWfileSource *)cinfo->src)->startOfFile = TRUE;
  ((jpegWfileSource *)cinfo->src)->atEnd = FALSE;
}

boolean fill_input_buffer(j_decompress_ptr cinfo) {
  jpegWfileSource *src = (jpegWfileSource *)cinfo->src;
  std::memset(src->buffer, 0, jpegInputSize);
  int got = 0;
  while (got < jpegInputSize) {
    int n = wfileReadPartial(src->in, (char *)src->buffer + got, jpegInputSize - got);
    if (n < 0) break;
    got += n;
  }
  if (got == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = (JOCTET)0xFF;
    src->buffer[1] = (JOCTET)JPEG_EOI;
    got = 2;
    src->atEnd = TRUE;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = (size_t)got;
  src->startOfFile = FALSE;
  return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long n) {
  if (n <= 0) return;
  jpegWfileSource *src = (jpegWfileSource *)cinfo->src;
  while (n > (long)src->pub.bytes_in_buffer) {
    n -= (long)src->pub.bytes_in_buffer;
    fill_input_buffer(cinfo);
    // A skip past the end stops at the inserted end marker instead of
    // skipping end markers two bytes at a time.
    if (src->atEnd) return;
  }
  src->pub.next_input_byte += n;
  src->pub.bytes_in_buffer -= (size_t)n;
}

void term_source(j_decompress_ptr) {}

void my_error_exit(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  platformMessageBox(nullptr, text, "JPEG Error", MB_OK | MB_ICONWARNING);
  std::longjmp(((jpegErrorManager *)cinfo->err)->recovery, 1);
}

void my_output_message(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  platformMessageBox(nullptr, text, "JPEG Error", MB_OK | MB_ICONWARNING);
}

// Ends a load whose progressive data holds more scans than any real picture.
void scanLimit(j_common_ptr cinfo) {
  j_decompress_ptr d = (j_decompress_ptr)cinfo;
  if (d->input_scan_number > jpegScanLimit) {
    platformMessageBox(nullptr, "Corrupt JPEG data: too many scans", "JPEG Error",
                       MB_OK | MB_ICONWARNING);
    std::longjmp(((jpegErrorManager *)cinfo->err)->recovery, 1);
  }
}

// Inverted (Adobe-style) CMYK to RGB: each colour byte scaled by the black byte.
void cmykToRgb(unsigned char *out, const unsigned char *in, int w) {
  for (int x = 0; x < w; x++, in += 4, out += 3) {
    int k = in[3];
    out[0] = (unsigned char)((in[0] * k + 127) / 255);
    out[1] = (unsigned char)((in[1] * k + 127) / 255);
    out[2] = (unsigned char)((in[2] * k + 127) / 255);
  }
}

}  // namespace

static void jpeg_wfile_src(j_decompress_ptr cinfo, wfileStruct *in) {
  if (!cinfo->src) {
    cinfo->src = (jpeg_source_mgr *)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT,
                                                                sizeof(jpegWfileSource));
    jpegWfileSource *src = (jpegWfileSource *)cinfo->src;
    src->buffer = (JOCTET *)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT,
                                                       jpegInputSize);
  }
  jpegWfileSource *src = (jpegWfileSource *)cinfo->src;
  src->pub.init_source = init_source;
  src->pub.fill_input_buffer = fill_input_buffer;
  src->pub.skip_input_data = skip_input_data;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = term_source;
  src->in = in;
  src->atEnd = FALSE;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
}

int LoadJpeg(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP) {
  // Everything the recovery point releases lives in this record, so that it
  // keeps its values across the jump.
  struct loadState {
    jpeg_decompress_struct cinfo;
    jpegErrorManager err;
    jpeg_progress_mgr progress;
    unsigned char *row;      // the canvas row that is pushed
    unsigned char *scan;     // one decoded scan line
    unsigned char *header;
    imageData *made;
    int created;
  };
  loadState *st = (loadState *)std::calloc(1, sizeof(loadState));
  if (!st) {
    LowMemory();
    return 0;
  }
  *idP = nullptr;
  st->cinfo.err = jpeg_std_error(&st->err.pub);
  st->err.pub.error_exit = my_error_exit;
  st->err.pub.output_message = my_output_message;
  if (setjmp(st->err.recovery)) {
    std::free(st->row);
    std::free(st->scan);
    std::free(st->header);
    imageDataDestroy(st->made);
    *idP = nullptr;
    if (st->created) jpeg_destroy_decompress(&st->cinfo);
    std::free(st);
    return 0;
  }
  jpeg_CreateDecompress(&st->cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  st->created = 1;
  jpeg_decompress_struct *cinfo = &st->cinfo;
  cinfo->mem->max_memory_to_use = jpegMemoryLimit;
  st->progress.progress_monitor = scanLimit;
  cinfo->progress = &st->progress;
  jpeg_wfile_src(cinfo, in);
  jpeg_save_markers(cinfo, JPEG_APP0 + 4, 0xFFFF);
  // The Exif block is kept (at most the 64 KB a marker holds) for its orientation.
  jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);

  int W = (int)cinfo->image_width, H = (int)cinfo->image_height;
  if ((long long)W * H > imageDataPixelLimit) {
    platformMessageBox(nullptr, "Image Too Large", "JPEG Error", MB_OK | MB_ICONWARNING);
    std::longjmp(st->err.recovery, 1);
  }
  int xoff = 0, yoff = 0, orientation = 0;
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    // The first Exif block gives the orientation.
    if (m->marker == JPEG_APP0 + 1 && !orientation && m->data_length >= 6 &&
        std::memcmp(m->data, "Exif\0\0", 6) == 0)
      orientation = exifOrientation(m->data, m->data_length);
    if (m->marker != JPEG_APP0 + 4) continue;
    if (m->data_length == 7 && std::memcmp(m->data, "VLOXEOF", 7) == 0)
      std::longjmp(st->err.recovery, 1);
    if (m->data_length > 7 && std::memcmp(m->data, "VLOX", 4) == 0) {
      xoff = (m->data[4] << 8) | m->data[5];
      yoff = (m->data[6] << 8) | m->data[7];
    }
  }

  // In true colour the library hands rows over as blue, green, red, written
  // straight into the canvas row; otherwise rows come as RGB (or gray) and are
  // converted into it. CMYK rows are turned into RGB first.
  bool trueColor = !pa->useSysp && !pa->hpal;
  bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  bool known = cinfo->jpeg_color_space == JCS_GRAYSCALE || cinfo->jpeg_color_space == JCS_YCbCr ||
               cinfo->jpeg_color_space == JCS_RGB;
  bool direct = false;
  if (cmyk) {
    cinfo->out_color_space = JCS_CMYK;
  } else if (trueColor && known) {
#ifdef JCS_EXTENSIONS
    cinfo->out_color_space = JCS_EXT_BGR;
    direct = true;
#else
    if (cinfo->jpeg_color_space != JCS_GRAYSCALE) cinfo->out_color_space = JCS_RGB;
#endif
  } else if (cinfo->jpeg_color_space == JCS_YCbCr) {
    cinfo->out_color_space = JCS_RGB;
  }
  jpeg_start_decompress(cinfo);
  int components = cinfo->output_components;
  int width = (int)cinfo->output_width;

  int shift = xoff < W ? xoff : W;
  size_t rowBytes = (size_t)W * 3 + 4;
  if (direct) rowBytes += (size_t)shift * 3;
  st->row = (unsigned char *)std::calloc(rowBytes, 1);
  if (!orientation) orientation = 1;
  int shownW, shownH;
  exifOrientedSize(orientation, W, H, &shownW, &shownH);
  st->header = imageHeaderCreate(shownW, shownH, pa);
  if (!direct) st->scan = (unsigned char *)std::malloc((size_t)width * (components > 3 ? components : 3) + 4);
  if (!st->row || !st->header || (!direct && !st->scan)) {
    LowMemory();
    std::longjmp(st->err.recovery, 1);
  }
  st->made = imageDataCreateFromHeader(st->header, imageHeaderSize);
  if (!st->made) {
    LowMemory();
    std::longjmp(st->err.recovery, 1);
  }
  int k = pa->hpal ? 1 : 3;
  int kind = (components == 3 || cmyk) ? rowRGB : rowGray;
  for (int y = 0; y < H; y++) {
    // Without a column offset or a turn the row is decoded (or converted) in place.
    unsigned char *canvas = st->row;
    unsigned char *tileRow = orientation == 1 ? imageDataRowPointer(st->made, y) : nullptr;
    if (xoff == 0 && tileRow) canvas = tileRow;
    bool filled = false;
    if (yoff > 0) {
      yoff--;
    } else if (cinfo->output_scanline < cinfo->output_height) {
      unsigned char *target = direct ? canvas + (size_t)3 * shift : st->scan;
      JSAMPROW rows[1] = {target};
      int got = (int)jpeg_read_scanlines(cinfo, rows, 1);
      int n = W - xoff;
      if (got == 1 && n > 0) {
        if (n > width) n = width;
        if (!direct) {
          if (cmyk) cmykToRgb(st->scan, st->scan, n);
          ditherRow(pa, kind, canvas + (size_t)k * xoff, st->scan, n, nullptr);
        }
        filled = true;
      } else if (got != 1) {
        std::memset(st->row, 0, rowBytes);
      }
    }
    imageDataPushOrientedRow(st->made, orientation, y, filled ? canvas : st->row);
    if (!loadProgress(y + 1, H)) std::longjmp(st->err.recovery, 1);
  }
  // Rows left undecoded (a picture placed lower on its canvas) are dropped
  // rather than reported as missing.
  if (cinfo->output_scanline < cinfo->output_height) jpeg_abort_decompress(cinfo);
  else jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  *idP = st->made;
  std::free(st->row);
  std::free(st->scan);
  std::free(st->header);
  std::free(st);
  return 1;
}
