// cmd_wand.cpp: `tilvane-map wand PICTURE X Y [--points N] [--tolerance T]
// [--feather F] [--simplify S] [--outer]` traces the region under pixel
// (X, Y) with the magic wand (--outer: its outer edge only, holes and islands
// filled; --simplify: the outline's simplification in pixels, 1 unless given)
// and prints the polygon as a coords value (x,y,x,y,...); exit status 1 when
// the picture does not load or no polygon was made.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/settings.h"
#include "editor/objects.h"
#include "image/dither.h"
#include "workflow/loadimg.h"
#include "editor/magicwand.h"
#include "tools/tool.h"

namespace {
int runWand(int argc, char **argv) {
  const char *positional[3] = {nullptr, nullptr, nullptr};
  int count = 0;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--points") == 0 && i + 1 < argc) {
      magicWandPoints = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--tolerance") == 0 && i + 1 < argc) {
      magicWandTolerance = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--feather") == 0 && i + 1 < argc) {
      magicWandFeatherSteps = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--simplify") == 0 && i + 1 < argc) {
      magicWandSimplify = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--outer") == 0) {
      magicWandOuterOnly = 1;
    } else if (count < 3) {
      positional[count++] = argv[i];
    } else {
      count = 4;
      break;
    }
  }
  if (count != 3) {
    std::fprintf(stderr,
                 "usage: tilvane-map wand PICTURE X Y [--points N] [--tolerance T] [--feather F] [--simplify S] "
                 "[--outer]\n");
    return 2;
  }
  magicWandClampSettings();
  paletteSetupDepth(&palette, displayDepth());
  if (!LoadMyImage(positional[0])) return 1;
  objectsSetup();
  if (!magicWandPolygon(std::atoi(positional[1]), std::atoi(positional[2]))) {
    std::fprintf(stderr, "wand: no polygon was made at (%s, %s)\n", positional[1], positional[2]);
    return 1;
  }
  const object &o = objects[objectsTotal];
  for (int i = 0; i < o.pointsTotal; i++)
    std::printf("%s%d,%d", i ? "," : "", (int)o.points[i].x, (int)o.points[i].y);
  std::printf("\n");
  return 0;
}
}  // namespace

TOOL_COMMAND(wand, "wand", "PICTURE X Y [--points N] [--tolerance T] [--feather F] [--simplify S] [--outer]",
             runWand);
