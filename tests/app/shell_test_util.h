// shell_test_util.h: a fresh home for each test (HOME and the XDG folders point
// into a temporary folder that is removed afterwards), and small file helpers.
#ifndef TILVANE_SHELL_TEST_UTIL_H
#define TILVANE_SHELL_TEST_UTIL_H

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline std::string readFile(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void writeFile(const std::string &path, const std::string &text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

inline bool isDir(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

inline bool exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

struct tempHome {
  std::string root, home, config, data, runtime;
  std::string savedCwd;
  tempHome() {
    const char *base = getenv("TMPDIR");
    std::string t = std::string(base && *base ? base : "/tmp") + "/tilvane-test-XXXXXX";
    char buf[512];
    snprintf(buf, sizeof buf, "%s", t.c_str());
    root = mkdtemp(buf);
    home = root + "/home";
    config = home + "/.config";
    data = home + "/.local/share";
    runtime = root + "/run";
    mkdir(home.c_str(), 0700);
    mkdir(runtime.c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) savedCwd = cwd;
  }
  ~tempHome() {
    if (!savedCwd.empty() && chdir(savedCwd.c_str()) != 0) {
    }
    nftw(root.c_str(),
         [](const char *p, const struct stat *, int, struct FTW *) { return remove(p); }, 16,
         FTW_DEPTH | FTW_PHYS);
  }
  // The settings folder and file.
  std::string settingsDir() const { return config + "/QuarrinDotCom/Tilvane"; }
  std::string iniFile() const { return settingsDir() + "/Tilvane.ini"; }
  std::string profile() const { return config + "/tilvane2.ini"; }
};

#endif
