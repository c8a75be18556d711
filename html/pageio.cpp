// pageio.cpp: reading a page into a document, writing a document, the safe
// replacement of a file on disk, and the recovery of a page whose save did not
// finish. Owns pageFaultStep, pageFaultErrno, pageFaultKill, pageSaveKept.
#include "html/pageio.h"

#include <cerrno>
#include <cstdlib>
#include <climits>
#include <ctime>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/strhack.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

int pageFaultStep = pageFaultNone;
int pageFaultErrno = 0;
int pageFaultKill = 0;
char pageSaveKept[1024] = "";
const char *const pageNotRegularText =
    "That is not a page file. Tilvane reads pages only from ordinary files, not from folders, devices "
    "or pipes.";

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
        htmlSourceSkip(doc);
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
      htmlSourceSkip(doc);
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
  // Each CR LF pair reaches the reader as its LF; the reader is told of every
  // CR left out, so that its offsets count in the bytes of the file.
  size_t run = i;
  for (; i < n; i++) {
    if (data[i] != '\r') continue;
    if (i + 1 == n) {
      le.pendingCR = true;
      break;
    }
    if (data[i + 1] != '\n') continue;
    htmlResult r = htmlAppendText(doc, data + run, static_cast<int>(i - run));
    if (r != htmlSuccess) return r;
    htmlSourceSkip(doc);
    run = i + 1;  // the LF that follows stands for the pair
  }
  return htmlAppendText(doc, data + run, static_cast<int>(i - run));
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
  if (pageFaultKill || !(pageFaultStep & stepId)) return 0;
  errno = pageFaultErrno ? pageFaultErrno : EIO;
  return 1;
}

// Whether a test stops the save at this step, as a kill would.
int killedAt(int stepId) { return pageFaultKill && (pageFaultStep & stepId); }

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
  lineEnds le;
  // The source is kept whole: a regular file's room is taken at once, with a
  // byte more for the read that finds its end.
  struct stat st;
  if (fstat(fileno(in), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    off_t at = ftello(in);
    if (at >= 0 && at < st.st_size &&
        htmlSourceReserve(doc, static_cast<long long>(st.st_size - at) + 1) != htmlSuccess)
      return htmlMemory;
  }
  // Each chunk is read straight into the source's room and fed from there.
  const long long chunk = pageChunkSize;
  for (;;) {
    long long room = doc->sourceSpace - doc->sourceLength - 1;
    if (room <= 0) {
      // A stream of unknown length: the room doubles.
      room = doc->sourceLength > chunk ? doc->sourceLength : chunk;
      if (htmlSourceReserve(doc, room) != htmlSuccess) return htmlMemory;
    }
    const size_t want = static_cast<size_t>(room < chunk ? room : chunk);
    char *at = doc->source + doc->sourceLength;
    const size_t got = std::fread(at, 1, want, in);
    if (got > 0) {
      htmlResult kept = htmlSourceAppend(doc, at, static_cast<long long>(got));
      if (kept != htmlSuccess) return kept;
      htmlResult r = feedChunk(doc, le, at, got);
      if (r != htmlSuccess) return r;
    }
    if (got < want) {
      if (std::ferror(in)) return htmlIO;
      break;
    }
  }
  return feedEnd(doc, le, crlf);
}

htmlResult pageFeedBuffer(htmlPtr doc, const char *data, size_t length, int *crlf) {
  if (!doc || (!data && length)) return htmlBadArguments;
  lineEnds le;
  if (length && htmlSourceReserve(doc, static_cast<long long>(length)) != htmlSuccess) return htmlMemory;
  for (size_t at = 0; at < length; at += static_cast<size_t>(pageChunkSize)) {
    size_t chunk = static_cast<size_t>(pageChunkSize);
    size_t n = length - at < chunk ? length - at : chunk;
    htmlResult kept = htmlSourceAppend(doc, data + at, static_cast<long long>(n));
    if (kept != htmlSuccess) return kept;
    htmlResult r = feedChunk(doc, le, data + at, n);
    if (r != htmlSuccess) return r;
  }
  return feedEnd(doc, le, crlf);
}

