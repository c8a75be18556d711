// fuzz_memfile.h: one file in memory (memfd_create) for the readers that take
// a path: its contents are replaced on every run and its name,
// /proc/self/fd/N, opens it like any regular file. Nothing reaches a disk.
#ifndef TILVANE_FUZZ_MEMFILE_H
#define TILVANE_FUZZ_MEMFILE_H

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
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

}  // namespace fuzzmem

#endif
