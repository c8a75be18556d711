// html_test_util.cpp: the helpers of html_test_util.h.
#include "tests/html/html_test_util.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "html/pageio.h"

namespace {
std::vector<parseError> *collecting = nullptr;

void collectError(htmlPtr doc, const char *message) {
  if (collecting) collecting->push_back({doc->line, message});
}

std::string quoted(const char *s, int length) {
  if (!s) return "(null)";
  std::string out = "[";
  for (int i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "]";
}
}  // namespace

parsedPage::~parsedPage() {
  if (doc) htmlDestroy(doc);
}

void parsePage(parsedPage &page, const std::string &input, feedMode mode,
               const std::vector<int> &runs, bool keepComments, bool keepScripts) {
  ASSERT_EQ(htmlCreate(&page.doc), htmlSuccess);
  htmlIgnoreComments(page.doc, keepComments ? 0 : 1);
  htmlIgnoreScripts(page.doc, keepScripts ? 0 : 1);
  page.doc->LogError = collectError;
  collecting = &page.errors;
  if (mode == feedWhole) {
    ASSERT_EQ(htmlAppendText(page.doc, input.data(), static_cast<int>(input.size())), htmlSuccess);
  } else if (mode == feedBytes) {
    for (char c : input) ASSERT_EQ(htmlAppendChar(page.doc, static_cast<unsigned char>(c)), htmlSuccess);
  } else {
    size_t at = 0, k = 0;
    while (at < input.size()) {
      size_t n = runs.empty() ? 1 : static_cast<size_t>(runs[k++ % runs.size()]);
      if (n > input.size() - at) n = input.size() - at;
      ASSERT_EQ(htmlAppendText(page.doc, input.data() + at, static_cast<int>(n)), htmlSuccess);
      at += n;
    }
  }
  ASSERT_EQ(htmlFlushText(page.doc), htmlSuccess);
  collecting = nullptr;
}

std::string writePage(htmlPtr doc) {
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  EXPECT_EQ(pageWrite(doc, mem), htmlSuccess);
  std::fclose(mem);
  std::string out(data, size);
  std::free(data);
  return out;
}

std::string roundTrip(const std::string &input, std::vector<parseError> *errors) {
  parsedPage page;
  parsePage(page, input);
  if (errors) *errors = page.errors;
  return page.doc ? writePage(page.doc) : std::string();
}

std::string describePage(htmlPtr doc) {
  std::ostringstream out;
  out << "lead" << quoted(doc->leadingComments, doc->leadingCommentsLength) << "\n";
  for (htmlTagPtr t = doc->first; t; t = t->n) {
    out << quoted(t->name, t->nameLength) << " row " << t->row << " col " << t->col << " closed "
        << t->closed << " slash " << t->xhtmlSlash;
    for (htmlAttrPtr a = htmlTagAttrFirst(t); a; a = a->n) {
      out << " " << quoted(a->name, a->nameLength);
      if (a->value) out << "=" << quoted(a->value, a->valueLength) << (a->quoted ? "q" : "");
      if (a->openAtEnd) out << "(open)";
    }
    out << " text" << quoted(htmlTagText(t), t->textLength) << "\n";
  }
  return out.str();
}

bool readFile(const std::string &path, std::string &out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string corpusDir() {
  const char *dir = std::getenv("TILVANE_CORPUS_DIR");
  if (!dir || !*dir) return "";
  struct stat st;
  if (stat(dir, &st) != 0 || !S_ISDIR(st.st_mode)) return "";
  return dir;
}
