// profile.cpp: private profile files and safe whole-file replacement.
#include "workflow/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "html/pageio.h"
#include "platform/strhack.h"
#include "wfile/wfile.h"

namespace {

std::string trim(const std::string &s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) a++;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) b--;
  return s.substr(a, b - a);
}

bool sameName(const std::string &a, const char *b) {
  size_t n = strlen(b);
  return a.size() == n && strncmpNoCase(a.c_str(), b, (int)n) == 0;
}

// The lines of a file (without their line ends); empty when it cannot be read.
std::vector<std::string> readLines(const char *path) {
  std::vector<std::string> lines;
  FILE *f = wfileOpenRegularStream(path, nullptr);
  if (!f) return lines;
  std::string cur;
  int c;
  while ((c = fgetc(f)) != EOF) {
    if (c == '\n') {
      if (!cur.empty() && cur.back() == '\r') cur.pop_back();
      lines.push_back(cur);
      cur.clear();
    } else if (c != 0) {
      cur.push_back((char)c);
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  fclose(f);
  return lines;
}

// "[name]" gives name; anything else is not a section header.
bool sectionHeader(const std::string &line, std::string &name) {
  std::string t = trim(line);
  if (t.size() < 2 || t[0] != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = trim(t.substr(1, close - 1));
  return true;
}

// "key=value" gives key and value (both trimmed).
bool keyLine(const std::string &line, std::string &key, std::string &value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = trim(line.substr(0, eq));
  value = trim(line.substr(eq + 1));
  return !key.empty();
}

// Holds an exclusive lock on "<path>.lock" while it lives, so the read and
// rewrite of a profile file by one process is not interleaved with another's.
// The lock file is removed when the lock is released. A process that waited
// on a file removed meanwhile finds its file no longer under the name, and
// takes the lock again on the file now there.
struct profileLock {
  int fd = -1;
  std::string name;
  explicit profileLock(const char *path) : name(std::string(path) + ".lock") {
    for (int attempt = 0; attempt < 100; attempt++) {
      fd = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
      if (fd < 0) return;
      if (flock(fd, LOCK_EX) != 0) {  // no locks here: work unlocked
        close(fd);
        fd = -1;
        return;
      }
      struct stat held, named;
      if (fstat(fd, &held) == 0 && stat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
          held.st_ino == named.st_ino)
        return;
      close(fd);
      fd = -1;
    }
  }
  ~profileLock() {
    if (fd < 0) return;
    unlink(name.c_str());
    close(fd);
  }
};

}  // namespace

void profilePath(const char *file, char *out, int size) {
  if (!out || size <= 0) return;
  if (file && strchr(file, '/')) {
    strcpyMax(out, size, file);
    return;
  }
  char dir[1024];
  configFolderGet(dir, sizeof dir);
  sprintfMax(out, size, "%s/%s", dir, file ? file : "");
}

int profileGetString(const char *section, const char *key, const char *def, char *out, int size,
                     const char *file) {
  if (!out || size <= 0) return 0;
  strcpyMax(out, size, def ? def : "");
  if (!section || !key) return (int)strlen(out);
  char path[1024];
  profilePath(file, path, sizeof path);
  std::vector<std::string> lines = readLines(path);
  bool inSection = false;
  for (const std::string &line : lines) {
    std::string name, k, v;
    if (sectionHeader(line, name)) {
      inSection = sameName(name, section);
    } else if (inSection && keyLine(line, k, v) && sameName(k, key)) {
      strcpyMax(out, size, v.c_str());
      break;
    }
  }
  return (int)strlen(out);
}

int profileWriteStrings(const char *section, const char *const *keys, const char *const *values,
                        int count, const char *file) {
  if (!section || !keys || !values || count < 0) return 0;
  char path[1024];
  profilePath(file, path, sizeof path);
  profileLock lock(path);
  std::vector<std::string> lines = readLines(path);
  std::vector<bool> done((size_t)count, false);
  std::vector<std::string> out;
  bool inSection = false, sawSection = false;
  // Puts the keys not yet written at the end of the section being left.
  auto flush = [&]() {
    for (int i = 0; i < count; i++) {
      if (!done[(size_t)i] && values[i] && keys[i]) {
        out.push_back(std::string(keys[i]) + "=" + values[i]);
      }
      done[(size_t)i] = true;
    }
  };
  for (const std::string &line : lines) {
    std::string name, k, v;
    if (sectionHeader(line, name)) {
      if (inSection) flush();
      inSection = sameName(name, section);
      if (inSection) sawSection = true;
      out.push_back(line);
      continue;
    }
    if (inSection && keyLine(line, k, v)) {
      int match = -1;
      for (int i = 0; i < count; i++)
        if (keys[i] && sameName(k, keys[i])) match = i;
      if (match >= 0) {
        if (!done[(size_t)match] && values[match]) out.push_back(k + "=" + values[match]);
        done[(size_t)match] = true;
        continue;
      }
    }
    out.push_back(line);
  }
  if (inSection) flush();
  if (!sawSection) {
    bool any = false;
    for (int i = 0; i < count; i++) any = any || (values[i] && keys[i]);
    if (any) {
      out.push_back(std::string("[") + section + "]");
      flush();
    }
  }
  std::string text;
  for (const std::string &l : out) text += l + "\n";
  return safeWriteFile(path, text.data(), text.size());
}

int profileWriteString(const char *section, const char *key, const char *value, const char *file) {
  return profileWriteStrings(section, &key, &value, 1, file);
}

int safeWriteFile(const char *path, const char *data, size_t length) {
  // The same replacement as a page's: a symbolic link (a set of dotfiles) is
  // written through to its target, and the temporary name always fits.
  char reason[256];
  return pageSaveFile(path, data, length, 0, nullptr, reason, sizeof reason);
}
