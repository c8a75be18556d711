// svg.cpp: the SVG loader: the file read whole (and inflated, for .svgz, up to
// a bound), parsed from memory with no base file and the parser's safety
// limits on, so that it refers to nothing outside itself, rendered against
// white at the size the page shows it, and pushed row by row into the tiles.
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <cairo.h>
#include <gio/gio.h>
#include <librsvg/rsvg.h>
#include <zlib.h>

#include "editor/view.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "image/loadimg.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

const char *const svgTitle = "Unable to Load SVG";
// The text of a picture, compressed or not, is held to this size.
const size_t svgTextLimit = 64u << 20;
const int svgSideLimit = 16384;

void svgMessage(const std::string &reason) {
  std::string text = "The SVG picture cannot be shown: " + reason;
  if (text.empty() || text.back() != '.') text += ".";
  platformMessageBox(nullptr, text.c_str(), svgTitle, MB_OK | MB_ICONWARNING);
}

std::string errorReason(GError *error, const char *otherwise) {
  std::string text = error && error->message && *error->message ? error->message : otherwise;
  while (!text.empty() && std::isspace((unsigned char)text.back())) text.pop_back();
  // A sentence starts lower-case after the colon, unless it starts with an acronym.
  if (text.size() > 1 && !std::isupper((unsigned char)text[1])) text[0] = (char)std::tolower((unsigned char)text[0]);
  return text;
}

// Inflates a gzip stream into *out, up to svgTextLimit bytes. 0 when it is
// damaged or larger.
int inflateBounded(const std::vector<unsigned char> &in, std::vector<unsigned char> *out) {
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return 0;
  z.next_in = (Bytef *)in.data();
  z.avail_in = (uInt)in.size();
  unsigned char chunk[65536];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = chunk;
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    size_t got = sizeof chunk - z.avail_out;
    if (out->size() + got > svgTextLimit) {
      status = Z_MEM_ERROR;
      break;
    }
    out->insert(out->end(), chunk, chunk + got);
    if (status == Z_OK && got == 0 && z.avail_in == 0) status = Z_BUF_ERROR;
  }
  inflateEnd(&z);
  return status == Z_STREAM_END;
}

// The size to render at: the page's, else the picture's own, else its view
// box. 0 when there is none.
int svgSize(RsvgHandle *handle, int *width, int *height) {
  gdouble w = 0, h = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &w, &h) || w <= 0 || h <= 0) {
    gboolean hasWidth = FALSE, hasHeight = FALSE, hasViewBox = FALSE;
    RsvgLength ow, oh;
    RsvgRectangle viewBox = {0, 0, 0, 0};
    rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &ow, &hasHeight, &oh, &hasViewBox, &viewBox);
    w = hasViewBox ? viewBox.width : 0;
    h = hasViewBox ? viewBox.height : 0;
  }
  bool own = w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h);
  if (displayWidth > 0 && displayHeight > 0) {
    *width = displayWidth;
    *height = displayHeight;
    return 1;
  }
  if (!own) return 0;
  if (displayWidth > 0) {
    *width = displayWidth;
    h = std::ceil(displayWidth * h / w);
    *height = h > 2.0 * svgSideLimit ? 2 * svgSideLimit : (int)h;
    return 1;
  }
  if (displayHeight > 0) {
    *height = displayHeight;
    w = std::ceil(displayHeight * w / h);
    *width = w > 2.0 * svgSideLimit ? 2 * svgSideLimit : (int)w;
    return 1;
  }
  w = std::ceil(w);
  h = std::ceil(h);
  *width = w > 2.0 * svgSideLimit ? 2 * svgSideLimit : (int)w;
  *height = h > 2.0 * svgSideLimit ? 2 * svgSideLimit : (int)h;
  return 1;
}

// One drawn row as RGBA. Drawn over white, every pixel is opaque: its colour
// is its stored value.
TILVANE_PIXEL_LOOP void opaqueRow(unsigned char *rgba, const uint32_t *in32, int width) {
  for (int x = 0; x < width; x++) {
    uint32_t p = in32[x];
    rgba[4 * x] = (unsigned char)(p >> 16);
    rgba[4 * x + 1] = (unsigned char)(p >> 8);
    rgba[4 * x + 2] = (unsigned char)p;
    rgba[4 * x + 3] = 255;
  }
}

}  // namespace

int LoadSvg(wfileStruct *in, void *, paletteInfo *pa, imageData **idP) {
  *idP = nullptr;
  std::vector<unsigned char> file;
  if (!loadWholeStream(in, &file, svgTextLimit)) {
    svgMessage("the file could not be read whole, or it is too large");
    return 0;
  }
  if (file.size() >= 2 && file[0] == 0x1f && file[1] == 0x8b) {
    std::vector<unsigned char> text;
    if (!inflateBounded(file, &text)) {
      svgMessage("the compressed file is damaged or too large");
      return 0;
    }
    file.swap(text);
  }
  // No base file: the library then loads nothing but data: addresses, so the
  // picture cannot reach outside files or the network.
  GInputStream *stream = g_memory_input_stream_new_from_data(file.data(), (gssize)file.size(), nullptr);
  GError *error = nullptr;
  RsvgHandle *handle =
      rsvg_handle_new_from_stream_sync(stream, nullptr, RSVG_HANDLE_FLAGS_NONE, nullptr, &error);
  g_object_unref(stream);
  if (!handle) {
    svgMessage(errorReason(error, "the file is damaged or is not an SVG file"));
    if (error) g_error_free(error);
    return 0;
  }
  rsvg_handle_set_dpi(handle, 96.0);
  int width = 0, height = 0;
  if (!svgSize(handle, &width, &height)) {
    g_object_unref(handle);
    svgMessage("it gives neither a size nor a view box");
    return 0;
  }
  if (width > svgSideLimit || height > svgSideLimit || (long long)width * height > imageDataPixelLimit) {
    g_object_unref(handle);
    svgMessage("it is too large");
    return 0;
  }
  rgbaRows rows;
  if (!rgbaRowsBegin(&rows, width, height, pa)) {
    g_object_unref(handle);
    svgMessage("there is not enough memory");
    return 0;
  }
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t *cr = cairo_create(surface);
  bool drawn = false;
  if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) {
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    RsvgRectangle viewport = {0, 0, (double)width, (double)height};
    drawn = rsvg_handle_render_document(handle, cr, &viewport, &error);
  }
  cairo_destroy(cr);
  g_object_unref(handle);
  if (!drawn || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    rgbaRowsEnd(&rows, 0);
    svgMessage(errorReason(error, "there is not enough memory to draw it"));
    if (error) g_error_free(error);
    return 0;
  }
  cairo_surface_flush(surface);
  const unsigned char *pixels = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  std::vector<unsigned char> rgba((size_t)width * 4);
  for (int y = 0; y < height; y++) {
    opaqueRow(rgba.data(), (const uint32_t *)(pixels + (size_t)y * stride), width);
    rgbaRowsPut(&rows, y, rgba.data(), 0, width);
    loadProgress(y + 1, height);
  }
  cairo_surface_destroy(surface);
  *idP = rgbaRowsEnd(&rows, 1);
  return 1;
}
