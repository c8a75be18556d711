// html_test_util.h: helpers for the reader and writer tests: read a string into
// a document (whole, byte by byte, or in given runs), collect the parse
// errors, write a document back, and describe its entries for comparison.
#ifndef TILVANE_TESTS_HTML_UTIL_H
#define TILVANE_TESTS_HTML_UTIL_H

#include <string>
#include <vector>

#include "html/html.h"

// One parse error as reported: the line and the message.
struct parseError {
  int line;
  std::string message;
  bool operator==(const parseError &o) const { return line == o.line && message == o.message; }
};

// A document read from a string, destroyed with the holder.
struct parsedPage {
  htmlPtr doc = nullptr;
  std::vector<parseError> errors;
  parsedPage() = default;
  parsedPage(const parsedPage &) = delete;
  parsedPage &operator=(const parsedPage &) = delete;
  ~parsedPage();
};

// How the bytes are handed to the reader: all at once, one htmlAppendChar per
// byte, or in runs whose lengths are taken in turn from `runs`.
enum feedMode { feedWhole, feedBytes, feedRuns };

// Reads input (comments and scripts kept unless told otherwise) and flushes.
void parsePage(parsedPage &page, const std::string &input, feedMode mode = feedWhole,
               const std::vector<int> &runs = {}, bool keepComments = true, bool keepScripts = true);

// leadingComments and every entry, as htmlTagWrite writes them.
std::string writePage(htmlPtr doc);

// Reads and writes back in one go; the errors go to `errors` when given.
std::string roundTrip(const std::string &input, std::vector<parseError> *errors = nullptr);

// Every field of every entry that the reader sets, one line per entry.
std::string describePage(htmlPtr doc);

// Reads a whole file; false when it cannot be read.
bool readFile(const std::string &path, std::string &out);

// The folder of real pages written by others, or "" when absent.
std::string corpusDir();

#endif
