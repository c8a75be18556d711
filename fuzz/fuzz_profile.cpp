// fuzz_profile.cpp: arbitrary bytes as the profile file tilvane2.ini (a file in
// memory), read through a recent document's entry and the data folder's entry
// (the latter into buffers of several sizes): a value is always terminated within
// its buffer, its length is returned, and a shorter buffer holds a prefix of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/datadir.h"
#include "app/prefs.h"
#include "workflow/recent.h"
#include "workflow/profile.h"
#include "fuzz/fuzz_memfile.h"
#include "fuzz/fuzz_quiet.h"

namespace {

void checkRead(const char *section, const char *key, const char *def) {
  char whole[1100];
  int n = profileGetString(section, key, def, whole, sizeof whole, theManifest.iniFileName);
  if (n < 0 || n >= (int)sizeof whole || (int)std::strlen(whole) != n) std::abort();
  static const int sizes[] = {1, 7};
  for (int size : sizes) {
    char part[8];
    std::memset(part, 'x', sizeof part);
    int m = profileGetString(section, key, def, part, size, theManifest.iniFileName);
    if (m >= size || (int)std::strlen(part) != m) std::abort();
    if (std::strncmp(part, whole, (size_t)m) != 0) std::abort();
    if (part[size] != 'x') std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool ready = false;
  if (!ready) {
    fuzzquiet::install();
    fuzzmem::useScratchConfig();
    char path[1024];
    profilePath(theManifest.iniFileName, path, sizeof path);
    fuzzmem::linkToFile(path);
    ready = true;
  }
  fuzzmem::file().set(data, size);
  // One recent entry a run (each read goes through the whole file).
  const int i = (int)(size % 9);
  char entry[1024], label[1100];
  recentFileGet(i, entry, sizeof entry);
  if (std::strlen(entry) >= sizeof entry) std::abort();
  recentFileLabel(i, entry, label, sizeof label);
  if (std::strlen(label) >= sizeof label) std::abort();
  checkRead("OPTIONS", "DataDir", "none");
  return 0;
}