htmlResult pageWriteExact(htmlPtr doc, FILE *out) {
  if (!doc || !out) return htmlBadArguments;
  if (!htmlSourceComplete(doc)) return pageWrite(doc, out);
  htmlResult r = htmlLeadingWriteExact(doc, out);
  for (htmlTagPtr t = doc->first; t && r == htmlSuccess; t = t->n) r = htmlTagWriteExact(t, out);
  if (r != htmlSuccess) return r;
  return std::ferror(out) ? htmlIO : htmlSuccess;
}

htmlResult pageWrite(htmlPtr doc, FILE *out) {
  if (!doc || !out) return htmlBadArguments;
  if (doc->leadingComments && doc->leadingCommentsLength > 0)
    std::fwrite(doc->leadingComments, 1, static_cast<size_t>(doc->leadingCommentsLength), out);
  // Entries whose source bytes are what htmlTagWrite writes for them go out
  // from the source, each unbroken run of them at once.
  const bool fromSource = htmlSourceComplete(doc) != 0;
  long long runFrom = 0, runTo = 0;
  for (htmlTagPtr t = doc->first; t; t = t->n) {
    // The common case, a plain tag left as read with its text still in the
    // source, is told by its flags alone.
    const long long end = !fromSource                                   ? -1
                          : t->sourceForm && !t->edited && t->textPending ? t->sourceTagEnd + t->textLength
                                                                          : htmlTagSourceOutputEnd(t);
    if (end >= 0) {
      if (runTo <= runFrom || runTo != t->sourceStart) {
        if (runTo > runFrom) std::fwrite(doc->source + runFrom, 1, static_cast<size_t>(runTo - runFrom), out);
        runFrom = t->sourceStart;
      }
      runTo = end;
      continue;
    }
    if (runTo > runFrom) std::fwrite(doc->source + runFrom, 1, static_cast<size_t>(runTo - runFrom), out);
    runFrom = runTo = 0;
    htmlResult r = htmlTagWrite(t, out);
    if (r != htmlSuccess) return r;
  }
  if (runTo > runFrom) std::fwrite(doc->source + runFrom, 1, static_cast<size_t>(runTo - runFrom), out);
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

namespace {

// The temporary file of a save is named "." + the file's name + tempMark +
// six letters or digits; the backup of a save in place uses backupMark.
const char tempMark[] = ".tilvane-";
const char backupMark[] = ".tilvane~";

// The start of a temporary name beside the file base in folder. The file's
// name is shortened (at a character boundary) when the whole temporary name
// would pass the folder's limit on the length of a name.
std::string tempPrefix(const std::string &folder, const std::string &base, const char *mark) {
  long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0) limit = NAME_MAX;
  long room = limit - 1 - static_cast<long>(std::strlen(mark)) - 6;
  std::string name = base;
  if (room < 0) room = 0;
  if (name.size() > static_cast<size_t>(room)) {
    size_t cut = static_cast<size_t>(room);
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) cut--;
    name.resize(cut);
  }
  return "." + name + mark;
}

bool leftoverName(const char *name, const std::string &prefix) {
  if (std::strlen(name) != prefix.size() + 6 || std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
    return false;
  for (const char *c = name + prefix.size(); *c; c++)
    if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))) return false;
  return true;
}

// Removes the temporary files that saves killed before they ended have left
// in folder under names that begin with prefix: our own regular files of
// exactly that pattern, not changed for a minute (a younger one may belong to
// a save still running).
void removeLeftovers(const std::string &folder, const std::string &prefix) {
  DIR *dir = opendir(folder.c_str());
  if (!dir) return;
  const time_t now = time(nullptr);
  while (dirent *e = readdir(dir)) {
    if (!leftoverName(e->d_name, prefix)) continue;
    std::string p = folder + "/" + e->d_name;
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) continue;
    if (now - st.st_mtime < 60) continue;
    unlink(p.c_str());
  }
  closedir(dir);
}

