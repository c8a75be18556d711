// fuzz_check.cpp: reads arbitrary bytes as a page and runs Check Map over
// every map an img of it names: whatever the coordinates, the checker ends,
// and every hotspot's clickable pixels are no more than its pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/checkmap.h"
#include "editor/objects.h"
#include "fuzz/fuzz_quiet.h"
#include "html/html.h"
#include "html/pageio.h"

namespace {
void ignoreError(htmlPtr, const char *) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzquiet::install();
  htmlPtr doc = pageDocumentCreate();
  if (!doc) std::abort();
  doc->LogError = ignoreError;
  int crlf = 0;
  if (pageFeedBuffer(doc, reinterpret_cast<const char *>(data), size, &crlf) != htmlSuccess) std::abort();
  std::vector<std::string> names;
  for (htmlTagPtr t = doc->first; t; t = t->n) {
    const char *u = htmlTagAttr(t, "usemap");
    if (htmlEq(t->name, "img") && u[0] == '#') names.push_back(u + 1);
  }
  for (const std::string &name : names) {
    checkInput in;
    checkInputFromPage(doc, name.c_str(), in);
    in.width = 1 + static_cast<int>(size % 700);
    in.height = 1 + static_cast<int>(size % 500);
    std::vector<checkFinding> out;
    std::vector<checkSpan> spans;
    checkPage(doc, name.c_str(), in.width, in.height, 0, out);
    checkAreas(in, out, &spans);
    for (const checkFinding &f : out)
      if (f.clickable > 100) std::abort();
  }
  ReleaseObjects();
  htmlDestroy(doc);
  return 0;
}
