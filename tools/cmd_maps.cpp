// cmd_maps.cpp: the map commands of tilvane-map.
//   show PAGE --map NAME                       prints the map as the editor writes it
//   import PAGE MAPFILE --map NAME [-o OUT] [--exact]
//                                              replaces the map by a server-side map file
//                                              and saves the page (to OUT when given); with
//                                              --exact the rest of the page keeps its bytes
//   export PAGE --map NAME --format ncsa|cern OUT
//                                              writes the map as a server-side map file
// Each takes --click-as-mouseout 0|1, which writes the onMouseOut script as the
// onClick of hotspots that have none, and --title-as-alt 0|1, the editor's
// preference of that name (which only its properties dialog reads). Parse errors go
// to standard error as "line N: MESSAGE", the program's messages as
// "TITLE: TEXT".
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "platform/settings.h"
#include "editor/objects.h"
#include "editor/clientmap.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "html/pageio.h"
#include "editor/servermap.h"
#include "platform/strhack.h"
#include "tools/tool.h"
#include "wfile/wfile.h"

namespace {

struct mapArgs {
  std::vector<std::string> plain;  // the arguments that are not options
  std::string map, out, format;
  bool hasMap = false;
};

void printParseError(htmlPtr doc, const char *message) {
  std::fprintf(stderr, "line %d: %s\n", doc ? doc->line : 0, message ? message : "");
}

int flagValue(const char *text, int *out) {
  if (std::strcmp(text, "0") == 0 || std::strcmp(text, "1") == 0) {
    *out = text[0] - '0';
    return 1;
  }
  return 0;
}

// Options may stand anywhere. 0 after a usage message.
int parseArgs(int argc, char **argv, mapArgs &a, const char *usage) {
  bool bad = false;
  for (int i = 1; i < argc && !bad; i++) {
    std::string arg = argv[i];
    bool valued = arg == "--map" || arg == "-o" || arg == "--format" || arg == "--title-as-alt" ||
                  arg == "--click-as-mouseout";
    if (arg == "--exact") {
      exactPage = 1;
      continue;
    }
    if (!valued) {
      a.plain.push_back(arg);
      continue;
    }
    if (i + 1 >= argc) {
      bad = true;
      break;
    }
    const char *v = argv[++i];
    if (arg == "--map") {
      a.map = v;
      a.hasMap = true;
    } else if (arg == "-o") {
      a.out = v;
    } else if (arg == "--format") {
      a.format = v;
    } else {
      bad = !flagValue(v, arg == "--title-as-alt" ? &titleAsAlt : &clickAsMouseOut);
    }
  }
  if (bad || !a.hasMap) {
    std::fprintf(stderr, "usage: tilvane-map %s\n", usage);
    return 0;
  }
  return 1;
}

void setGlobal(char **field, const char *value) {
  myfreeImpl(*field);
  *field = value ? mystrdupImpl("document", value) : nullptr;
}

// Reads the page into hdoc and its map into the hotspot table. The stream
// (read-only, or locked for writing when lock is set) stays in htmlFilePtr.
int openPage(const char *path, const std::string &map, bool lock) {
  FILE *in = nullptr;
  int notRegular = 0;
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "%s: %s\n", path, pageNotRegularText);
    return 0;
  }
  if (lock) {
    int inUse = 0;
    in = pageOpenLocked(path, &inUse);
    if (!in && inUse) {
      std::fprintf(stderr, "%s: the file is in use by another program\n", path);
      return 0;
    }
  } else {
    in = wfileOpenRegularStream(path, &notRegular);
  }
  if (!in) {
    std::fprintf(stderr, "%s: %s\n", path, notRegular ? pageNotRegularText : std::strerror(errno));
    return 0;
  }
  hdoc = pageDocumentCreate();
  if (!hdoc) {
    std::fclose(in);
    std::fprintf(stderr, "out of memory\n");
    return 0;
  }
  hdoc->LogError = printParseError;
  int crlf = 0;
  htmlResult r = pageFeed(hdoc, in, &crlf);
  if (r != htmlSuccess) {
    std::fclose(in);
    std::fprintf(stderr, "%s: %s\n", path, r == htmlIO ? "cannot be read" : "out of memory");
    return 0;
  }
  htmlFilePtr = in;
  htmlFileCRLF = crlf;
  setGlobal(&mapfilename, path);
  setGlobal(&maplocalname, map.c_str());
  maptype = mapClient;
  return LoadClientMap(hdoc, map.c_str());
}

