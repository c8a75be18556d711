// startup.cpp: the command line (splitting, sorting into slots, what it
// opens), the start-up time, and the F1 help topic. Owns argc, argv,
// nowBreakdown, nowDay.
#include "app/startup.h"

#include <cctype>
#include <cstring>
#include <string>

#include "app/update.h"
#include "editor/modes.h"
#include "editor/props.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/folders.h"
#include "platform/strhack.h"
#include "editor/magicwand.h"
#include "platform/platform.h"


int argc = 1;
char *argv[argvSlots] = {const_cast<char *>("DUMMY")};
struct tm nowBreakdown;
int nowDay = 0;

namespace {

// The words of the last split, each its own string.
char *words[argvSlots];

void clearWords(void) {
  for (char *&w : words) {
    myfreeImpl(w);
    w = nullptr;
  }
  for (char *&a : argv) a = nullptr;
  argv[0] = const_cast<char *>("DUMMY");
  argc = 1;
}

void addWord(const char *begin, size_t length) {
  if (argc >= argvSlots) return;
  char *w = static_cast<char *>(mymallocImpl(length + 1));
  if (!w) dieMemory();
  std::memcpy(w, begin, length);
  w[length] = 0;
  words[argc] = w;
  argv[argc] = w;
  argc++;
}

bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

char *slotCopy(const char *word, const char *startFolder, bool path) {
  std::string s = word;
  if (path && startFolder && *startFolder && word[0] != '/') {
    s = startFolder;
    if (s.back() != '/') s += '/';
    s += word;
  }
  return mystrdupImpl("argv", s.c_str());
}

}  // namespace

void likeRealMain(const char *commandLine) {
  clearWords();
  const char *p = commandLine ? commandLine : "";
  while (space(*p)) p++;
  while (*p && argc < argvSlots) {
    if (*p == '"') {
      const char *start = ++p;
      while (*p && *p != '"') p++;
      addWord(start, static_cast<size_t>(p - start));
      if (*p == '"') p++;
    } else {
      const char *start = p;
      while (*p && !space(*p)) p++;
      addWord(start, static_cast<size_t>(p - start));
    }
    while (space(*p)) p++;
  }
}

void likeRealMainWords(int count, const char *const *list) {
  clearWords();
  for (int i = 0; i < count && list && argc < argvSlots; i++)
    if (list[i]) addWord(list[i], std::strlen(list[i]));
}

int filenameIsImage(const char *name) {
  if (!name) return 0;
  static const char *const tails[] = {"gif", "jpg",  "jpe",  "jpeg", "bmp",
                                      "png", "webp", "avif", "svg",  "svgz"};
  const size_t n = std::strlen(name);
  for (const char *t : tails) {
    const size_t k = std::strlen(t);
    if (n >= k && strncmpNoCase(name + n - k, t, static_cast<int>(k)) == 0) return 1;
  }
  return 0;
}

void commandLineClassify(commandLineSlots *s, const char *startFolder) {
  std::memset(s, 0, sizeof *s);
  if (argc == 2 && argv[1]) {
    if (strncmpNoCase(argv[1], "/new", 1 << 30) == 0) {
      s->newFlag = 1;
      return;
    }
    if (strncmpNoCase(argv[1], "/open", 1 << 30) == 0) {
      s->openFlag = 1;
      return;
    }
  }
  const char *imageWord = nullptr;
  for (int i = 1; i < argc; i++) {
    const char *w = argv[i];
    if (!w) continue;
    if (filenameIsImage(w)) {
      if (!s->image) {
        s->image = slotCopy(w, startFolder, true);
        imageWord = w;
      }
    } else if (std::strchr(w, '.')) {
      if (!s->document)
        s->document = slotCopy(w, startFolder, true);
      else if (!s->localName)
        s->localName = slotCopy(w, nullptr, false);
    } else if (!s->localName) {
      s->localName = slotCopy(w, nullptr, false);
    }
  }
  // A relative picture name that names nothing in the start folder is taken
  // from the page's folder, as the page's src would be.
  if (s->image && s->document && imageWord[0] != '/' && !fileExists(s->image)) {
    const char *cut = std::strrchr(s->document, '/');
    if (cut) {
      std::string beside = std::string(s->document, static_cast<size_t>(cut - s->document + 1)) + imageWord;
      if (fileExists(beside.c_str())) {
        myfreeImpl(s->image);
        s->image = mystrdupImpl("argv", beside.c_str());
      }
    }
  }
}

void commandLineSlotsFree(commandLineSlots *s) {
  myfreeImpl(s->image);
  myfreeImpl(s->document);
  myfreeImpl(s->localName);
  s->image = s->document = s->localName = nullptr;
}

int commandLineAction(const commandLineSlots *s, int documentExists) {
  if (s->openFlag) return startOpenDialog;
  if (s->newFlag) return startNewDialog;
  if (!s->document && !s->image) return startChoose;
  if (!s->document) return startNewImage;
  return documentExists ? startOpenDocument : startNewDocument;
}

void startupTakeTime(void) {
  platform->localTime(&nowBreakdown);
  nowDay = dateToDay(nowBreakdown.tm_mon + 1, nowBreakdown.tm_mday, nowBreakdown.tm_year + 1900);
}

const char *contextHelpTopic(void) {
  if (colorEditing) return "help_color";
  if (defaultCreating) return "help_setdefault";
  if (openingBox) return "help_started";
  if (saving) return "help_saving";
  if (magicWandSettings) return "help_magicwandsettings";
  return stateHelpTopic();
}
