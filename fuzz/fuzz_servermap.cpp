// fuzz_servermap.cpp: arbitrary bytes as a server-side map file. The file is
// read through the import path and whatever was imported is written in both
// syntaxes and read again. A failed import must leave the (empty) table as it
// was. The second reading may legitimately fail: a CERN polygon that ends in
// its link may have fewer than three vertices, which the NCSA syntax refuses.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/settings.h"
#include "editor/objects.h"
#include "fuzz/fuzz_quiet.h"
#include "html/servermap.h"

namespace {

std::string scratchFile() {
  static std::string path;
  if (path.empty()) {
    char name[] = "/tmp/fuzz_servermap_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    path = name;
  }
  return path;
}

void writeFile(const std::string &path, const void *data, size_t size) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

std::string written(int kind) {
  char *out = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&out, &size);
  if (!mem) std::abort();
  WriteServerMap(mem, kind);
  std::fclose(mem);
  std::string text(out, size);
  std::free(out);
  return text;
}

// Imports path into an empty table; a failure must leave it empty.
bool importInto(const std::string &path) {
  ReleaseObjects();
  objectsSetup();
  if (serverMapImport(path.c_str())) return true;
  if (objectsTotal != 0) std::abort();
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzquiet::install();
  const std::string path = scratchFile();
  writeFile(path, data, size);
  if (importInto(path)) {
    std::string cern = written(mapCERN);
    std::string ncsa = written(mapNCSA);
    writeFile(path, ncsa.data(), ncsa.size());
    importInto(path);
    writeFile(path, cern.data(), cern.size());
    importInto(path);
  }
  ReleaseObjects();
  return 0;
}
