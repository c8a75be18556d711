// fuzz_quiet.h: the console platform table with message boxes that answer OK
// without a word, so that a fuzz run shows only what it finds.
#ifndef TILVANE_FUZZ_QUIET_H
#define TILVANE_FUZZ_QUIET_H

#include "platform/platform.h"

namespace fuzzquiet {

inline int silentBox(void *, const char *, const char *, unsigned) { return IDOK; }

// Installs the quiet table once.
inline void install() {
  static platformTable table;
  static bool done = false;
  if (done) return;
  table = *platformConsole();
  table.messageBox = silentBox;
  platformInstall(&table);
  done = true;
}

}  // namespace fuzzquiet

#endif
