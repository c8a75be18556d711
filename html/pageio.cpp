// pageio.cpp: reading a page into a document, writing a document, and the safe
// replacement of a file on disk. Owns pageFaultStep, pageFaultErrno.
#include "html/pageio.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "html/strhack.h"

int pageFaultStep = pageFaultNone;
int pageFaultErrno = 0;

namespace {

// The line-end convention found so far, and a CR held back at the end of a
// chunk until the next byte shows whether it begins a CR LF pair.
struct lineEnds {
  int mode = -1;  // -1 not known yet, 0 LF, 1 CR LF
  bool pendingCR = false;
  bool pendingKept = false;  // the held CR arrived where the reader keeps line ends as read
  std::vector<char> out;
};

// While the convention is unknown, bytes go in as they are, one line end at a
// time. Only a line end that the reader keeps as read decides: one inside a tag
// is written back as a space, so letting it decide would give the page another
// convention on its next reading.
htmlResult feedUndecided(htmlPtr doc, lineEnds &le, const char *data, size_t n, size_t &i) {
  while (i < n && le.mode < 0) {
    size_t j = i;
    while (j < n && data[j] != '\r' && data[j] != '\n') j++;
    if (j > i) {
      htmlResult r = htmlAppendText(doc, data + i, static_cast<int>(j - i));
      if (r != htmlSuccess) return r;
    }
    i = j;
    if (j == n) break;
    const bool kept = htmlLineEndKept(doc) != 0;
    if (data[j] == '\r' && j + 1 == n) {
      le.pendingCR = true;
      le.pendingKept = kept;
      i = n;
      break;
    }
    if (data[j] == '\r' && data[j + 1] == '\n') {
      if (kept) {
        le.mode = 1;
        i = j + 2;
        return htmlAppendText(doc, "\n", 1);
      }
      i = j + 2;
      htmlResult r = htmlAppendText(doc, "\r\n", 2);
      if (r != htmlSuccess) return r;
      continue;
    }
    if (data[j] == '\n' && kept) le.mode = 0;
    i = j + 1;
    htmlResult r = htmlAppendText(doc, data + j, 1);  // a lone CR, or an LF
    if (r != htmlSuccess) return r;
  }
  return htmlSuccess;
}

htmlResult feedChunk(htmlPtr doc, lineEnds &le, const char *data, size_t n) {
  size_t i = 0;
  if (le.pendingCR && n > 0) {
    le.pendingCR = false;
    if (data[0] == '\n' && (le.mode == 1 || (le.mode < 0 && le.pendingKept))) {
      le.mode = 1;
      i = 1;
      htmlResult r = htmlAppendText(doc, "\n", 1);
      if (r != htmlSuccess) return r;
    } else if (le.mode < 0 && data[0] == '\n') {
      // A pair inside a tag: both bytes as read.
      i = 1;
      htmlResult r = htmlAppendText(doc, "\r\n", 2);
      if (r != htmlSuccess) return r;
    } else {
      htmlResult r = htmlAppendText(doc, "\r", 1);
      if (r != htmlSuccess) return r;
    }
  }
  if (le.mode < 0) {
    htmlResult r = feedUndecided(doc, le, data, n, i);
    if (r != htmlSuccess || le.mode < 0) return r;
  }
  if (le.mode == 0) return htmlAppendText(doc, data + i, static_cast<int>(n - i));
  le.out.clear();
  le.out.reserve(n - i);
  for (; i < n; i++) {
    char c = data[i];
    if (c == '\r') {
      if (i + 1 == n) {
        le.pendingCR = true;
        break;
      }
      if (data[i + 1] == '\n') continue;  // the LF that follows stands for the pair
    }
    le.out.push_back(c);
  }
  return htmlAppendText(doc, le.out.data(), static_cast<int>(le.out.size()));
}

htmlResult feedEnd(htmlPtr doc, lineEnds &le, int *crlf) {
  if (le.pendingCR) {
    htmlResult r = htmlAppendText(doc, "\r", 1);
    if (r != htmlSuccess) return r;
  }
  if (crlf) *crlf = le.mode == 1;
  return htmlFlushText(doc);
}

void setReason(char *reason, int size, int error) {
  if (reason && size > 0) strcpyMax(reason, size, std::strerror(error));
}

// Resolves symbolic links so that the file replaced is the link's target.
int resolveTarget(const char *path, std::string &target, int *error) {
  target = path;
  for (int depth = 0; depth < 40; depth++) {
    struct stat st;
    if (lstat(target.c_str(), &st) != 0) {
      if (errno == ENOENT) return 1;  // a new file
      *error = errno;
      return 0;
    }
    if (!S_ISLNK(st.st_mode)) return 1;
    std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    ssize_t got = readlink(target.c_str(), link.data(), link.size() - 1);
    if (got < 0) {
      *error = errno;
      return 0;
    }
    std::string next(link.data(), static_cast<size_t>(got));
    if (next.empty() || next[0] != '/') {
      size_t slash = target.rfind('/');
      next = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + next;
    }
    target = next;
  }
  *error = ELOOP;
  return 0;
}

std::string folderOf(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int faultAt(int stepId) {
  if (pageFaultStep != stepId) return 0;
  errno = pageFaultErrno ? pageFaultErrno : EIO;
  return 1;
}

}  // namespace

htmlPtr pageDocumentCreate(void) {
  htmlPtr doc = nullptr;
  if (htmlCreate(&doc) != htmlSuccess) return nullptr;
  htmlIgnoreComments(doc, 0);
  htmlIgnoreScripts(doc, 0);
  return doc;
}

htmlResult pageFeed(htmlPtr doc, FILE *in, int *crlf) {
  if (!doc || !in) return htmlBadArguments;
  std::vector<char> chunk(pageChunkSize);
  lineEnds le;
  for (;;) {
    size_t got = std::fread(chunk.data(), 1, chunk.size(), in);
    if (got > 0) {
      htmlResult r = feedChunk(doc, le, chunk.data(), got);
      if (r != htmlSuccess) return r;
    }
    if (got < chunk.size()) {
      if (std::ferror(in)) return htmlIO;
      break;
    }
  }
  return feedEnd(doc, le, crlf);
}

htmlResult pageFeedBuffer(htmlPtr doc, const char *data, size_t length, int *crlf) {
  if (!doc || (!data && length)) return htmlBadArguments;
  lineEnds le;
  for (size_t at = 0; at < length; at += static_cast<size_t>(pageChunkSize)) {
    size_t chunk = static_cast<size_t>(pageChunkSize);
    size_t n = length - at < chunk ? length - at : chunk;
    htmlResult r = feedChunk(doc, le, data + at, n);
    if (r != htmlSuccess) return r;
  }
  return feedEnd(doc, le, crlf);
}

htmlResult pageWrite(htmlPtr doc, FILE *out) {
  if (!doc || !out) return htmlBadArguments;
  if (doc->leadingComments && doc->leadingCommentsLength > 0)
    std::fwrite(doc->leadingComments, 1, static_cast<size_t>(doc->leadingCommentsLength), out);
  for (htmlTagPtr t = doc->first; t; t = t->n) {
    htmlResult r = htmlTagWrite(t, out);
    if (r != htmlSuccess) return r;
  }
  return std::ferror(out) ? htmlIO : htmlSuccess;
}

int pageWriteBuffer(FILE *out, const char *data, size_t length, int crlf) {
  if (!out) return 0;
  if (!crlf) {
    if (length && std::fwrite(data, 1, length, out) != length) return 0;
    return !std::ferror(out);
  }
  size_t at = 0;
  while (at < length) {
    const char *lf = static_cast<const char *>(std::memchr(data + at, '\n', length - at));
    size_t run = lf ? static_cast<size_t>(lf - (data + at)) : length - at;
    if (run && std::fwrite(data + at, 1, run, out) != run) return 0;
    at += run;
    if (lf) {
      if (std::fwrite("\r\n", 1, 2, out) != 2) return 0;
      at++;
    }
  }
  return !std::ferror(out);
}

int pageSaveFile(const char *path, const char *data, size_t length, int crlf, FILE **stream,
                 char *reason, int reasonSize) {
  if (reason && reasonSize > 0) reason[0] = 0;
  if (!path || !*path) {
    setReason(reason, reasonSize, ENOENT);
    return 0;
  }
  int error = 0;
  std::string target;
  if (!resolveTarget(path, target, &error)) {
    setReason(reason, reasonSize, error);
    return 0;
  }
  struct stat old;
  bool existed = stat(target.c_str(), &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) {
    setReason(reason, reasonSize, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    return 0;
  }

  std::string folder = folderOf(target);
  size_t slash = target.rfind('/');
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = folder + "/." + base + ".tilvane-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back(0);

  int fd = faultAt(pageFaultCreate) ? -1 : mkstemp(name.data());
  if (fd < 0) {
    setReason(reason, reasonSize, errno);
    return 0;
  }
  auto fail = [&](int why, FILE *f) {
    if (f)
      std::fclose(f);
    else
      close(fd);
    unlink(name.data());
    setReason(reason, reasonSize, why);
    return 0;
  };

  // The old file's permissions (and owner, where allowed); a new file gets the
  // usual permissions for the user's file-creation mask.
  if (existed) {
    if (fchmod(fd, old.st_mode & 07777) != 0) return fail(errno, nullptr);
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only the owner's group may be unavailable to us; the file stays ours.
    }
  } else {
    mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0) return fail(errno, nullptr);
  }
  if (stream && flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno, nullptr);

