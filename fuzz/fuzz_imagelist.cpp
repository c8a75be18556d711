// fuzz_imagelist.cpp: arbitrary bytes as an opened page, one of whose inline
// images is bound as the image list binds it: the map name from usemap (or one
// invented from src and written back as usemap), the display size, and the
// picture file found by ResolveURL from src and the page's path. The page lies
// in a scratch folder (also the current folder) that holds a few pictures, so
// that src values can name files that exist. A bound image must name a
// readable regular file, and the page written to memory must read back with
// the image's usemap naming the map.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/objects.h"
#include "fuzz/fuzz_memfile.h"
#include "fuzz/fuzz_page.h"
#include "fuzz/fuzz_quiet.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/strhack.h"

namespace {

void ignoreError(htmlPtr, const char *) {}

std::string pagePath;

void setUp() {
  static bool ready = false;
  if (ready) return;
  fuzzquiet::install();
  const std::string &top = fuzzmem::scratchFolder();
  if (chdir(top.c_str()) != 0) std::abort();
  static const char *const dirs[] = {"pages", "pages/img"};
  for (const char *d : dirs) mkdir(d, 0700);
  static const char *const files[] = {"pic.gif", "pages/pic.gif", "pages/img/a.png", "b.jpg"};
  for (const char *f : files) {
    FILE *out = std::fopen(f, "wb");
    if (!out) std::abort();
    std::fclose(out);
  }
  pagePath = top + "/pages/page.html";
  ready = true;
}

htmlPtr readPage(const char *data, size_t size) {
  htmlPtr doc = pageDocumentCreate();
  if (!doc) std::abort();
  doc->LogError = ignoreError;
  int crlf = 0;
  if (pageFeedBuffer(doc, data, size, &crlf) != htmlSuccess) std::abort();
  return doc;
}

// The img entry at position among the listed images (an img with a src).
htmlTagPtr listed(htmlPtr doc, int position) {
  int at = 0;
  for (htmlTagPtr t = doc ? doc->first : nullptr; t; t = t->n) {
    if (!t->name || !htmlEq(t->name, "img") || !htmlTagAttr(t, "src")[0]) continue;
    if (at++ == position) return t;
  }
  return nullptr;
}

bool regularFile(const char *path) {
  int fd = open(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return ok;
}

// Opens the page and binds its listed image at position.
void bind(const char *data, size_t size, int position) {
  hdoc = readPage(data, size);
  mapfilename = mystrdupImpl("fuzz", pagePath.c_str());
  changed = 0;
  if (ImageListOKBody(nullptr, position)) {
    if (!hdoc || !imagefilename || !regularFile(imagefilename) || !maplocalname) std::abort();
    const std::string name = maplocalname;
    // A name that cannot stand inside double quotation marks is not written back as itself.
    if (name.find_first_of("\"<") == std::string::npos) {
      std::string page = fuzzpage::written(hdoc);
      htmlPtr again = readPage(page.data(), page.size());
      htmlTagPtr img = listed(again, position);
      if (!img || std::string(htmlTagAttr(img, "usemap")) != "#" + name) std::abort();
      htmlDestroy(again);
    }
  }
  Close(1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  setUp();
  const char *bytes = reinterpret_cast<const char *>(data);
  htmlPtr doc = readPage(bytes, size);
  std::vector<std::string> sources;
  for (int i = 0; htmlTagPtr t = listed(doc, i); i++) sources.push_back(htmlTagAttr(t, "src"));
  htmlDestroy(doc);
  // The resolver opens what src names (without reading it); names that could
  // reach device or system folders are left alone.
  for (const std::string &s : sources)
    if (s.find("/dev") != std::string::npos || s.find("/proc") != std::string::npos ||
        s.find("/sys") != std::string::npos)
      return 0;
  // One image a run, the one the input's size picks.
  hdoc = nullptr;
  if (!sources.empty()) bind(bytes, size, (int)(size % sources.size()));
  ReleaseObjects();
  return 0;
}