void closePage(void) {
  if (htmlFilePtr) std::fclose(htmlFilePtr);
  htmlFilePtr = nullptr;
  if (hdoc) htmlDestroy(hdoc);
  hdoc = nullptr;
  ReleaseObjects();
}

int runShow(int argc, char **argv) {
  const char *usage = "show PAGE --map NAME [--click-as-mouseout 0|1]";
  mapArgs a;
  if (!parseArgs(argc, argv, a, usage)) return 2;
  if (a.plain.size() != 1) {
    std::fprintf(stderr, "usage: tilvane-map %s\n", usage);
    return 2;
  }
  int ok = openPage(a.plain[0].c_str(), a.map, false);
  if (ok) WriteClientMapTags(stdout, a.map.c_str());
  closePage();
  return ok && std::fflush(stdout) == 0 ? 0 : 1;
}

int runImport(int argc, char **argv) {
  const char *usage = "import PAGE MAPFILE --map NAME [-o OUT] [--exact] [--click-as-mouseout 0|1]";
  mapArgs a;
  if (!parseArgs(argc, argv, a, usage)) return 2;
  if (a.plain.size() != 2) {
    std::fprintf(stderr, "usage: tilvane-map %s\n", usage);
    return 2;
  }
  bool inPlace = a.out.empty();
  int ok = openPage(a.plain[0].c_str(), a.map, inPlace);
  if (ok) ok = serverMapImport(a.plain[1].c_str());
  if (ok) {
    if (!inPlace) {
      // The page goes to a file of its own: the source stays as it is.
      setGlobal(&mapfilename, a.out.c_str());
      std::fclose(htmlFilePtr);
      htmlFilePtr = nullptr;
    }
    ok = savePage();
  }
  closePage();
  return ok ? 0 : 1;
}

int runExport(int argc, char **argv) {
  const char *usage = "export PAGE --map NAME --format ncsa|cern OUT [--click-as-mouseout 0|1]";
  mapArgs a;
  if (!parseArgs(argc, argv, a, usage)) return 2;
  if (a.plain.size() != 2 || (a.format != "ncsa" && a.format != "cern")) {
    std::fprintf(stderr, "usage: tilvane-map %s\n", usage);
    return 2;
  }
  int ok = openPage(a.plain[0].c_str(), a.map, false);
  if (ok) {
    int kind = a.format == "cern" ? mapCERN : mapNCSA;
    char *data = nullptr;
    size_t size = 0;
    FILE *mem = open_memstream(&data, &size);
    WriteServerMap(mem, kind);
    std::fclose(mem);
    char reason[256];
    ok = pageSaveFile(a.plain[1].c_str(), data, size, 0, nullptr, reason, sizeof reason);
    if (!ok) std::fprintf(stderr, "%s: %s\n", a.plain[1].c_str(), reason);
    std::free(data);
  }
  closePage();
  return ok ? 0 : 1;
}

}  // namespace

TOOL_COMMAND(show, "show", "PAGE --map NAME [--click-as-mouseout 0|1]", runShow);
TOOL_COMMAND(import, "import", "PAGE MAPFILE --map NAME [-o OUT] [--exact] [--click-as-mouseout 0|1]", runImport);
TOOL_COMMAND(export, "export", "PAGE --map NAME --format ncsa|cern OUT [--click-as-mouseout 0|1]", runExport);
