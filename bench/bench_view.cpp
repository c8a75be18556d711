// Repaints of a 1600 x 1000 image window over an 8000 x 8000 picture: while a
// point of the selected polygon is dragged (the picture cache valid), with
// 1000 and 5000 hotspots in view, at zoom 1 and 4; after a scroll (the picture
// cache and the hotspot layer moved with the view); and with every hotspot
// changed (the hotspot layer drawn again).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <random>

#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/view.h"
#include "image/imagedata.h"

namespace {

// An 8000 x 8000 picture of 1000 x 1000 tiles with a colour gradient.
void makePicture(void) {
  if (id) return;
  unsigned char header[imageHeaderSize] = {};
  bitmapInfoHeader bi = {};
  bi.biSize = 40;
  bi.biWidth = 8000;
  bi.biHeight = -8000;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  std::memcpy(header, &bi, sizeof bi);
  id = imageDataCreateFromHeader(header, imageHeaderSize);
  if (!id) std::abort();
  std::vector<unsigned char> row(8000 * 3);
  for (int y = 0; y < 8000; y++) {
    for (int x = 0; x < 8000; x++) {
      row[3 * x] = (unsigned char)(x * 7 + y);
      row[3 * x + 1] = (unsigned char)(y * 3);
      row[3 * x + 2] = (unsigned char)(x ^ y);
    }
    imageDataPushRow(id, y, row.data());
  }
  displayWidth = displayHeight = 8000;
}

// count hotspots of every kind inside the image rectangle seen at zoom z with
// the view's top left corner at image point (ox, oy); hotspot 0 a polygon.
void buildMap(int count, double z, int ox, int oy) {
  ReleaseObjects();
  objectsSetup();
  std::mt19937 rng(11);
  const double w = 1600 / z, h = 1000 / z;
  std::uniform_real_distribution<double> px(ox, ox + w), py(oy, oy + h), extent(20 / z, 250 / z);
  for (int i = 0; i < count; i++) {
    objectsEnsure(i + 1);
    object *o = &objects[i];
    const double x = px(rng), y = py(rng), e = extent(rng);
    const int kind = i == 0 ? 2 : i % 3;
    if (kind == 0) {
      o->t = rectangle;
      pointsEnsure(o, 2);
      o->points[0] = {x, y};
      o->points[1] = {x + e, y + e * 0.6};
      o->pointsTotal = 2;
    } else if (kind == 1) {
      o->t = circle;
      pointsEnsure(o, 2);
      o->points[0] = {x, y};
      o->points[1] = {x + e / 2, y};
      o->pointsTotal = 2;
    } else {
      // An outline such as the magic wand traces: 30 rays of varying length.
      o->t = polygon;
      pointsEnsure(o, 31);
      for (int k = 0; k < 30; k++) {
        const double a = k * 2 * 3.14159265358979 / 30, r = e * (0.5 + 0.5 * ((k * 7919) % 13) / 13.0);
        o->points[k] = {x + r * std::cos(a), y + r * std::sin(a)};
      }
      o->pointsTotal = 30;
    }
    o->complete = 1;
    objectsTotal = i + 1;
  }
  objectsEnsure(objectsTotal);
}

void setView(double z, int ox, int oy) {
  makePicture();
  seamsClear();
  scale = z;
  winwidth = scaledWinWidth = 1600;
  winheight = scaledWinHeight = 1000;
  hoffs = (int)(ox * z);
  voffs = (int)(oy * z);
  sketchR = 255;
  sketchG = 128;
  sketchB = 128;
  viewRecreatePens();
  pointSelectionFree(&psel);
  pointSelectionSetup(&psel);
}

// Dragging vertex 3 of the selected polygon: each repaint sees it moved.
void BM_RepaintWhileDraggingAPoint(benchmark::State &st) {
  const int count = (int)st.range(0);
  const double z = (double)st.range(1);
  setView(z, 3000, 3000);
  buildMap(count, z, 3000, 3000);
  state = editing;
  objects[0].selected = 1;
  lastObjectSelected = 0;
  pointSelect(&psel, 3);
  viewRender(0);
  int step = 0;
  for (auto _ : st) {
    objects[0].points[3].x += (step++ & 1) ? 1 : -1;
    viewRender(0);
    benchmark::DoNotOptimize(hbDouble->constBits());
  }
}
BENCHMARK(BM_RepaintWhileDraggingAPoint)
    ->Args({1000, 1})
    ->Args({1000, 4})
    ->Args({5000, 1})
    ->Args({5000, 4})
    ->Unit(benchmark::kMillisecond);

// A scroll by one line: the picture cache and the hotspot layer move with the
// view; only the strip that comes into sight is drawn, with the hotspots that
// reach it.
void BM_RepaintAfterScroll(benchmark::State &st) {
  const int count = (int)st.range(0);
  const double z = (double)st.range(1);
  setView(z, 3000, 3000);
  buildMap(count, z, 3000, 3000);
  state = editing;
  viewRender(0);
  int step = 0;
  for (auto _ : st) {
    voffs += (step++ & 1) ? 8 : -8;
    viewRender(0);
    benchmark::DoNotOptimize(hbDouble->constBits());
  }
}
BENCHMARK(BM_RepaintAfterScroll)->Args({0, 1})->Args({0, 4})->Args({1000, 1})->Args({1000, 4})->Unit(benchmark::kMillisecond);

// Every hotspot moves (an undo of a Select All move): the layer is drawn anew
// although the picture cache stays.
void BM_RepaintAfterEveryHotspotChanged(benchmark::State &st) {
  const int count = (int)st.range(0);
  setView(1, 3000, 3000);
  buildMap(count, 1, 3000, 3000);
  state = editing;
  viewRender(0);
  int step = 0;
  for (auto _ : st) {
    const double d = (step++ & 1) ? 1 : -1;
    for (int i = 0; i < objectsTotal; i++)
      for (int k = 0; k < objects[i].pointsTotal; k++) objects[i].points[k].x += d;
    viewRender(0);
    benchmark::DoNotOptimize(hbDouble->constBits());
  }
}
BENCHMARK(BM_RepaintAfterEveryHotspotChanged)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
