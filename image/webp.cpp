// webp.cpp: the WebP loader: the file read whole, split by the demultiplexer,
// and its first frame decoded incrementally. An opaque still picture shown in
// true colour as stored is decoded straight into the tiles' pixels as blue,
// green, red; otherwise rows are composited against white and pushed into the
// tiles as the decoder finishes them, turned as the orientation of an EXIF
// chunk says.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <webp/decode.h>
#include <webp/demux.h>

#include "image/dither.h"
#include "image/imagedata.h"
#include "image/loaders.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

const char *const webpTitle = "Unable to Load WebP";
// A WebP file holds at most 4 GiB; far less is enough for 16384 x 16384.
const size_t webpFileLimit = 1024u << 20;
const size_t webpFeed = 64u << 10;

void webpMessage(const std::string &reason) {
  std::string text = "The WebP picture cannot be shown: " + reason + ".";
  platformMessageBox(nullptr, text.c_str(), webpTitle, MB_OK | MB_ICONWARNING);
}

const char *webpReason(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "there is not enough memory";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "it uses a feature the decoder does not support";
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends before the picture is complete";
    default: return "the file is damaged or is not a WebP file";
  }
}

}  // namespace

int LoadWebp(wfileStruct *in, void *, paletteInfo *pa, imageData **idP) {
  *idP = nullptr;
  std::vector<unsigned char> file;
  if (!loadWholeStream(in, &file, webpFileLimit)) {
    webpMessage("the file could not be read whole");
    return 0;
  }
  WebPData data = {file.data(), file.size()};
  WebPDemuxer *demux = WebPDemux(&data);
  if (!demux) {
    webpMessage("the file is damaged or is not a WebP file");
    return 0;
  }
  int width = (int)WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
  int height = (int)WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
  WebPIterator frame;
  std::memset(&frame, 0, sizeof frame);
  if (!WebPDemuxGetFrame(demux, 1, &frame)) {
    WebPDemuxDelete(demux);
    webpMessage("the file holds no picture");
    return 0;
  }
  int orientation = 1;
  WebPChunkIterator exif;
  std::memset(&exif, 0, sizeof exif);
  if (WebPDemuxGetChunk(demux, "EXIF", 1, &exif)) {
    orientation = exifOrientation(exif.chunk.bytes, exif.chunk.size);
    WebPDemuxReleaseChunkIterator(&exif);
  }
  rgbaRows rows;
  if (!rgbaRowsBegin(&rows, width, height, pa, orientation)) {
    WebPDemuxReleaseIterator(&frame);
    WebPDemuxDelete(demux);
    webpMessage((long long)width * height > imageDataPixelLimit || width > 16384 || height > 16384
                    ? "it is too large"
                    : "there is not enough memory");
    return 0;
  }
  // The first frame of an animation lies at its offset on a transparent canvas,
  // so white around it; a still picture fills the canvas.
  int x0 = frame.x_offset, y0 = frame.y_offset;
  // Straight into the tiles: no second picture-sized buffer and no row pass.
  // Otherwise the decoder keeps one RGBA frame of its own, which it frees
  // with itself.
  unsigned char *block = imageDataRowPointer(rows.made, 0);
  const bool direct = block && !frame.has_alpha && orientation == 1 && x0 == 0 && y0 == 0 &&
                      frame.width == width && frame.height == height && !pa->useSysp && !pa->hpal &&
                      rows.made->bytesPerPixel == 3;
  WebPIDecoder *decoder =
      direct ? WebPINewRGB(MODE_BGR, block, (size_t)rows.made->stride * (size_t)height, rows.made->stride)
             : WebPINewRGB(MODE_RGBA, nullptr, 0, 0);
  VP8StatusCode status = decoder ? VP8_STATUS_SUSPENDED : VP8_STATUS_OUT_OF_MEMORY;
  int pushed = 0;  // canvas rows already in the tiles
  for (; pushed < y0 && pushed < height; pushed++) rgbaRowsPut(&rows, pushed, nullptr, 0, 0);
  const uint8_t *bytes = frame.fragment.bytes;
  size_t left = frame.fragment.size, frameRows = 0;
  bool stopped = false;
  while (status == VP8_STATUS_SUSPENDED && left > 0 && !stopped) {
    size_t n = left < webpFeed ? left : webpFeed;
    status = WebPIAppend(decoder, bytes, n);
    bytes += n;
    left -= n;
    int lastY = 0, w = 0, h = 0, stride = 0;
    const uint8_t *rgba = WebPIDecGetRGB(decoder, &lastY, &w, &h, &stride);
    if (rgba && (status == VP8_STATUS_OK || status == VP8_STATUS_SUSPENDED)) {
      if (direct) pushed = lastY;
      for (; !direct && (int)frameRows < lastY && y0 + (int)frameRows < height; frameRows++, pushed++)
        rgbaRowsPut(&rows, y0 + (int)frameRows, rgba + frameRows * (size_t)stride, x0, w);
      stopped = !loadProgress(pushed, height);
    }
  }
  if (status == VP8_STATUS_OK)
    for (; pushed < height; pushed++) rgbaRowsPut(&rows, pushed, nullptr, 0, 0);
  if (decoder) WebPIDelete(decoder);
  WebPDemuxReleaseIterator(&frame);
  WebPDemuxDelete(demux);
  if (stopped || status != VP8_STATUS_OK) {
    rgbaRowsEnd(&rows, 0);
    if (!stopped) webpMessage(webpReason(status));
    return 0;
  }
  loadProgress(height, height);
  *idP = rgbaRowsEnd(&rows, 1);
  return 1;
}
