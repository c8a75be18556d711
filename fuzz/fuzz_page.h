// fuzz_page.h: a page as pageWrite writes it, collected in memory.
#ifndef TILVANE_FUZZ_PAGE_H
#define TILVANE_FUZZ_PAGE_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "html/pageio.h"

namespace fuzzpage {

// The bytes pageWrite gives for doc; a failed write ends the run.
inline std::string written(htmlPtr doc) {
  char *out = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&out, &size);
  if (!mem || pageWrite(doc, mem) != htmlSuccess) std::abort();
  std::fclose(mem);
  std::string text(out, size);
  std::free(out);
  return text;
}

}  // namespace fuzzpage

#endif
