// Round-trip throughput of the HTML reader and writer: a 20 MB page dense in
// <area> tags and a 20 MB article-like page, fed as the editor feeds a page
// (large chunks), written back into memory, and released.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "html/html.h"
#include "html/pageio.h"

namespace {

const size_t pageSize = 20u << 20;

std::string areaPage() {
  std::mt19937 rng(1);
  std::string s = "<!DOCTYPE html>\n<html><head><title>Map</title></head><body>\n"
                  "<img src=\"a.png\" usemap=\"#m\" />\n<map id=\"m\" name=\"m\">\n";
  int i = 0;
  while (s.size() < pageSize) {
    int x = static_cast<int>(rng() % 4000), y = static_cast<int>(rng() % 4000);
    char line[400];
    switch (i % 3) {
      case 0:
        std::snprintf(line, sizeof line,
                      "<area shape=\"rect\" alt=\"Room %d\" coords=\"%d,%d,%d,%d\" "
                      "href=\"rooms/r%d.html\" title=\"Room %d\" />\n",
                      i, x, y, x + 40, y + 30, i, i);
        break;
      case 1:
        std::snprintf(line, sizeof line,
                      "<area shape=\"circle\" alt=\"Spot %d\" coords=\"%d,%d,%d\" href=\"s.php?id=%d\" "
                      "title=\"Spot %d\" onMouseOver=\"show(%d)\" />\n",
                      i, x, y, 25, i, i, i);
        break;
      default:
        std::snprintf(line, sizeof line,
                      "<area shape=\"poly\" alt=\"Zone %d\" coords=\"%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\" "
                      "href=\"z%d.html\" title=\"Zone %d\" target=\"_top\" />\n",
                      i, x, y, x + 50, y + 5, x + 60, y + 40, x + 20, y + 70, x - 10, y + 30, i, i);
        break;
    }
    s += line;
    i++;
  }
  s += "<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n</map>\n</body></html>\n";
  return s;
}

std::string articlePage() {
  std::mt19937 rng(2);
  static const char *const words[] = {"the", "image", "map", "editor", "writes", "areas", "into",
                                      "page", "and", "keeps", "every", "byte", "of", "text"};
  std::string s = "<!DOCTYPE html>\n<html><head><title>Article</title>\n"
                  "<style>body > p { margin: 0 }</style></head><body>\n";
  while (s.size() < pageSize) {
    s += "<h2 class=\"section\">Section</h2>\n";
    for (int p = 0; p < 6; p++) {
      s += "<p>";
      int n = 60 + static_cast<int>(rng() % 80);
      for (int w = 0; w < n; w++) {
        if (w % 17 == 16) {
          s += "<a href=\"https://example.org/wiki/Item_";
          s += std::to_string(rng() % 10000);
          s += "\" title=\"Item\">link</a> ";
        } else if (w % 23 == 22) {
          s += "<em>";
          s += words[rng() % 14];
          s += "</em> ";
        } else {
          s += words[rng() % 14];
          s += (w % 12 == 11) ? ",\n" : " ";
        }
      }
      s += "</p>\n";
    }
    s += "<!-- section end -->\n<script>if (a < b && c > d) { x(); }</script>\n";
    s += "<img src=\"figure.png\" alt=\"Figure\" width=\"300\" height=\"200\"><br/>\n";
  }
  s += "</body></html>\n";
  return s;
}

void roundTrip(benchmark::State &state, const std::string &page) {
  std::vector<char> out(page.size() * 2 + 1024);
  for (auto _ : state) {
    htmlPtr doc = pageDocumentCreate();
    doc->LogError = nullptr;
    int crlf = 0;
    if (pageFeedBuffer(doc, page.data(), page.size(), &crlf) != htmlSuccess) state.SkipWithError("read");
    FILE *mem = fmemopen(out.data(), out.size(), "wb");
    pageWrite(doc, mem);
    long written = std::ftell(mem);
    std::fclose(mem);
    htmlDestroy(doc);
    benchmark::DoNotOptimize(written);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

// The yardstick: a plain byte-at-a-time tokenizer that splits the page into
// text, tags and quoted values and copies every byte out, building nothing.
void plainTokenizer(benchmark::State &state, const std::string &page) {
  std::vector<char> out(page.size() + 16);
  for (auto _ : state) {
    int mode = 0;
    long tags = 0;
    size_t o = 0;
    for (unsigned char c : page) {
      switch (mode) {
        case 0:
          if (c == '<') mode = 1;
          break;
        case 1:
          if (c == '"') mode = 2;
          else if (c == '>') { mode = 0; tags++; }
          break;
        default:
          if (c == '"') mode = 1;
          break;
      }
      out[o++] = static_cast<char>(c);
    }
    benchmark::DoNotOptimize(tags);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

void BM_PlainTokenizerAreaPage(benchmark::State &state) {
  static const std::string page = areaPage();
  plainTokenizer(state, page);
}

void BM_RoundTripAreaPage(benchmark::State &state) {
  static const std::string page = areaPage();
  roundTrip(state, page);
}

void BM_RoundTripArticlePage(benchmark::State &state) {
  static const std::string page = articlePage();
  roundTrip(state, page);
}

}  // namespace

BENCHMARK(BM_PlainTokenizerAreaPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundTripAreaPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundTripArticlePage)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
