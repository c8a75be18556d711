// Tests of the bounded string routines, comparisons, line reading and encoders.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cgiutil.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"

TEST(StrHack, BoundedCopiesNeverWritePastTheBuffer) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  strcpyMax(buf, 4, "abcdefghij");
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(buf[4], 'x');

  strcpyMax(buf, 8, "ab");
  strcatMax(buf, 8, "cdefghij");
  EXPECT_STREQ(buf, "abcdefg");
  strcatMax(buf, 8, "zz");  // already full: only the terminator stays
  EXPECT_STREQ(buf, "abcdefg");

  strncpyMax(buf, 8, "abcdef", 2);
  EXPECT_STREQ(buf, "ab");
  strncatMax(buf, 8, "123456", 3);
  EXPECT_STREQ(buf, "ab123");
  strcpyMax(buf, 1, "abc");
  EXPECT_STREQ(buf, "");
}

TEST(StrHack, SprintfMaxCountsConversionsAndCuts) {
  char buf[64];
  EXPECT_EQ(sprintfMax(buf, sizeof buf, "%d-%x-%s-%c-%%", 42, 255, "hi", 'z'), 5);
  EXPECT_STREQ(buf, "42-ff-hi-z-%");
  sprintfMax(buf, sizeof buf, "%05.1f|%3d|%-3d|", 3.14159, 7, 7);
  EXPECT_STREQ(buf, "003.1|  7|7  |");
  // %s takes the whole string and no field width.
  sprintfMax(buf, sizeof buf, "[%10s]", "ab");
  EXPECT_STREQ(buf, "[ab]");
  char one[1] = {'x'};
  sprintfMax(one, 1, "%s", "long text");
  EXPECT_EQ(one[0], 0);
  char small[6];
  sprintfMax(small, sizeof small, "Line %d: %s", 12, "No URL after rect");
  EXPECT_STREQ(small, "Line ");
}

TEST(StrHack, StrncmpNoCase) {
  EXPECT_EQ(strncmpNoCase("abc", "ABD", 2), 0);
  EXPECT_EQ(strncmpNoCase("ab", "abc", 5), -1);
  EXPECT_EQ(strncmpNoCase("abc", "ab", 5), 1);
  EXPECT_EQ(strncmpNoCase("ab", "AB", 5), 0);
  EXPECT_LT(strncmpNoCase("abc", "abd", 3), 0);
  EXPECT_GT(strncmpNoCase("b", "A", 1), 0);
}

TEST(StrHack, WordTests) {
  EXPECT_EQ(numeric(""), 0);
  EXPECT_EQ(numeric("-5"), 0);
  EXPECT_EQ(numeric("1 2"), 0);
  EXPECT_EQ(numeric("007"), 1);
  EXPECT_EQ(endsWith("photo.gif", ".gif"), 1);
  EXPECT_EQ(endsWith("photo.gif", ".GIF"), 0);
  EXPECT_EQ(endsWith("gif", "x.gif"), 0);
  char s[] = "a\tb\nc\rd e";
  normalizeSpaces(s);
  EXPECT_STREQ(s, "a b c d e");
  char r[] = "a/b/c";
  replaceChar(r, '/', '\\');
  EXPECT_STREQ(r, "a\\b\\c");
}

static std::string readAll(const char *bytes, size_t n, int size) {
  FILE *f = fmemopen(const_cast<char *>(bytes), n, "r");
  std::string out;
  char buf[64];
  while (readLine(f, buf, size)) out += std::string("[") + buf + "]";
  std::fclose(f);
  return out;
}

TEST(StrHack, ReadLineAcceptsEveryLineEnd) {
  const char a[] = "a\r\n\r\nb";
  EXPECT_EQ(readAll(a, sizeof a - 1, 64), "[a][][b]");
  const char b[] = "a\n\rb\rc\n\nd\n";
  EXPECT_EQ(readAll(b, sizeof b - 1, 64), "[a][b][c][][d]");
  const char c[] = "abcdefgh\nxy";
  EXPECT_EQ(readAll(c, sizeof c - 1, 4), "[abc][xy]");
  EXPECT_EQ(readAll("", 0, 4), "");
}

TEST(CgiUtil, Encoders) {
  char *e = EscapeURL("a\"b<c>d&e");
  ASSERT_NE(e, nullptr);
  EXPECT_STREQ(e, "a%22b%3cc%3ed&e");
  std::free(e);

  char *buf = nullptr;
  size_t len = 0;
  FILE *f = open_memstream(&buf, &len);
  valueEncodeStdio(f, "say \"hi\" &");
  std::fclose(f);
  EXPECT_STREQ(buf, "say &#34;hi&#34; &");
  std::free(buf);
}

TEST(StrHack, AllocationsOfZeroGiveABlock) {
  void *p = mymallocImpl(0);
  EXPECT_NE(p, nullptr);
  p = myreallocImpl(p, 0);
  EXPECT_NE(p, nullptr);
  myfreeImpl(p);
  void *q = mycallocImpl(0, 0);
  EXPECT_NE(q, nullptr);
  myfreeImpl(q);
  char *d = mystrdupImpl("x", "copy");
  EXPECT_STREQ(d, "copy");
  myfreeImpl(d);
  EXPECT_EQ(mystrdupImpl("x", nullptr), nullptr);
}

TEST(StrHack, LowMemoryShowsItsMessage) {
  scriptedInstall();
  LowMemory();
  auto m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Out of Memory");
  EXPECT_EQ(m.text,
            "Memory is very low. Please close applications to\r\nfree as much memory as possible.");
  EXPECT_EQ(m.flags & MB_ICONMASK, (unsigned)MB_ICONWARNING);
}

TEST(StrHackDeathTest, DieMemoryEndsTheProgram) {
  platformInstall(nullptr);  // the console table prints the message
  EXPECT_EXIT(dieMemory(), ::testing::ExitedWithCode(EXIT_FAILURE), "Tilvane cannot continue");
}
