// Tests of the URL parser and of reading through streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "wfile/wfile.h"

namespace {

struct ParseCase {
  const char *url;
  const char *base;
  int t;
  const char *completeUrl;
  const char *path;
  const char *site;
  int port;
  const char *anchor;
};

const ParseCase parseCases[] = {
    {"pic.gif", "D:\\maps\\", 0, "file:///D|/maps/pic.gif", "D:\\maps\\pic.gif", "", 80, ""},
    {"../x.html", "http://h/a/b/c.html", 1, "http://h:80/a/x.html", "/a/x.html", "h", 80, ""},
    {"../../x.html", "http://h/a/b/c.html", 1, "http://h:80/x.html", "/x.html", "h", 80, ""},
    {"/x.html", "http://h/a/b.html?q=1#top", 1, "http://h:80/x.html", "/x.html", "h", 80, ""},
    {"#top", "http://h/a/b.html?q=1#old", 1, "http://h:80/a/b.html#top", "/a/b.html", "h", 80,
     "top"},
    {"./c.gif", "http://h/a/b.html", 1, "http://h:80/a/c.gif", "/a/c.gif", "h", 80, ""},
    {"ftp://h", "", 2, "ftp://h", "", "h", 21, ""},
    {"ftp://h/pub/x", "", 2, "ftp://h/pub/x", "/pub/x", "h", 21, ""},
    {"http://h", "", 1, "http://h:80/", "/", "h", 80, ""},
    {"http://h:8080/p?q=1", "", 1, "http://h:8080/p?q=1", "/p?q=1", "h", 8080, ""},
    {"mailto:someone@h", "", 3, "mailto:someone@h", "someone@h", "", 0, ""},
    {"null://x", "", 4, "null:////x", "//x", "", 0, ""},
    {"internal://page", "", 5, "internal:///page", "/page", "", 80, ""},
    // POSIX files and bases.
    {"pic.gif", "/home/u/maps/", 0, "file:///home/u/maps/pic.gif", "/home/u/maps/pic.gif", "", 80,
     ""},
    {"../pic.gif", "/home/u/maps/page.html", 0, "file:///home/u/pic.gif", "/home/u/pic.gif", "", 80,
     ""},
    {"/srv/x.png", "/home/u/maps/page.html", 0, "file:///srv/x.png", "/srv/x.png", "", 80, ""},
    {"file:///tmp/my pic.gif", "", 0, "file:///tmp/my%20pic.gif", "/tmp/my pic.gif", "", 80, ""},
    {"file:///tmp/a%20b.gif#frag", "", 0, "file:///tmp/a%20b.gif#frag", "/tmp/a b.gif", "", 80,
     "frag"},
    {"/tmp/a:b|c.gif", "/home/", 0, "file:///tmp/a:b|c.gif", "/tmp/a:b|c.gif", "", 80, ""},
    // Drive-letter input.
    {"C:\\My Maps\\a b.gif", "/home/u/", 0, "file:///C|/My%20Maps/a%20b.gif",
     "C:\\My Maps\\a b.gif", "", 80, ""},
    {"file:///d|/maps/x.gif", "", 0, "file:///D|/maps/x.gif", "D:\\maps\\x.gif", "", 80, ""},
    {"\\x.gif", "file:///D|/maps/", 0, "file:///x.gif", "\\x.gif", "", 80, ""},
    {"x.gif", "file://D:/maps/p.htm", 0, "file:///D|/maps/x.gif", "D:\\maps\\x.gif", "", 80, ""},
};

TEST(WfileParseUrl, ResolvesAndDecomposes) {
  for (const ParseCase &c : parseCases) {
    SCOPED_TRACE(std::string(c.url) + " against " + c.base);
    wfileInfo info;
    std::memset(&info, 0, sizeof info);
    std::snprintf(info.base, sizeof info.base, "%s", c.base);
    ASSERT_EQ(wfileParseUrl(c.url, &info), 0) << info.error;
    EXPECT_EQ(info.t, c.t);
    EXPECT_STREQ(info.completeUrl, c.completeUrl);
    EXPECT_STREQ(info.path, c.path);
    EXPECT_STREQ(info.site, c.site);
    EXPECT_STREQ(info.anchor, c.anchor);
    if (c.t != wfileMailto && c.t != wfileNull) {
      EXPECT_EQ(info.port, c.port);
    }
    EXPECT_EQ(info.noproxy, c.t == wfileMailto || c.t == wfileNull ? 1 : 0);
  }
}

TEST(WfileParseUrl, UserPartAndPort) {
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  ASSERT_EQ(wfileParseUrl("http://jo:se:cret@h:8000/d/f%20g.txt#s", &info), 0);
  EXPECT_STREQ(info.name, "jo");
  EXPECT_STREQ(info.password, "se:cret");
  EXPECT_STREQ(info.site, "h");
  EXPECT_EQ(info.port, 8000);
  EXPECT_STREQ(info.path, "/d/f g.txt");
  EXPECT_STREQ(info.anchor, "s");
  EXPECT_STREQ(info.protocol, "http");
  EXPECT_STREQ(info.completeUrl, "http://jo:se:cret@h:8000/d/f%20g.txt#s");
  // The last "@" ends the user part.
  std::memset(&info, 0, sizeof info);
  ASSERT_EQ(wfileParseUrl("ftp://a@b@h/x", &info), 0);
  EXPECT_STREQ(info.name, "a@b");
  EXPECT_STREQ(info.site, "h");
}

TEST(WfileParseUrl, ErrorSentences) {
  struct {
    const char *url, *base, *error;
  } cases[] = {
      {"../../../x.html", "http://h/a/b/c.html",
       "Too many occurrences of ../ in a relative URL. The URL is not valid."},
      {"gopher://h/x", "", "Sorry, only http:, ftp:, file:, mailto:, internal:, and null: URLs are supported."},
      {"HTTP://h/x", "", "Sorry, only http:, ftp:, file:, mailto:, internal:, and null: URLs are supported."},
      {"http:h", "", "Protocol: not followed by //"},
      {"http:///x", "", "The URL was incomplete."},
      {"x.html", "mailto:someone", "The URL mailto:someone is not valid."},
      {"/x.html", "null:x", "The URL null:x is not valid."},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.url);
    wfileInfo info;
    std::memset(&info, 0, sizeof info);
    std::snprintf(info.base, sizeof info.base, "%s", c.base);
    EXPECT_EQ(wfileParseUrl(c.url, &info), -1);
    EXPECT_STREQ(info.error, c.error);
  }
}

