// folders.cpp: the program's folders below the user's XDG folders, and the
// stat wrapper. Owns theManifest.
#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/strhack.h"

const manifestStruct theManifest = {"Tilvane", "tilvane2.ini"};

namespace {

// An environment variable that names an absolute folder, or null.
const char *absoluteEnv(const char *name) {
  const char *v = getenv(name);
  if (!v || v[0] != '/') return nullptr;
  return v;
}

// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config), or "".
void configHome(char *path, int size) {
  path[0] = 0;
  const char *x = absoluteEnv("XDG_CONFIG_HOME");
  if (x) {
    strcpyMax(path, size, x);
  } else {
    const char *h = homeFolder();
    if (h) sprintfMax(path, size, "%s/.config", h);
  }
  size_t n = strlen(path);
  while (n > 1 && path[n - 1] == '/') path[--n] = 0;
}

}  // namespace

const char *homeFolder(void) {
  const char *h = absoluteEnv("HOME");
  if (h) return h;
  struct passwd *pw = getpwuid(getuid());
  if (pw && pw->pw_dir && pw->pw_dir[0] == '/') return pw->pw_dir;
  return nullptr;
}

int makeFolders(const char *path) {
  if (!path || !*path) return 0;
  std::string p(path);
  for (size_t i = 1; i <= p.size(); i++) {
    if (i == p.size() || p[i] == '/') {
      std::string part = p.substr(0, i);
      if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
        // A part that exists but cannot be made (for instance "/home") is fine.
        struct stat st;
        if (stat(part.c_str(), &st) != 0) return 0;
      }
    }
  }
  return fileIsDirectory(path);
}

void configFolderGet(char *path, int size) {
  if (!path || size <= 0) return;
  configHome(path, size);
  if (!path[0]) strcpyMax(path, size, "/tmp");
  makeFolders(path);
}

int defaultDataParentGet(char *path, int size) {
  path[0] = 0;
  const char *x = absoluteEnv("XDG_DATA_HOME");
  if (x) {
    strcpyMax(path, size, x);
  } else {
    const char *h = absoluteEnv("HOME");
    if (!h) return 0;
    sprintfMax(path, size, "%s/.local/share", h);
  }
  makeFolders(path);
  return path[0] != 0;
}

void stompLast(char *text, char character) {
  if (!text) return;
  size_t n = strlen(text);
  if (n > 0 && text[n - 1] == character) text[n - 1] = 0;
}

void dropDoubledPathCharacters(char *path) {
  if (!path) return;
  char *out = path;
  for (const char *in = path; *in;) {
    if (*in == '/' || *in == '\\') {
      *out++ = '/';
      while (*in == '/' || *in == '\\') in++;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
}

int godir(const char *path, int create) {
  if (!path || !*path) return -1;
  if (chdir(path) == 0) return 0;
  if (!create) return -1;
  if (mkdir(path, 0755) != 0) return -1;
  return chdir(path) == 0 ? 0 : -1;
}

int mystat(const char *path, struct stat *buffer) {
  if (!path || !buffer) return -1;
  char p[1024];
  strcpyMax(p, sizeof p, path);
  if (strlen(p) > 1) stompLast(p, '/');
  if (!p[0]) return -1;
  return stat(p, buffer);
}

int fileExists(const char *path) {
  struct stat st;
  return mystat(path, &st) == 0 ? 1 : 0;
}

int fileIsDirectory(const char *path) {
  struct stat st;
  return (mystat(path, &st) == 0 && S_ISDIR(st.st_mode)) ? 1 : 0;
}

void applicationGetDataDir(char *path, int size) {
  if (!path || size <= 0) return;
  char base[1024];
  configHome(base, sizeof base);
  if (base[0]) {
    makeFolders(base);
    sprintfMax(path, size, "%s/QuarrinDotCom", base);
    mkdir(path, 0700);
    strcatMax(path, size, "/");
    strcatMax(path, size, theManifest.folderName);
    mkdir(path, 0700);
    if (fileIsDirectory(path)) return;
  }
  configFolderGet(path, size);
}

void applicationGetTempDir(char *path, int size) {
  if (!path || size <= 0) return;
  // Files handed to other programs last only as long as the session: the
  // session's runtime folder, else the user's cache folder, else the system's
  // temporary folder.
  const char *runtime = absoluteEnv("XDG_RUNTIME_DIR");
  if (runtime && fileIsDirectory(runtime)) {
    sprintfMax(path, size, "%s/tilvane", runtime);
    dropDoubledPathCharacters(path);
    if (makeFolders(path)) return;
  }
  const char *cache = absoluteEnv("XDG_CACHE_HOME");
  const char *home = homeFolder();
  if (cache || home) {
    if (cache)
      sprintfMax(path, size, "%s/tilvane", cache);
    else
      sprintfMax(path, size, "%s/.cache/tilvane", home);
    dropDoubledPathCharacters(path);
    if (makeFolders(path)) return;
  }
  const char *t = absoluteEnv("TMPDIR");
  strcpyMax(path, size, t ? t : "/tmp");
  if (strlen(path) > 1) stompLast(path, '/');
}
