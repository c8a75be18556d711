// platform.cpp: the table in use and the console table. Owns `platform`.
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void (*platformDialogStartHook)(char *out, int size) = nullptr;
void (*platformDialogUsedHook)(const char *path) = nullptr;

namespace {

std::string consoleClipboard;
bool consoleClipboardSet = false;

int consoleMessageBox(void *, const char *text, const char *title, unsigned flags) {
  // A box's line breaks (CR LF) are the terminal's line ends.
  std::string lines = text ? text : "";
  for (size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at + 1)) lines.erase(at, 1);
  std::fprintf(stderr, "%s: %s\n", title ? title : "", lines.c_str());
  return platformDefaultAnswer(flags);
}

int consoleOpenFile(void *, const char *, const platformFileFilter *, int, const char *, unsigned,
                    char *out, int outSize) {
  if (out && outSize > 0) out[0] = 0;
  return 0;
}

int consoleSaveFile(void *, const char *, const platformFileFilter *, int, const char *,
                    const char *, unsigned, char *out, int outSize) {
  if (out && outSize > 0) out[0] = 0;
  return 0;
}

int consoleChooseFolder(void *, const char *, const char *, char *out, int outSize) {
  if (out && outSize > 0) out[0] = 0;
  return 0;
}

int consoleChooseColor(void *, unsigned *, unsigned *) { return 0; }

int consoleChoose(void *, const char *, const char *, const char *const *, int, int *) { return 0; }

int consoleClipboardSetText(const char *text) {
  consoleClipboard = text ? text : "";
  consoleClipboardSet = true;
  return 1;
}

char *consoleClipboardGetText(void) {
  if (!consoleClipboardSet) return nullptr;
  return strdup(consoleClipboard.c_str());
}

int consoleClipboardHasText(void) { return consoleClipboardSet ? 1 : 0; }

int consoleStartProcess(const char *, const char *const *) { return 0; }

int consoleOpenAddress(const char *) { return 0; }

long long consoleNow(void) { return (long long)std::time(nullptr); }

void consoleLocalTime(struct tm *out) {
  std::time_t t = std::time(nullptr);
  localtime_r(&t, out);
}

platformProgress consoleProgressOpen(void *, const char *, const char *, const char *) {
  return nullptr;
}
void consoleProgressUpdate(platformProgress, int) {}
void consoleProgressClose(platformProgress) {}
int consoleProgressPoll(platformProgress) { return 0; }

const platformTable consoleTable = {
    consoleMessageBox,      consoleOpenFile,       consoleSaveFile,
    consoleChooseFolder,    consoleChooseColor,    consoleChoose,
    consoleClipboardSetText, consoleClipboardGetText, consoleClipboardHasText,
    consoleStartProcess,    consoleOpenAddress,    consoleNow,
    consoleLocalTime,       consoleProgressOpen,   consoleProgressUpdate,
    consoleProgressClose,   consoleProgressPoll,
};

}  // namespace

const platformTable *platform = &consoleTable;

void platformInstall(const platformTable *table) { platform = table ? table : &consoleTable; }

const platformTable *platformConsole(void) { return &consoleTable; }

int platformDefaultAnswer(unsigned flags) {
  const bool second = (flags & MB_DEFMASK) == MB_DEFBUTTON2;
  switch (flags & MB_BUTTONMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return second ? IDNO : IDYES;
    case MB_OKCANCEL:
      return second ? IDCANCEL : IDOK;
    default:
      return IDOK;
  }
}

int platformMessageBox(void *owner, const char *text, const char *title, unsigned flags) {
  return platform->messageBox(owner, text, title, flags);
}
