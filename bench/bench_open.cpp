// The whole road of opening a page, as the Open command takes it: the page read
// under its lock, its image found, the map's hotspots built, the picture
// loaded, the view laid out, up to the first repaint that shows the picture.
// The page holds one 4000 x 4000 PNG and a map of 1000 hotspots (rectangles,
// circles and 30-point polygons); the image window is 1600 x 1000. Each step's
// time is given as a counter (milliseconds an open), so that its share of the
// whole can be read off:
//   readPage      the page read and parsed (until the image list is asked for)
//   findImage     the image chosen, its file found, the display size taken
//   recentFiles   the page put at the head of the recent-file list
//   buildHotspots the map's areas turned into hotspots
//   loadPicture   the PNG decoded into the picture's tiles
//   layOut        from the picture loaded to the first repaint that shows it
//                 (the default address looked for, the tool chosen)
//   firstRepaint  the first repaint with the picture and its hotspots
//   rest          what follows until Open returns: the frame's size, the
//                 scroll bars and the repaints they ask for
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "image/imagedata.h"
#include "platform/platform.h"

namespace {

using clock_type = std::chrono::steady_clock;

std::string folder;  // the scratch folder holding the page and its picture
std::string pagePath;

// The moments of one open.
clock_type::time_point listAsked, listDone, loadStarted, loadDone, repaintStarted, repaintDone;
bool pictureLoaded = false, repainted = false;

platformTable timedPlatform;
const platformTable *realPlatform = nullptr;

// The loader closes its progress window only when it got one: without a real
// one, this stands in for it.
int standIn;
platformProgress realProgress = nullptr;

platformProgress timedProgressOpen(void *owner, const char *title, const char *line1, const char *line2) {
  loadStarted = clock_type::now();
  realProgress = realPlatform->progressOpen ? realPlatform->progressOpen(owner, title, line1, line2) : nullptr;
  return realProgress ? realProgress : static_cast<platformProgress>(&standIn);
}

void timedProgressUpdate(platformProgress progress, int percent) {
  if (realProgress && realPlatform->progressUpdate) realPlatform->progressUpdate(progress, percent);
}

void timedProgressClose(platformProgress progress) {
  if (realProgress && realPlatform->progressClose) realPlatform->progressClose(progress);
  realProgress = nullptr;
  loadDone = clock_type::now();
  pictureLoaded = true;
}

int noDialog(const std::vector<std::string> &, void *) { return 0; }

int timedImageListSelect(void) {
  listAsked = clock_type::now();
  const int r = imageListRun(noDialog, nullptr);
  listDone = clock_type::now();
  return r;
}

void timedRepaint(int flag) {
  if (!pictureLoaded || repainted) {
    viewRepaint(flag);
    return;
  }
  repaintStarted = clock_type::now();
  viewRepaint(flag);
  repaintDone = clock_type::now();
  repainted = true;
}

void writeFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out) std::abort();
}

// A 4000 x 4000 picture with gradients and some grain, as a photograph has.
void makePicture(const std::string &path) {
  QImage img(4000, 4000, QImage::Format_RGB32);
  std::mt19937 rng(5);
  for (int y = 0; y < img.height(); y++) {
    QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < img.width(); x++) {
      const unsigned grain = rng() & 7;
      line[x] = qRgb((x * 255 / 4000 + grain) & 255, (y * 255 / 4000 + grain) & 255, ((x ^ y) >> 4) & 255);
    }
  }
  if (!img.save(QString::fromStdString(path), "PNG")) std::abort();
}

// The page: the picture with its map of 1000 hotspots.
void makePage(const std::string &path) {
  std::ostringstream page;
  page << "<html>\n<head><title>Map</title></head>\n<body>\n"
       << "<img src=\"picture.png\" width=\"4000\" height=\"4000\" usemap=\"#places\">\n"
       << "<map name=\"places\">\n";
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> place(100, 3900), extent(10, 120);
  for (int i = 0; i < 1000; i++) {
    const int x = place(rng), y = place(rng), e = extent(rng);
    page << "<area shape=";
    if (i % 3 == 0) {
      page << "\"rect\" coords=\"" << x - e << ',' << y - e / 2 << ',' << x + e << ',' << y + e / 2 << '"';
    } else if (i % 3 == 1) {
      page << "\"circle\" coords=\"" << x << ',' << y << ',' << e << '"';
    } else {
      page << "\"poly\" coords=\"";
      for (int k = 0; k < 30; k++) {
        const double a = k * 2 * 3.14159265358979 / 30, r = e * (0.5 + 0.5 * ((k * 7919) % 13) / 13.0);
        page << (k ? "," : "") << (int)(x + r * std::cos(a)) << ',' << (int)(y + r * std::sin(a));
      }
      page << '"';
    }
    page << " href=\"place" << i << ".html\" alt=\"Place " << i << "\">\n";
  }
  page << "</map>\n</body>\n</html>\n";
  writeFile(path, page.str());
}