// Whether the file may be written. A file that nobody may write is left alone
// even by the superuser, whom the permissions do not bind.
bool mayWrite(const std::string &target, const struct stat &st) {
  if ((st.st_mode & 0222) == 0) return false;
  return access(target.c_str(), W_OK) == 0;
}

// Copies the extended attributes of a file, access control lists included, to
// the new file. One that the file system or the user cannot set is left out.
void copyAttributes(const char *from, int to) {
  ssize_t size = listxattr(from, nullptr, 0);
  if (size <= 0) return;
  std::vector<char> names(static_cast<size_t>(size));
  size = listxattr(from, names.data(), names.size());
  if (size <= 0) return;
  std::vector<char> value;
  for (size_t at = 0; at < static_cast<size_t>(size); at += std::strlen(names.data() + at) + 1) {
    const char *name = names.data() + at;
    ssize_t n = getxattr(from, name, nullptr, 0);
    if (n < 0) continue;
    value.resize(static_cast<size_t>(n) + 1);
    n = getxattr(from, name, value.data(), value.size());
    if (n < 0) continue;
    fsetxattr(to, name, value.data(), static_cast<size_t>(n), 0);
  }
}

int writeAll(int fd, const char *data, size_t length, off_t at) {
  while (length > 0) {
    ssize_t w = pwrite(fd, data, length, at);
    if (w < 0) {
      if (errno == EINTR) continue;
      return 0;
    }
    data += w;
    length -= static_cast<size_t>(w);
    at += w;
  }
  return 1;
}

// Copies the whole content of one file to another (from the start of each).
int copyContent(int from, int to, off_t *copied) {
  std::vector<char> buffer(1 << 16);
  off_t at = 0;
  for (;;) {
    ssize_t got = pread(from, buffer.data(), buffer.size(), at);
    if (got < 0) {
      if (errno == EINTR) continue;
      return 0;
    }
    if (got == 0) break;
    if (!writeAll(to, buffer.data(), static_cast<size_t>(got), at)) return 0;
    at += got;
  }
  if (copied) *copied = at;
  return 1;
}

// The folder that keeps the backups of files whose own folder takes no new
// file: $XDG_STATE_HOME/tilvane, or ~/.local/state/tilvane; made when missing
// and make is set. Empty when there is no home to put it in.
std::string stateFolder(bool make) {
  std::string top;
  const char *xdg = std::getenv("XDG_STATE_HOME");
  if (xdg && xdg[0] == '/') {
    top = xdg;
  } else {
    const char *home = std::getenv("HOME");
    if (!home || !*home) return std::string();
    top = std::string(home) + "/.local/state";
  }
  std::string folder = top + "/tilvane";
  if (make)
    for (size_t at = 1; at <= folder.size(); at++)
      if (at == folder.size() || folder[at] == '/') mkdir(folder.substr(0, at).c_str(), 0700);
  return folder;
}

// The start of the names under which the state folder keeps a file's backups:
// the file's absolute path with "%" written "%25" and "/" written "%2F", so
// that the name tells the page. A path too long for one name keeps its end,
// after a hash of the whole path.
std::string statePrefix(const std::string &folder, const std::string &target, const char *mark) {
  std::string full = target;
  if (full.empty() || full[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) full = std::string(cwd) + "/" + full;
  }
  std::string escaped;
  for (char c : full) {
    if (c == '%')
      escaped += "%25";
    else if (c == '/')
      escaped += "%2F";
    else
      escaped += c;
  }
  long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0) limit = NAME_MAX;
  const size_t room = static_cast<size_t>(limit) - std::strlen(mark) - 6;
  if (escaped.size() > room) {
    unsigned long long h = 1469598103934665603ULL;
    for (unsigned char c : full) {
      h ^= c;
      h *= 1099511628211ULL;
    }
    char hash[24];
    std::snprintf(hash, sizeof hash, "%016llx-", h);
    size_t from = escaped.size() - (room - std::strlen(hash));
    while (from < escaped.size() && (static_cast<unsigned char>(escaped[from]) & 0xC0) == 0x80) from++;
    escaped = hash + escaped.substr(from);
  }
  return escaped + mark;
}

