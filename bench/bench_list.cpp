// The hotspot list over a map of 5,000 hotspots, in a 1000 x 800 frame on the
// offscreen platform: what one change costs until the list is painted again
// (a link edited; the selection changed from the picture; a hotspot added,
// which resets the rows), a page scrolled, and the Check Map marks, which the
// list computes a moment after the last change rather than at each one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>
#include <QScrollBar>
#include <QTableView>

#include <cstdlib>
#include <random>
#include <string>

#include "editor/hotspotlist.h"
#include "editor/objects.h"
#include "editor/selection.h"
#include "platform/seams.h"
#include "platform/strhack.h"
#include "ui/hotspotlist_ui.h"

namespace {

QMainWindow *frame = nullptr;

void buildMap(int count) {
  ReleaseObjects();
  objectsSetup();
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> p(0, 2900), e(20, 120);
  for (int i = 0; i < count; i++) {
    objectsEnsure(i + 1);
    object *o = &objects[i];
    const double x = p(rng), y = p(rng) * 0.6, s = e(rng);
    o->t = rectangle;
    pointsEnsure(o, 2);
    o->points[0] = {x, y};
    o->points[1] = {x + s, y + s * 0.6};
    o->pointsTotal = 2;
    o->complete = 1;
    o->url = mystrdupImpl("b", ("page" + std::to_string(i % 50) + ".html").c_str());
    o->comments = mystrdupImpl("b", ("Place " + std::to_string(i)).c_str());
    objectsTotal++;
    objectsEnsure(objectsTotal);
  }
}

void setUp(int count) {
  if (!frame) {
    frame = new QMainWindow;
    frame->resize(1000, 800);
    hotspotListCreate(frame);
    frame->show();
  }
  buildMap(count);
  hotspotListRefresh(1);
  QApplication::processEvents();
}

// One change announced, the rows brought up to date and painted.
void paintNow(void) {
  hotspotsChanged();
  hotspotListRefresh(0);
  hotspotListView()->viewport()->repaint();
}

void BM_ListAfterALinkEdit(benchmark::State &state) {
  setUp(static_cast<int>(state.range(0)));
  int n = 0;
  for (auto _ : state) {
    object *o = &objects[n++ % objectsTotal];
    myfreeImpl(o->url);
    o->url = mystrdupImpl("b", n % 2 ? "edited.html" : "again.html");
    paintNow();
  }
}
BENCHMARK(BM_ListAfterALinkEdit)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ListAfterASelectionChange(benchmark::State &state) {
  setUp(static_cast<int>(state.range(0)));
  int n = 0;
  for (auto _ : state) {
    for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
    const int k = (n++ * 997) % objectsTotal;
    objects[k].selected = 1;
    lastObjectSelected = k;
    paintNow();
  }
}
BENCHMARK(BM_ListAfterASelectionChange)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ListAfterAHotspotAdded(benchmark::State &state) {
  setUp(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    // Alternately one more and one fewer row: the model is reset each time.
    if (objectsTotal > state.range(0))
      objectsTotal--;
    else
      objectsTotal++;
    paintNow();
  }
  objectsTotal = static_cast<int>(state.range(0));
}
BENCHMARK(BM_ListAfterAHotspotAdded)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ListScrolledByAPage(benchmark::State &state) {
  setUp(static_cast<int>(state.range(0)));
  QScrollBar *bar = hotspotListView()->verticalScrollBar();
  for (auto _ : state) {
    bar->triggerAction(bar->value() >= bar->maximum() ? QAbstractSlider::SliderToMinimum
                                                       : QAbstractSlider::SliderPageStepAdd);
    hotspotListView()->viewport()->repaint();
  }
}
BENCHMARK(BM_ListScrolledByAPage)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ListCheckMapMarks(benchmark::State &state) {
  setUp(static_cast<int>(state.range(0)));
  for (auto _ : state) hotspotListCheck();
}
BENCHMARK(BM_ListCheckMapMarks)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  hotspotListDestroy();
  delete frame;
  ReleaseObjects();
  return 0;
}