void setUp(void) {
  char pattern[] = "/tmp/tilvane-bench-open-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  folder = pattern;
  for (const char *sub : {"/config", "/data", "/runtime"}) mkdir((folder + sub).c_str(), 0700);
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
  makePicture(folder + "/picture.png");
  pagePath = folder + "/page.html";
  makePage(pagePath);

  realPlatform = platform;
  timedPlatform = *platform;
  timedPlatform.progressOpen = timedProgressOpen;
  timedPlatform.progressUpdate = timedProgressUpdate;
  timedPlatform.progressClose = timedProgressClose;
  platformInstall(&timedPlatform);
  seamsClear();
  seams.imageListSelect = timedImageListSelect;
  seams.repaint = timedRepaint;
  seams.resetScroll = viewResetScroll;
  seams.zoomout = viewZoomout;
  settingsDefaults();
  firstNever = 1;
  pointSelectionSetup(&psel);
}

void tearDown(void) {
  if (hdoc || htmlFilePtr) Close(1);
  viewRelease();
  std::string cmd = "rm -rf '" + folder + "'";
  if (std::system(cmd.c_str()) != 0) std::abort();
}

[[noreturn]] void fail(const char *what) {
  std::fprintf(stderr, "bench_open: %s\n", what);
  std::abort();
}

double ms(clock_type::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Open as the Open command does once its file dialog has given the page.
void BM_OpenPageToFirstRepaint(benchmark::State &st) {
  double readPage = 0, findImage = 0, recentFiles = 0, buildHotspots = 0, loadPicture = 0, layOut = 0, firstRepaint = 0, rest = 0;
  for (auto _ : st) {
    st.PauseTiming();
    if (hdoc || htmlFilePtr) Close(1);
    viewRelease();
    winwidth = scaledWinWidth = 1600;
    winheight = scaledWinHeight = 1000;
    state = nostate;
    changed = 0;
    pictureLoaded = repainted = false;
    st.ResumeTiming();

    const clock_type::time_point start = clock_type::now();
    if (!OpenHtmlDocument(pagePath.c_str(), nullptr)) fail("the page did not open");
    maptype = mapClient;
    const std::string image = imagefilename ? imagefilename : "";
    const clock_type::time_point opened = clock_type::now();
    if (!Open(image.c_str(), pagePath.c_str(), nullptr)) fail("the picture or the map did not load");
    const clock_type::time_point end = clock_type::now();

    if (!pictureLoaded || !repainted || objectsTotal != 1000 || !id) fail("the open took another road");
    readPage += ms(listAsked - start);
    findImage += ms(listDone - listAsked);
    recentFiles += ms(opened - listDone);
    buildHotspots += ms(loadStarted - opened);
    loadPicture += ms(loadDone - loadStarted);
    layOut += ms(repaintStarted - loadDone);
    firstRepaint += ms(repaintDone - repaintStarted);
    rest += ms(end - repaintDone);
  }
  const auto avg = benchmark::Counter::kAvgIterations;
  st.counters["readPage"] = benchmark::Counter(readPage, avg);
  st.counters["findImage"] = benchmark::Counter(findImage, avg);
  st.counters["recentFiles"] = benchmark::Counter(recentFiles, avg);
  st.counters["buildHotspots"] = benchmark::Counter(buildHotspots, avg);
  st.counters["loadPicture"] = benchmark::Counter(loadPicture, avg);
  st.counters["layOut"] = benchmark::Counter(layOut, avg);
  st.counters["firstRepaint"] = benchmark::Counter(firstRepaint, avg);
  st.counters["rest"] = benchmark::Counter(rest, avg);
}
BENCHMARK(BM_OpenPageToFirstRepaint)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(1);

}  // namespace

int main(int argc, char **argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  setUp();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  tearDown();
  return 0;
}
