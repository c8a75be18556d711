// Round-trip tests: generated pages whose expected output is built alongside
// them, the same page fed in any chunking, broken pages written back
// idempotently, and the pages of the corpus.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "html/html.h"
#include "html/pageio.h"
#include "tests/html/html_test_util.h"

namespace {

// Builds a random page and, piece by piece, what the writer must make of it.
struct pageGenerator {
  std::mt19937 rng;
  std::string in, out;
  bool inStyle = false;

  explicit pageGenerator(unsigned seed) : rng(seed) {}

  int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return pick(100) < percent; }

  std::string word(const char *alphabet, int minLen, int maxLen) {
    std::string s;
    int n = minLen + pick(maxLen - minLen + 1);
    int k = static_cast<int>(std::char_traits<char>::length(alphabet));
    for (int i = 0; i < n; i++) s += alphabet[pick(k)];
    return s;
  }
  std::string space(int minLen) {
    static const char *const runs[] = {" ", "\t", "\n", "  ", " \n  ", "\r\n", "\f", "\v"};
    std::string s;
    int n = minLen + pick(2);
    for (int i = 0; i < n; i++) s += runs[pick(8)];
    return s;
  }
  void both(const std::string &s) {
    in += s;
    out += s;
  }

  void text() {
    std::string t = word("abc xyz\n\t&;>'\"=/\x80\xe9\xff", 0, 30);
    if (chance(10)) t += std::string(1, '\0') + "z";
    in += t;
    for (char c : t) out += (c == '>' && !inStyle) ? std::string("&gt;") : std::string(1, c);
  }

  void tag() {
    static const char *const names[] = {"p", "a", "img", "DIV", "area", "map", "Td", "h1", "x-y"};
    std::string name = names[pick(9)];
    bool end = chance(25);
    in += "<";
    out += "<";
    if (end) name = "/" + name;
    both(name);
    int attrs = end ? 0 : pick(5);
    bool lastWord = false;
    for (int i = 0; i < attrs; i++) {
      std::string an = word("abcdefghijklmnopqrstuvwxyzABC-_:", 1, 8);
      in += space(1) + an;
      out += " " + an;
      lastWord = false;
      switch (pick(5)) {
        case 0:  // bare
          break;
        case 1: {  // unquoted
          std::string v = word("abcdefgh0123456789.#%:;,", 1, 10);
          in += (chance(30) ? space(1) : "") + "=" + (chance(30) ? space(1) : "") + v;
          out += "=" + v;
          lastWord = true;
          break;
        }
        case 2: {  // quoted, with '>', '<' and white space inside
          std::string v = word("ab <>{}-$[]'\n\t=/?%\xe9", 0, 20);
          // "<" right before "%" or "?" would open a block.
          for (size_t k = 1; k < v.size(); k++)
            if (v[k - 1] == '<' && (v[k] == '%' || v[k] == '?')) v[k] = 'x';
          in += "=\"" + v + "\"";
          out += "=\"" + v + "\"";
          break;
        }
        case 3: {  // a server block with quotes inside a quoted value
          std::string v = chance(50) ? "<%= x(\"a\") %>" : "<?= $a[\"b\"] > 1 ?>";
          in += "=\"" + v + "\"";
          out += "=\"" + v + "\"";
          break;
        }
        default: {  // an unquoted value that starts a block
          in += "=<%= u %>";
          out += "=<%= u %>";
          lastWord = true;
          break;
        }
      }
    }
    if (!end && chance(15)) {
      in += (lastWord ? space(1) : space(0)) + "/" + space(0) + ">";
      out += " />";
    } else {
      in += space(0) + ">";
      out += ">";
    }
    inStyle = false;
  }

  void comment() {
    std::string c = word("ab -<>!\n", 0, 20);
    while (c.find("--") != std::string::npos) c.replace(c.find("--"), 2, "-x");
    if (!c.empty() && c.back() == '-') c += "x";
    if (!c.empty() && (c[0] == '>' || c[0] == '-')) c = "x" + c;  // "<!-->" would end it
    both("<!--" + c + "-->");
  }

  void script() {
    std::string body = word("ab <>=/\"'();\n", 0, 40);
    std::string attr = chance(50) ? " type=\"text/javascript\"" : "";
    in += "<script" + attr + ">" + body + (chance(50) ? "</SCRIPT>" : "</script>");
    out += "<script" + attr + ">" + body + "</script>";
    inStyle = false;
  }

  void style() {
    both("<style>");
    inStyle = true;
    text();
    both("</style>");
    inStyle = false;
  }

  void block() {
    std::string body = word("ab <>=\"'();\n$", 0, 30);
    while (body.find("%>") != std::string::npos) body.replace(body.find("%>"), 2, "%x");
    while (body.find("?>") != std::string::npos) body.replace(body.find("?>"), 2, "?x");
    if (!body.empty() && body[0] == '>') body = "x" + body;  // "<%>" is a whole block
    if (chance(50))
      both("<%" + body + "%>");
    else
      both("<?php" + body + "?>");
    inStyle = false;
  }

