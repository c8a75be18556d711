// platform.cpp: the table in use and the console table. Owns `platform`.
#include "platform/platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// --- the web browser -------------------------------------------------------

namespace {

std::string desktopHandler(const char *scheme) {
  const std::string command = std::string("xdg-mime query default x-scheme-handler/") + scheme + " 2>/dev/null";
  FILE *p = popen(command.c_str(), "r");
  if (!p) return "";
  char line[512] = "";
  if (!std::fgets(line, sizeof line, p)) line[0] = 0;
  pclose(p);
  std::string id = line;
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r' || id.back() == ' ')) id.pop_back();
  return id;
}

// The full name of program as the shell would find it in PATH (or itself when
// it names a file); "" when it is not there.
std::string inPath(const std::string &program) {
  auto runnable = [](const std::string &f) {
    struct stat st;
    return stat(f.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(f.c_str(), X_OK) == 0;
  };
  if (program.empty()) return "";
  if (program.find('/') != std::string::npos) return runnable(program) ? program : "";
  const char *path = getenv("PATH");
  std::stringstream dirs(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string f = dir + "/" + program;
    if (runnable(f)) return f;
  }
  return "";
}

// The words of a desktop entry's Exec line: split at spaces outside double
// quotes; %u, %U, %f and %F become the address (which is added at the end when
// none stands there); the other field codes go.
std::vector<std::string> execWords(const std::string &exec, const char *address) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false, placed = false;
  for (size_t i = 0; i < exec.size(); i++) {
    const char c = exec[i];
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == '\\' && quoted && i + 1 < exec.size()) {
      word += exec[++i];
    } else if (c == ' ' && !quoted) {
      if (any || !word.empty()) words.push_back(word);
      word.clear();
      any = false;
    } else if (c == '%' && i + 1 < exec.size()) {
      const char code = exec[++i];
      if (code == '%') {
        word += '%';
      } else if (std::strchr("uUfF", code)) {
        word += address;
        placed = true;
      }
    } else {
      word += c;
    }
  }
  if (any || !word.empty()) words.push_back(word);
  if (!placed) words.push_back(address);
  return words;
}

// The Exec line of desktop entry id, looked for where the desktop keeps them.
std::string desktopExec(const std::string &id) {
  std::vector<std::string> dirs;
  const char *home = getenv("XDG_DATA_HOME");
  if (home && *home)
    dirs.push_back(home);
  else if (getenv("HOME"))
    dirs.push_back(std::string(getenv("HOME")) + "/.local/share");
  const char *data = getenv("XDG_DATA_DIRS");
  std::stringstream list(data && *data ? data : "/usr/local/share:/usr/share");
  std::string d;
  while (std::getline(list, d, ':'))
    if (!d.empty()) dirs.push_back(d);
  for (const std::string &dir : dirs) {
    std::ifstream f(dir + "/applications/" + id);
    if (!f) continue;
    std::string line;
    bool entry = false;
    while (std::getline(f, line)) {
      if (!line.empty() && line[0] == '[') entry = line == "[Desktop Entry]";
      if (entry && line.compare(0, 5, "Exec=") == 0) return line.substr(5);
    }
  }
  return "";
}

}  // namespace

std::string (*linkHandlerQuery)(const char *scheme) = desktopHandler;

std::vector<std::string> browserCommand(const char *address) {
  if (!address) address = "";
  for (const char *scheme : {"https", "http"}) {
    const std::string id = linkHandlerQuery ? linkHandlerQuery(scheme) : "";
    // Tilvane takes HTML files, never links: a page of its own is not for it.
    // An entry named tilvane*.desktop is one an earlier version installed.
    if (id.empty() || id == DESKTOP_ENTRY_ID ".desktop" || id.compare(0, 7, "tilvane") == 0) continue;
    const std::string exec = desktopExec(id);
    if (exec.empty()) continue;
    std::vector<std::string> words = execWords(exec, address);
    if (!words.empty() && !inPath(words[0]).empty()) return words;
  }
  const char *browsers = getenv("BROWSER");
  std::stringstream list(browsers ? browsers : "");
  std::string one;
  while (std::getline(list, one, ':')) {
    // "%s" stands where the address goes, as %u does in a desktop entry.
    std::string command = one;
    for (size_t at = command.find("%s"); at != std::string::npos; at = command.find("%s", at + 2)) command[at + 1] = 'u';
    std::vector<std::string> words = execWords(command, address);
    if (!words.empty() && !inPath(words[0]).empty()) return words;
  }
  // sensible-browser is there even where no browser is, and then fails after
  // it has started; x-www-browser is there only when a browser is.
  if (!inPath("x-www-browser").empty()) return {"x-www-browser", address};
  return {};
}