TEST(WfileParseUrl, EmptyBaseIsTheCurrentFolder) {
  char old[1024];
  ASSERT_TRUE(getcwd(old, sizeof old));
  char dir[] = "/tmp/wfile_cwd_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  ASSERT_EQ(chdir(dir), 0);
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  ASSERT_EQ(wfileParseUrl("pic.gif", &info), 0);
  EXPECT_EQ(std::string(info.completeUrl), std::string("file://") + dir + "/pic.gif");
  EXPECT_EQ(std::string(info.path), std::string(dir) + "/pic.gif");
  EXPECT_EQ(std::string(info.base), std::string("file://") + dir + "/");
  ASSERT_EQ(chdir(old), 0);
  rmdir(dir);
}

TEST(WfileParseUrl, LongInputIsCutNotOverflowed) {
  std::string longUrl = "http://" + std::string(3000, 'h') + "/" + std::string(3000, 'p');
  std::string longBase = "http://h/" + std::string(2000, 'b') + "/";
  for (const std::string &base : {std::string(), longBase}) {
    wfileInfo info;
    std::memset(&info, 0, sizeof info);
    std::snprintf(info.base, sizeof info.base, "%s", base.c_str());
    wfileParseUrl(longUrl.c_str(), &info);
    EXPECT_LT(std::strlen(info.completeUrl), sizeof info.completeUrl);
    EXPECT_LT(std::strlen(info.site), sizeof info.site);
    std::memset(&info, 0, sizeof info);
    std::snprintf(info.base, sizeof info.base, "%s", base.c_str());
    wfileParseUrl(std::string(4000, '/').c_str(), &info);
    wfileParseUrl((std::string(500, ' ') + "a").c_str(), &info);
    EXPECT_LT(std::strlen(info.completeUrl), sizeof info.completeUrl);
  }
}

TEST(WfileHelpers, ProtocolAndRootedTests) {
  EXPECT_TRUE(urlHasProtocol("http://h"));
  EXPECT_TRUE(urlHasProtocol("mailto:x"));
  EXPECT_FALSE(urlHasProtocol("C:\\x"));
  EXPECT_FALSE(urlHasProtocol("a/b:c"));
  EXPECT_FALSE(urlHasProtocol("a?b:c"));
  EXPECT_FALSE(urlHasProtocol("pic.gif"));
  EXPECT_TRUE(isRootedPath("/x"));
  EXPECT_TRUE(isRootedPath("\\x"));
  EXPECT_TRUE(isRootedPath("C:x"));
  EXPECT_TRUE(isRootedPath("C|/x"));
  EXPECT_FALSE(isRootedPath("x"));
  EXPECT_FALSE(isRootedPath(""));
}