  void declaration() {
    both("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\"\n \"http://x/y.dtd\">");
    inStyle = false;
  }

  std::string make(int pieces) {
    switch (pick(4)) {
      case 0:
        both(" \n<!-- lead -->\n");
        break;
      case 1:
        in += "Start";
        out += "<P>Start";
        break;
      case 2:
        in += "<?xml version=\"1.0\"?>";
        out += "<?xml version=\"1.0\" ?>";
        break;
      default:
        break;
    }
    if (out.empty() || out.back() != 't') tag();
    for (int i = 0; i < pieces; i++) {
      switch (pick(10)) {
        case 0:
        case 1:
        case 2:
          text();
          break;
        case 3:
        case 4:
        case 5:
          tag();
          break;
        case 6:
          comment();
          break;
        case 7:
          script();
          break;
        case 8:
          block();
          break;
        default:
          if (chance(50)) style(); else declaration();
          break;
      }
    }
    return in;
  }
};

TEST(RoundTrip, GeneratedPagesComeBackWithOnlyTheListedChanges) {
  for (unsigned seed = 1; seed <= 400; seed++) {
    pageGenerator g(seed);
    std::string input = g.make(60);
    std::vector<parseError> errors;
    std::string output = roundTrip(input, &errors);
    ASSERT_EQ(output, g.out) << "seed " << seed;
    EXPECT_TRUE(errors.empty()) << "seed " << seed << ": " << errors[0].message;
    EXPECT_EQ(roundTrip(output), output) << "seed " << seed;
  }
}

TEST(RoundTrip, AnyChunkingGivesTheSameEntries) {
  std::mt19937 rng(7);
  for (unsigned seed = 1; seed <= 60; seed++) {
    pageGenerator g(seed);
    std::string input = g.make(40);
    // Broken variants too: cut and spliced at random places.
    if (seed % 3 == 0) input = input.substr(0, rng() % (input.size() + 1));
    if (seed % 3 == 1) input.insert(rng() % (input.size() + 1), input.substr(0, rng() % input.size()));

    parsedPage whole;
    parsePage(whole, input, feedWhole);
    std::string expected = describePage(whole.doc);

    parsedPage bytes;
    parsePage(bytes, input, feedBytes);
    EXPECT_EQ(describePage(bytes.doc), expected) << "seed " << seed;
    EXPECT_EQ(bytes.errors, whole.errors) << "seed " << seed;

    std::vector<int> runs;
    for (int i = 0; i < 16; i++) runs.push_back(1 + static_cast<int>(rng() % 13));
    parsedPage chunked;
    parsePage(chunked, input, feedRuns, runs);
    EXPECT_EQ(describePage(chunked.doc), expected) << "seed " << seed;
    EXPECT_EQ(chunked.errors, whole.errors) << "seed " << seed;
  }
}

TEST(RoundTrip, BrokenPagesAreWrittenBackIdempotently) {
  // Random bytes from an alphabet dense in markup, and generated pages with
  // bytes cut out, doubled and swapped; every output must read back as itself.
  std::mt19937 rng(11);
  const std::string alphabet = "<>/=\"'!-%? \n\r\tabscriptyle\0\x80?";
  for (int round = 0; round < 3000; round++) {
    std::string input;
    if (round % 2 == 0) {
      int n = static_cast<int>(rng() % 80);
      for (int i = 0; i < n; i++) input += alphabet[rng() % alphabet.size()];
    } else {
      pageGenerator g(static_cast<unsigned>(round));
      input = g.make(10);
      for (int k = 0; k < 4 && !input.empty(); k++) {
        size_t at = rng() % input.size();
        switch (rng() % 3) {
          case 0: input.erase(at, 1 + rng() % 5); break;
          case 1: input.insert(at, input.substr(at, 1 + rng() % 5)); break;
          default: input[at] = alphabet[rng() % alphabet.size()]; break;
        }
      }
    }
    std::string once = roundTrip(input);
    ASSERT_EQ(roundTrip(once), once) << "input: " << input;
  }
}

// Comparison of two pages with the writer's normalisations taken out: white
// space dropped, "&gt;" read as ">", letters folded.
std::string canonical(const std::string &page) {
  std::string out;
  for (size_t i = 0; i < page.size(); i++) {
    unsigned char c = static_cast<unsigned char>(page[i]);
    if (std::isspace(c)) continue;
    if (page.compare(i, 4, "&gt;") == 0) {
      out += '>';
      i += 3;
      continue;
    }
    out += static_cast<char>(std::tolower(c));
  }
  return out;
}

