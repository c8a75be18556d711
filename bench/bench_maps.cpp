// Loading and saving a page whose map holds 10,000 areas: the page read and
// its map turned into hotspots, and the page written back with the map into
// its file (temporary file, sync, rename).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "editor/objects.h"
#include "editor/clientmap.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/strhack.h"

namespace {

std::string bigMapPage(int areas) {
  std::string s = "<!DOCTYPE html>\n<html><head><title>Map</title></head><body>\n"
                  "<p>A floor plan.</p>\n<img src=\"plan.png\" usemap=\"#plan\" />\n"
                  "<map id=\"plan\" name=\"plan\">\n";
  char line[300];
  for (int i = 0; i < areas; i++) {
    int x = (i * 37) % 8000, y = (i * 91) % 8000;
    switch (i % 3) {
      case 0:
        std::snprintf(line, sizeof line,
                      "<area shape=\"rect\" alt=\"Room %d\" coords=\"%d,%d,%d,%d\" href=\"r%d.html\" title=\"Room %d\" />\n",
                      i, x, y, x + 40, y + 30, i, i);
        break;
      case 1:
        std::snprintf(line, sizeof line,
                      "<area shape=\"circle\" alt=\"Spot %d\" coords=\"%d,%d,20\" href=\"s%d.html\" title=\"Spot %d\" />\n",
                      i, x, y, i, i);
        break;
      default:
        std::snprintf(line, sizeof line,
                      "<area shape=\"poly\" alt=\"Zone %d\" coords=\"%d,%d,%d,%d,%d,%d,%d,%d\" href=\"z%d.html\" title=\"Zone %d\" />\n",
                      i, x, y, x + 50, y, x + 50, y + 50, x, y + 50, i, i);
        break;
    }
    s += line;
  }
  s += "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n</body></html>\n";
  return s;
}

const std::string &page() {
  static const std::string p = bigMapPage(10000);
  return p;
}

void load() {
  if (hdoc) htmlDestroy(hdoc);
  hdoc = pageDocumentCreate();
  hdoc->LogError = nullptr;
  int crlf = 0;
  pageFeedBuffer(hdoc, page().data(), page().size(), &crlf);
  htmlFileCRLF = crlf;
  LoadClientMap(hdoc, "plan");
}

void BM_LoadPageWith10000Areas(benchmark::State &state) {
  for (auto _ : state) {
    load();
    benchmark::DoNotOptimize(objectsTotal);
  }
  state.counters["areas"] = objectsTotal;
}

void BM_SavePageWith10000Areas(benchmark::State &state) {
  char folder[] = "/tmp/tilvane-bench-XXXXXX";
  if (!mkdtemp(folder)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  std::string path = std::string(folder) + "/plan.html";
  mapfilename = mystrdupImpl("bench", path.c_str());
  maplocalname = mystrdupImpl("bench", "plan");
  load();
  for (auto _ : state) {
    if (!savePage()) state.SkipWithError("save failed");
  }
  if (htmlFilePtr) std::fclose(htmlFilePtr);
  htmlFilePtr = nullptr;
  unlink(path.c_str());
  rmdir(folder);
}

}  // namespace

BENCHMARK(BM_LoadPageWith10000Areas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePageWith10000Areas)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
