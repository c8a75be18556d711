// svg.cpp: the SVG loader: the file read whole (and inflated, for .svgz, up to
// a bound), parsed from memory with no base file and the parser's safety
// limits on, so that it refers to nothing outside itself, rendered against
// white at the size the page shows it (in a child process, which the library
// may abort, held to a time and a memory limit), and pushed row by row into
// the tiles. Owns svgDrawInProcess.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <cairo.h>
#include <gio/gio.h>
#include <librsvg/rsvg.h>
#include <zlib.h>

#include "platform/settings.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "image/loaders.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

int svgDrawInProcess = 0;

namespace {

const char *const svgTitle = "Unable to Load SVG";
// The text of a picture, compressed or not, is held to this size.
const size_t svgTextLimit = 64u << 20;
const int svgSideLimit = 16384;
// A picture that gives only a view box, shown where the page gives no size, is
// drawn with its longer side at most this long.
const double svgViewBoxSide = 4096;
// The memory the drawing child may take beyond what it starts with: room for
// the largest picture (4 bytes a pixel) and for the drawing library's work.
const unsigned long long svgChildMemory = 3ULL << 30;

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
// box, scaled down to fit svgViewBoxSide on its longer side. 0 when there is
// none.
int svgSize(RsvgHandle *handle, int *width, int *height) {
  gdouble w = 0, h = 0;
  bool viewBoxOnly = false;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &w, &h) || w <= 0 || h <= 0) {
    viewBoxOnly = true;
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
  if (viewBoxOnly && (w > svgViewBoxSide || h > svgViewBoxSide)) {
    if (w >= h) {
      h = h * svgViewBoxSide / w;
      w = svgViewBoxSide;
    } else {
      w = w * svgViewBoxSide / h;
      h = svgViewBoxSide;
    }
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

// ---- drawing in a child process ----
//
// The library aborts the whole process on some files (a text size beyond its
// range trips an assertion it cannot unwind from), so the picture is parsed
// and drawn in a child process: if that dies, the load fails with a message
// and the editor goes on. The child sends a header, then, when it drew the
// picture, its rows as the library stored them.

struct drawnHeader {
  int32_t ok;            // 1: width x height rows follow; 0: reason follows
  int32_t width, height;
  int32_t reasonLength;  // bytes of the reason, when not ok
};

bool writeAll(int fd, const void *data, size_t size) {
  const char *p = static_cast<const char *>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= (size_t)n;
  }
  return true;
}

// Reads exactly size bytes from the child. While it waits, the windows are
// drawn and the load's Cancel is used (loadPoll); the drawing may take
// svgTimeLimit seconds from its start. false when the child ended first, or
// the load was stopped (loadStopped then tells).
bool readAll(int fd, void *data, size_t size, std::chrono::steady_clock::time_point deadline) {
  char *p = static_cast<char *>(data);
  while (size > 0) {
    if (!loadPoll()) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      char reason[64];
      std::snprintf(reason, sizeof reason, "it took longer than %d second%s", svgTimeLimit,
                    svgTimeLimit == 1 ? "" : "s");
      loadStop(reason);
      return false;
    }
    pollfd ready = {fd, POLLIN, 0};
    int r = poll(&ready, 1, 50);
    if (r < 0 && errno != EINTR) return false;
    if (r <= 0) continue;
    ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= (size_t)n;
  }
  return true;
}

