// Tests of page reading with its line ends and of the safe file replacement:
// permissions, symbolic links, the lock that moves with the file, and failures
// at every step leaving the old file whole.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <grp.h>
#include <unistd.h>

#include "html/pageio.h"
#include "platform/platform_scripted.h"
#include "tests/html/html_test_util.h"

namespace {

std::string readBack(htmlPtr doc, int crlf) {
  std::string lf = writePage(doc);
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  EXPECT_TRUE(pageWriteBuffer(mem, lf.data(), lf.size(), crlf));
  std::fclose(mem);
  std::string out(data, size);
  std::free(data);
  return out;
}

// Reads bytes as the editor does and writes them back with the page's line ends.
std::string pageRoundTrip(const std::string &bytes, int *crlfOut = nullptr) {
  htmlPtr doc = pageDocumentCreate();
  doc->LogError = nullptr;
  int crlf = -1;
  EXPECT_EQ(pageFeedBuffer(doc, bytes.data(), bytes.size(), &crlf), htmlSuccess);
  std::string out = readBack(doc, crlf);
  htmlDestroy(doc);
  if (crlfOut) *crlfOut = crlf;
  return out;
}

class PageSave : public ::testing::Test {
 protected:
  std::string dir, state;
  void SetUp() override {
    char tmpl[] = "/tmp/tilvane-pageio-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir = tmpl;
    char stateTmpl[] = "/tmp/tilvane-state-XXXXXX";
    ASSERT_TRUE(mkdtemp(stateTmpl));
    ASSERT_EQ(chmod(stateTmpl, 0777), 0);
    setenv("XDG_STATE_HOME", stateTmpl, 1);
    state = std::string(stateTmpl) + "/tilvane";
    pageFaultStep = pageFaultNone;
    pageFaultKill = 0;
    scriptedInstall();
  }
  void TearDown() override {
    pageFaultStep = pageFaultNone;
    pageFaultKill = 0;
    std::string cmd = "rm -rf '" + dir + "' '" + folderOf(state) + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    unsetenv("XDG_STATE_HOME");
  }
  static std::string folderOf(const std::string &p) { return p.substr(0, p.rfind('/')); }
  // Runs fn in a child process as an ordinary user (when we are the
  // superuser, whom permissions do not bind); the child's exit status.
  static int asUser(const std::function<bool()> &fn) {
    pid_t child = fork();
    if (child == 0) {
      bool ok = (geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)) && fn();
      _exit(ok ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
  }
  std::string path(const char *name) const { return dir + "/" + name; }
  void write(const std::string &p, const std::string &content) {
    FILE *f = std::fopen(p.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }
  std::string read(const std::string &p) {
    std::string s;
    EXPECT_TRUE(readFile(p, s)) << p;
    return s;
  }
  int entries() const {
    int n = 0;
    DIR *d = opendir(dir.c_str());
    while (dirent *e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) n++;
    closedir(d);
    return n;
  }
  static bool lockedElsewhere(const std::string &p) {
    int fd = open(p.c_str(), O_RDONLY);
    if (fd < 0) return false;
    bool busy = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return busy;
  }
};

TEST(PageRead, TheFirstLineEndDecidesTheConvention) {
  int crlf = -1;
  EXPECT_EQ(pageRoundTrip("<p>a\r\nb\nc\r\n", &crlf), "<p>a\r\nb\r\nc\r\n");
  EXPECT_EQ(crlf, 1);
  // An LF page keeps a stray CR LF and lone CRs as they are.
  EXPECT_EQ(pageRoundTrip("<p>a\nb\r\nc\rd\n", &crlf), "<p>a\nb\r\nc\rd\n");
  EXPECT_EQ(crlf, 0);
  EXPECT_EQ(pageRoundTrip("<p>no line end", &crlf), "<p>no line end");
  EXPECT_EQ(crlf, 0);
  // A CR before a CR LF pair stays a CR, in either convention, on every pass.
  for (const std::string page : {"<p>\r\na\r\r\nb", "<p>\na\r\r\nb", "<p>\r\r\n"}) {
    std::string once = pageRoundTrip(page);
    EXPECT_EQ(once, page);
    EXPECT_EQ(pageRoundTrip(once), once);
  }
}

TEST(PageRead, LineEndsInsideTagsDoNotDecideSoASecondSaveChangesNothing) {
  // The writer turns a line end inside a tag into a space; the convention comes
  // from the first line end that is written back as read.
  const struct {
    std::string page;
    int crlf;
  } cases[] = {{"<img\nsrc=\"a.gif\">\r\n<p>b\nc\r\n", 1},
               {"<img\r\nsrc=\"a.gif\">\n<p>b\r\nc\n", 0},
               {"<p\r\n>a<!-- x\ny -->\r\n", 0},
               {"<img alt=\"a\r\nb\"\nsrc=x>\n", 1}};
  for (const auto &c : cases) {
    int crlf = -1;
    std::string once = pageRoundTrip(c.page, &crlf);
    EXPECT_EQ(crlf, c.crlf) << c.page;
    EXPECT_EQ(pageRoundTrip(once), once) << c.page;
  }
}

TEST(PageRead, InsideTheReaderEveryPairIsOneLineFeed) {
  htmlPtr doc = pageDocumentCreate();
  doc->LogError = nullptr;
  const std::string page = "<area alt=\"a\r\nb\">\r\n<p>";
  int crlf = 0;
  ASSERT_EQ(pageFeedBuffer(doc, page.data(), page.size(), &crlf), htmlSuccess);
  EXPECT_STREQ(htmlTagAttr(doc->first, "alt"), "a\nb");
  EXPECT_STREQ(htmlTagText(doc->first), "\n");
  htmlDestroy(doc);
}

// A page of many tags with attributes costs not much more memory than its bytes,
// and reads as a page fed straight to the reader does: the same entries and
// attributes, written back the same.
// Tags in their plain form are read at once, with their attributes left in the
// source until asked for; the entries must be those that a reading without a
// kept source builds at once.
TEST(PageRead, PlainTagsReadAtOnceGiveTheSameEntries) {
  std::string page = "<html><body>\n<map name=\"m\">\n";
  for (int i = 0; i < 2000; i++) {
    char line[200];
    const char *form = i % 5 == 4
                           ? "<area  shape=rect coords = \"%d,%d,9,9\" href=\"r%d.html\" title=\"Room %d\"/>\n"
                           : "<area shape=\"rect\" alt=\"Room %d\" coords=\"%d,9,99,%d\" href=\"rooms/r%d.html\" nohref />\n";
    std::snprintf(line, sizeof line, form, i, i, i, i);
    page += line;
  }
  // Texts, which stay in the source too until asked for: one that goes on
  // after a comment, ones with '>', an empty one.
  page += "</map>\n<p>plain text</p>\n<p>before <!-- a comment --> after</p><b></b>\n"
          "<style>a > b</style>\n<p>x > y</p>\n</body></html>\n";
  htmlPtr doc = pageDocumentCreate();
  int crlf = 0;
  ASSERT_EQ(pageFeedBuffer(doc, page.data(), page.size(), &crlf), htmlSuccess);
  parsedPage direct;
  parsePage(direct, page);
  const std::string written = writePage(doc);
  EXPECT_EQ(written, writePage(direct.doc));
  EXPECT_EQ(describePage(doc), describePage(direct.doc));
  EXPECT_EQ(writePage(doc), written);
  htmlDestroy(doc);
}

TEST_F(PageSave, PairsSplitBetweenChunksAreJoined) {
  // A CR LF pair straddling the reader's chunk boundary, and a CR alone there,
  // read from a file (whose size is known) and from a stream (whose room grows).
  for (size_t at : {static_cast<size_t>(pageChunkSize) - 1, static_cast<size_t>(pageChunkSize) - 2}) {
    std::string page = "<p>\r\n" + std::string(at - 5, 'x') + "\r\n" + "tail\r";
    page[pageChunkSize + 3] = '\r';  // a CR followed by 'i', not by LF
    page += std::string(2 * pageChunkSize, 'y');
    write(path("big.html"), page);
    for (bool file : {true, false}) {
      FILE *f = file ? std::fopen(path("big.html").c_str(), "rb") : fmemopen(page.data(), page.size(), "rb");
      ASSERT_NE(f, nullptr);
      htmlPtr doc = pageDocumentCreate();
      int crlf = 0;
      ASSERT_EQ(pageFeed(doc, f, &crlf), htmlSuccess);
      std::fclose(f);
      EXPECT_EQ(crlf, 1);
      EXPECT_EQ(readBack(doc, crlf), page) << at << (file ? " file" : " stream");
      htmlDestroy(doc);
    }
  }
}

TEST_F(PageSave, SaveReplacesTheFileAndKeepsItsPermissions) {
  std::string p = path("page.html");
  write(p, "old content that is longer than the new one");
  ASSERT_EQ(chmod(p.c_str(), 0640), 0);
  char reason[256] = "x";
  ASSERT_TRUE(pageSaveFile(p.c_str(), "a\nb\n", 4, 1, nullptr, reason, sizeof reason));
  EXPECT_EQ(read(p), "a\r\nb\r\n");
  EXPECT_STREQ(reason, "");
  struct stat st;
  ASSERT_EQ(stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(), 1);  // no temporary file left behind

  // A new file gets the permissions the file-creation mask allows.
  mode_t old = umask(022);
  ASSERT_TRUE(pageSaveFile(path("new.html").c_str(), "n", 1, 0, nullptr, reason, sizeof reason));
  umask(old);
  ASSERT_EQ(stat(path("new.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(PageSave, SaveWritesThroughSymbolicLinks) {
  ASSERT_EQ(mkdir(path("real").c_str(), 0755), 0);
  write(path("real/page.html"), "old");
  ASSERT_EQ(symlink("real/page.html", path("link.html").c_str()), 0);
  ASSERT_EQ(symlink("link.html", path("link2.html").c_str()), 0);
  char reason[256];
  ASSERT_TRUE(pageSaveFile(path("link2.html").c_str(), "new", 3, 0, nullptr, reason, sizeof reason));
  struct stat st;
  ASSERT_EQ(lstat(path("link.html").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(lstat(path("link2.html").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(read(path("real/page.html")), "new");

  ASSERT_EQ(symlink("loop.html", path("loop.html").c_str()), 0);
  EXPECT_FALSE(pageSaveFile(path("loop.html").c_str(), "x", 1, 0, nullptr, reason, sizeof reason));
  EXPECT_STREQ(reason, std::strerror(ELOOP));
}

TEST_F(PageSave, TheStreamAndItsLockMoveToTheNewFile) {
  std::string p = path("page.html");
  write(p, "old");
  int inUse = 1;
  FILE *stream = pageOpenLocked(p.c_str(), &inUse);
  ASSERT_TRUE(stream);
  EXPECT_EQ(inUse, 0);
  EXPECT_TRUE(lockedElsewhere(p));
  int second = 0;
  EXPECT_EQ(pageOpenLocked(p.c_str(), &second), nullptr);
  EXPECT_EQ(second, 1);

  FILE *before = stream;
  char reason[256];
  ASSERT_TRUE(pageSaveFile(p.c_str(), "new", 3, 0, &stream, reason, sizeof reason));
  EXPECT_NE(stream, before);
  EXPECT_TRUE(lockedElsewhere(p));  // the file now under the name is locked
  struct stat named, held;
  ASSERT_EQ(stat(p.c_str(), &named), 0);
  ASSERT_EQ(fstat(fileno(stream), &held), 0);
  EXPECT_EQ(named.st_ino, held.st_ino);
  char got[8] = {0};
  EXPECT_EQ(std::fread(got, 1, sizeof got - 1, stream), 3u);
  EXPECT_STREQ(got, "new");
  std::fclose(stream);
  EXPECT_FALSE(lockedElsewhere(p));

  // A page saved for the first time gains its stream.
  FILE *fresh = nullptr;
  ASSERT_TRUE(pageSaveFile(path("first.html").c_str(), "x", 1, 0, &fresh, reason, sizeof reason));
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(lockedElsewhere(path("first.html")));
  std::fclose(fresh);
}

TEST_F(PageSave, AFailureAtAnyStepLeavesTheOldFileWhole) {
  std::string p = path("page.html");
  const std::string content = "the old page\n";
  struct fault {
    int step;
    int error;
  };
  const fault faults[] = {{pageFaultCreate, EACCES},
                          {pageFaultWrite, ENOSPC},
                          {pageFaultSync, EIO},
                          {pageFaultRename, EXDEV}};
  for (const fault &f : faults) for (bool linked : {false, true}) {
    if (linked && f.step == pageFaultRename) continue;  // a page written in place is not renamed
    unlink(path("other.html").c_str());
    write(p, content);
    if (linked) {
      ASSERT_EQ(link(p.c_str(), path("other.html").c_str()), 0);
    }
    FILE *stream = pageOpenLocked(p.c_str(), nullptr);
    ASSERT_TRUE(stream);
    FILE *before = stream;
    pageFaultStep = f.step;
    pageFaultErrno = f.error;
    char reason[256] = "";
    std::string big(3 << 20, 'n');
    EXPECT_FALSE(pageSaveFile(p.c_str(), big.data(), big.size(), 0, &stream, reason, sizeof reason))
        << f.step;
    pageFaultStep = pageFaultNone;
    EXPECT_STREQ(reason, std::strerror(f.error)) << f.step;
    EXPECT_EQ(stream, before);
    EXPECT_EQ(read(p), content) << f.step;
    EXPECT_EQ(entries(), linked ? 2 : 1) << f.step;
    EXPECT_TRUE(lockedElsewhere(p)) << f.step;  // the old lock is still held
    std::fclose(stream);
  }
}

TEST_F(PageSave, NamesAtTheLengthLimitStillSave) {
  // 255 bytes: the temporary name beside it must be cut short, not by half a character.
  std::string accented;
  for (int i = 0; i < 125; i++) accented += "\xc3\xa9";
  for (const std::string &name : {std::string(250, 'a') + ".html", accented + ".html"}) {
    char reason[256] = "";
    EXPECT_TRUE(pageSaveFile(path(name.c_str()).c_str(), "x\n", 2, 0, nullptr, reason, sizeof reason))
        << reason;
    EXPECT_EQ(read(path(name.c_str())), "x\n");
    ASSERT_EQ(unlink(path(name.c_str()).c_str()), 0);
    EXPECT_EQ(entries(), 0);
  }
}

TEST_F(PageSave, LeftoversOfKilledSavesAreRemoved) {
  std::string p = path("page.html");
  write(p, "old");
  const struct {
    const char *name;
    bool old, removed;
  } files[] = {{".page.html.tilvane-Ab12Cd", true, true},
               {".page.html.tilvane-Xy34Zw", false, false},   // a save may still be writing it
               {".page.html.tilvane-Ab12Cde", true, false},   // not our pattern
               {".page.html.tilvane-Ab-2Cd", true, false},
               {".other.html.tilvane-Ab12Cd", true, false}};  // another page's
  for (int pass = 0; pass < 2; pass++) {
    for (const auto &f : files) {
      write(path(f.name), "temporary");
      const timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - (f.old ? 120 : 0), 0}};
      ASSERT_EQ(utimensat(AT_FDCWD, path(f.name).c_str(), times, 0), 0);
    }
    char reason[256];
    if (pass == 0)
      ASSERT_TRUE(pageSaveFile(p.c_str(), "new", 3, 0, nullptr, reason, sizeof reason));
    else
      pageRemoveLeftovers(p.c_str());  // what opening the page does
    for (const auto &f : files) EXPECT_EQ(access(path(f.name).c_str(), F_OK) != 0, f.removed) << f.name;
  }
}

TEST_F(PageSave, AReadOnlyFileIsNotReplaced) {
  std::string p = path("page.map");
  write(p, "old");
  ASSERT_EQ(chmod(p.c_str(), 0444), 0);
  char reason[256];
  EXPECT_FALSE(pageSaveFile(p.c_str(), "new", 3, 0, nullptr, reason, sizeof reason));
  EXPECT_STREQ(reason, std::strerror(EACCES));
  EXPECT_EQ(read(p), "old");
  EXPECT_EQ(entries(), 1);
}

TEST_F(PageSave, SaveKeepsHardLinksAndExtendedAttributes) {
  // A page with a second name is written in place: both names show the new page,
  // and the stream that holds the lock stays the document's.
  std::string p = path("page.html");
  write(p, "old page");
  ASSERT_EQ(link(p.c_str(), path("other.html").c_str()), 0);
  FILE *stream = pageOpenLocked(p.c_str(), nullptr);
  ASSERT_TRUE(stream);
  char reason[256];
  ASSERT_TRUE(pageSaveFile(p.c_str(), "new\n", 4, 1, &stream, reason, sizeof reason)) << reason;
  EXPECT_EQ(read(path("other.html")), "new\r\n");
  struct stat a, b;
  ASSERT_EQ(stat(p.c_str(), &a), 0);
  ASSERT_EQ(stat(path("other.html").c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  EXPECT_TRUE(lockedElsewhere(p));
  char got[8] = {0};
  EXPECT_EQ(std::fread(got, 1, sizeof got - 1, stream), 5u);
  std::fclose(stream);
  EXPECT_EQ(entries(), 2);

  // A user who may write the page but could not give a new file its owner and
  // group has it written in place (run as another user when we can switch).
  if (geteuid() == 0) {
    std::string shared = path("shared.html");
    write(shared, "old");
    ASSERT_EQ(chown(shared.c_str(), 0, 4242), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0666), 0);
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    pid_t child = fork();
    if (child == 0) {
      bool ok = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0 &&
                pageSaveFile(shared.c_str(), "new", 3, 0, nullptr, reason, sizeof reason);
      _exit(ok ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read(shared), "new");
    ASSERT_EQ(stat(shared.c_str(), &a), 0);
    EXPECT_EQ(a.st_uid, 0u);
    EXPECT_EQ(a.st_gid, 4242u);
  }

  // Extended attributes (access control lists are some) go to the new file.
  std::string q = path("single.html");
  write(q, "old");
  if (setxattr(q.c_str(), "user.tilvane.test", "kept", 4, 0) != 0) {
    if (errno == ENOTSUP) GTEST_SKIP() << "no extended attributes here";
    FAIL() << std::strerror(errno);
  }
  ASSERT_TRUE(pageSaveFile(q.c_str(), "new", 3, 0, nullptr, reason, sizeof reason));
  char value[16] = {0};
  EXPECT_EQ(getxattr(q.c_str(), "user.tilvane.test", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");
}

TEST_F(PageSave, FoldersThatCannotBeWritten) {
  char reason[256];
  // /sys refuses new files even to the superuser.
  EXPECT_FALSE(pageSaveFile("/sys/tilvane-page.html", "x", 1, 0, nullptr, reason, sizeof reason));
  EXPECT_STRNE(reason, "");
  EXPECT_FALSE(pageSaveFile(dir.c_str(), "x", 1, 0, nullptr, reason, sizeof reason));
  EXPECT_STREQ(reason, std::strerror(EISDIR));
  EXPECT_FALSE(pageSaveFile(path("missing/page.html").c_str(), "x", 1, 0, nullptr, reason, sizeof reason));
  EXPECT_STREQ(reason, std::strerror(ENOENT));

}

TEST_F(PageSave, AReadOnlyFolderHasThePageWrittenInPlaceWithItsBackupInTheStateFolder) {
  std::string p = path("page.html");
  write(p, "old");
  ASSERT_EQ(chmod(p.c_str(), 0666), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
  // A finished save leaves nothing behind; a save stopped half way leaves its
  // backup in the state folder under a name that tells the page.
  EXPECT_EQ(asUser([&]() {
              char reason[256];
              if (!pageSaveFile(p.c_str(), "new page", 8, 0, nullptr, reason, sizeof reason)) return false;
              pageFaultKill = 1;
              pageFaultStep = pageFaultWrite;
              pageSaveFile(p.c_str(), "newer page", 10, 0, nullptr, reason, sizeof reason);
              pageFaultKill = 0;
              char backup[1024];
              if (!pageBackupFind(p.c_str(), backup, sizeof backup)) return false;
              std::string escaped;
              for (char c : p) escaped += c == '/' ? std::string("%2F") : std::string(1, c);
              std::string kept;
              return std::string(backup).rfind(state + "/" + escaped + ".tilvane~", 0) == 0 &&
                     readFile(backup, kept) && kept == "new page";
            }),
            0);
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  EXPECT_EQ(read(p), "newerage");  // torn: "newer" over "new page"
  EXPECT_EQ(entries(), 1);
}

TEST_F(PageSave, ASaveInPlaceStoppedAtAnyStepLeavesTheOldPageTheNewOneOrItsBackup) {
  // The page has a second name, so it is written in place.
  const std::string old = "the old page\n", fresh(100000, 'n');
  const struct {
    int step;
    const char *left;  // "old", "new" or "torn"
    bool backup;       // whole, under its name, so that opening offers it
  } stops[] = {{pageFaultCreate, "old", false},
               {pageFaultRename, "old", true},
               {pageFaultWrite, "torn", true},
               {pageFaultSync, "new", true}};
  std::string p = path("page.html");
  for (const auto &stop : stops) {
    unlink(path("other.html").c_str());
    write(p, old);
    ASSERT_EQ(link(p.c_str(), path("other.html").c_str()), 0);
    FILE *stream = pageOpenLocked(p.c_str(), nullptr);
    ASSERT_TRUE(stream);
    pageFaultKill = 1;
    pageFaultStep = stop.step;
    char reason[256];
    EXPECT_FALSE(pageSaveFile(p.c_str(), fresh.data(), fresh.size(), 0, &stream, reason, sizeof reason));
    pageFaultKill = 0;
    pageFaultStep = pageFaultNone;
    const std::string now = read(p);
    const std::string left = now == old ? "old" : now == fresh ? "new" : "torn";
    EXPECT_EQ(left, stop.left) << stop.step;
    char backup[1024];
    ASSERT_EQ(pageBackupFind(p.c_str(), backup, sizeof backup), stop.backup ? 1 : 0) << stop.step;
    if (!stop.backup) {
      std::fclose(stream);
      continue;
    }
    const std::string kept = backup;
    EXPECT_EQ(read(kept), old);
    // Opening the page offers it, unless it holds what the page holds.
    for (int answer : {IDNO, IDYES}) {
      if (answer == IDYES) write(kept, old);  // what the refused offer removed
      scripted.shown.clear();
      scripted.answers.assign({answer});
      pageRecoverOffer(p.c_str(), stream);
      EXPECT_EQ(pageBackupFind(p.c_str(), backup, sizeof backup), 0) << stop.step;
      if (left == "old") {
        EXPECT_TRUE(scriptedMessages().empty()) << stop.step;
        break;
      }
      ASSERT_EQ(scriptedMessages().size(), 1u) << stop.step;
      const scriptedShown box = scriptedLastMessage();
      EXPECT_EQ(box.title, "Recover Page?");
      EXPECT_NE(box.text.find(p), std::string::npos) << box.text;
      EXPECT_NE(box.text.find(".page.html.tilvane~"), std::string::npos) << box.text;
      EXPECT_EQ(read(p), answer == IDYES ? old : now) << stop.step;
      EXPECT_EQ(read(path("other.html")), read(p));
    }
    char first[4] = {0};
    EXPECT_EQ(std::fread(first, 1, 3, stream), 3u);  // the stream reads the page from its start
    std::fclose(stream);
  }
}

TEST_F(PageSave, AFinishedSaveLeavesNoBackupOfThePage) {
  std::string p = path("page.html");
  write(p, "old");
  std::string escaped;
  for (char c : p) escaped += c == '/' ? std::string("%2F") : std::string(1, c);
  mkdir(state.c_str(), 0700);
  const std::string backups[] = {path(".page.html.tilvane~Ab12Cd"), state + "/" + escaped + ".tilvane~Xy34Zw"};
  for (bool linked : {false, true}) {
    if (linked) {
      ASSERT_EQ(link(p.c_str(), path("other.html").c_str()), 0);
    }
    for (const std::string &b : backups) write(b, "left by a save that did not finish");
    // One that a running save holds stays.
    const std::string held = path(".page.html.tilvane~Run000");
    write(held, "being written");
    int fd = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    char reason[256];
    ASSERT_TRUE(pageSaveFile(p.c_str(), "new", 3, 0, nullptr, reason, sizeof reason)) << reason;
    for (const std::string &b : backups) EXPECT_NE(access(b.c_str(), F_OK), 0) << b << linked;
    EXPECT_EQ(access(held.c_str(), F_OK), 0);
    close(fd);
    unlink(held.c_str());
  }
}

TEST_F(PageSave, WhenTheOldContentCannotBePutBackItsBackupIsNamed) {
  std::string p = path("page.html");
  write(p, "old");
  ASSERT_EQ(link(p.c_str(), path("other.html").c_str()), 0);
  pageFaultStep = pageFaultSync | pageFaultRestore;
  pageFaultErrno = EIO;
  char reason[512];
  EXPECT_FALSE(pageSaveFile(p.c_str(), "new", 3, 0, nullptr, reason, sizeof reason));
  pageFaultStep = pageFaultNone;
  EXPECT_EQ(read(p), "new");
  ASSERT_STRNE(pageSaveKept, "");
  EXPECT_EQ(read(pageSaveKept), "old");
  EXPECT_NE(std::string(reason).find(pageSaveKept), std::string::npos) << reason;
  char backup[1024];
  ASSERT_TRUE(pageBackupFind(p.c_str(), backup, sizeof backup));
  EXPECT_STREQ(backup, pageSaveKept);
  // The next save, finished, takes both away.
  EXPECT_TRUE(pageSaveFile(p.c_str(), "newer", 5, 0, nullptr, reason, sizeof reason));
  EXPECT_STREQ(pageSaveKept, "");
  EXPECT_EQ(entries(), 2);
}

}  // namespace
