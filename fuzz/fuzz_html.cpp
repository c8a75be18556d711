// fuzz_html.cpp: feeds arbitrary bytes to the HTML reader, in runs whose
// lengths come from the input, and checks what the writer promises: the same
// output for any chunking, and output that reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 16) return 0;
  const char *bytes = reinterpret_cast<const char *>(data);
  std::string once = readAndWrite(bytes, size, 0);
  size_t seed = size ? data[0] + 2u : 2u;
  if (readAndWrite(bytes, size, seed) != once) std::abort();
  if (readAndWrite(bytes, size, 1) != once) std::abort();
  if (readAndWrite(once.data(), once.size(), 0) != once) std::abort();
  return 0;
}
