// fuzz_settings.cpp: arbitrary bytes as the settings file Tilvane.ini (a file
// in memory), read by readConfig. What was read is written as configText
// writes it; that text read back must give the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/prefs.h"
#include "platform/settings.h"
#include "editor/view.h"
#include "fuzz/fuzz_memfile.h"
#include "fuzz/fuzz_quiet.h"

namespace {

void defaults() {
  settingsDefaults();
  sketchR = 255;
  sketchG = 128;
  sketchB = 128;
}

std::string text() {
  char out[4096];
  int n = configText(out, sizeof out);
  if (n < 0 || n >= (int)sizeof out || out[n] != 0) std::abort();
  return std::string(out, (size_t)n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool ready = false;
  if (!ready) {
    fuzzquiet::install();
    fuzzmem::useScratchConfig();
    char path[1024];
    getIniFile(path, sizeof path, 1);
    fuzzmem::linkToFile(path);
    ready = true;
  }
  fuzzmem::file().set(data, size);
  defaults();
  readConfig();
  const std::string first = text();
  defaults();
  size_t at = 0;
  while (at < first.size()) {
    size_t end = first.find('\n', at);
    if (end == std::string::npos) std::abort();
    readConfigLine(first.substr(at, end - at).c_str());
    at = end + 1;
  }
  if (text() != first) std::abort();
  return 0;
}
