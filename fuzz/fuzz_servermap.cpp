// fuzz_servermap.cpp: arbitrary bytes as a server-side map file (a file in
// memory). The file is read through the import path and whatever was imported
// is written in both syntaxes and read again. A failed import must leave the
// table as it was. The second reading may legitimately fail: a CERN
// polygon that ends in its link may have fewer than three vertices, which the
// NCSA syntax refuses.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/settings.h"
#include "editor/objects.h"
#include "editor/undo.h"
#include "fuzz/fuzz_memfile.h"
#include "fuzz/fuzz_quiet.h"
#include "editor/servermap.h"

namespace {

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

// Imports path over the current table; a failure must leave that table as it
// was. (The import sets the old table aside itself, so the table is not
// emptied first: that would only add a release and a set-up of 64 records.)
bool importInto(const char *path) {
  const object *before = objects;
  const int total = objectsTotal;
  if (serverMapImport(path)) return true;
  if (objects != before || objectsTotal != total) std::abort();
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzquiet::install();
  fuzzmem::memFile &file = fuzzmem::file();
  file.set(data, size);
  if (importInto(file.path())) {
    std::string cern = written(mapCERN);
    std::string ncsa = written(mapNCSA);
    file.set(ncsa);
    importInto(file.path());
    file.set(cern);
    importInto(file.path());
  }
  ReleaseObjects();
  // Each paste or import kept an undo step with a copy of the map; letting
  // them pile up would make every run look like a leak to the fuzzer.
  undoPurge();
  redoPurge();
  return 0;
}
