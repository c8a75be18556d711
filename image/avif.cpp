// avif.cpp: the AVIF loader: the file read whole and parsed, its first image
// decoded and converted to 8-bit RGBA, cropped, turned and mirrored as its
// clap, irot and imir properties say, and the rows composited against white
// and pushed into the tiles.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include <avif/avif.h>

#include "image/imagedata.h"
#include "image/loaders.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

const char *const avifTitle = "Unable to Load AVIF";
const size_t avifFileLimit = 1024u << 20;

void avifMessage(const std::string &reason) {
  std::string text = "The AVIF picture cannot be shown: " + reason + ".";
  platformMessageBox(nullptr, text.c_str(), avifTitle, MB_OK | MB_ICONWARNING);
}

std::string avifReason(avifResult result) {
  switch (result) {
    case AVIF_RESULT_OUT_OF_MEMORY: return "there is not enough memory";
    case AVIF_RESULT_TRUNCATED_DATA: return "the file ends before the picture is complete";
    case AVIF_RESULT_NO_CODEC_AVAILABLE: return "no AV1 decoder is available";
    default: break;
  }
  std::string text = avifResultToString(result);
  for (char &c : text) c = (char)std::tolower((unsigned char)c);
  return "the file is damaged or is not an AVIF file (" + text + ")";
}

// The Exif orientation that does what irot (angle * 90 degrees anticlockwise)
// and then imir (mode 0 exchanges top and bottom, 1 left and right) do.
int avifOrientation(const avifImage *image) {
  static const int turned[3][4] = {
      {1, 8, 3, 6},  // no mirror
      {4, 5, 2, 7},  // then top and bottom exchanged
      {2, 7, 4, 5},  // then left and right exchanged
  };
  int angle = (image->transformFlags & AVIF_TRANSFORM_IROT) ? image->irot.angle & 3 : 0;
  int mirror = (image->transformFlags & AVIF_TRANSFORM_IMIR) ? 1 + (image->imir.mode & 1) : 0;
  return turned[mirror][angle];
}

}  // namespace

int LoadAvif(wfileStruct *in, void *, paletteInfo *pa, imageData **idP) {
  *idP = nullptr;
  std::vector<unsigned char> file;
  if (!loadWholeStream(in, &file, avifFileLimit)) {
    avifMessage("the file could not be read whole");
    return 0;
  }
  avifDecoder *decoder = avifDecoderCreate();
  if (!decoder) {
    avifMessage("there is not enough memory");
    return 0;
  }
  decoder->maxThreads = 1;
  long long limit = imageDataPixelLimit < (long long)AVIF_DEFAULT_IMAGE_SIZE_LIMIT
                        ? imageDataPixelLimit
                        : (long long)AVIF_DEFAULT_IMAGE_SIZE_LIMIT;
  decoder->imageSizeLimit = (uint32_t)(limit > 0 ? limit : 1);
  decoder->imageDimensionLimit = 16384;
  avifResult result = avifDecoderSetIOMemory(decoder, file.data(), file.size());
  if (result == AVIF_RESULT_OK) result = avifDecoderParse(decoder);
  if (result == AVIF_RESULT_OK &&
      ((long long)decoder->image->width * decoder->image->height > imageDataPixelLimit ||
       decoder->image->width > 16384 || decoder->image->height > 16384)) {
    avifDecoderDestroy(decoder);
    avifMessage("it is too large");
    return 0;
  }
  if (result == AVIF_RESULT_OK) result = avifDecoderNextImage(decoder);
  avifRGBImage rgb;
  std::memset(&rgb, 0, sizeof rgb);
  if (result == AVIF_RESULT_OK) {
    avifRGBImageSetDefaults(&rgb, decoder->image);
    rgb.format = AVIF_RGB_FORMAT_RGBA;
    rgb.depth = 8;
    avifRGBImageAllocatePixels(&rgb);
    result = rgb.pixels ? avifImageYUVToRGB(decoder->image, &rgb) : AVIF_RESULT_OUT_OF_MEMORY;
  }
  if (result != AVIF_RESULT_OK) {
    avifRGBImageFreePixels(&rgb);
    avifDecoderDestroy(decoder);
    avifMessage(avifReason(result));
    return 0;
  }
  // The clean aperture is cut out first, then turned and mirrored. A clap
  // box that gives no valid rectangle inside the picture is passed over.
  avifCropRect crop = {0, 0, rgb.width, rgb.height};
  if (decoder->image->transformFlags & AVIF_TRANSFORM_CLAP) {
    avifCropRect clap;
    avifDiagnostics diag;
    if (avifCropRectConvertCleanApertureBox(&clap, &decoder->image->clap, rgb.width, rgb.height,
                                            decoder->image->yuvFormat, &diag) &&
        clap.width > 0 && clap.height > 0 && clap.x < rgb.width && clap.y < rgb.height &&
        clap.width <= rgb.width - clap.x && clap.height <= rgb.height - clap.y)
      crop = clap;
  }
  int width = (int)crop.width, height = (int)crop.height;
  rgbaRows rows;
  if (!rgbaRowsBegin(&rows, width, height, pa, avifOrientation(decoder->image))) {
    avifRGBImageFreePixels(&rgb);
    avifDecoderDestroy(decoder);
    avifMessage("there is not enough memory");
    return 0;
  }
  bool stopped = false;
  for (int y = 0; y < height && !stopped; y++) {
    rgbaRowsPut(&rows, y, rgb.pixels + (size_t)(crop.y + y) * rgb.rowBytes + (size_t)crop.x * 4, 0, width);
    stopped = !loadProgress(y + 1, height);
  }
  avifRGBImageFreePixels(&rgb);
  avifDecoderDestroy(decoder);
  if (stopped) {
    rgbaRowsEnd(&rows, 0);
    return 0;
  }
  *idP = rgbaRowsEnd(&rows, 1);
  return 1;
}
