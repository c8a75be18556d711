// cmd_url.cpp: `tilvane-map url URL [BASE]` parses URL (against BASE when given)
// and prints the fields the parser fills, one "name: value" per line, or the
// error sentence on standard error with exit status 1.
#include <cstdio>
#include <cstring>

#include "platform/strhack.h"
#include "tools/tool.h"
#include "wfile/wfile.h"

namespace {
int runUrl(int argc, char **argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: tilvane-map url URL [BASE]\n");
    return 2;
  }
  static wfileInfo info;
  std::memset(&info, 0, sizeof info);
  if (argc == 3) strcpyMax(info.base, sizeof info.base, argv[2]);
  if (wfileParseUrl(argv[1], &info) != 0) {
    std::fprintf(stderr, "%s\n", info.error);
    return 1;
  }
  std::printf("t: %d\n", info.t);
  std::printf("protocol: %s\n", info.protocol);
  std::printf("completeUrl: %s\n", info.completeUrl);
  std::printf("path: %s\n", info.path);
  std::printf("site: %s\n", info.site);
  std::printf("port: %d\n", info.port);
  std::printf("name: %s\n", info.name);
  std::printf("password: %s\n", info.password);
  std::printf("anchor: %s\n", info.anchor);
  std::printf("noproxy: %d\n", info.noproxy);
  return 0;
}
}  // namespace

TOOL_COMMAND(url, "url", "URL [BASE]", runUrl);