  FILE *f = fdopen(fd, "r+b");
  if (!f) return fail(errno, nullptr);
  bool written = pageWriteBuffer(f, data, length, crlf) && std::fflush(f) == 0;
  if (written && faultAt(pageFaultWrite)) written = false;
  if (!written) return fail(errno ? errno : EIO, f);
  if (faultAt(pageFaultSync) || fsync(fd) != 0) return fail(errno, f);
  if (faultAt(pageFaultRename) || rename(name.data(), target.c_str()) != 0) return fail(errno, f);

  // The new content is complete and in place. A failure to sync the folder
  // cannot be undone any more, so it is not reported.
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }

  if (stream) {
    if (*stream) std::fclose(*stream);
    std::rewind(f);
    *stream = f;
  } else {
    std::fclose(f);
  }
  return 1;
}

FILE *pageOpenLocked(const char *path, int *inUse) {
  if (inUse) *inUse = 0;
  if (!path) return nullptr;
  for (int attempt = 0; attempt < 10; attempt++) {
    int fd = open(path, O_RDWR);
    if (fd < 0) return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (inUse && (errno == EWOULDBLOCK || errno == EAGAIN)) *inUse = 1;
      close(fd);
      return nullptr;
    }
    struct stat locked, named;
    if (fstat(fd, &locked) == 0 && stat(path, &named) == 0 && locked.st_dev == named.st_dev &&
        locked.st_ino == named.st_ino) {
      FILE *f = fdopen(fd, "r+b");
      if (!f) close(fd);
      return f;
    }
    // The file was replaced while the lock was taken: lock what the name leads to now.
    close(fd);
  }
  return nullptr;
}
