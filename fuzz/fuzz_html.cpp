// fuzz_html.cpp: feeds arbitrary bytes to the HTML reader, whole and in
// chunks of random sizes (single bytes partly through htmlAppendChar), and
// checks what the writer promises: the same output for any chunking, and
// output that reads back as itself. Every map of the page then goes through
// the map reader, the map writer and the page rewrite, and the rewritten page
// must read back to the same hotspot count. A page read with its source kept
// must write back as one read without. Everything is written to memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/objects.h"
#include "fuzz/fuzz_page.h"
#include "fuzz/fuzz_quiet.h"
#include "editor/clientmap.h"
#include "html/html.h"
#include "html/pageio.h"

namespace {

void ignoreError(htmlPtr, const char *) {}

// The chunk sizes of one feed: a generator seeded from the input, so that a
// saved input replays the same feed. Mostly short chunks, whose boundaries
// fall inside tags, attributes and text runs; now and then a long one.
struct chunker {
  uint64_t state;
  explicit chunker(const uint8_t *data, size_t size) : state(1469598103934665603ull) {
    for (size_t i = 0; i < size; i++) state = (state ^ data[i]) * 1099511628211ull;
    state |= 1;
  }
  uint64_t next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  // The next chunk's length (0: one byte through htmlAppendChar).
  size_t length() {
    uint64_t r = next();
    switch (r % 8) {
      case 0: return 0;
      case 1: return 1;
      case 6: return 33 + (r >> 3) % 480;
      case 7: return 513 + (r >> 3) % 3584;
      default: return 2 + (r >> 3) % 31;
    }
  }
};

// The page doc writes, doc released.
std::string writeAndDestroy(htmlPtr doc) {
  std::string result = fuzzpage::written(doc);
  htmlDestroy(doc);
  return result;
}

// Reads size bytes (whole, or in chunks from chunks) and writes the page back;
// *maps (when given) tells whether the page has a map entry.
std::string readAndWrite(const char *data, size_t size, chunker *chunks, bool *maps = nullptr) {
  htmlPtr doc = pageDocumentCreate();
  if (!doc) std::abort();
  doc->LogError = ignoreError;
  size_t at = 0;
  while (at < size) {
    size_t n = chunks ? chunks->length() : size - at;
    if (n == 0) {
      if (htmlAppendChar(doc, static_cast<unsigned char>(data[at])) != htmlSuccess) std::abort();
      at++;
      continue;
    }
    if (n > size - at) n = size - at;
    if (htmlAppendText(doc, data + at, static_cast<int>(n)) != htmlSuccess) std::abort();
    at += n;
  }
  if (htmlFlushText(doc) != htmlSuccess) std::abort();
  if (maps) {
    *maps = false;
    for (htmlTagPtr t = doc->first; t && !*maps; t = t->n) *maps = htmlEq(t->name, "map");
  }
  return writeAndDestroy(doc);
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

// The map name of doc is loaded: its saved page reads back to the same hotspots,
// and after one save the file stays the same.
void checkSaved(htmlPtr doc, const std::string &name, int crlf) {
  int total = objectsTotal;
  std::string first = savedFile(doc, name.c_str(), crlf);
  int crlf2 = 0, crlf3 = 0;
  htmlPtr second = readPage(first, &crlf2);
  if (!LoadClientMap(second, name.c_str()) || objectsTotal != total) std::abort();
  std::string again = savedFile(second, name.c_str(), crlf2);
  htmlDestroy(second);
  // When the first save gave the same file, that file already reads and
  // saves as itself.
  if (again == first) return;
  htmlPtr third = readPage(again, &crlf3);
  if (!LoadClientMap(third, name.c_str()) || objectsTotal != total) std::abort();
  if (savedFile(third, name.c_str(), crlf3) != again) std::abort();
  htmlDestroy(third);
}

// Saving a page and opening it again gives the same hotspots, and after the
// first save (which may settle the line ends) the same file. One map a run is
// checked, the one of the first four that pick chooses. doc is the page as
// read with its source kept, crlf its line-end convention.
void checkMaps(htmlPtr doc, int crlf, uint64_t pick) {
  fuzzquiet::install();
  htmlTagPtr found[4];
  size_t maps = 0;
  for (htmlTagPtr t = doc->first; t && maps < 4; t = t->n)
    if (htmlEq(t->name, "map")) found[maps++] = t;
  if (maps) {
    htmlTagPtr t = found[pick % maps];
    std::string name = htmlTagAttr(t, "name");
    // A name that cannot stand inside double quotation marks is not written back
    // as itself. Nor may a name with a line break be read back as itself: the
    // line ends of a page follow its first line end, and when that lies in a
    // broken tag the reader drops, the saved page's first line end may differ.
    if (name.find_first_of("\"<\r\n") == std::string::npos && LoadClientMap(doc, name.c_str()))
      checkSaved(doc, name, crlf);
  }
  ReleaseObjects();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 16) return 0;
  const char *bytes = reinterpret_cast<const char *>(data);
  bool maps = false;
  std::string once = readAndWrite(bytes, size, nullptr, &maps);
  chunker chunks(data, size);
  if (readAndWrite(bytes, size, &chunks) != once) std::abort();
  // Written out, the page reads back as itself (when it came out as it went
  // in, the first reading already showed that).
  if ((once.size() != size || std::memcmp(once.data(), bytes, size) != 0) &&
      readAndWrite(once.data(), once.size(), nullptr) != once)
    std::abort();
  // Read as a page, with its source kept (tags and texts left there until
  // asked for, and written back from there), the page comes out the same. A
  // page with a CR is left out: its CR LF pairs reach the reader as LF.
  // Pages without a map have nothing more to check (the map pass would take
  // most of the time of such a run); the others go on to it with this reading.
  const bool crs = std::memchr(bytes, '\r', size) != nullptr;
  if (crs && !maps) return 0;
  int crlf = 0;
  htmlPtr doc = readPage(std::string(bytes, size), &crlf);
  if (!crs && fuzzpage::written(doc) != once) std::abort();
  if (maps) checkMaps(doc, crlf, chunks.next());
  htmlDestroy(doc);
  return 0;
}
