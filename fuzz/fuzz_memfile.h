// fuzz_memfile.h: one file in memory (memfd_create) for the readers that take
// a path: its contents are replaced on every run and its name,
// /proc/self/fd/N, opens it like any regular file. Nothing reaches a disk.
// A scratch folder, made once and removed at exit, holds what a target needs
// beside: for the readers that find their file in the configuration folder it
// stands in for that folder ($XDG_CONFIG_HOME), with the file there a symbolic
// link to the file in memory.
#ifndef TILVANE_FUZZ_MEMFILE_H
#define TILVANE_FUZZ_MEMFILE_H

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzmem {

class memFile {
 public:
  memFile() {
    fd_ = memfd_create("fuzz", MFD_CLOEXEC);
    if (fd_ < 0) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  // Replaces the contents with size bytes of data.
  void set(const void *data, size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    const char *p = static_cast<const char *>(data);
    size_t done = 0;
    while (done < size) {
      ssize_t n = pwrite(fd_, p + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
  }
  void set(const std::string &text) { set(text.data(), text.size()); }
  const char *path() const { return path_.c_str(); }

 private:
  int fd_;
  std::string path_;
};

// The file of this process's runs.
inline memFile &file() {
  static memFile f;
  return f;
}

namespace detail {
inline std::string &scratch() {
  static std::string folder;
  return folder;
}
inline void removeScratch() {
  std::error_code ignored;
  if (!scratch().empty()) std::filesystem::remove_all(scratch(), ignored);
}
}  // namespace detail

// A scratch folder made once for this process and removed at exit.
inline const std::string &scratchFolder() {
  if (detail::scratch().empty()) {
    const char *tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/tilvane-fuzz-XXXXXX";
    if (!mkdtemp(&name[0])) std::abort();
    detail::scratch() = name;
    std::atexit(detail::removeScratch);
  }
  return detail::scratch();
}

// Makes the scratch folder the process's $XDG_CONFIG_HOME.
inline void useScratchConfig() {
  if (setenv("XDG_CONFIG_HOME", scratchFolder().c_str(), 1) != 0) std::abort();
}

// Makes path a symbolic link to the file in memory.
inline void linkToFile(const char *path) {
  unlink(path);
  if (symlink(file().path(), path) != 0) std::abort();
}

}  // namespace fuzzmem

#endif