void syncFolder(const std::string &folder) {
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

// Whether a running save holds the backup (it keeps it locked while it runs).
bool backupInUse(const std::string &p) {
  int fd = open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool busy = flock(fd, LOCK_SH | LOCK_NB) != 0;
  close(fd);
  return busy;
}

struct backupFile {
  std::string path;
  struct stat st;
};

// The backups of the file target, beside it and in the state folder: our own
// regular files named as saveInPlace names them, not held by a running save.
std::vector<backupFile> backupsOf(const std::string &target) {
  std::vector<backupFile> found;
  const std::string folder = folderOf(target);
  size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  const std::string state = stateFolder(false);
  const std::pair<std::string, std::string> places[] = {
      {folder, tempPrefix(folder, base, backupMark)},
      {state, state.empty() ? std::string() : statePrefix(state, target, backupMark)}};
  for (const auto &place : places) {
    if (place.first.empty() || place.second.empty()) continue;
    DIR *dir = opendir(place.first.c_str());
    if (!dir) continue;
    while (dirent *e = readdir(dir)) {
      if (!leftoverName(e->d_name, place.second)) continue;
      backupFile b;
      b.path = place.first + "/" + e->d_name;
      if (lstat(b.path.c_str(), &b.st) != 0 || !S_ISREG(b.st.st_mode) || b.st.st_uid != geteuid()) continue;
      if (backupInUse(b.path)) continue;
      found.push_back(b);
    }
    closedir(dir);
  }
  return found;
}

void removeBackups(const std::string &target) {
  for (const backupFile &b : backupsOf(target)) {
    unlink(b.path.c_str());
    syncFolder(folderOf(b.path));
  }
}

// Makes the backup of the file open at fd. Its content goes to a new file,
// named as a temporary file and locked while the save runs; once synced, that
// file takes its backup name and the folder is synced, so that a backup under
// its name is always whole. It is made beside the file, or in the state folder
// when the file's folder takes no new file. 1 with *copy open on the backup;
// 0 on failure (errno tells why); -1 when a test stops the save here.
int makeBackup(int fd, const std::string &target, const std::string &folder, const std::string &base,
               int *copy, std::string &backup, off_t *oldSize) {
  std::string place = folder, temp = folder + "/" + tempPrefix(folder, base, tempMark);
  backup = folder + "/" + tempPrefix(folder, base, backupMark);
  std::vector<char> name(temp.begin(), temp.end());
  name.insert(name.end(), {'X', 'X', 'X', 'X', 'X', 'X', 0});
  *copy = faultAt(pageFaultCreate) ? -1 : mkostemp(name.data(), O_CLOEXEC);
  if (*copy < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    place = stateFolder(true);
    if (place.empty()) return 0;
    temp = place + "/" + statePrefix(place, target, tempMark);
    backup = place + "/" + statePrefix(place, target, backupMark);
    name.assign(temp.begin(), temp.end());
    name.insert(name.end(), {'X', 'X', 'X', 'X', 'X', 'X', 0});
    *copy = faultAt(pageFaultCreate) ? -1 : mkostemp(name.data(), O_CLOEXEC);
  }
  if (*copy < 0) return 0;
  backup += name.data() + temp.size();
  flock(*copy, LOCK_EX | LOCK_NB);
  if (killedAt(pageFaultCreate)) {
    std::vector<char> half(4096);
    ssize_t got = pread(fd, half.data(), half.size(), 0);
    if (got > 0) writeAll(*copy, half.data(), static_cast<size_t>(got / 2 + 1), 0);
    return -1;
  }
  if (!copyContent(fd, *copy, oldSize) || fsync(*copy) != 0 || rename(name.data(), backup.c_str()) != 0) {
    int why = errno;
    close(*copy);
    *copy = -1;
    unlink(name.data());
    errno = why;
    return 0;
  }
  syncFolder(place);
  return killedAt(pageFaultRename) ? -1 : 1;
}

// Writes the new content into the file itself. This keeps what a new file
// could not: the other names of a file with hard links, an owner or group that
// the user cannot give, a place in a folder that takes no new file. The old
// content goes first to a backup (makeBackup), which stays until the new
// content is written and synced: a save that is stopped leaves either the old
// file, or the new one, or a backup that the next opening offers to restore
// (pageRecoverOffer). A failure puts the old content back; should that fail
// too, the backup stays and pageSaveKept names it.
int saveInPlace(const std::string &target, const std::string &folder, const std::string &base,
                const struct stat &old, const char *data, size_t length, int crlf, FILE **stream,
                char *reason, int reasonSize) {
  int fd = -1;
  bool own = true;
  struct stat held;
  if (stream && *stream && fstat(fileno(*stream), &held) == 0 && held.st_dev == old.st_dev &&
      held.st_ino == old.st_ino) {
    fd = fileno(*stream);  // the page's own stream, which holds its lock
    own = false;
  } else {
    fd = open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
      setReason(reason, reasonSize, errno);
      return 0;
    }
    if (stream && flock(fd, LOCK_EX | LOCK_NB) != 0) {
      setReason(reason, reasonSize, errno);
      close(fd);
      return 0;
    }
  }
  int copy = -1;
  auto finish = [&](int why) {
    if (copy >= 0) close(copy);
    if (own) close(fd);
    setReason(reason, reasonSize, why);
    return 0;
  };
  // A test's stop: everything stays as a killed process leaves it.
  auto stopped = [&]() { return finish(EINTR); };

  std::string backup;
  off_t oldSize = 0;
  int made = makeBackup(fd, target, folder, base, &copy, backup, &oldSize);
  if (made < 0) return stopped();
  if (!made) return finish(errno);

  std::string converted;
  if (crlf) {
    converted.reserve(length + length / 16);
    for (size_t i = 0; i < length; i++) {
      if (data[i] == '\n') converted += '\r';
      converted += data[i];
    }
    data = converted.data();
    length = converted.size();
  }
  if (killedAt(pageFaultWrite)) {
    writeAll(fd, data, length / 2, 0);
    return stopped();
  }
  int why = 0;
  if (faultAt(pageFaultWrite) || !writeAll(fd, data, length, 0) ||
      ftruncate(fd, static_cast<off_t>(length)) != 0)
    why = errno ? errno : EIO;
  else if (killedAt(pageFaultSync))
    return stopped();
  else if (faultAt(pageFaultSync) || fsync(fd) != 0)
    why = errno ? errno : EIO;
  if (why) {
    bool restored = !faultAt(pageFaultRestore) && copyContent(copy, fd, nullptr) &&
                    ftruncate(fd, oldSize) == 0 && fsync(fd) == 0;
    if (restored) {
      unlink(backup.c_str());
      syncFolder(folderOf(backup));
      return finish(why);
    }
    // The backup stays, unlocked once closed, for the next opening to offer.
    finish(why);
    strcpyMax(pageSaveKept, sizeof pageSaveKept, backup.c_str());
    if (reason && reasonSize > 0) {
      char kept[PATH_MAX + 64];
      sprintfMax(kept, sizeof kept, "%s (the old content is kept in %s)", std::strerror(why), backup.c_str());
      strcpyMax(reason, reasonSize, kept);
    }
    return 0;
  }
  unlink(backup.c_str());
  syncFolder(folderOf(backup));
  close(copy);
  copy = -1;

  if (!own) {
    std::rewind(*stream);
  } else if (stream) {
    FILE *f = fdopen(fd, "r+b");
    if (!f) return finish(errno);  // the new content is in place; only the stream is missing
    if (*stream) std::fclose(*stream);
    *stream = f;
  } else {
    close(fd);
  }
  return 1;
}

