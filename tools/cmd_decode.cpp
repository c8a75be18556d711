// cmd_decode.cpp: `tilvane-map decode PICTURE OUT [--depth 24|8|4]` loads a
// picture as the editor does, for the given display depth, and writes what the
// editor would show, read back pixel by pixel from the tiles: as PNG when OUT
// ends in ".png" (in any case), else as a binary PPM.
// The loader's messages go to standard error; a failed load exits with 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <QImage>
#include <QString>

#include "platform/strhack.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "tools/tool.h"

namespace {

int endsInPng(const char *name) {
  size_t n = std::strlen(name);
  return n >= 4 && strncmpNoCase(name + n - 4, ".png", 4) == 0;
}

// The picture's rows as RGB bytes, three per pixel.
void pictureRow(int y, unsigned char *row) {
  for (int x = 0; x < id->width; x++) {
    unsigned c = imageDataGetPixel(id, x, y);
    row[3 * x] = (unsigned char)(c & 0xff);
    row[3 * x + 1] = (unsigned char)((c >> 8) & 0xff);
    row[3 * x + 2] = (unsigned char)((c >> 16) & 0xff);
  }
}

int writePng(const char *out) {
  QImage image(id->width, id->height, QImage::Format_RGB888);
  if (image.isNull()) return 0;
  for (int y = 0; y < id->height; y++) pictureRow(y, image.scanLine(y));
  return image.save(QString::fromLocal8Bit(out), "PNG") ? 1 : 0;
}

int runDecode(int argc, char **argv) {
  const char *picture = nullptr, *out = nullptr;
  int depth = 0;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--depth") == 0 && i + 1 < argc) {
      depth = std::atoi(argv[++i]);
      if (depth != 24 && depth != 32 && depth != 8 && depth != 4) {
        std::fprintf(stderr, "decode: --depth takes 24, 32, 8 or 4\n");
        return 2;
      }
    } else if (!picture) {
      picture = argv[i];
    } else if (!out) {
      out = argv[i];
    } else {
      picture = nullptr;
      break;
    }
  }
  if (!picture || !out) {
    std::fprintf(stderr, "usage: tilvane-map decode PICTURE OUT.png|OUT.ppm [--depth 24|8|4]\n");
    return 2;
  }
  paletteSetupDepth(&palette, depth ? depth : displayDepth());
  if (!LoadMyImage(picture)) return 1;
  if (endsInPng(out)) {
    if (writePng(out)) return 0;
    std::fprintf(stderr, "decode: cannot write %s\n", out);
    return 1;
  }
  FILE *f = std::fopen(out, "wbe");
  if (!f) {
    std::fprintf(stderr, "decode: cannot write %s\n", out);
    return 1;
  }
  std::fprintf(f, "P6\n%d %d\n255\n", id->width, id->height);
  std::vector<unsigned char> row((size_t)id->width * 3);
  for (int y = 0; y < id->height; y++) {
    pictureRow(y, row.data());
    std::fwrite(row.data(), 1, row.size(), f);
  }
  int bad = std::ferror(f);
  if (std::fclose(f) != 0 || bad) {
    std::fprintf(stderr, "decode: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
}  // namespace

TOOL_COMMAND(decode, "decode", "PICTURE OUT.png|OUT.ppm [--depth 24|8|4]", runDecode);