// Holds the drawing child to svgChildMemory beyond its present size.
void limitChildMemory(void) {
  unsigned long long pages = 0;
  if (FILE *f = std::fopen("/proc/self/statm", "re")) {
    if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  const unsigned long long now = pages * (unsigned long long)sysconf(_SC_PAGESIZE);
  rlimit limit;
  limit.rlim_cur = limit.rlim_max = (rlim_t)(now + svgChildMemory);
  setrlimit(RLIMIT_AS, &limit);
}

void sendFailure(int fd, const std::string &reason) {
  drawnHeader h = {0, 0, 0, (int32_t)reason.size()};
  if (writeAll(fd, &h, sizeof h)) writeAll(fd, reason.data(), reason.size());
}

// Parses and draws the file. A null result with the reason when it cannot.
cairo_surface_t *draw(const std::vector<unsigned char> &file, std::string *reason) {
  // No base file: the library then loads nothing but data: addresses, so the
  // picture cannot reach outside files or the network.
  GInputStream *stream = g_memory_input_stream_new_from_data(file.data(), (gssize)file.size(), nullptr);
  GError *error = nullptr;
  RsvgHandle *handle =
      rsvg_handle_new_from_stream_sync(stream, nullptr, RSVG_HANDLE_FLAGS_NONE, nullptr, &error);
  g_object_unref(stream);
  if (!handle) {
    *reason = errorReason(error, "the file is damaged or is not an SVG file");
    if (error) g_error_free(error);
    return nullptr;
  }
  rsvg_handle_set_dpi(handle, 96.0);
  int width = 0, height = 0;
  if (!svgSize(handle, &width, &height)) {
    g_object_unref(handle);
    *reason = "it gives neither a size nor a view box";
    return nullptr;
  }
  if (width > svgSideLimit || height > svgSideLimit || (long long)width * height > imageDataPixelLimit) {
    g_object_unref(handle);
    *reason = "it is too large";
    return nullptr;
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
    *reason = errorReason(error, "there is not enough memory to draw it");
    if (error) g_error_free(error);
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  return surface;
}

// The child's work: draws the file and sends the result to fd.
void drawAndSend(const std::vector<unsigned char> &file, int fd) {
  std::string reason;
  cairo_surface_t *surface = draw(file, &reason);
  if (!surface) {
    sendFailure(fd, reason);
    return;
  }
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  drawnHeader h = {1, width, height, 0};
  if (!writeAll(fd, &h, sizeof h)) return;
  const unsigned char *pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; y++)
    if (!writeAll(fd, pixels + (size_t)y * stride, (size_t)width * 4)) return;
}

// Draws the file in this process and makes the picture of it.
int drawHere(const std::vector<unsigned char> &file, paletteInfo *pa, imageData **idP) {
  std::string reason;
  cairo_surface_t *surface = draw(file, &reason);
  if (!surface) {
    svgMessage(reason);
    return 0;
  }
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  rgbaRows rows;
  if (!rgbaRowsBegin(&rows, width, height, pa)) {
    cairo_surface_destroy(surface);
    svgMessage("there is not enough memory");
    return 0;
  }
  const unsigned char *pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  std::vector<unsigned char> rgba((size_t)width * 4);
  for (int y = 0; y < height; y++) {
    opaqueRow(rgba.data(), reinterpret_cast<const uint32_t *>(pixels + (size_t)y * stride), width);
    rgbaRowsPut(&rows, y, rgba.data(), 0, width);
  }
  cairo_surface_destroy(surface);
  *idP = rgbaRowsEnd(&rows, 1);
  return 1;
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
  if (svgDrawInProcess) return drawHere(file, pa, idP);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    svgMessage("no process could be started to draw it");
    return 0;
  }
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    // The child ends quietly however it ends: handlers the process installed
    // for crashes are not its business.
    for (int sig : {SIGPIPE, SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE}) signal(sig, SIG_DFL);
    limitChildMemory();
    drawAndSend(file, fds[1]);
    _exit(0);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    svgMessage("no process could be started to draw it");
    return 0;
  }
  std::string failure;
  drawnHeader h = {0, 0, 0, 0};
  rgbaRows rows;
  bool begun = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(svgTimeLimit);
  if (!readAll(fds[0], &h, sizeof h, deadline)) {
    failure = "the drawing library stopped on it";
  } else if (!h.ok) {
    std::string reason((size_t)(h.reasonLength > 0 && h.reasonLength < 4096 ? h.reasonLength : 0), '\0');
    failure = readAll(fds[0], &reason[0], reason.size(), deadline) && !reason.empty() ? reason
                                                                             : "the drawing library stopped on it";
  } else if (h.width <= 0 || h.height <= 0 || h.width > svgSideLimit || h.height > svgSideLimit) {
    failure = "the drawing library stopped on it";
  } else if (!(begun = rgbaRowsBegin(&rows, h.width, h.height, pa))) {
    failure = "there is not enough memory";
  } else {
    std::vector<uint32_t> drawnRow((size_t)h.width);
    std::vector<unsigned char> rgba((size_t)h.width * 4);
    for (int y = 0; y < h.height && failure.empty(); y++) {
      if (!readAll(fds[0], drawnRow.data(), (size_t)h.width * 4, deadline)) {
        failure = "the drawing library stopped on it";
        break;
      }
      opaqueRow(rgba.data(), drawnRow.data(), h.width);
      rgbaRowsPut(&rows, y, rgba.data(), 0, h.width);
      if (!loadProgress(y + 1, h.height)) failure = "stopped";
    }
  }
  close(fds[0]);
  if (!failure.empty()) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!failure.empty()) {
    if (begun) rgbaRowsEnd(&rows, 0);
    // A stopped load is told by LoadMyImage, with the reason.
    if (!loadStopped())
      svgMessage(failure);
    else if (!loadRunning())
      loadStoppedMessage(decoderSvg);
    return 0;
  }
  *idP = rgbaRowsEnd(&rows, 1);
  return 1;
}
