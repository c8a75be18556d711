// Rubber-band selection over a large picture: a band covering the whole of an
// 8000 x 8000 picture and bands over parts of it, with 1000 (and 5000)
// hotspots of every shape.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "editor/objects.h"
#include "editor/selection.h"

namespace {

void buildMap(int count, int size) {
  ReleaseObjects();
  objectsSetup();
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> pos(0, size), extent(20, 300);
  for (int i = 0; i < count; i++) {
    objectsEnsure(i + 1);
    object *o = &objects[i];
    double x = pos(rng), y = pos(rng), e = extent(rng);
    switch (i % 3) {
      case 0:
        o->t = rectangle;
        o->points[0] = {x, y};
        o->points[1] = {x + e, y + e * 0.6};
        o->pointsTotal = 2;
        break;
      case 1:
        o->t = circle;
        o->points[0] = {x, y};
        o->points[1] = {x + e / 2, y};
        o->pointsTotal = 2;
        break;
      default: {
        // An outline such as the magic wand traces: 30 rays of varying length.
        o->t = polygon;
        pointsEnsure(o, 30);
        for (int k = 0; k < 30; k++) {
          double a = k * 2 * M_PI / 30, r = e / 2 * (0.6 + 0.4 * std::sin(k * 1.7));
          o->points[k] = {x + r * std::cos(a), y + r * std::sin(a)};
        }
        o->pointsTotal = 30;
        break;
      }
    }
    o->complete = 1;
    objectsTotal = i + 1;
  }
  objectsEnsure(objectsTotal);
}

void clearSelection() {
  for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
  lastObjectSelected = -1;
}

void BM_BandOverWholePicture(benchmark::State &st) {
  buildMap(static_cast<int>(st.range(0)), 8000);
  pointSelectionSetup(&psel);
  for (auto _ : st) {
    clearSelection();
    benchmark::DoNotOptimize(ObjectSelect(0, 0, 7999, 7999, 0));
  }
  st.counters["selected"] = objectsSelected();
  ReleaseObjects();
}
BENCHMARK(BM_BandOverWholePicture)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_BandOverAQuarter(benchmark::State &st) {
  buildMap(1000, 8000);
  pointSelectionSetup(&psel);
  for (auto _ : st) {
    clearSelection();
    benchmark::DoNotOptimize(ObjectSelect(2000, 2000, 5999, 5999, 1));
  }
  st.counters["selected"] = objectsSelected();
  ReleaseObjects();
}
BENCHMARK(BM_BandOverAQuarter)->Unit(benchmark::kMillisecond);

void BM_SinglePointPick(benchmark::State &st) {
  buildMap(1000, 8000);
  pointSelectionSetup(&psel);
  int x = 0;
  for (auto _ : st) {
    clearSelection();
    x = (x + 7919) % 8000;
    benchmark::DoNotOptimize(ObjectSelect(x, 8000 - x, x, 8000 - x, 0));
  }
  ReleaseObjects();
}
BENCHMARK(BM_SinglePointPick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
