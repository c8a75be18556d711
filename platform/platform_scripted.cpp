// platform_scripted.cpp: the scripted platform table for tests. Owns `scripted`.
#include "platform/platform_scripted.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

scriptedPlatform scripted;

namespace {

std::string filterNames(const platformFileFilter *filters, int count) {
  std::string s;
  for (int i = 0; i < count; i++) {
    if (i) s += "|";
    s += filters[i].name ? filters[i].name : "";
    s += "=";
    s += filters[i].patterns ? filters[i].patterns : "";
  }
  return s;
}

int firstButton(unsigned flags) {
  switch (flags & MB_BUTTONMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    default:
      return IDOK;
  }
}

int sMessageBox(void *, const char *text, const char *title, unsigned flags) {
  scriptedShown s;
  s.kind = "message";
  s.title = title ? title : "";
  s.text = text ? text : "";
  s.flags = flags;
  scripted.shown.push_back(s);
  if (scripted.answers.empty()) return firstButton(flags);
  int a = scripted.answers.front();
  scripted.answers.pop_front();
  return a;
}

int takeFile(const char *kind, const char *title, const platformFileFilter *filters, int count,
             const char *initial, unsigned options, char *out, int outSize) {
  scriptedShown s;
  s.kind = kind;
  s.title = title ? title : "";
  s.text = filterNames(filters, count);
  s.flags = options;
  s.initial = initial ? initial : "";
  scripted.shown.push_back(s);
  if (out && outSize > 0) out[0] = 0;
  if (scripted.files.empty()) return 0;
  std::string f = scripted.files.front();
  scripted.files.pop_front();
  if (f.empty()) return 0;
  std::snprintf(out, (size_t)outSize, "%s", f.c_str());
  return 1;
}

int sOpenFile(void *, const char *title, const platformFileFilter *filters, int count,
              const char *initial, unsigned options, char *out, int outSize) {
  return takeFile("open", title, filters, count, initial, options, out, outSize);
}

// As the real dialog does, a new file's name without an extension gets
// defaultExt.
int sSaveFile(void *, const char *title, const platformFileFilter *filters, int count,
              const char *initial, const char *defaultExt, unsigned options, char *out, int outSize) {
  if (!takeFile("save", title, filters, count, initial, options, out, outSize)) return 0;
  const char *slash = std::strrchr(out, '/');
  if (defaultExt && *defaultExt && !std::strchr(slash ? slash : out, '.') && access(out, F_OK) != 0) {
    std::string named = std::string(out) + "." + defaultExt;
    if (static_cast<int>(named.size()) < outSize) std::memcpy(out, named.c_str(), named.size() + 1);
  }
  return 1;
}

int sChooseFolder(void *, const char *title, const char *start, char *out, int outSize) {
  scriptedShown s;
  s.kind = "folder";
  s.title = title ? title : "";
  s.initial = start ? start : "";
  scripted.shown.push_back(s);
  if (out && outSize > 0) out[0] = 0;
  if (scripted.folders.empty()) return 0;
  std::string f = scripted.folders.front();
  scripted.folders.pop_front();
  if (f.empty()) return 0;
  std::snprintf(out, (size_t)outSize, "%s", f.c_str());
  return 1;
}

int sChooseColor(void *, unsigned *color, unsigned *) {
  scriptedShown s;
  s.kind = "color";
  scripted.shown.push_back(s);
  if (scripted.colors.empty()) return 0;
  long c = scripted.colors.front();
  scripted.colors.pop_front();
  if (c < 0) return 0;
  *color = (unsigned)c;
  return 1;
}

int sChoose(void *, const char *title, const char *text, const char *const *options, int count,
            int *selected) {
  scriptedShown s;
  s.kind = "choose";
  s.title = title ? title : "";
  s.text = text ? text : "";
  for (int i = 0; i < count; i++) {
    s.initial += (i ? "|" : "");
    s.initial += options[i];
  }
  s.flags = selected ? (unsigned)*selected : 0;
  scripted.shown.push_back(s);
  if (scripted.choices.empty()) return 0;
  int c = scripted.choices.front();
  scripted.choices.pop_front();
  if (c < 0) return 0;
  if (selected) *selected = c;
  return 1;
}

int sClipboardSetText(const char *text) {
  scripted.clipboard = text ? text : "";
  scripted.clipboardHasText = true;
  return 1;
}

char *sClipboardGetText(void) {
  if (!scripted.clipboardHasText) return nullptr;
  return strdup(scripted.clipboard.c_str());
}

int sClipboardHasText(void) { return scripted.clipboardHasText ? 1 : 0; }

int sStartProcess(const char *program, const char *const *args) {
  std::vector<std::string> p;
  p.push_back(program ? program : "");
  for (int i = 0; args && args[i]; i++) p.push_back(args[i]);
  scripted.processes.push_back(p);
  return scripted.processesStart ? 1 : 0;
}

int sOpenAddress(const char *address) {
  scripted.addresses.push_back(address ? address : "");
  return scripted.addressesOpen ? 1 : 0;
}

long long sNow(void) {
  if (scripted.nowSeconds >= 0) return scripted.nowSeconds;
  return (long long)std::time(nullptr);
}

void sLocalTime(struct tm *out) {
  std::time_t t = (std::time_t)sNow();
  localtime_r(&t, out);
}

platformProgress sProgressOpen(void *, const char *title, const char *line1, const char *line2) {
  scriptedShown s;
  s.kind = "progress";
  s.title = title ? title : "";
  s.text = std::string(line1 ? line1 : "") + "|" + (line2 ? line2 : "");
  scripted.shown.push_back(s);
  scripted.progressOpen++;
  return &scripted;
}

void sProgressUpdate(platformProgress, int percent) { scripted.progress.push_back(percent); }

void sProgressClose(platformProgress) {
  if (scripted.progressOpen > 0) scripted.progressOpen--;
}

const platformTable scriptedTable = {
    sMessageBox,       sOpenFile,         sSaveFile,     sChooseFolder,
    sChooseColor,      sChoose,           sClipboardSetText, sClipboardGetText,
    sClipboardHasText, sStartProcess,     sOpenAddress,  sNow,
    sLocalTime,        sProgressOpen,     sProgressUpdate, sProgressClose,
};

}  // namespace

void scriptedInstall() {
  scripted = scriptedPlatform();
  platformInstall(&scriptedTable);
}

std::vector<scriptedShown> scriptedMessages() {
  std::vector<scriptedShown> v;
  for (const auto &s : scripted.shown)
    if (s.kind == "message") v.push_back(s);
  return v;
}

scriptedShown scriptedLastMessage() {
  for (auto it = scripted.shown.rbegin(); it != scripted.shown.rend(); ++it)
    if (it->kind == "message") return *it;
  return scriptedShown();
}
