// cmd_roundtrip.cpp: `tilvane-map roundtrip PAGE [OUT] [--exact]` reads PAGE as
// the editor does (comments and scripts kept) and writes it back, to OUT or to
// standard output, with the page's own line ends; with --exact every entry is
// written with the bytes it was read from. Each parse error is printed on
// standard error as "line N: MESSAGE".
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "html/pageio.h"
#include "tools/tool.h"
#include "wfile/wfile.h"

namespace {

void printParseError(htmlPtr doc, const char *message) {
  std::fprintf(stderr, "line %d: %s\n", doc ? doc->line : 0, message ? message : "");
}

// Standard output as a stream that turns every LF into CR LF when crlf is set,
// so that the page goes out as it is written, without a copy held in memory.
struct lineEndOutput {
  FILE *to;
  int crlf;
};

ssize_t lineEndWrite(void *cookie, const char *bytes, size_t size) {
  lineEndOutput *o = static_cast<lineEndOutput *>(cookie);
  return pageWriteBuffer(o->to, bytes, size, o->crlf) ? static_cast<ssize_t>(size) : 0;
}

int runRoundtrip(int argc, char **argv) {
  bool exact = false;
  int kept = 1;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--exact") == 0)
      exact = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: tilvane-map roundtrip PAGE [OUT] [--exact]\n");
    return 2;
  }
  int notRegular = 0;
  FILE *in = wfileOpenRegularStream(argv[1], &notRegular);
  if (!in) {
    std::fprintf(stderr, "%s: %s\n", argv[1], notRegular ? pageNotRegularText : std::strerror(errno));
    return 1;
  }
  htmlPtr doc = pageDocumentCreate();
  if (!doc) {
    std::fclose(in);
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }
  doc->LogError = printParseError;
  int crlf = 0;
  htmlResult r = pageFeed(doc, in, &crlf);
  std::fclose(in);
  if (r != htmlSuccess) {
    std::fprintf(stderr, "%s: %s\n", argv[1], r == htmlIO ? "cannot be read" : "out of memory");
    htmlDestroy(doc);
    return 1;
  }

  if (argc == 2) {
    // The exact page carries its own line ends.
    lineEndOutput o = {stdout, exact && htmlSourceComplete(doc) ? 0 : crlf};
    cookie_io_functions_t io = {nullptr, lineEndWrite, nullptr, nullptr};
    FILE *w = fopencookie(&o, "w", io);
    if (w) setvbuf(w, nullptr, _IOFBF, 1 << 16);
    r = w ? (exact ? pageWriteExact(doc, w) : pageWrite(doc, w)) : htmlMemory;
    if (w && std::fclose(w) != 0 && r == htmlSuccess) r = htmlIO;
    htmlDestroy(doc);
    int ok = r == htmlSuccess && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (r != htmlSuccess && r != htmlIO)
      std::fprintf(stderr, "out of memory\n");
    else if (!ok)
      std::fprintf(stderr, "standard output: %s\n", std::strerror(errno));
    return ok ? 0 : 1;
  }

  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  int ok = mem && (exact ? pageWriteExact(doc, mem) : pageWrite(doc, mem)) == htmlSuccess;
  // The exact page carries its own line ends.
  if (exact && htmlSourceComplete(doc)) crlf = 0;
  if (mem) std::fclose(mem);
  htmlDestroy(doc);
  if (!ok) {
    std::free(data);
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }

  char reason[256];
  ok = pageSaveFile(argv[2], data, size, crlf, nullptr, reason, sizeof reason);
  if (!ok) std::fprintf(stderr, "%s: %s\n", argv[2], reason);
  std::free(data);
  return ok ? 0 : 1;
}

}  // namespace

TOOL_COMMAND(roundtrip, "roundtrip", "PAGE [OUT] [--exact]", runRoundtrip);