std::vector<std::string> listPages(const std::string &dir) {
  std::vector<std::string> pages;
  if (DIR *d = opendir(dir.c_str())) {
    while (dirent *e = readdir(d)) {
      std::string name = e->d_name;
      if (name[0] != '.' && name.find('.') != std::string::npos) pages.push_back(dir + "/" + name);
    }
    closedir(d);
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

TEST(RoundTrip, CorpusPagesKeepEveryByte) {
  std::string corpus = corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  std::vector<std::string> pages = listPages(corpus + "/html");
  for (const std::string &p : listPages(corpus + "/html/large")) pages.push_back(p);
  ASSERT_FALSE(pages.empty());
  for (const std::string &path : pages) {
    std::string input;
    ASSERT_TRUE(readFile(path, input)) << path;
    parsedPage page;
    int crlf = 0;
    ASSERT_EQ(htmlCreate(&page.doc), htmlSuccess);
    htmlIgnoreComments(page.doc, 0);
    htmlIgnoreScripts(page.doc, 0);
    static std::vector<parseError> *sink;
    sink = &page.errors;
    page.doc->LogError = [](htmlPtr d, const char *m) { sink->push_back({d->line, m}); };
    ASSERT_EQ(pageFeedBuffer(page.doc, input.data(), input.size(), &crlf), htmlSuccess);
    std::string output = writePage(page.doc);

    // Only a tag broken off by another "<" or a stray ">" before the first tag
    // gives up bytes, and it says so.
    bool dropsBytes = false;
    for (const parseError &e : page.errors)
      if (e.message == "Tag never closed" || e.message == "Closing > before the first tag")
        dropsBytes = true;
    std::string lfInput = input;
    if (crlf) {
      std::string converted;
      for (size_t i = 0; i < lfInput.size(); i++)
        if (!(lfInput[i] == '\r' && i + 1 < lfInput.size() && lfInput[i + 1] == '\n'))
          converted += lfInput[i];
      lfInput = converted;
    }
    if (!dropsBytes) EXPECT_EQ(canonical(output), canonical(lfInput)) << path;
    else EXPECT_LT(canonical(output).size(), canonical(lfInput).size()) << path;
    EXPECT_EQ(roundTrip(output), output) << path;
  }
}

// Exact writing gives every byte back, however the page is written: line
// ends of either kind or both, breaks and spacing inside tags, '>' in text,
// self-closing slashes, script ends in capitals, tags broken off, blocks and
// values the page ends in; on any page of the corpus too.
TEST(RoundTrip, ExactWritingKeepsEveryByte) {
  std::vector<std::string> pages = {
      "<html\r\n lang=en>\r\n<p class = x>a > b<br/>\r\n</html>\r\n",
      "\r\n<!-- c -->\r\n<P  >one\ntwo\r\n<img src=a.png\r\n/>\r\n",
      "text first > <b>x</b>\n",
      "> stray <a href=\"x\" <b>y</B >\n<SCRIPT>if (a > b) x();</SCRIPT >\n</script>",
      "<%= f(\"a\") %>\r\n<a title=\"<% x %>\">\r\n<?php echo 1 ?><br /",
      "<p title=\"open <% never",
      "",
  };
  std::string corpus = corpusDir();
  if (!corpus.empty()) {
    for (const std::string &p : listPages(corpus + "/html")) pages.push_back(p);
    for (const std::string &p : listPages(corpus + "/html/large")) pages.push_back(p);
  }
  for (std::string input : pages) {
    std::string name = "inline page";
    if (!input.empty() && input[0] == '/') {
      name = input;
      ASSERT_TRUE(readFile(name, input)) << name;
    }
    parsedPage page;
    ASSERT_EQ(htmlCreate(&page.doc), htmlSuccess);
    htmlIgnoreComments(page.doc, 0);
    htmlIgnoreScripts(page.doc, 0);
    page.doc->LogError = nullptr;
    int crlf = 0;
    ASSERT_EQ(pageFeedBuffer(page.doc, input.data(), input.size(), &crlf), htmlSuccess);
    char *data = nullptr;
    size_t size = 0;
    FILE *mem = open_memstream(&data, &size);
    EXPECT_EQ(pageWriteExact(page.doc, mem), htmlSuccess);
    std::fclose(mem);
    std::string output(data, size);
    std::free(data);
    EXPECT_TRUE(output == input) << name << "\n" << input << "\n---\n" << output;
    // Each entry starts where the one before it ended.
    long long at = -1;
    for (htmlTagPtr t = page.doc->first; t; t = t->n) {
      ASSERT_GE(t->sourceStart, 0) << name;
      EXPECT_GT(t->sourceStart, at) << name << " " << t->name;
      at = t->sourceStart;
      if (t->sourceTagEnd >= 0) {
        EXPECT_EQ(input[static_cast<size_t>(t->sourceTagEnd - 1)], '>') << name;
      }
      if (t->sourceStart < static_cast<long long>(input.size()) && std::string(t->name) != "P") {
        EXPECT_EQ(input[static_cast<size_t>(t->sourceStart)], '<') << name << " " << t->name;
      }
    }
  }
}

}  // namespace
