// fuzz_paste.cpp: arbitrary text on the clipboard (the console platform keeps
// it in memory), pasted as <area> markup into an empty map. Every pasted
// hotspot must end up selected; copying them (the markup Copy puts on the
// clipboard) and pasting that into an empty map must give the same hotspots
// and the same markup again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/clipboard.h"
#include "editor/objects.h"
#include "editor/undo.h"
#include "fuzz/fuzz_quiet.h"
#include "editor/clientmap.h"
#include "platform/platform.h"

namespace {

// Pastes text into an empty map; the number of hotspots added.
int pasteInto(const std::string &text) {
  ReleaseObjects();
  objectsSetup();
  platform->clipboardSetText(text.c_str());
  int added = getSystemClipboard();
  if (added < 0 || added != objectsTotal) std::abort();
  for (int i = 0; i < objectsTotal; i++)
    if (!objects[i].selected) std::abort();
  return added;
}

// The selected hotspots as Copy writes them.
std::string copied() {
  char *out = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&out, &size);
  if (!mem) std::abort();
  WriteClientAreaTags(mem, 1);
  std::fclose(mem);
  std::string text(out, size);
  std::free(out);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzquiet::install();
  // The clipboard holds text: it ends at the first zero byte.
  std::string text(reinterpret_cast<const char *>(data), size);
  text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
  int added = pasteInto(text);
  if (added) {
    std::string first = copied();
    if (pasteInto(first) != added || copied() != first) std::abort();
  }
  ReleaseObjects();
  // Each paste or import kept an undo step with a copy of the map; letting
  // them pile up would make every run look like a leak to the fuzzer.
  undoPurge();
  redoPurge();
  return 0;
}
