// Check Map over large maps: 5,000 (and 1,000) hotspots of every shape, 20 to
// 120 pixels across, scattered over a 3000 x 2000 picture so that many
// overlap; with and without the covered runs that the editor hatches; one
// map where every hotspot lies under the first; and huge polygons on a
// picture of unknown size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "editor/checkmap.h"

namespace {

checkInput buildMap(int count) {
  checkInput in;
  in.width = 3000;
  in.height = 2000;
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> px(0, 2900), py(0, 1900), extent(20, 120);
  for (int i = 0; i < count; i++) {
    checkArea a;
    a.hasHref = 1;
    a.url = "page" + std::to_string(i % 50) + ".html";
    a.alt = "Place " + std::to_string(i);
    double x = std::floor(px(rng)), y = std::floor(py(rng)), e = std::floor(extent(rng));
    switch (i % 3) {
      case 0:
        a.t = rectangle;
        a.points = {{x, y}, {x + e, y + std::floor(e * 0.6)}};
        break;
      case 1:
        a.t = circle;
        a.points = {{x, y}, {x + std::floor(e / 2), y}};
        break;
      default:
        // An outline such as the magic wand traces: 30 rays of varying length.
        a.t = polygon;
        for (int k = 0; k < 30; k++) {
          double angle = k * 2 * M_PI / 30, r = e / 2 * (0.6 + 0.4 * ((k * 7) % 5) / 4.0);
          a.points.push_back({std::floor(x + r * std::cos(angle)), std::floor(y + r * std::sin(angle))});
        }
        break;
    }
    in.areas.push_back(a);
  }
  return in;
}

void BM_CheckMap(benchmark::State &state) {
  const checkInput in = buildMap(static_cast<int>(state.range(0)));
  const bool hatch = state.range(1) != 0;
  for (auto _ : state) {
    std::vector<checkFinding> out;
    std::vector<checkSpan> spans;
    checkAreas(in, out, hatch ? &spans : nullptr);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_CheckMap)->Args({1000, 0})->Args({5000, 0})->Args({5000, 1})->Unit(benchmark::kMillisecond);

// Every hotspot the same large rectangle: each later one lies wholly under the
// first.
void BM_CheckMapStacked(benchmark::State &state) {
  checkInput in;
  in.width = 3000;
  in.height = 2000;
  for (int i = 0; i < 5000; i++) {
    checkArea a;
    a.t = rectangle;
    a.hasHref = 1;
    a.url = "a.html";
    a.alt = "A";
    a.points = {{0, 0}, {2999, 1999}};
    in.areas.push_back(a);
  }
  for (auto _ : state) {
    std::vector<checkFinding> out;
    checkAreas(in, out, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_CheckMapStacked)->Unit(benchmark::kMillisecond);

// A page whose picture is missing, so that its size is not known: 300
// polygons of 200 points, 4,000 to 40,000 pixels across, with coordinates up
// to 52,000. The covered pixels are counted in the hotspots' joint box.
void BM_CheckMapUnknownSize(benchmark::State &state) {
  checkInput in;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> centre(0, 52000), radius(2000, 20000);
  for (int i = 0; i < 300; i++) {
    checkArea a;
    a.t = polygon;
    a.hasHref = 1;
    a.url = "p" + std::to_string(i) + ".html";
    a.alt = "Place " + std::to_string(i);
    const double x = centre(rng), y = centre(rng), r = radius(rng);
    for (int k = 0; k < 200; k++) {
      double angle = k * 2 * M_PI / 200, rr = r * (0.6 + 0.4 * ((k * 7) % 5) / 4.0);
      a.points.push_back({std::floor(std::fmin(52000, std::fmax(0, x + rr * std::cos(angle)))),
                          std::floor(std::fmin(52000, std::fmax(0, y + rr * std::sin(angle))))});
    }
    in.areas.push_back(a);
  }
  for (auto _ : state) {
    std::vector<checkFinding> out;
    checkAreas(in, out, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_CheckMapUnknownSize)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