// A temporary file with the given bytes, removed at the end of the test.
struct TempFile {
  std::string path;
  explicit TempFile(const std::string &bytes, const char *suffix = ".bin") {
    char name[] = "/tmp/wfile_test_XXXXXX";
    int fd = mkstemp(name);
    close(fd);
    path = std::string(name) + suffix;
    rename(name, path.c_str());
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  ~TempFile() { std::remove(path.c_str()); }
};

TEST(WfileStream, ReadsToTheEndThenReportsEndOfFile) {
  TempFile f("abcd", ".PNG");
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  int before = wfileOpenCount;
  wfileStruct *wf = wfileOpen(f.path.c_str(), "rb", &info);
  ASSERT_TRUE(wf) << info.error;
  EXPECT_EQ(wfileOpenCount, before + 1);
  EXPECT_STREQ(info.contentType, "image/png");
  EXPECT_EQ(wfileGetInfo(wf), &info);
  char buf[10];
  EXPECT_EQ(wfileRead(wf, buf, 0), 0);
  EXPECT_EQ(wfileRead(wf, buf, 10), 4);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  EXPECT_EQ(wfileRead(wf, buf, 10), -1);
  EXPECT_EQ(info.eof, 1);
  EXPECT_STREQ(info.error, "End Of File");
  EXPECT_EQ(wf->pos, 4);
  EXPECT_EQ(wfilePreClose(wf), 0);
  EXPECT_EQ(wfilePreClose(wf), 0);  // a second close is harmless
  EXPECT_EQ(wfileClose(wf), 0);
  EXPECT_EQ(wfileOpenCount, before);
  EXPECT_STREQ(info.error, "End Of File");  // kept after the close
}

TEST(WfileStream, LargeReadsKeepEveryByteInOrder) {
  std::string bytes(100000, 0);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = (char)(i * 7 + i / 300);
  TempFile f(bytes);
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *wf = wfileOpen(f.path.c_str(), "r", &info);
  ASSERT_TRUE(wf);
  std::string got;
  std::vector<char> buf(40000);
  const int sizes[] = {1, 7, 16383, 16384, 40000, 3, 20000};
  for (int i = 0;; i++) {
    int n = wfileRead(wf, buf.data(), sizes[i % 7]);
    if (n < 0) break;
    got.append(buf.data(), n);
    if (i == 1) wfileUnGetC(wf, 'Z');
  }
  wfileClose(wf);
  std::string expected = bytes.substr(0, 8) + "Z" + bytes.substr(8);
  ASSERT_EQ(got.size(), expected.size());
  size_t firstDiff = 0;
  while (firstDiff < got.size() && got[firstDiff] == expected[firstDiff]) firstDiff++;
  EXPECT_EQ(firstDiff, got.size());
}

TEST(WfileStream, PartialReadsAsTheJpegSourceUsesThem) {
  std::string bytes(50000, 'q');
  bytes[0] = 'a';
  bytes.back() = 'z';
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *wf = wfileOpenMemory(bytes.data(), (int)bytes.size(), &info);
  ASSERT_TRUE(wf);
  std::string got;
  char buf[4096];
  int zeros = 0;
  for (;;) {
    int n = wfileReadPartial(wf, buf, sizeof buf);
    if (n < 0) break;
    if (n == 0 && ++zeros > 100) break;  // must not spin
    got.append(buf, n);
  }
  EXPECT_LE(zeros, 10);
  EXPECT_TRUE(got == bytes);
  EXPECT_EQ(info.eof, 1);
  // Each partial read takes from the buffer only.
  wfileClose(wf);
  std::memset(&info, 0, sizeof info);
  wf = wfileOpenMemory(bytes.data(), (int)bytes.size(), &info);
  EXPECT_EQ(wfileReadPartial(wf, buf, 10), 0);  // nothing buffered yet; refills
  EXPECT_EQ(wfileReadPartial(wf, buf, 10), 10);
  EXPECT_EQ(buf[0], 'a');
  wfileClose(wf);
}

TEST(WfileStream, LinesEndAtCrLfOrEither) {
  const char text[] = "a\r\nb\rc\n\r\rd";
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *wf = wfileOpenMemory(text, (int)std::strlen(text), &info);
  char line[16];
  std::vector<std::string> lines;
  while (wfileReadLine(wf, line, sizeof line) == 0) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "", "d"}));
  EXPECT_EQ(wfileReadLine(wf, line, sizeof line), -1);
  wfileClose(wf);
}