// Removes the temporary files of killed saves of the file target, beside it
// and in the state folder.
void removeAllLeftovers(const std::string &target) {
  const std::string folder = folderOf(target);
  size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  removeLeftovers(folder, tempPrefix(folder, base, tempMark));
  const std::string state = stateFolder(false);
  if (!state.empty()) removeLeftovers(state, statePrefix(state, target, tempMark));
}

}  // namespace

void pageRemoveLeftovers(const char *path) {
  if (!path || !*path) return;
  std::string target;
  int error = 0;
  if (!resolveTarget(path, target, &error)) return;
  removeAllLeftovers(target);
}

int pageBackupFind(const char *path, char *backup, int backupSize) {
  if (backup && backupSize > 0) backup[0] = 0;
  if (!path || !*path) return 0;
  std::string target;
  int error = 0;
  if (!resolveTarget(path, target, &error)) return 0;
  std::vector<backupFile> found = backupsOf(target);
  if (found.empty()) return 0;
  const backupFile *oldest = &found[0];
  for (const backupFile &b : found) {
    const bool earlier = b.st.st_mtim.tv_sec != oldest->st.st_mtim.tv_sec
                             ? b.st.st_mtim.tv_sec < oldest->st.st_mtim.tv_sec
                             : b.st.st_mtim.tv_nsec < oldest->st.st_mtim.tv_nsec;
    if (earlier) oldest = &b;
  }
  strcpyMax(backup, backupSize, oldest->path.c_str());
  return 1;
}

