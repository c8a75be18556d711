// fuzz_html.cpp: feeds arbitrary bytes to the HTML reader, in runs whose
// lengths come from the input, and checks what the writer promises: the same
// output for any chunking, and output that reads back as itself. Every map
// of the page then goes through the map reader, the map writer and the page
// rewrite, and the rewritten page must read back to the same hotspot count.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/objects.h"
#include "fuzz/fuzz_quiet.h"
#include "html/clientmap.h"
#include "html/html.h"
#include "html/pageio.h"

namespace {

void ignoreError(htmlPtr, const char *) {}

std::string readAndWrite(const char *data, size_t size, size_t runSeed) {
  htmlPtr doc = pageDocumentCreate();
  if (!doc) std::abort();
  doc->LogError = ignoreError;
  size_t at = 0, run = runSeed;
  if (runSeed == 1) {
    // One byte at a time, through the machine alone.
    for (; at < size; at++)
      if (htmlAppendChar(doc, static_cast<unsigned char>(data[at])) != htmlSuccess) std::abort();
  }
  while (at < size) {
    size_t n = runSeed ? 1 + run % 17 : size - at;
    run = run * 31 + 7;
    if (n > size - at) n = size - at;
    if (htmlAppendText(doc, data + at, static_cast<int>(n)) != htmlSuccess) std::abort();
    at += n;
  }
  if (htmlFlushText(doc) != htmlSuccess) std::abort();
  char *out = nullptr;
  size_t outSize = 0;
  FILE *mem = open_memstream(&out, &outSize);
  if (!mem || pageWrite(doc, mem) != htmlSuccess) std::abort();
  std::fclose(mem);
  htmlDestroy(doc);
  std::string result(out, outSize);
  std::free(out);
  return result;
}

// The page file that saving makes: the page with the current map, in the
// page's line-end convention.
std::string savedFile(htmlPtr doc, const char *name, int crlf) {
  char *out = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&out, &size);
  clientMapWritePage(mem, doc, name);
  std::fclose(mem);
  char *file = nullptr;
  size_t fileSize = 0;
  FILE *disk = open_memstream(&file, &fileSize);
  pageWriteBuffer(disk, out, size, crlf);
  std::fclose(disk);
  std::string result(file, fileSize);
  std::free(out);
  std::free(file);
  return result;
}

htmlPtr readPage(const std::string &page, int *crlf) {
  htmlPtr doc = pageDocumentCreate();
  doc->LogError = ignoreError;
  if (pageFeedBuffer(doc, page.data(), page.size(), crlf) != htmlSuccess) std::abort();
  return doc;
}

// Saving a page and opening it again gives the same hotspots, and after the
// first save (which may settle the line ends) the same file.
void checkMaps(const std::string &page) {
  fuzzquiet::install();
  int crlf = 0;
  htmlPtr doc = readPage(page, &crlf);
  int maps = 0;
  for (htmlTagPtr t = doc->first; t && maps < 4; t = t->n) {
    if (!htmlEq(t->name, "map")) continue;
    maps++;
    std::string name = htmlTagAttr(t, "name");
    // A name that cannot stand inside double quotation marks is not written back as itself.
    if (name.find_first_of("\"<") != std::string::npos) continue;
    if (!LoadClientMap(doc, name.c_str())) continue;
    int total = objectsTotal;
    char *mapText = nullptr;
    size_t mapSize = 0;
    FILE *mem = open_memstream(&mapText, &mapSize);
    WriteClientMapTags(mem, name.c_str());
    std::fclose(mem);
    std::free(mapText);
    std::string first = savedFile(doc, name.c_str(), crlf);
    int crlf2 = 0, crlf3 = 0;
    htmlPtr second = readPage(first, &crlf2);
    if (!LoadClientMap(second, name.c_str()) || objectsTotal != total) std::abort();
    std::string again = savedFile(second, name.c_str(), crlf2);
    htmlPtr third = readPage(again, &crlf3);
    if (!LoadClientMap(third, name.c_str()) || objectsTotal != total) std::abort();
    if (savedFile(third, name.c_str(), crlf3) != again) std::abort();
    htmlDestroy(second);
    htmlDestroy(third);
  }
  htmlDestroy(doc);
  ReleaseObjects();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 16) return 0;
  const char *bytes = reinterpret_cast<const char *>(data);
  std::string once = readAndWrite(bytes, size, 0);
  size_t seed = size ? data[0] + 2u : 2u;
  if (readAndWrite(bytes, size, seed) != once) std::abort();
  if (readAndWrite(bytes, size, 1) != once) std::abort();
  if (readAndWrite(once.data(), once.size(), 0) != once) std::abort();
  checkMaps(std::string(bytes, size));
  return 0;
}
