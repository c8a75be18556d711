// cmd_check.cpp: `tilvane-map check PAGE [--map NAME] [--json]` prints the
// findings of Check Map for a page's maps (every map that an img of the page
// uses, or the one named), one per line ("error: hotspot 3 (rect, a.html): no
// alternative text") or as a JSON array of objects. Exits 1 when any finding is
// an error, 2 on a usage or reading failure, 0 otherwise.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/checkmap.h"
#include "editor/objects.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "html/html.h"
#include "html/pageio.h"
#include "platform/strhack.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "tools/tool.h"
#include "wfile/wfile.h"

namespace {

const char *const usageText = "check PAGE [--map NAME] [--json]";

void printParseError(htmlPtr doc, const char *message) {
  std::fprintf(stderr, "line %d: %s\n", doc ? doc->line : 0, message ? message : "");
}

std::string folderOf(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The picture's own size, read with the editor's decoders; 0 x 0 when it
// cannot be found or read.
void naturalSize(const std::string &page, const char *src, int *w, int *h) {
  *w = *h = 0;
  if (!src || !*src) return;
  std::string local = folderOf(page) + "/" + src;
  char *found = nullptr;
  std::FILE *f = wfileOpenRegularStream(local.c_str(), nullptr);
  if (f) {
    std::fclose(f);
    found = mystrdupImpl("check", local.c_str());
  } else {
    found = ResolveURL(src, page.c_str());
  }
  f = wfileOpenRegularStream(found, nullptr);
  if (f) {
    std::fclose(f);
    paletteSetupDepth(&palette, 24);
    if (LoadMyImage(found)) {
      *w = sx;
      *h = sy;
    }
  } else {
    std::fprintf(stderr, "%s: the picture %s was not found\n", page.c_str(), src);
  }
  myfreeImpl(found);
}

int runCheck(int argc, char **argv) {
  std::string page, only;
  bool json = false, hasMap = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--map") == 0 && i + 1 < argc) {
      only = argv[++i];
      hasMap = true;
    } else if (page.empty() && argv[i][0] && std::strcmp(argv[i], "--map") != 0) {
      page = argv[i];
    } else {
      page.clear();
      break;
    }
  }
  if (page.empty()) {
    std::fprintf(stderr, "usage: tilvane-map %s\n", usageText);
    return 2;
  }
  int notRegular = 0;
  std::FILE *in = wfileOpenRegularStream(page.c_str(), &notRegular);
  if (!in) {
    std::fprintf(stderr, "%s: %s\n", page.c_str(), notRegular ? pageNotRegularText : std::strerror(errno));
    return 2;
  }
  htmlPtr doc = pageDocumentCreate();
  if (!doc) {
    std::fclose(in);
    std::fprintf(stderr, "out of memory\n");
    return 2;
  }
  doc->LogError = printParseError;
  int crlf = 0;
  htmlResult r = pageFeed(doc, in, &crlf);
  std::fclose(in);
  if (r != htmlSuccess) {
    std::fprintf(stderr, "%s: %s\n", page.c_str(), r == htmlIO ? "cannot be read" : "out of memory");
    htmlDestroy(doc);
    return 2;
  }

  // The maps to check, each with its findings.
  struct checked {
    std::string map;
    std::vector<checkFinding> findings;
  };
  std::vector<checked> results;
  std::vector<std::string> names;
  if (hasMap) {
    names.push_back(only);
  } else {
    checkImgPlace place;
    for (htmlTagPtr t = doc->first; t; t = t->n) {
      if (!htmlEq(t->name, "img") || !htmlTagAttrQuery(t, "usemap")) continue;
      const char *u = htmlTagAttr(t, "usemap");
      std::string name;
      int form = checkUsemapName(u, &name);
      if (form != 0 && name.empty()) form = -1;
      if (form != 1) {
        checked c;
        checkFinding f;
        f.severity = form == 2 ? checkWarning : checkError;
        f.kind = checkKindPage;
        f.subject = checkImgName(t, &place);
        f.message = form == 0    ? std::string("usemap \"") + u + "\" names no map: it needs a # before the name"
                    : form == -1 ? std::string("usemap \"") + u + "\" names no map: the name after the # is empty"
                                 : std::string("usemap \"") + u + "\" has text before the #, which browsers pass over";
        c.findings.push_back(f);
        results.push_back(c);
        if (form <= 0) continue;
      }
      bool seen = false;
      for (const std::string &n : names) seen = seen || n == name;
      if (!seen) names.push_back(name);
    }
  }

  for (const std::string &name : names) {
    checked c;
    c.map = name;
    htmlTagPtr img = checkPicture(doc, name.c_str());
    int naturalW = 0, naturalH = 0;
    if (img) naturalSize(page, htmlTagAttr(img, "src"), &naturalW, &naturalH);
    checkInput input;
    if (!checkInputFromPage(doc, name.c_str(), input) && !img) {
      std::fprintf(stderr, "%s: the page has no map named %s\n", page.c_str(), name.c_str());
      ReleaseObjects();
      htmlDestroy(doc);
      return 2;
    }
    if (img) checkShownSize(img, naturalW, naturalH, &input.width, &input.height);
    input.folder = folderOf(page);
    checkInputAnchors(doc, input);
    checkPage(doc, name.c_str(), naturalW, naturalH, 0, c.findings);
    checkAreas(input, c.findings, nullptr);
    results.push_back(c);
  }
  // The findings quote the page: its text is written in UTF-8.
  std::string charset = checkPageCharset(doc);
  if (charset.empty()) {
    std::string bytes;
    std::FILE *again = std::fopen(page.c_str(), "rb");
    char buf[65536];
    size_t n;
    while (again && (n = std::fread(buf, 1, sizeof buf, again)) > 0) bytes.append(buf, n);
    if (again) std::fclose(again);
    charset = checkValidUtf8(bytes) ? "utf-8" : "windows-1252";
  }
  for (checked &c : results) {
    c.map = checkTextUtf8(c.map, charset);
    for (checkFinding &f : c.findings) {
      f.link = checkTextUtf8(f.link, charset);
      f.subject = checkTextUtf8(f.subject, charset);
      f.message = checkTextUtf8(f.message, charset);
    }
  }
  ReleaseObjects();
  htmlDestroy(doc);

  int errors = 0, maps = 0;
  for (const checked &c : results) maps += !c.map.empty();
  bool first = true;
  if (json) std::fputs("[", stdout);
  for (const checked &c : results) {
    for (const checkFinding &f : c.findings) {
      errors += f.severity == checkError;
      if (json) {
        std::printf("%s\n  %s", first ? "" : ",", checkJson(f, c.map.c_str()).c_str());
      } else if (maps > 1 && !c.map.empty()) {
        std::printf("%s: map %s, %s: %s\n", checkSeverityName(f.severity), c.map.c_str(),
                    checkSubject(f).c_str(), f.message.c_str());
      } else {
        std::printf("%s\n", checkLine(f).c_str());
      }
      first = false;
    }
  }
  if (json) std::fputs(first ? "]\n" : "\n]\n", stdout);
  if (std::fflush(stdout) != 0) return 2;
  return errors ? 1 : 0;
}

}  // namespace

TOOL_COMMAND(check, "check", "PAGE [--map NAME] [--json]", runCheck);
