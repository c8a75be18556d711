// fuzz_url.cpp: feeds arbitrary URL and base texts to the URL parser and parses
// the rebuilt URL once more; every field must stay terminated within its size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "wfile/wfile.h"

namespace {
void checkTerminated(const char *field, size_t size) {
  if (!std::memchr(field, 0, size)) std::abort();
}

void checkInfo(const wfileInfo &info) {
  checkTerminated(info.error, sizeof info.error);
  checkTerminated(info.base, sizeof info.base);
  checkTerminated(info.completeUrl, sizeof info.completeUrl);
  checkTerminated(info.path, sizeof info.path);
  checkTerminated(info.site, sizeof info.site);
  checkTerminated(info.protocol, sizeof info.protocol);
  checkTerminated(info.anchor, sizeof info.anchor);
  checkTerminated(info.name, sizeof info.name);
  checkTerminated(info.password, sizeof info.password);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The input is URL, a zero byte, then the base.
  std::string input(reinterpret_cast<const char *>(data), size);
  size_t split = input.find('\0');
  std::string url = input.substr(0, split);
  std::string base = split == std::string::npos ? std::string() : input.substr(split + 1);
  base = base.substr(0, base.find('\0'));

  static wfileInfo info;
  std::memset(&info, 0, sizeof info);
  std::strncpy(info.base, base.c_str(), sizeof info.base - 1);
  int r = wfileParseUrl(url.c_str(), &info);
  checkInfo(info);
  if (r == 0) {
    std::string again = info.completeUrl;
    std::memset(&info, 0, sizeof info);
    wfileParseUrl(again.c_str(), &info);
    checkInfo(info);
  }
  return 0;
}