TEST(WfileStream, LongLineIsCutAndTheNextLineFollows) {
  const char text[] = "0123456789abcdef\nnext\n";
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *wf = wfileOpenMemory(text, (int)std::strlen(text), &info);
  char line[6];
  ASSERT_EQ(wfileReadLine(wf, line, sizeof line), 0);
  EXPECT_STREQ(line, "01234");
  ASSERT_EQ(wfileReadLine(wf, line, sizeof line), 0);
  EXPECT_STREQ(line, "next");
  EXPECT_EQ(wfileReadLine(wf, line, sizeof line), -1);
  wfileClose(wf);
}

TEST(WfileStream, UnGetAndGetC) {
  const char text[] = "xy";
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *wf = wfileOpenMemory(text, 2, &info);
  EXPECT_EQ(wfileGetC(wf), 'x');
  wfileUnGetC(wf, 'p');
  EXPECT_EQ(wf->pos, 0);
  wfileUnGetC(wf, 0x171);  // replaces the first, low 8 bits kept; pos moves once
  EXPECT_EQ(wf->pos, 0);
  EXPECT_EQ(wfileGetC(wf), 0x71);
  EXPECT_EQ(wfileGetC(wf), 'y');
  EXPECT_EQ(wfileGetC(wf), -1);
  // The wrapper answers 0 at the end of the data.
  char buf[4];
  EXPECT_EQ(wfileReadWrapper(wf, buf, 4), 0);
  wfileClose(wf);
}

TEST(WfileOpen, Refusals) {
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  EXPECT_EQ(wfileOpen("/nonexistent/dir/x.gif", "rb", &info), nullptr);
  EXPECT_STREQ(info.error, "Disk I/O Error");
  // Only regular files are streams: a folder, a device or a pipe (which the
  // open does not wait for) is refused.
  char pipe[] = "/tmp/tilvane-wfile-XXXXXX";
  ASSERT_TRUE(mkdtemp(pipe));
  const std::string fifo = std::string(pipe) + "/pipe.gif";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const char *name : {"/tmp", "/dev/zero", fifo.c_str()}) {
    std::memset(&info, 0, sizeof info);
    EXPECT_EQ(wfileOpen(name, "rb", &info), nullptr) << name;
    EXPECT_STREQ(info.error, "Not a regular file") << name;
    int notRegular = 0;
    EXPECT_EQ(wfileOpenRegularStream(name, &notRegular), nullptr) << name;
    EXPECT_EQ(notRegular, 1) << name;
  }
  unlink(fifo.c_str());
  rmdir(pipe);
  std::memset(&info, 0, sizeof info);
  EXPECT_EQ(wfileOpen("x.gif", "", &info), nullptr);
  EXPECT_STREQ(info.error, "Invalid Mode");
  std::memset(&info, 0, sizeof info);
  EXPECT_EQ(wfileOpen("http://h/x.gif", "rb", &info), nullptr);
  EXPECT_STREQ(info.error, "Sorry, only local files can be opened.");
  std::memset(&info, 0, sizeof info);
  EXPECT_EQ(wfileOpen("gopher://h/x.gif", "rb", &info), nullptr);
  EXPECT_STREQ(info.error,
               "Sorry, only http:, ftp:, file:, mailto:, internal:, and null: URLs are supported.");
}

TEST(WfileOpen, FileUrlAndWriteModes) {
  TempFile f("hello", ".gif");
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  std::string url = "file://" + f.path;
  wfileStruct *wf = wfileOpen(url.c_str(), "rb", &info);
  ASSERT_TRUE(wf) << info.error;
  EXPECT_STREQ(info.contentType, "image/gif");
  char buf[8];
  EXPECT_EQ(wfileRead(wf, buf, 8), 5);
  wfileClose(wf);
  // "w" truncates.
  std::memset(&info, 0, sizeof info);
  wf = wfileOpen(f.path.c_str(), "w", &info);
  ASSERT_TRUE(wf);
  wfileClose(wf);
  struct stat st;
  ASSERT_EQ(stat(f.path.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
}

}  // namespace