void pageBackupsRemove(const char *path) {
  if (!path || !*path) return;
  std::string target;
  int error = 0;
  if (resolveTarget(path, target, &error)) removeBackups(target);
}

int pageBackupRestore(FILE *stream, const char *backup, char *reason, int reasonSize) {
  if (reason && reasonSize > 0) reason[0] = 0;
  if (!stream || !backup) {
    setReason(reason, reasonSize, EINVAL);
    return 0;
  }
  const int fd = fileno(stream);
  int from = open(backup, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (from < 0) {
    setReason(reason, reasonSize, errno);
    return 0;
  }
  off_t size = 0;
  std::fflush(stream);
  const bool ok = !faultAt(pageFaultRestore) && copyContent(from, fd, &size) && ftruncate(fd, size) == 0 &&
                  fsync(fd) == 0;
  const int why = errno ? errno : EIO;
  close(from);
  std::rewind(stream);
  if (!ok) setReason(reason, reasonSize, why);
  return ok ? 1 : 0;
}

namespace {

// Whether two open files hold the same bytes.
bool sameContent(int a, int b) {
  struct stat sa, sb;
  if (fstat(a, &sa) != 0 || fstat(b, &sb) != 0 || sa.st_size != sb.st_size) return false;
  std::vector<char> x(1 << 16), y(1 << 16);
  for (off_t at = 0; at < sa.st_size;) {
    ssize_t n = pread(a, x.data(), x.size(), at);
    if (n <= 0 || pread(b, y.data(), static_cast<size_t>(n), at) != n) return false;
    if (std::memcmp(x.data(), y.data(), static_cast<size_t>(n)) != 0) return false;
    at += n;
  }
  return true;
}

void fileTime(const char *p, char *out, int size) {
  struct stat st;
  struct tm local;
  if (stat(p, &st) != 0 || !localtime_r(&st.st_mtime, &local) ||
      std::strftime(out, static_cast<size_t>(size), "%Y-%m-%d %H:%M:%S", &local) == 0)
    strcpyMax(out, size, "at an unknown time");
}

}  // namespace

void pageRecoverOffer(const char *path, FILE *stream) {
  char backup[PATH_MAX];
  if (!stream || !pageBackupFind(path, backup, sizeof backup)) return;
  // A backup that holds what the page holds (the save stopped before writing,
  // or after writing the same bytes) has nothing to offer.
  int copy = open(backup, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const bool same = copy >= 0 && sameContent(fileno(stream), copy);
  if (copy >= 0) close(copy);
  if (same) {
    pageBackupsRemove(path);
    return;
  }
  char pageTime[64], backupTime[64];
  fileTime(path, pageTime, sizeof pageTime);
  fileTime(backup, backupTime, sizeof backupTime);
  std::vector<char> text(3 * PATH_MAX + 1024);
  sprintfMax(text.data(), static_cast<int>(text.size()),
             "A save of this page did not finish, so the page may be incomplete:\r\n%s (changed %s)\r\n"
             "Tilvane kept the page as it was before that save:\r\n%s (written %s)\r\n\r\n"
             "Do you want to restore the page from that copy? If you answer No, the page stays as it "
             "is and the copy is removed.",
             path, pageTime, backup, backupTime);
  if (platformMessageBox(nullptr, text.data(), "Recover Page?", MB_YESNO | MB_ICONWARNING) != IDYES) {
    pageBackupsRemove(path);
    return;
  }
  char reason[256];
  if (pageBackupRestore(stream, backup, reason, sizeof reason)) {
    pageBackupsRemove(path);
    return;
  }
  sprintfMax(text.data(), static_cast<int>(text.size()),
             "Tilvane could not restore the page %s from %s:\r\n%s.\r\nThe copy is kept.", path, backup,
             reason);
  platformMessageBox(nullptr, text.data(), "Can't Restore Page", MB_OK | MB_ICONWARNING);
}

void pageStampTake(FILE *f, pageStamp *stamp) {
  if (!stamp) return;
  *stamp = pageStamp();
  struct stat st;
  if (!f || fstat(fileno(f), &st) != 0) return;
  stamp->known = 1;
  stamp->dev = st.st_dev;
  stamp->ino = st.st_ino;
  stamp->size = st.st_size;
  stamp->mtimeSec = st.st_mtim.tv_sec;
  stamp->mtimeNsec = st.st_mtim.tv_nsec;
}

int pageStampChanged(const char *path, const pageStamp *stamp) {
  if (!path || !stamp || !stamp->known) return 0;
  struct stat st;
  if (stat(path, &st) != 0) return 0;  // nothing there to overwrite
  return st.st_dev != stamp->dev || st.st_ino != stamp->ino || st.st_size != stamp->size ||
         st.st_mtim.tv_sec != stamp->mtimeSec || st.st_mtim.tv_nsec != stamp->mtimeNsec;
}

int pageSaveFile(const char *path, const char *data, size_t length, int crlf, FILE **stream,
                 char *reason, int reasonSize) {
  if (reason && reasonSize > 0) reason[0] = 0;
  pageSaveKept[0] = 0;
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
  // The rename needs only the folder's permission; a file that may not be
  // written is not replaced.
  if (existed && !mayWrite(target, old)) {
    setReason(reason, reasonSize, EACCES);
    return 0;
  }

  std::string folder = folderOf(target);
  size_t slash = target.rfind('/');
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  removeAllLeftovers(target);
  // Once a save has finished, no backup of the file is left, not even those of
  // earlier saves that did not finish.
  auto inPlace = [&]() {
    int ok = saveInPlace(target, folder, base, old, data, length, crlf, stream, reason, reasonSize);
    if (ok) removeBackups(target);
    return ok;
  };
  if (existed && old.st_nlink > 1) return inPlace();

  std::string temp = folder + "/" + tempPrefix(folder, base, tempMark) + "XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back(0);

  int fd = faultAt(pageFaultCreate) ? -1 : mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    // A folder that takes no new file: the file is written in place.
    if (existed && (errno == EACCES || errno == EPERM)) return inPlace();
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

  // The old file's permissions, owner and group, and its extended attributes;
  // a new file gets the usual permissions for the user's file-creation mask.
  if (existed) {
    if (fchmod(fd, old.st_mode & 07777) != 0) return fail(errno, nullptr);
    if (fchown(fd, old.st_uid, old.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // The owner or the group is not the user's to give: see below.
    }
    struct stat made;
    if (fstat(fd, &made) != 0) return fail(errno, nullptr);
    if (made.st_uid != old.st_uid || made.st_gid != old.st_gid) {
      // A new file would belong to someone else: write into the old one.
      close(fd);
      unlink(name.data());
      return inPlace();
    }
    if ((old.st_mode & 07000) && fchmod(fd, old.st_mode & 07777) != 0) return fail(errno, nullptr);
    copyAttributes(target.c_str(), fd);
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
  syncFolder(folder);
  removeBackups(target);

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
    // Only a regular file: a pipe or device could block the open or the reading.
    int fd = wfileOpenRegular(path, O_RDWR, nullptr);
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
