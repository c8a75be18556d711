// wfile.cpp: the URL model (parsing, resolution against a base, rebuilding) and
// the buffered stream over local files and memory. Owns wfileDefaultProtocol,
// wfileUserAgent, wfileOpenCount, wfileMimeMap and the proxy and mail settings.
#include "wfile/wfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/strhack.h"
#include "platform/platform.h"

int wfileDefaultProtocol = wfileLocal;
char wfileUserAgent[17] = "4.05 for Windows";
int wfileOpenCount = 0;
const wfileMimeEntry wfileMimeMap[] = {
    {"gif", "image/gif"},  {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"png", "image/png"},
    {"webp", "image/webp"}, {"avif", "image/avif"}, {"svg", "image/svg+xml"}, {"svgz", "image/svg+xml"},
    {"html", "text/html"}, {"htm", "text/html"},  {"txt", "text/plain"},  {nullptr, nullptr}};
int wfileProxyServerFlag = 0;
char wfileProxyServerHost[256] = "";
int wfileProxyServerPort = 8080;
char wfileProxyUsername[256] = "";
char wfileProxyPassword[256] = "";
char wfileMailServer[256] = "";
char wfileMailFrom[256] = "";

namespace {

enum { urlSpace = 1024 };

// The bytes behind a memory stream.
struct memorySource {
  const unsigned char *bytes;
  int length;
  int pos;
};

// What wfileOpen allocates: the stream, an info record for callers that pass
// none, and the memory source of a memory stream.
struct streamBox {
  wfileStruct wf;
  wfileInfo ownInfo;
  memorySource memory;
};

const char *const protocolNames[] = {"file", "http", "ftp", "mailto", "null", "internal"};

const char *protocolName(int t) {
  if (t >= 0 && t <= wfileInternal) return protocolNames[t];
  return "file";
}

// The prefix a protocol-less base receives for the default protocol.
const char *protocolPrefix(int t) {
  switch (t) {
    case wfileHttp: return "http://";
    case wfileFtp: return "ftp://";
    case wfileMailto: return "mailto:";
    case wfileNull: return "null://";
    case wfileInternal: return "internal://";
    default: return "file://";
  }
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char upper(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

// A Windows drive path: a letter and ":" (or "|") at its start, or after one
// leading slash.
bool isDrivePath(const char *s) {
  if (isLetter(s[0]) && (s[1] == ':' || s[1] == '|')) return true;
  return (s[0] == '/' || s[0] == '\\') && isLetter(s[1]) && (s[2] == ':' || s[2] == '|');
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Replaces "%" followed by two hexadecimal digits with that byte, in place.
void percentDecode(char *s) {
  char *out = s;
  for (const char *in = s; *in;) {
    int hi, lo;
    if (in[0] == '%' && (hi = hexValue(in[1])) >= 0 && (lo = hexValue(in[2])) >= 0) {
      *out++ = (char)(hi * 16 + lo);
      in += 3;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
}

void setError(wfileInfo *wfi, const char *text) {
  if (wfi) strcpyMax(wfi->error, sizeof wfi->error, text);
}

// The read transport of a local file.
int localRead(wfileStruct *wf, void *, char *buffer, int length) {
  for (;;) {
    ssize_t n = ::read(wf->fd, buffer, (size_t)length);
    if (n > 0) return (int)n;
    if (n == 0) {
      setError(wf->infoPtr, "End Of File");
      wf->infoPtr->eof = 1;
      return -1;
    }
    if (errno == EINTR) continue;
    setError(wf->infoPtr, "Disk I/O Error");
    return -1;
  }
}

// The read transport of a memory stream.
int memoryRead(wfileStruct *wf, void *handle, char *buffer, int length) {
  memorySource *m = (memorySource *)handle;
  int left = m->length - m->pos;
  if (left <= 0) {
    setError(wf->infoPtr, "End Of File");
    wf->infoPtr->eof = 1;
    return -1;
  }
  int n = length < left ? length : left;
  std::memcpy(buffer, m->bytes + m->pos, (size_t)n);
  m->pos += n;
  return n;
}

// Fills the input buffer from the transport; a negative result marks an error
// pending and leaves the buffer as it was.
void refill(wfileStruct *wf) {
  if (!wf->readData) {
    wf->errorPending = 1;
    return;
  }
  int n = wf->readData(wf, wf->readDataFrom, wf->inputBuffer, wfileBufferSize);
  if (n < 0) {
    wf->errorPending = 1;
    return;
  }
  wf->bufferPos = 0;
  wf->bufferLen = n;
}

streamBox *newStream(wfileInfo *&infoPtr) {
  streamBox *box = (streamBox *)std::calloc(1, sizeof(streamBox));
  if (!box) {
    setError(infoPtr, "Out of Memory");
    return nullptr;
  }
  if (!infoPtr) infoPtr = &box->ownInfo;
  wfileStruct *wf = &box->wf;
  wf->unget = -1;
  wf->t = wfileUnknown;
  infoPtr->t = wfileUnknown;
  wf->isDirectory = 0;
  infoPtr->isDirectory = 0;
  wf->fd = wf->s = wf->cs = -1;
  wf->start = platform->now();
  wf->infoPtr = infoPtr;
  return box;
}

// Opens a local file for the mode; 1 on success.
int localOpen(wfileStruct *wf, const char *mode, wfileInfo *wfi) {
  int flags = 0;
  bool update = std::strchr(mode, '+') != nullptr;
  if (mode[0] == 'w') flags = O_CREAT | O_TRUNC;
  else if (mode[0] == 'a') flags = O_CREAT | O_APPEND;
  if (update) flags |= O_RDWR;
  else if (mode[0] == 'w' || mode[0] == 'a') flags |= O_WRONLY;
  else flags |= O_RDONLY;
  int attempts = wfi->retry ? 10 : 1;
  for (int i = 0; i < attempts; i++) {
    if (i > 0) usleep(25000);
    int notRegular = 0;
    int fd = wfileOpenRegular(wfi->path, flags, &notRegular);
    if (notRegular) {
      // Folders, pipes and devices are not read as streams.
      setError(wfi, "Not a regular file");
      return 0;
    }
    if (fd < 0) continue;
    wf->fd = fd;
    wf->readData = localRead;
    wf->readDataFrom = nullptr;
    return 1;
  }
  setError(wfi, "Disk I/O Error");
  return 0;
}

}  // namespace

int wfileOpenRegular(const char *path, int flags, int *notRegular) {
  if (notRegular) *notRegular = 0;
  if (!path) {
    errno = EINVAL;
    return -1;
  }
  int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, S_IRWXU);
  if (fd < 0) {
    // A pipe opened for writing without a reader, or a folder opened for writing.
    if (errno == ENXIO || errno == EISDIR) {
      struct stat st;
      if (notRegular && stat(path, &st) == 0 && !S_ISREG(st.st_mode)) *notRegular = 1;
    }
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    const int why = errno;
    ::close(fd);
    errno = why;
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    if (notRegular) *notRegular = 1;
    ::close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  if (!(flags & O_NONBLOCK)) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FILE *wfileOpenRegularStream(const char *path, int *notRegular) {
  int fd = wfileOpenRegular(path, O_RDONLY, notRegular);
  if (fd < 0) return nullptr;
  FILE *f = fdopen(fd, "rb");
  if (!f) ::close(fd);
  return f;
}

int urlHasProtocol(const char *s) {
  if (!s) return 0;
  for (int i = 0; s[i]; i++) {
    if (s[i] == '?' || s[i] == '/') return 0;
    if (s[i] == ':' && i >= 2) return 1;
  }
  return 0;
}

int isRootedPath(const char *s) {
  if (!s) return 0;
  if (s[0] == '/' || s[0] == '\\') return 1;
  return s[0] && (s[1] == ':' || s[1] == '|');
}

void wfileFormatCompleteUrl(wfileInfo *wfi) {
  char user[600] = "";
  if (wfi->name[0]) sprintfMax(user, sizeof user, "%s:%s@", wfi->name, wfi->password);
  char *out = wfi->completeUrl;
  int space = sizeof wfi->completeUrl;
  switch (wfi->t) {
    case wfileLocal: {
      char p[3 * urlSpace + 1];
      int n = 0;
      bool drive = isDrivePath(wfi->path);
      for (int i = 0; wfi->path[i] && n < (int)sizeof p - 4; i++) {
        char c = wfi->path[i];
        if (c == '\\') c = '/';
        if (c == ':' && i < 4 && drive) c = '|';
        if (c == ' ') {
          p[n++] = '%';
          p[n++] = '2';
          p[n++] = '0';
        } else {
          p[n++] = c;
        }
      }
      p[n] = 0;
      sprintfMax(out, space, p[0] == '/' ? "file://%s" : "file:///%s", p);
      break;
    }
    case wfileHttp:
      sprintfMax(out, space, "http://%s%s:%d%s", user, wfi->site, wfi->port, wfi->path);
      break;
    case wfileFtp: sprintfMax(out, space, "ftp://%s%s%s", user, wfi->site, wfi->path); break;
    case wfileMailto: sprintfMax(out, space, "mailto:%s", wfi->path); break;
    case wfileNull: sprintfMax(out, space, "null://%s", wfi->path); break;
    case wfileInternal:
      sprintfMax(out, space, "internal://%s%s%s", user, wfi->site, wfi->path);
      break;
    default: out[0] = 0; break;
  }
}

int wfileParseUrl(const char *url, wfileInfo *wfi) {
  if (!wfi) return -1;
  if (!url) url = "";
  char T[urlSpace];
  char *base = wfi->base;
  const int baseSpace = sizeof wfi->base;

  // Resolution against the base.
  if (base[0]) {
    replaceChar(base, '\\', '/');
    if (base[1] == ':') base[1] = '|';
    if (!urlHasProtocol(base)) {
      char tmp[urlSpace];
      sprintfMax(tmp, sizeof tmp, "%s%s", protocolPrefix(wfileDefaultProtocol), base);
      strcpyMax(base, baseSpace, tmp);
    }
  }
  if (!base[0] && wfileDefaultProtocol == wfileLocal) {
    char cwd[urlSpace];
    if (getcwd(cwd, sizeof cwd)) {
      replaceChar(cwd, '\\', '/');
      replaceChar(cwd, ':', '|');
      char tmp[urlSpace];
      sprintfMax(tmp, sizeof tmp, "file://%s%s", cwd[0] == '/' ? "" : "/", cwd);
      int n = (int)std::strlen(tmp);
      if (n == 0 || tmp[n - 1] != '/') strcatMax(tmp, sizeof tmp, "/");
      strcpyMax(base, baseSpace, tmp);
    }
  }
  if (!base[0] || urlHasProtocol(url)) {
    strcpyMax(T, sizeof T, url);
  } else {
    char *cut = std::strchr(base, '#');
    if (cut) *cut = 0;
    cut = std::strchr(base, '?');
    if (cut) *cut = 0;
    if (url[0] == '#') {
      sprintfMax(T, sizeof T, "%s%s", base, url);
    } else if (isRootedPath(url)) {
      strcpyMax(T, sizeof T, base);
      if (std::strncmp(T, "file://", 7) == 0 && isLetter(T[7]) && (T[8] == ':' || T[8] == '|')) {
        T[7] = 0;
      } else {
        char *sep = std::strstr(T, "://");
        if (!sep) {
          sprintfMax(wfi->error, sizeof wfi->error, "The URL %s is not valid.", base);
          return -1;
        }
        char *slash = std::strchr(sep + 3, '/');
        if (slash) *slash = 0;
      }
      strcatMax(T, sizeof T, url);
    } else {
      strcpyMax(T, sizeof T, base);
      const char *rel = url;
      for (int pass = 0;; pass++) {
        char *sep = std::strstr(T, "://");
        if (!sep) {
          sprintfMax(wfi->error, sizeof wfi->error, "The URL %s is not valid.", base);
          return -1;
        }
        if (std::strchr(sep + 3, '/')) {
          *std::strrchr(T, '/') = 0;
        } else if (pass > 0) {
          strcpyMax(wfi->error, sizeof wfi->error,
                    "Too many occurrences of ../ in a relative URL. The URL is not valid.");
          return -1;
        }
        if (std::strncmp(rel, "../", 3) != 0) break;
        rel += 3;
      }
      if (std::strncmp(rel, "./", 2) == 0) rel += 2;
      strcatMax(T, sizeof T, "/");
      strcatMax(T, sizeof T, rel);
    }
  }

  // Decomposition of T.
  if (isLetter(T[0]) && T[1] == ':') T[1] = '|';

  wfi->name[0] = wfi->password[0] = wfi->site[0] = wfi->path[0] = wfi->anchor[0] = 0;
  wfi->noproxy = 0;
  char pname[urlSpace];
  const char *R;
  char *colon = std::strchr(T, ':');
  if (!colon) {
    wfi->t = wfileDefaultProtocol;
    strcpyMax(pname, sizeof pname, protocolName(wfi->t));
    R = T;
  } else {
    strncpyMax(pname, sizeof pname, T, (int)(colon - T));
    const char *rest = colon + 1;
    if (std::strcmp(pname, "mailto") == 0) wfi->t = wfileMailto;
    else if (std::strcmp(pname, "null") == 0) wfi->t = wfileNull;
    else if (std::strcmp(pname, "http") == 0) wfi->t = wfileHttp;
    else if (std::strcmp(pname, "ftp") == 0) wfi->t = wfileFtp;
    else if (std::strcmp(pname, "file") == 0) wfi->t = wfileLocal;
    else if (std::strcmp(pname, "internal") == 0) wfi->t = wfileInternal;
    else {
      strcpyMax(wfi->error, sizeof wfi->error,
                "Sorry, only http:, ftp:, file:, mailto:, internal:, and null: URLs are supported.");
      return -1;
    }
    if (wfi->t == wfileMailto || wfi->t == wfileNull) {
      R = rest;
    } else {
      if (rest[0] != '/' || rest[1] != '/') {
        strcpyMax(wfi->error, sizeof wfi->error, "Protocol: not followed by //");
        return -1;
      }
      R = rest + 2;
    }
  }

  if (wfi->t == wfileMailto || wfi->t == wfileNull) {
    wfi->noproxy = 1;
    strcpyMax(wfi->path, sizeof wfi->path, R);
  } else {
    char H[urlSpace] = "";
    bool ftpEmptyPath = false;
    if (wfi->t != wfileLocal && wfi->t != wfileInternal) {
      const char *slash = std::strchr(R, '/');
      if (slash) {
        strncpyMax(H, sizeof H, R, (int)(slash - R));
        R = slash;
      } else {
        strcpyMax(H, sizeof H, R);
        R = "";
        ftpEmptyPath = wfi->t == wfileFtp;
      }
      if (!H[0]) {
        strcpyMax(wfi->error, sizeof wfi->error, "The URL was incomplete.");
        return -1;
      }
    }
    char *at = std::strrchr(H, '@');
    if (at) {
      *at = 0;
      char *pc = std::strchr(H, ':');
      if (pc) {
        *pc = 0;
        strcpyMax(wfi->password, sizeof wfi->password, pc + 1);
      }
      strcpyMax(wfi->name, sizeof wfi->name, H);
      std::memmove(H, at + 1, std::strlen(at + 1) + 1);
    }
    char *pc = std::strchr(H, ':');
    if (pc) {
      *pc = 0;
      wfi->port = std::atoi(pc + 1);
    } else {
      wfi->port = wfi->t == wfileFtp ? 21 : 80;
    }
    strcpyMax(wfi->site, sizeof wfi->site, H);

    if (R[0] == '/' && isLetter(R[1]) && (R[2] == ':' || R[2] == '|')) {
      strcpyMax(wfi->path, sizeof wfi->path, R + 1);
      wfi->path[0] = upper(wfi->path[0]);
      wfi->path[1] = ':';
    } else if (isLetter(R[0]) && (R[1] == ':' || R[1] == '|')) {
      strcpyMax(wfi->path, sizeof wfi->path, R);
      wfi->path[0] = upper(wfi->path[0]);
      wfi->path[1] = ':';
    } else if (R[0] == '/' || R[0] == '\\') {
      strcpyMax(wfi->path, sizeof wfi->path, R);
    } else if (ftpEmptyPath) {
      wfi->path[0] = 0;
    } else {
      sprintfMax(wfi->path, sizeof wfi->path, "/%s", R);
    }
  }

  wfileFormatCompleteUrl(wfi);
  char *hash = std::strchr(wfi->path, '#');
  if (hash) {
    strcpyMax(wfi->anchor, sizeof wfi->anchor, hash + 1);
    *hash = 0;
  }
  strcpyMax(wfi->protocol, sizeof wfi->protocol, pname);
  // A local Windows path takes backslashes and its drive colon; a POSIX path
  // stays as it is.
  if (wfi->t == wfileLocal && isDrivePath(wfi->path)) {
    replaceChar(wfi->path, '/', '\\');
    replaceChar(wfi->path, '|', ':');
  }
  percentDecode(wfi->path);
  return 0;
}

wfileStruct *wfileOpen(const char *url, const char *mode, wfileInfo *infoPtr) {
  streamBox *box = newStream(infoPtr);
  if (!box) return nullptr;
  wfileStruct *wf = &box->wf;
  if (!mode || !mode[0]) {
    setError(infoPtr, "Invalid Mode");
    std::free(box);
    return nullptr;
  }
  if (wfileParseUrl(url, infoPtr) != 0) {
    std::free(box);
    return nullptr;
  }
  wf->t = infoPtr->t;
  wf->depth++;
  if (wf->t != wfileLocal) {
    setError(infoPtr, "Sorry, only local files can be opened.");
    std::free(box);
    return nullptr;
  }
  if (!localOpen(wf, mode, infoPtr)) {
    std::free(box);
    return nullptr;
  }
  infoPtr->contentType[0] = 0;
  const char *dot = std::strrchr(infoPtr->path, '.');
  if (dot)
    for (const wfileMimeEntry *m = wfileMimeMap; m->extension; m++)
      if (strncmpNoCase(dot + 1, m->extension, 1 << 30) == 0) {
        strcpyMax(infoPtr->contentType, sizeof infoPtr->contentType, m->type);
        break;
      }
  wfileOpenCount++;
  return wf;
}

wfileStruct *wfileOpenMemory(const void *bytes, int length, wfileInfo *infoPtr) {
  streamBox *box = newStream(infoPtr);
  if (!box) return nullptr;
  wfileStruct *wf = &box->wf;
  box->memory.bytes = (const unsigned char *)bytes;
  box->memory.length = bytes && length > 0 ? length : 0;
  box->memory.pos = 0;
  wf->t = wfileLocal;
  infoPtr->t = wfileLocal;
  wf->readData = memoryRead;
  wf->readDataFrom = &box->memory;
  wfileOpenCount++;
  return wf;
}

int wfilePreClose(wfileStruct *wf) {
  if (!wf) return -1;
  if (wf->closed) return 0;
  wf->closed = 1;
  int result = 0;
  if (wf->fd >= 0) {
    if (::close(wf->fd) != 0) result = -1;
    wf->fd = -1;
  }
  wf->readData = nullptr;
  return result;
}

int wfileClose(wfileStruct *wf) {
  if (!wf) return -1;
  int result = wfilePreClose(wf);
  wfileOpenCount--;
  std::free((streamBox *)wf);
  return result;
}

int wfileRead(wfileStruct *wf, char *buffer, int amount) {
  if (!wf || amount <= 0) return 0;
  int done = 0;
  if (wf->unget >= 0) {
    buffer[done++] = (char)wf->unget;
    wf->unget = -1;
  }
  while (done < amount) {
    int avail = wf->bufferLen - wf->bufferPos;
    if (avail > 0) {
      int n = amount - done < avail ? amount - done : avail;
      std::memcpy(buffer + done, wf->inputBuffer + wf->bufferPos, (size_t)n);
      wf->bufferPos += n;
      done += n;
      continue;
    }
    if (wf->errorPending) break;
    if (amount - done >= wfileBufferSize && wf->readData) {
      // A large request goes straight into the caller's buffer.
      int n = wf->readData(wf, wf->readDataFrom, buffer + done, amount - done);
      if (n < 0) wf->errorPending = 1;
      else done += n;
      continue;
    }
    refill(wf);
  }
  if (done == 0) {
    if (wf->errorPending) {
      wf->errorPending = 0;
      return -1;
    }
    return 0;
  }
  wf->pos += done;
  return done;
}

int wfileReadPartial(wfileStruct *wf, char *buffer, int amount) {
  if (!wf || amount <= 0) return 0;
  int done = 0;
  if (wf->unget >= 0) {
    buffer[done++] = (char)wf->unget;
    wf->unget = -1;
  }
  int avail = wf->bufferLen - wf->bufferPos;
  int n = amount - done < avail ? amount - done : avail;
  if (n > 0) {
    std::memcpy(buffer + done, wf->inputBuffer + wf->bufferPos, (size_t)n);
    wf->bufferPos += n;
    done += n;
  }
  if (wf->bufferPos >= wf->bufferLen && !wf->errorPending) refill(wf);
  if (done == 0) {
    if (wf->errorPending) {
      wf->errorPending = 0;
      return -1;
    }
    return 0;
  }
  wf->pos += done;
  return done;
}

int wfileReadWrapper(void *context, char *buffer, int amount) {
  wfileStruct *wf = (wfileStruct *)context;
  int n = wfileRead(wf, buffer, amount);
  if (n < 0 && wf && wf->infoPtr->eof) return 0;
  return n;
}

int wfileGetC(wfileStruct *wf) {
  unsigned char c;
  if (wfileRead(wf, (char *)&c, 1) != 1) return -1;
  return c;
}

void wfileUnGetC(wfileStruct *wf, int c) {
  if (!wf) return;
  if (wf->unget < 0) wf->pos--;
  wf->unget = c & 0xff;
}

int wfileReadLine(wfileStruct *in, char *s, int space) {
  int n = 0;
  bool any = false;
  for (;;) {
    int c = wfileGetC(in);
    if (c < 0) break;
    any = true;
    if (c == '\n') break;
    if (c == '\r') {
      int d = wfileGetC(in);
      if (d >= 0 && d != '\n') wfileUnGetC(in, d);
      break;
    }
    if (n < space - 1) s[n++] = (char)c;
  }
  if (space > 0) s[n] = 0;
  return any ? 0 : -1;
}

wfileInfo *wfileGetInfo(wfileStruct *wf) { return wf ? wf->infoPtr : nullptr; }
