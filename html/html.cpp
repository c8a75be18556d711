// html.cpp: the forgiving HTML reader, a byte-driven state machine that builds a
// document's flat list of entries, the entry and attribute operations, and the
// entry writer. Owns no globals; keeps the memory of the last document
// destroyed for the next one (one page is read after another).
//
// Every byte of the input ends up in the output: text, comments, declarations,
// server-side blocks and script bodies are stored as read (zero bytes included;
// every stored string carries its length), and constructs still open at the end
// of the input are kept. The reader's hot loops take runs of ordinary bytes at
// once; the position counters are kept exactly as if every byte had been
// handled on its own.
#include "html/html.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "html/document.h"
#include "platform/strhack.h"

// One block of a document's memory. Entries, attributes and strings are carved
// from the newest block; a request too large for a block gets a block of its own.
struct htmlArenaBlock {
  htmlArenaBlock *next;
  size_t size;  // bytes available after the header
  size_t used;
};

namespace {

const size_t arenaHeader = (sizeof(htmlArenaBlock) + 15) & ~static_cast<size_t>(15);
const int arenaFirstBlock = 8192;
const int arenaLargestBlock = 1 << 20;

char *blockData(htmlArenaBlock *b) { return reinterpret_cast<char *>(b) + arenaHeader; }

// The memory of the last document destroyed: its blocks, and its source (a
// buffer whose first bytes hold its size while it waits). Taking memory that
// is already the process's spares the system the work of handing out fresh
// pages. Builds that check memory use leave it out, so that every document's
// memory goes back when it is destroyed.
#if defined(__SANITIZE_ADDRESS__)
const bool keepSpares = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
const bool keepSpares = false;
#else
const bool keepSpares = true;
#endif
#else
const bool keepSpares = true;
#endif
const size_t spareBlocksLimit = static_cast<size_t>(128) << 20;
const long long spareSourceLimit = 64LL << 20;
std::atomic<htmlArenaBlock *> spareBlocks{nullptr};
std::atomic<char *> spareSource{nullptr};

void blocksFree(htmlArenaBlock *b) {
  while (b) {
    htmlArenaBlock *next = b->next;
    myfreeImpl(b);
    b = next;
  }
}

// A spare block with at least n bytes, taken out of the document's spares.
htmlArenaBlock *spareTake(htmlPtr d, size_t n) {
  for (htmlArenaBlock **at = &d->spare; *at; at = &(*at)->next) {
    htmlArenaBlock *b = *at;
    if (b->size >= n) {
      *at = b->next;
      return b;
    }
  }
  return nullptr;
}

void *arenaAllocSlow(htmlPtr d, size_t n) {
  htmlArenaBlock *b = d->arena;
  size_t regular = d->arenaNext > 0 ? static_cast<size_t>(d->arenaNext) : arenaFirstBlock;
  if (n > regular / 4) {
    // A block of its own, kept behind the current one so that the current
    // block goes on serving small requests.
    if (n > SIZE_MAX - arenaHeader) return nullptr;
    htmlArenaBlock *big = spareTake(d, n);
    if (!big) {
      big = static_cast<htmlArenaBlock *>(mymallocImpl(arenaHeader + n));
      if (!big) return nullptr;
      big->size = n;
    }
    big->used = n;
    if (b) {
      big->next = b->next;
      b->next = big;
    } else {
      big->next = nullptr;
      d->arena = big;
    }
    return blockData(big);
  }
  htmlArenaBlock *fresh = spareTake(d, regular);
  if (!fresh) {
    fresh = static_cast<htmlArenaBlock *>(mymallocImpl(arenaHeader + regular));
    if (!fresh) return nullptr;
    fresh->size = regular;
  }
  fresh->used = n;
  fresh->next = d->arena;
  d->arena = fresh;
  if (regular < static_cast<size_t>(arenaLargestBlock)) d->arenaNext = static_cast<int>(regular * 2);
  return blockData(fresh);
}

inline void *arenaAlloc(htmlPtr d, size_t n, size_t align) {
  htmlArenaBlock *b = d->arena;
  if (b) {
    size_t at = (b->used + align - 1) & ~(align - 1);
    if (at <= b->size && n <= b->size - at) {
      b->used = at + n;
      return blockData(b) + at;
    }
  }
  return arenaAllocSlow(d, n);
}

// Copies, with the short copies of names and values done in line.
inline void copyBytes(char *dst, const char *src, size_t n) {
  if (n > 16) {
    std::memcpy(dst, src, n);
  } else if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + n - 8, 8);
    std::memcpy(dst, &a, 8);
    std::memcpy(dst + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, src, 4);
    std::memcpy(&b, src + n - 4, 4);
    std::memcpy(dst, &a, 4);
    std::memcpy(dst + n - 4, &b, 4);
  } else if (n > 0) {
    dst[0] = src[0];
    dst[n / 2] = src[n / 2];
    dst[n - 1] = src[n - 1];
  }
}

char *arenaString(htmlPtr d, const char *s, int length) {
  char *copy = static_cast<char *>(arenaAlloc(d, static_cast<size_t>(length) + 1, 1));
  if (!copy) return nullptr;
  if (length > 0) copyBytes(copy, s, static_cast<size_t>(length));
  copy[length] = 0;
  return copy;
}

// ---- byte classes ----

// A set of bytes that end a run of ordinary bytes: a table for every byte, and
// the list of them for the 16-byte-wide scan (empty: table only).
struct stopSet {
  unsigned char table[256];
  int count;
  alignas(16) unsigned char vec[16][16];
  void mark(const char *list, int n) {
    for (int i = 0; i < n; i++) {
      unsigned char c = static_cast<unsigned char>(list[i]);
      table[c] = 1;
      std::memset(vec[count++], c, 16);
    }
  }
};

struct byteTables {
  unsigned char white[256];
  unsigned char graphic[256];
  // The stops of the states with a fast path. Every set holds CR and LF, which
  // the scan counts as line breaks.
  stopSet textStop;
  stopSet closeStop;   // comments, server blocks, script bodies
  stopSet metaStop;
  stopSet valueStop;   // double-quoted values
  stopSet wordStop;    // unquoted values
  stopSet attrNameStop;
  stopSet nameStop;    // tag names past their first byte
  stopSet plainValueStop;  // a double-quoted value as long as no block opens in it
  stopSet lineStop;        // CR and LF
  stopSet plainAttrStop;   // attribute names in a plain tag (table only)
  byteTables() {
    std::memset(this, 0, sizeof *this);
    const char whiteBytes[] = {' ', '\t', '\n', '\v', '\f', '\r'};
    for (char c : whiteBytes) white[static_cast<unsigned char>(c)] = 1;
    for (int c = 0; c < 256; c++) graphic[c] = (c > 0x20 && c < 0x7f) || c >= 0x80;
    textStop.mark("<>\r\n", 4);
    closeStop.mark(">\r\n", 3);
    metaStop.mark("<>\r\n", 4);
    valueStop.mark("\"<>%?\r\n", 7);
    wordStop.mark("<> \t\v\f\r\n", 8);
    attrNameStop.mark("=/><%? \t\v\f\r\n", 12);
    for (int c = 0; c < 256; c++) nameStop.table[c] = !graphic[c] || c == '<' || c == '>' || c == '/';
    plainValueStop.mark("\"<\r\n", 4);
    lineStop.mark("\r\n", 2);
    for (const char *c = "=/<> \t\v\f\r\n"; *c; c++) plainAttrStop.table[static_cast<unsigned char>(*c)] = 1;
  }
};

const byteTables bytes;

inline bool isWhite(unsigned c) { return bytes.white[c & 0xff] != 0; }
inline bool isGraphic(unsigned c) { return bytes.graphic[c & 0xff] != 0; }

inline int lowerByte(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool sameNoCase(const char *a, const char *b, int n) {
  for (int i = 0; i < n; i++)
    if (lowerByte(static_cast<unsigned char>(a[i])) != lowerByte(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// ---- the work buffer ----

// Makes room for `more` bytes plus a terminator. The capacity doubles from its
// current size until it suffices.
htmlResult bufferReserve(htmlPtr d, long long more) {
  long long need = static_cast<long long>(d->bufferPos) + more + 1;
  if (need <= d->bufferSize) return htmlSuccess;
  if (need > INT_MAX) return htmlMemory;
  long long size = d->bufferSize > 0 ? d->bufferSize : 256;
  while (size < need) size *= 2;
  if (size > INT_MAX) size = INT_MAX;
  char *grown = static_cast<char *>(myreallocImpl(d->buffer, static_cast<size_t>(size)));
  if (!grown) return htmlMemory;
  d->buffer = grown;
  d->bufferSize = static_cast<int>(size);
  return htmlSuccess;
}

inline htmlResult bufferPut(htmlPtr d, unsigned c) {
  if (d->bufferPos + 1 >= d->bufferSize) {
    htmlResult r = bufferReserve(d, 1);
    if (r != htmlSuccess) return r;
  }
  d->buffer[d->bufferPos++] = static_cast<char>(c);
  return htmlSuccess;
}

htmlResult bufferPutRun(htmlPtr d, const char *s, int n) {
  htmlResult r = bufferReserve(d, n);
  if (r != htmlSuccess) return r;
  copyBytes(d->buffer + d->bufferPos, s, static_cast<size_t>(n));
  d->bufferPos += n;
  return htmlSuccess;
}

// ---- the document's strings ----

htmlResult leadAppend(htmlPtr d, const char *s, int n) {
  long long need = static_cast<long long>(d->leadingCommentsLength) + n + 1;
  if (need > INT_MAX) return htmlMemory;
  if (need > d->leadingCommentsSpace) {
    long long space = d->leadingCommentsSpace > 0 ? d->leadingCommentsSpace : 256;
    while (space < need) space *= 2;
    if (space > INT_MAX) space = INT_MAX;
    char *grown = static_cast<char *>(myreallocImpl(d->leadingComments, static_cast<size_t>(space)));
    if (!grown) return htmlMemory;
    d->leadingComments = grown;
    d->leadingCommentsSpace = static_cast<int>(space);
  }
  std::memcpy(d->leadingComments + d->leadingCommentsLength, s, static_cast<size_t>(n));
  d->leadingCommentsLength += n;
  d->leadingComments[d->leadingCommentsLength] = 0;
  return htmlSuccess;
}

int storedLength(const char *s, int length) {
  if (!s) return 0;
  return length > 0 ? length : static_cast<int>(std::strlen(s));
}

// Appends bytes to an entry's text. The text is reserved exactly for its first
// run; later runs (text after a comment) double the reservation, which the
// document notes for the one entry whose text grew last. A text still in the
// source is copied out first.
htmlResult textAppend(htmlTagPtr tag, const char *s, int n) {
  if (n <= 0) return htmlSuccess;
  htmlPtr d = tag->parent;
  int have = tag->textPending ? tag->textLength : storedLength(tag->text, tag->textLength);
  long long need = static_cast<long long>(have) + n + 1;
  if (need > INT_MAX) return htmlMemory;
  const long long room = d->textRoomTag == tag ? d->textRoom : have + 1;
  if (!tag->text || tag->textPending || need > room) {
    long long space = need;
    if (have > 0 && 2 * room > space) space = 2 * room;
    if (space > INT_MAX) space = INT_MAX;
    char *grown = static_cast<char *>(arenaAlloc(d, static_cast<size_t>(space), 1));
    if (!grown) return htmlMemory;
    const char *old = tag->textPending ? d->source + tag->sourceTagEnd : tag->text;
    if (have > 0) std::memcpy(grown, old, static_cast<size_t>(have));
    tag->text = grown;
    tag->textPending = 0;
    d->textRoomTag = tag;
    d->textRoom = static_cast<int>(space);
  }
  std::memcpy(tag->text + have, s, static_cast<size_t>(n));
  tag->textLength = have + n;
  tag->text[tag->textLength] = 0;
  return htmlSuccess;
}

// The text of an entry read straight from the page's source: left there (its
// length noted) when it is the first text of the entry and begins right after
// the entry's '>', at source offset at; copied otherwise.
htmlResult textFromSource(htmlTagPtr tag, const char *s, int n, long long at) {
  const htmlPtr d = tag->parent;
  if (tag->textLength == 0 && !tag->textPending && tag->sourceTagEnd == at && at >= 0 && d->source &&
      at + n <= d->sourceLength && d->source[at] == s[0]) {
    tag->textPending = 1;
    tag->textLength = n;
    return htmlSuccess;
  }
  return textAppend(tag, s, n);
}

// Text that has no entry to follow goes to leadingComments.
htmlResult pendingTextStore(htmlPtr d, const char *s, int n) {
  if (d->last) return textAppend(d->last, s, n);
  return leadAppend(d, s, n);
}

htmlResult tagAppendN(htmlPtr d, const char *name, int length) {
  // The record and its name come in one piece; the (empty) text is the
  // name's terminating zero.
  size_t size = sizeof(htmlTag) + static_cast<size_t>(length) + 1;
  char *block = static_cast<char *>(arenaAlloc(d, size, alignof(htmlTag)));
  if (!block) return htmlMemory;
  htmlTagPtr tag = reinterpret_cast<htmlTagPtr>(block);
  std::memset(tag, 0, sizeof *tag);
  tag->name = block + sizeof(htmlTag);
  if (length > 0) copyBytes(tag->name, name, static_cast<size_t>(length));
  tag->name[length] = 0;
  tag->text = tag->name + length;
  tag->nameLength = length;
  tag->row = d->row;
  tag->col = d->col;
  tag->parent = d;
  tag->sourceStart = d->pendingStart;
  tag->sourceTagEnd = -1;
  d->pendingStart = -1;
  tag->p = d->last;
  if (d->last)
    d->last->n = tag;
  else
    d->first = tag;
  d->last = tag;
  d->lastIsStyle = length == 5 && htmlEq(tag->name, "style");
  d->parserLastAttr = nullptr;
  return htmlSuccess;
}

htmlAttrPtr attrMake(htmlPtr d, const char *name, int length) {
  size_t size = sizeof(htmlAttr) + static_cast<size_t>(length) + 1;
  char *block = static_cast<char *>(arenaAlloc(d, size, alignof(htmlAttr)));
  if (!block) return nullptr;
  htmlAttrPtr a = reinterpret_cast<htmlAttrPtr>(block);
  std::memset(a, 0, sizeof *a);
  a->name = block + sizeof(htmlAttr);
  if (length > 0) copyBytes(a->name, name, static_cast<size_t>(length));
  a->name[length] = 0;
  a->nameLength = length;
  return a;
}

htmlAttrPtr lastAttrOf(htmlTagPtr tag) {
  htmlAttrPtr a = tag->first;
  while (a && a->n) a = a->n;
  return a;
}

void linkAttr(htmlTagPtr tag, htmlAttrPtr a, htmlAttrPtr tail) {
  if (tail)
    tail->n = a;
  else
    tag->first = a;
}

// The reader's attribute append: the last attribute of the entry being read is
// remembered, so that a tag with many attributes costs no walk per attribute.
htmlResult readerAttrAppend(htmlPtr d, const char *name, int length) {
  htmlTagPtr tag = d->last;
  if (!tag) return htmlSuccess;
  htmlAttrPtr a = attrMake(d, name, length);
  if (!a) return htmlMemory;
  htmlAttrPtr tail = d->parserLastAttr;
  if (!tail || tail->n) tail = lastAttrOf(tag);
  linkAttr(tag, a, tail);
  d->parserLastAttr = a;
  return htmlSuccess;
}

htmlResult attrValueSet(htmlPtr d, htmlAttrPtr a, const char *value, int length, int quoted) {
  if (value) {
    char *copy = arenaString(d, value, length);
    if (!copy) return htmlMemory;
    a->value = copy;
    a->valueLength = length;
  } else {
    a->value = nullptr;
    a->valueLength = 0;
  }
  a->quoted = quoted;
  a->openAtEnd = 0;
  return htmlSuccess;
}

htmlResult readerValueStore(htmlPtr d, int quoted, int openAtEnd) {
  htmlTagPtr tag = d->last;
  if (!tag) return htmlSuccess;
  htmlAttrPtr a = d->parserLastAttr;
  if (!a || a->n) a = lastAttrOf(tag);
  if (!a) return htmlSuccess;
  htmlResult r = attrValueSet(d, a, d->buffer, d->bufferPos, quoted);
  a->openAtEnd = openAtEnd;
  return r;
}

void logError(htmlPtr d, const char *message) {
  if (d->LogError) d->LogError(d, message);
}

void reportNeverClosed(htmlPtr d) {
  if (!d->reportedNeverClosed) logError(d, "Tag never closed");
  d->reportedNeverClosed = 1;
}

void tagEnd(htmlPtr d) {
  htmlTagPtr t = d->last;
  if (t) {
    t->closed = 1;
    t->xhtmlSlash = d->xhtmlSlash;
    if (!d->flushing) t->sourceTagEnd = d->stepOffset + 1;
  }
  d->xhtmlSlash = 0;
  d->bufferPos = 0;
  d->state = (t && (t->name[0] | 0x20) == 's' && htmlEq(t->name, "script")) ? htmlParseScriptBody : htmlParseText;
}

void beginTag(htmlPtr d) {
  d->pendingStart = d->stepOffset;
  d->bufferPos = 0;
  d->reportedNeverClosed = 0;
  d->xhtmlSlash = 0;
  d->state = htmlParseName;
}

inline void countByte(htmlPtr d, unsigned c) {
  if (!d->lastCR && !d->lastLF) {
    d->col++;
  } else if ((d->lastLF && c != '\r') || (d->lastCR && c != '\n')) {
    d->row++;
    d->col = 0;
  }
  d->lastCR = c == '\r';
  d->lastLF = c == '\n';
}

// Counts a run of bytes that holds no CR and no LF.
inline void countRun(htmlPtr d, int n) {
  if (d->lastCR || d->lastLF) {
    d->row++;
    d->col = n - 1;
  } else {
    d->col += n;
  }
  d->lastCR = d->lastLF = 0;
}

// Whether the name being read, which began with '?', still reads as "?xml" so
// far once c is added. Any other "<?" opens a server-side block.
bool xmlNameSoFar(htmlPtr d, unsigned c) {
  static const char xml[] = "?xml";
  if (d->bufferPos >= 4) return true;
  return lowerByte(static_cast<int>(c)) == xml[d->bufferPos];
}

#define TRY(expr)                          \
  do {                                     \
    htmlResult tryResult = (expr);         \
    if (tryResult != htmlSuccess) return tryResult; \
  } while (0)

htmlResult stepBlock(htmlPtr d, unsigned c) {
  if (d->flushing) {
    // A block still open at the end of the input is kept, as read, after the
    // last entry's text.
    logError(d, "ASP code never closed");
    TRY(pendingTextStore(d, "<", 1));
    TRY(pendingTextStore(d, d->buffer, d->bufferPos));
    d->bufferPos = 0;
    d->state = htmlParseText;
    return htmlSuccess;
  }
  TRY(bufferPut(d, c));
  if (c == '>' && d->bufferPos >= 2 && d->buffer[d->bufferPos - 2] == d->blockCloser) {
    d->bufferPos--;
    TRY(tagAppendN(d, d->buffer, d->bufferPos));
    d->last->closed = 1;
    d->last->sourceTagEnd = d->stepOffset + 1;
    d->bufferPos = 0;
    d->state = htmlParseText;
  }
  return htmlSuccess;
}

htmlResult stepAttrName(htmlPtr d, unsigned c) {
  if (d->attrAspNesting > 0) {
    // A server-side block written among the attributes ("<?php if ($x) { ?>")
    // is kept verbatim as one bare attribute.
    if (d->flushing) {
      TRY(readerAttrAppend(d, d->buffer, d->bufferPos));
      d->parserLastAttr->openAtEnd = 1;
      d->bufferPos = 0;
      d->state = htmlParseAttrLead;
      return htmlSuccess;
    }
    int n = d->bufferPos;
    if ((c == '%' || c == '?') && n > 0 && d->buffer[n - 1] == '<')
      d->attrAspNesting++;
    else if (c == '>' && n > 0 && (d->buffer[n - 1] == '%' || d->buffer[n - 1] == '?'))
      d->attrAspNesting--;
    TRY(bufferPut(d, c));
    if (d->attrAspNesting == 0) {
      TRY(readerAttrAppend(d, d->buffer, d->bufferPos));
      d->bufferPos = 0;
      d->state = htmlParseAttrLead;
    }
    return htmlSuccess;
  }
  if ((c == '%' || c == '?') && d->bufferPos > 0 && d->buffer[d->bufferPos - 1] == '<') {
    // The block may follow a name directly ("disabled<?php"): the name before
    // it stands on its own.
    if (d->bufferPos > 1) {
      TRY(readerAttrAppend(d, d->buffer, d->bufferPos - 1));
      d->bufferPos = 0;
      TRY(bufferPut(d, '<'));
    }
    d->attrAspNesting = 1;
    return bufferPut(d, c);
  }
  if (isWhite(c)) {
    TRY(readerAttrAppend(d, d->buffer, d->bufferPos));
    d->bufferPos = 0;
    d->state = htmlParseAttrEqualExpected;
  } else if (c == '=') {
    TRY(readerAttrAppend(d, d->buffer, d->bufferPos));
    d->attrAspNesting = 0;
    d->bufferPos = 0;
    d->state = htmlParseAttrValueLead;
  } else if (c == '/') {
    d->xhtmlSlash = 1;
  } else if (c == '>') {
    TRY(readerAttrAppend(d, d->buffer, d->bufferPos));
    tagEnd(d);
  } else {
    TRY(bufferPut(d, c));
  }
  return htmlSuccess;
}

htmlResult stepAttrLead(htmlPtr d, unsigned c) {
  if (isWhite(c)) return htmlSuccess;
  if (c == '>') {
    tagEnd(d);
  } else if (c == '/') {
    d->xhtmlSlash = 1;
  } else {
    d->attrValueQuoted = 0;
    d->attrAspNesting = 0;
    d->bufferPos = 0;
    d->state = htmlParseAttrName;
    return stepAttrName(d, c);
  }
  return htmlSuccess;
}

htmlResult stepName(htmlPtr d, unsigned c) {
  if (d->bufferPos > 0 && d->buffer[0] == '?' && !xmlNameSoFar(d, c)) {
    d->blockCloser = '?';
    d->state = htmlParseASPStatement;
    return stepBlock(d, c);
  }
  if (!isGraphic(c)) {
    TRY(tagAppendN(d, d->buffer, d->bufferPos));
    d->bufferPos = 0;
    d->state = htmlParseAttrLead;
    // A control byte that ends the name is kept as the start of an attribute.
    if (!isWhite(c)) return stepAttrLead(d, c);
  } else if (c == '>') {
    if (d->bufferPos == 0) logError(d, "Tag with no name");
    TRY(tagAppendN(d, d->buffer, d->bufferPos));
    tagEnd(d);
  } else if (c == '<') {
    reportNeverClosed(d);
    d->bufferPos = 0;
    d->xhtmlSlash = 0;
  } else if (c == '/' && d->bufferPos > 0) {
    d->xhtmlSlash = 1;
  } else {
    TRY(bufferPut(d, c));
    const char *b = d->buffer;
    int n = d->bufferPos;
    if (n >= 3 && b[0] == '!' && b[1] == '-' && b[2] == '-') {
      d->bufferPos = 0;
      TRY(bufferPutRun(d, "<!--", 4));
      d->state = htmlParseComments;
    } else if (b[0] == '!' && ((n == 2 && b[1] != '-') || n >= 3)) {
      d->state = htmlParseMetaName;
    } else if (n == 1 && b[0] == '%') {
      d->blockCloser = '%';
      d->state = htmlParseASPStatement;
    }
  }
  return htmlSuccess;
}

htmlResult stepComments(htmlPtr d, unsigned c) {
  if (d->flushing)
    TRY(bufferPutRun(d, "-->", 3));
  else
    TRY(bufferPut(d, c));
  int n = d->bufferPos;
  if (n >= 3 && d->buffer[n - 1] == '>' && d->buffer[n - 2] == '-' && d->buffer[n - 3] == '-') {
    if (!d->last) {
      if (!d->ignoreComments) TRY(leadAppend(d, d->buffer, d->bufferPos));
      d->bufferPos = 0;
      d->state = htmlParseLead;
    } else {
      if (d->ignoreComments) d->bufferPos = 0;
      d->state = htmlParseText;
      if (d->flushing) {
        // The completed comment is the end of the last entry's text.
        TRY(textAppend(d->last, d->buffer, d->bufferPos));
        d->bufferPos = 0;
      }
    }
  }
  return htmlSuccess;
}

htmlResult stepScriptBody(htmlPtr d, unsigned c) {
  if (d->flushing) {
    // A script still open at the end of the input keeps what was read of its body.
    if (!d->ignoreScripts && d->last) TRY(textAppend(d->last, d->buffer, d->bufferPos));
    d->bufferPos = 0;
    d->state = htmlParseText;
    return htmlSuccess;
  }
  TRY(bufferPut(d, c));
  int n = d->bufferPos;
  if (c == '>' && n > 8 && sameNoCase(d->buffer + n - 9, "</script>", 9)) {
    if (!d->ignoreScripts && d->last) TRY(textAppend(d->last, d->buffer, n - 9));
    d->pendingStart = d->stepOffset - 8;
    TRY(tagAppendN(d, "/script", 7));
    d->last->sourceTagEnd = d->stepOffset + 1;
    d->bufferPos = 0;
    d->state = htmlParseText;
  }
  return htmlSuccess;
}

htmlResult step(htmlPtr d, unsigned c) {
  countByte(d, c);
  switch (d->state) {
    case htmlParseLead:
      if (isWhite(c)) {
        if (!d->ignoreComments && !d->flushing) {
          char ch = static_cast<char>(c);
          TRY(leadAppend(d, &ch, 1));
        }
      } else if (c == '>') {
        logError(d, "Closing > before the first tag");
      } else if (c == '<') {
        beginTag(d);
      } else {
        d->bufferPos = 0;
        TRY(bufferPut(d, c));
        d->pendingStart = d->stepOffset;
        TRY(tagAppendN(d, "P", 1));
        d->state = htmlParseText;
      }
      break;

    case htmlParseName:
      TRY(stepName(d, c));
      break;

    case htmlParseMetaName:
      if (d->flushing) {
        // A declaration still open at the end of the input becomes an entry.
        TRY(tagAppendN(d, d->buffer, d->bufferPos));
        d->bufferPos = 0;
        d->state = htmlParseText;
      } else if (c == '>') {
        TRY(tagAppendN(d, d->buffer, d->bufferPos));
        tagEnd(d);
      } else if (c == '<') {
        reportNeverClosed(d);
        d->pendingStart = d->stepOffset;
        d->bufferPos = 0;
        d->xhtmlSlash = 0;
        d->state = htmlParseName;
      } else {
        TRY(bufferPut(d, c));
      }
      break;

    case htmlParseAttrLead:
      TRY(stepAttrLead(d, c));
      break;

    case htmlParseAttrName:
      TRY(stepAttrName(d, c));
      break;

    case htmlParseAttrEqualExpected:
      if (isWhite(c)) break;
      if (c == '=') {
        d->attrAspNesting = 0;
        d->bufferPos = 0;
        d->state = htmlParseAttrValueLead;
      } else if (c == '>') {
        tagEnd(d);
      } else if (c == '/') {
        d->xhtmlSlash = 1;
      } else {
        d->attrValueQuoted = 0;
        d->attrAspNesting = 0;
        d->bufferPos = 0;
        TRY(bufferPut(d, c));
        d->state = htmlParseAttrName;
      }
      break;

    case htmlParseAttrValueLead:
      if (isWhite(c)) break;
      if (c == '>') {
        logError(d, "Value missing for attribute");
        tagEnd(d);
      } else if (c == '"') {
        d->attrValueQuoted = 1;
        d->bufferPos = 0;
        d->state = htmlParseAttrValueString;
      } else {
        d->attrAspNesting = c == '<' ? 1 : 0;
        d->attrValueQuoted = 0;
        d->bufferPos = 0;
        TRY(bufferPut(d, c));
        d->state = htmlParseAttrValueWord;
      }
      break;

    case htmlParseAttrValueString:
      if (d->flushing) {
        // The input ended inside the value: it is kept. A value with no block
        // open in it is closed; one inside an open block is written as read.
        logError(d, "Closing quotation mark missing for attribute");
        int open = d->attrAspNesting > 0;
        TRY(readerValueStore(d, 1, open));
        d->bufferPos = 0;
        d->state = htmlParseAttrLead;
      } else if (c == '"' && d->attrAspNesting == 0) {
        TRY(readerValueStore(d, 1, 0));
        d->bufferPos = 0;
        d->state = htmlParseAttrLead;
      } else {
        // Inside the quotes only a server-side block ("<%" or "<?" up to "%>" or
        // "?>") nests; within it a double quotation mark does not end the value.
        int n = d->bufferPos;
        if ((c == '%' || c == '?') && n > 0 && d->buffer[n - 1] == '<')
          d->attrAspNesting++;
        else if (c == '>' && d->attrAspNesting > 0 && n > 0 &&
                 (d->buffer[n - 1] == '%' || d->buffer[n - 1] == '?'))
          d->attrAspNesting--;
        TRY(bufferPut(d, c));
      }
      break;

    case htmlParseAttrValueWord:
      if (d->flushing) {
        TRY(readerValueStore(d, 0, d->attrAspNesting > 0));
        d->bufferPos = 0;
        d->state = htmlParseAttrLead;
      } else if (c == '>' && d->attrAspNesting == 0) {
        TRY(readerValueStore(d, 0, 0));
        tagEnd(d);
      } else if (c == '>') {
        d->attrAspNesting--;
        TRY(bufferPut(d, c));
      } else if (c == '<') {
        d->attrAspNesting++;
        TRY(bufferPut(d, c));
      } else if (isWhite(c) && d->attrAspNesting == 0) {
        TRY(readerValueStore(d, 0, 0));
        d->bufferPos = 0;
        d->state = htmlParseAttrLead;
      } else {
        TRY(bufferPut(d, c));
      }
      break;

    case htmlParseText:
      if (c == '<' || d->flushing) {
        TRY(pendingTextStore(d, d->buffer, d->bufferPos));
        beginTag(d);
      } else if (c == '>' && !d->lastIsStyle) {
        TRY(bufferPutRun(d, "&gt;", 4));
      } else {
        TRY(bufferPut(d, c));
      }
      break;

    case htmlParseComments:
      TRY(stepComments(d, c));
      break;

    case htmlParseASPStatement:
      TRY(stepBlock(d, c));
      break;

    case htmlParseScriptBody:
      TRY(stepScriptBody(d, c));
      break;
  }
  if (c == '\n') d->line++;
  return htmlSuccess;
}

// In these states CR and LF are ordinary bytes, counted during the scan.
bool linesAreOrdinary(htmlParseState state) {
  return state != htmlParseAttrValueWord && state != htmlParseAttrName && state != htmlParseName;
}

#ifdef __SSE2__
template <int N>
inline const unsigned char *findStopWide(const stopSet &set, const unsigned char *q,
                                         const unsigned char *end) {
  __m128i want[N];
  for (int k = 0; k < N; k++) want[k] = _mm_load_si128(reinterpret_cast<const __m128i *>(set.vec[k]));
  while (end - q >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
    __m128i m = _mm_cmpeq_epi8(v, want[0]);
    for (int k = 1; k < N; k++) m = _mm_or_si128(m, _mm_cmpeq_epi8(v, want[k]));
    int mask = _mm_movemask_epi8(m);
    if (mask) return q + __builtin_ctz(static_cast<unsigned>(mask));
    q += 16;
  }
  return q;
}
#endif

inline const unsigned char *findStop(const stopSet &set, const unsigned char *q,
                                     const unsigned char *end) {
#ifdef __SSE2__
  // Sets of a few bytes are compared 16 bytes at a time from the start; for
  // the larger sets of the tag states the first bytes go through the table.
  if (set.count > 4) {
#endif
    const unsigned char *near = end - q > 16 ? q + 16 : end;
    while (q < near) {
      if (set.table[*q]) return q;
      q++;
    }
    if (q == end) return q;
#ifdef __SSE2__
  }
  switch (set.count) {
    case 2: q = findStopWide<2>(set, q, end); break;
    case 3: q = findStopWide<3>(set, q, end); break;
    case 4: q = findStopWide<4>(set, q, end); break;
    case 7: q = findStopWide<7>(set, q, end); break;
    case 8: q = findStopWide<8>(set, q, end); break;
    case 12: q = findStopWide<12>(set, q, end); break;
    default: break;
  }
#endif
  while (q < end && !set.table[*q]) q++;
  return q;
}

// The first of the bytes C... from q on, or end: findStop for a set known
// when compiling, with no table and no choice of loop at run time.
template <unsigned char... C>
inline bool isAny(unsigned c) {
  return ((c == C) || ...);
}

template <unsigned char... C>
inline const unsigned char *findAny(const unsigned char *q, const unsigned char *end) {
#ifdef __SSE2__
  while (end - q >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
    __m128i m = _mm_setzero_si128();
    ((m = _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(C))))), ...);
    const int mask = _mm_movemask_epi8(m);
    if (mask) return q + __builtin_ctz(static_cast<unsigned>(mask));
    q += 16;
  }
#endif
  while (q < end && !isAny<C...>(*q)) q++;
  return q;
}

// The stops of text, of a double-quoted value in a plain tag, and of an
// unquoted value (textStop, plainValueStop and wordStop).
inline const unsigned char *findTextStop(const unsigned char *q, const unsigned char *end) {
  return findAny<'<', '>', '\r', '\n'>(q, end);
}
inline const unsigned char *findPlainValueStop(const unsigned char *q, const unsigned char *end) {
  return findAny<'"', '<', '\r', '\n'>(q, end);
}
inline const unsigned char *findWordStop(const unsigned char *q, const unsigned char *end) {
  return findAny<'<', '>', ' ', '\t', '\v', '\f', '\r', '\n'>(q, end);
}

// The end of the run of ordinary bytes that starts at p. The position
// counters advance over it as if each byte had been handled alone.
template <class Find>
inline const unsigned char *scanRunWith(htmlPtr d, const unsigned char *p, const unsigned char *end,
                                        Find find, bool inlineLines) {
  const unsigned char *s = p, *q = p;
  for (;;) {
    q = find(q, end);
    if (q == end) break;
    unsigned c = *q;
    if (!inlineLines || (c != '\n' && c != '\r')) break;
    if (q > s) countRun(d, static_cast<int>(q - s));
    countByte(d, c);
    if (c == '\n') d->line++;
    s = ++q;
  }
  if (q > s) countRun(d, static_cast<int>(q - s));
  return q;
}

const unsigned char *scanRun(htmlPtr d, const unsigned char *p, const unsigned char *end,
                             const stopSet &stops, bool inlineLines) {
  return scanRunWith(
      d, p, end, [&stops](const unsigned char *q, const unsigned char *e) { return findStop(stops, q, e); },
      inlineLines);
}

const stopSet *fastStops(htmlPtr d) {
  switch (d->state) {
    case htmlParseText:
      return &bytes.textStop;
    case htmlParseComments:
    case htmlParseASPStatement:
    case htmlParseScriptBody:
      return &bytes.closeStop;
    case htmlParseMetaName:
      return &bytes.metaStop;
    case htmlParseAttrValueString:
      return &bytes.valueStop;
    case htmlParseAttrValueWord:
      return &bytes.wordStop;
    case htmlParseAttrName:
      // A name that begins with '<' may open a server-side block: byte by byte.
      if (d->bufferPos > 0 && d->buffer[0] == '<') return nullptr;
      return &bytes.attrNameStop;
    case htmlParseName:
      // The first bytes decide declarations, comments and blocks: byte by byte.
      if (d->bufferPos == 0 || d->buffer[0] == '!' || d->buffer[0] == '%' || d->buffer[0] == '?')
        return nullptr;
      return &bytes.nameStop;
    default:
      return nullptr;
  }
}

// Advances the position counters over the bytes from s to e, as if each had
// been handled alone.
void countSpan(htmlPtr d, const unsigned char *s, const unsigned char *e) {
  while (s < e) {
    const unsigned char *q = findStop(bytes.lineStop, s, e);
    if (q > s) countRun(d, static_cast<int>(q - s));
    if (q == e) break;
    countByte(d, *q);
    if (*q == '\n') d->line++;
    s = q + 1;
  }
}

inline const unsigned char *skipWhite(const unsigned char *p, const unsigned char *end) {
  while (p < end && isWhite(*p)) p++;
  return p;
}

// The attribute list of a tag in its common forms (names, "=", double-quoted
// values without blocks, plain unquoted values), read straight from the input
// with exactly the result of the state machine. At anything else, or where
// the input ends, it stops with the state set as the machine would have it,
// and the machine goes on from that byte. No message arises on this way, so
// the position counters are brought up to date once, at the end.
htmlResult fastAttributes(htmlPtr d, const unsigned char *&p, const unsigned char *end) {
  const unsigned char *start = p;
  htmlResult r = htmlSuccess;
  for (;;) {
    // As in htmlParseAttrLead.
    p = skipWhite(p, end);
    if (p == end) break;
    unsigned c = *p;
    if (c == '>' || c == '/' || c == '<' || c == '=') break;
    const unsigned char *q = findStop(bytes.attrNameStop, p, end);
    if (q == end || *q == '<' || *q == '%' || *q == '?' || *q == '/') break;
    d->attrValueQuoted = 0;
    d->attrAspNesting = 0;
    d->bufferPos = 0;
    r = readerAttrAppend(d, reinterpret_cast<const char *>(p), static_cast<int>(q - p));
    if (r != htmlSuccess) break;
    d->state = htmlParseAttrEqualExpected;
    p = q;
    // As in htmlParseAttrEqualExpected.
    p = skipWhite(p, end);
    if (p == end) break;
    if (*p != '=') {
      if (*p == '>' || *p == '/') break;
      d->state = htmlParseAttrLead;  // the attribute stays bare; a new name follows
      continue;
    }
    p++;
    d->state = htmlParseAttrValueLead;
    // As in htmlParseAttrValueLead.
    p = skipWhite(p, end);
    if (p == end) break;
    c = *p;
    if (c == '>' || c == '<') break;
    d->bufferPos = 0;
    if (c == '"') {
      const unsigned char *v = p + 1;
      q = v;
      for (;;) {
        q = findStop(bytes.plainValueStop, q, end);
        if (q == end || (*q != '\r' && *q != '\n')) break;
        q++;
      }
      d->attrValueQuoted = 1;
      if (q == end || *q != '"') {
        // A '<' may open a block, or the input ends: the machine goes on with
        // what was read so far.
        r = bufferPutRun(d, reinterpret_cast<const char *>(v), static_cast<int>(q - v));
        d->state = htmlParseAttrValueString;
        p = q;
        break;
      }
      r = attrValueSet(d, d->parserLastAttr, reinterpret_cast<const char *>(v),
                       static_cast<int>(q - v), 1);
      if (r != htmlSuccess) break;
      p = q + 1;
    } else {
      q = findStop(bytes.wordStop, p, end);
      if (q == end || *q == '<') {
        r = bufferPutRun(d, reinterpret_cast<const char *>(p), static_cast<int>(q - p));
        d->state = htmlParseAttrValueWord;
        p = q;
        break;
      }
      r = attrValueSet(d, d->parserLastAttr, reinterpret_cast<const char *>(p),
                       static_cast<int>(q - p), 0);
      if (r != htmlSuccess) break;
      p = *q == '>' ? q : q + 1;  // the white space that ends the value is taken
    }
    d->state = htmlParseAttrLead;
  }
  countSpan(d, start, p);
  return r;
}

// ---- tags in their plain form ----

// A tag in its plain form: a name that needs no byte-by-byte decision (no
// declaration, comment or block), then attributes written as names, "=" and
// values either double-quoted without a '<' or plain, up to the tag's '>'.
// The state machine reads such a tag without a message and with nothing
// carried over from before it, so that the same bytes read again give the
// same attributes: they can be built later, from the page's source.
struct plainTag {
  const unsigned char *made;   // the byte at which the state machine makes the entry
  const unsigned char *close;  // the tag's '>'
  int nameLength;
  int slash;                   // a self-closing '/' stood in it
  int tidy;                    // htmlTagWrite writes it, '<' to '>', as it stands
  int attrs;                   // it has attributes
  int lines;                   // a CR or LF stands in it
};

// What a scan does with the attributes it finds: nothing, or build them.
struct attrIgnore {
  bool attr(const unsigned char *, int) { return true; }
  bool value(const unsigned char *, int, int) { return true; }
};

struct attrBuilder {
  htmlPtr d;
  htmlAttrPtr head, tail;  // the list built, not yet given to an entry
  bool failed;
  bool attr(const unsigned char *s, int n) {
    htmlAttrPtr a = attrMake(d, reinterpret_cast<const char *>(s), n);
    if (!a) {
      failed = true;
      return false;
    }
    if (tail)
      tail->n = a;
    else
      head = a;
    tail = a;
    return true;
  }
  bool value(const unsigned char *s, int n, int quoted) {
    if (!tail || attrValueSet(d, tail, reinterpret_cast<const char *>(s), n, quoted) != htmlSuccess) {
      failed = true;
      return false;
    }
    return true;
  }
};

// The end of an attribute name in a plain tag: '=', '/', '<', '>' or white space.
inline const unsigned char *plainAttrNameEnd(const unsigned char *q, const unsigned char *end) {
#ifdef __SSE2__
  const __m128i eq = _mm_set1_epi8('='), slash = _mm_set1_epi8('/'), lt = _mm_set1_epi8('<'),
                gt = _mm_set1_epi8('>'), space = _mm_set1_epi8(' '), nine = _mm_set1_epi8(9),
                four = _mm_set1_epi8(4);
  while (end - q >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
    __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, eq), _mm_cmpeq_epi8(v, slash)),
                             _mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)));
    // Tab, LF, VT, FF and CR are the bytes 9 to 13.
    __m128i control = _mm_sub_epi8(v, nine);
    m = _mm_or_si128(m, _mm_or_si128(_mm_cmpeq_epi8(v, space),
                                     _mm_cmpeq_epi8(_mm_max_epu8(control, four), four)));
    int mask = _mm_movemask_epi8(m);
    if (mask) return q + __builtin_ctz(static_cast<unsigned>(mask));
    q += 16;
  }
#endif
  while (q < end && !bytes.plainAttrStop.table[*q]) q++;
  return q;
}

// Reads the tag whose name begins at p, as the state machine would, handing
// its attributes to sink. false when it is not in the plain form or the input
// ends first.
template <class Sink>
bool plainTagScan(const unsigned char *p, const unsigned char *end, plainTag &t, Sink &sink) {
  const unsigned char *q = p;
  if (q == end) return false;
  unsigned c = *q;
  if (!isGraphic(c) || c == '<' || c == '>' || c == '!' || c == '%' || c == '?') return false;
  q++;
  while (q < end && !bytes.nameStop.table[*q]) q++;
  if (q == end) return false;
  t.nameLength = static_cast<int>(q - p);
  t.slash = 0;
  t.tidy = 1;
  t.attrs = 0;
  t.lines = 0;
  c = *q;
  if (c == '>') {
    t.made = t.close = q;
    return true;
  }
  if (c == '/') {
    // "<br/>": the name ends at the '>' that follows; anything else continues it.
    if (end - q < 2 || q[1] != '>') return false;
    t.slash = 1;
    t.tidy = 0;
    t.made = t.close = q + 1;
    return true;
  }
  if (!isWhite(c)) return false;  // '<', or a control byte
  t.made = q;
  bool afterName = false;  // a bare name and white space were read: '=' gives it a value
  for (;;) {
    const unsigned char *w = q;
    for (; q < end && isWhite(*q); q++)
      if (*q == '\n' || *q == '\r') t.lines = 1;
    if (q == end) return false;
    c = *q;
    const bool oneSpace = q - w == 1 && *w == ' ';
    if (c == '>') {
      if (q != w) t.tidy = 0;
      t.close = q;
      return true;
    }
    if (c == '/') {
      if (!oneSpace || end - q < 2 || q[1] != '>' || t.slash) t.tidy = 0;
      t.slash = 1;
      q++;
      continue;
    }
    if (c == '<') return false;
    if (c == '=') {
      if (!afterName) return false;
      t.tidy = 0;
      q++;
    } else {
      if (!oneSpace || t.slash) t.tidy = 0;
      const unsigned char *n = q++;
      q = plainAttrNameEnd(q, end);
      if (q == end) return false;
      c = *q;
      if (c == '<' || c == '/') return false;
      t.attrs = 1;
      if (!sink.attr(n, static_cast<int>(q - n))) return false;
      if (c == '>') {
        t.close = q;
        return true;
      }
      if (c != '=') {
        afterName = true;
        continue;
      }
      q++;
    }
    afterName = false;
    const unsigned char *v = q;
    for (; q < end && isWhite(*q); q++)
      if (*q == '\n' || *q == '\r') t.lines = 1;
    if (q == end) return false;
    if (q != v) t.tidy = 0;
    c = *q;
    if (c == '>' || c == '<') return false;
    if (c == '"') {
      v = ++q;
      for (;;) {
        q = findPlainValueStop(q, end);
        if (q == end || (*q != '\r' && *q != '\n')) break;
        t.lines = 1;
        q++;
      }
      if (q == end || *q == '<') return false;
      if (!sink.value(v, static_cast<int>(q - v), 1)) return false;
      q++;
    } else {
      v = q;
      q = findWordStop(q, end);
      if (q == end || *q == '<') return false;
      if (!sink.value(v, static_cast<int>(q - v), 0)) return false;
    }
  }
}

// Builds the attributes the reader left in the source. false when memory ran out.
bool attrsBuild(htmlTagPtr tag) {
  if (!tag->attrsPending) return true;
  htmlPtr d = tag->parent;
  const unsigned char *s = reinterpret_cast<const unsigned char *>(d->source);
  attrBuilder b = {d, nullptr, nullptr, false};
  plainTag t;
  if (!plainTagScan(s + tag->sourceStart + 1, s + tag->sourceTagEnd, t, b) || b.failed) return false;
  tag->first = b.head;
  tag->attrsPending = 0;
  return true;
}

// Counts the bytes of a plain tag up to the one at which its entry is made.
inline void countTagHead(htmlPtr d, const unsigned char *p, const plainTag &t) {
  if (t.lines)
    countSpan(d, p, t.made + 1);
  else
    countRun(d, static_cast<int>(t.made + 1 - p));
}

// A tag in its plain form, read at once from p, the byte after its '<'. *done
// is false when the tag is not in that form; nothing has changed then. When
// the tag's bytes are in the page's source, its attributes are left there
// until they are asked for.
htmlResult plainTagRead(htmlPtr d, const unsigned char *&p, const unsigned char *end,
                        const unsigned char *start, long long base, bool *done) {
  *done = false;
  const long long lt = base + (p - start) - 1;
  const bool lazy = d->source && lt >= 0 && d->pendingStart == lt && base + (end - start) <= d->sourceLength &&
                    d->source[lt] == '<';
  plainTag t;
  if (lazy) {
    attrIgnore none;
    if (!plainTagScan(p, end, t, none)) return htmlSuccess;
  } else {
    // The attributes are built as they are found; when the tag turns out not
    // to be plain, the memory they took in the current block is given back.
    htmlArenaBlock *block = d->arena;
    const size_t used = block ? block->used : 0;
    attrBuilder b = {d, nullptr, nullptr, false};
    const bool plain = plainTagScan(p, end, t, b);
    if (b.failed) return htmlMemory;
    if (!plain) {
      if (block && d->arena == block) block->used = used;
      return htmlSuccess;
    }
    countTagHead(d, p, t);
    TRY(tagAppendN(d, reinterpret_cast<const char *>(p), t.nameLength));
    d->last->first = b.head;
    d->parserLastAttr = b.tail;
  }
  *done = true;
  const long long closeAt = base + (t.close - start);
  if (lazy) {
    countTagHead(d, p, t);
    TRY(tagAppendN(d, reinterpret_cast<const char *>(p), t.nameLength));
    d->last->attrsPending = t.attrs;
  }
  htmlTagPtr tag = d->last;
  tag->sourceForm = lazy && t.tidy && d->source[closeAt] == '>';
  if (t.lines)
    countSpan(d, t.made + 1, t.close + 1);
  else if (t.close > t.made)
    countRun(d, static_cast<int>(t.close - t.made));
  d->xhtmlSlash = t.slash;
  d->stepOffset = closeAt;
  tagEnd(d);
  p = t.close + 1;
  return htmlSuccess;
}

// ---- writing ----

// Collects one entry's output and hands it to the stream in few calls.
struct tagOutput {
  FILE *out;
  char buf[4096];
  size_t used = 0;
  explicit tagOutput(FILE *f) : out(f) {}
  void flush() {
    if (used) {
#ifdef __GLIBC__
      fwrite_unlocked(buf, 1, used, out);
#else
      std::fwrite(buf, 1, used, out);
#endif
    }
    used = 0;
  }
  void put(const char *s, size_t n) {
    if (n > sizeof buf - used) {
      flush();
      if (n > sizeof buf / 2) {
#ifdef __GLIBC__
        fwrite_unlocked(s, 1, n, out);
#else
        std::fwrite(s, 1, n, out);
#endif
        return;
      }
    }
    copyBytes(buf + used, s, n);
    used += n;
  }
  void put(char c) {
    if (used == sizeof buf) flush();
    buf[used++] = c;
  }
};

}  // namespace

// ---- document life ----

htmlResult htmlCreate(htmlPtr *out) {
  if (!out) return htmlBadArguments;
  *out = nullptr;
  htmlPtr d = static_cast<htmlPtr>(mycallocImpl(1, sizeof(htmlStruct)));
  if (!d) return htmlMemory;
  d->buffer = static_cast<char *>(mymallocImpl(256));
  d->leadingComments = static_cast<char *>(mymallocImpl(256));
  if (!d->buffer || !d->leadingComments) {
    myfreeImpl(d->buffer);
    myfreeImpl(d->leadingComments);
    myfreeImpl(d);
    return htmlMemory;
  }
  d->state = htmlParseLead;
  d->bufferSize = 256;
  d->leadingComments[0] = 0;
  d->leadingCommentsSpace = 256;
  d->LogError = htmlLogError;
  d->line = 1;
  d->ignoreComments = 1;
  d->ignoreScripts = 1;
  d->row = 1;
  d->col = 0;
  d->arenaNext = arenaFirstBlock;
  d->pendingStart = -1;
  if (keepSpares) d->spare = spareBlocks.exchange(nullptr);
  *out = d;
  return htmlSuccess;
}

htmlResult htmlDestroy(htmlPtr d) {
  if (!d) return htmlBadArguments;
  // The blocks, and the source, are kept for the next document while they
  // are not too large; what they replace is released.
  htmlArenaBlock *chain = d->arena;
  if (chain) {
    htmlArenaBlock *tail = chain;
    while (tail->next) tail = tail->next;
    tail->next = d->spare;
  } else {
    chain = d->spare;
  }
  size_t total = 0;
  for (htmlArenaBlock *b = chain; b && total <= spareBlocksLimit; b = b->next) total += b->size;
  if (keepSpares && chain && total <= spareBlocksLimit)
    blocksFree(spareBlocks.exchange(chain));
  else
    blocksFree(chain);
  myfreeImpl(d->buffer);
  myfreeImpl(d->leadingComments);
  if (keepSpares && d->source && d->sourceSpace >= static_cast<long long>(sizeof(long long)) &&
      d->sourceSpace <= spareSourceLimit) {
    std::memcpy(d->source, &d->sourceSpace, sizeof(long long));
    myfreeImpl(spareSource.exchange(d->source));
  } else {
    myfreeImpl(d->source);
  }
  myfreeImpl(d);
  return htmlSuccess;
}

void htmlIgnoreComments(htmlPtr d, int flag) {
  if (d) d->ignoreComments = flag;
}

void htmlIgnoreScripts(htmlPtr d, int flag) {
  if (d) d->ignoreScripts = flag;
}

// ---- line ends ----

int htmlLineEndKept(htmlPtr d) {
  if (!d) return 0;
  switch (d->state) {
    case htmlParseLead:
    case htmlParseComments:
      return !d->ignoreComments;
    case htmlParseScriptBody:
      return !d->ignoreScripts;
    case htmlParseText:
    case htmlParseMetaName:
    case htmlParseAttrValueString:
    case htmlParseASPStatement:
      return 1;
    case htmlParseName:
      // "<?" followed by a line end opens a server-side block, kept as read.
      return d->bufferPos > 0 && d->buffer[0] == '?' && d->bufferPos < 4;
    case htmlParseAttrName:
    case htmlParseAttrValueWord:
      return d->attrAspNesting > 0;  // inside a server-side block among the attributes
    default:
      return 0;  // whitespace between a tag's parts, written back as one space
  }
}

// ---- feeding ----

htmlResult htmlAppendText(htmlPtr d, const char *text, int length) {
  if (!d || (!text && length > 0)) return htmlBadArguments;
  const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
  const unsigned char *start = p;
  const unsigned char *end = p + (length > 0 ? length : 0);
  const long long base = d->fed + d->sourceSkew;
  d->fed += end - p;
  while (p < end) {
    if (!d->flushing) {
      if (d->state == htmlParseName && d->bufferPos == 0) {
        bool done = false;
        TRY(plainTagRead(d, p, end, start, base, &done));
        if (done) {
          // The text that follows, when a '<' ends it, goes straight to the
          // entry, and that '<' begins the next tag, as step would have it.
          if (d->state == htmlParseText && d->bufferPos == 0 && p < end) {
            const unsigned char *q = scanRunWith(d, p, end, findTextStop, true);
            if (q < end && *q == '<') {
              if (q > p)
                TRY(textFromSource(d->last, reinterpret_cast<const char *>(p), static_cast<int>(q - p),
                                   base + (p - start)));
              d->stepOffset = base + (q - start);
              countByte(d, '<');
              beginTag(d);
              p = q + 1;
            } else if (q > p) {
              TRY(bufferPutRun(d, reinterpret_cast<const char *>(p), static_cast<int>(q - p)));
              p = q;
            }
          }
          continue;
        }
      }
      if (d->state == htmlParseAttrLead && d->last) {
        TRY(fastAttributes(d, p, end));
        if (p == end) break;
      }
      const stopSet *stops = fastStops(d);
      if (stops) {
        const unsigned char *q = scanRun(d, p, end, *stops, linesAreOrdinary(d->state));
        if (q > p) {
          int n = static_cast<int>(q - p);
          if (d->state == htmlParseText && d->bufferPos == 0 && q < end && *q == '<' && d->last) {
            // A whole text run between two tags goes straight to its entry.
            TRY(textFromSource(d->last, reinterpret_cast<const char *>(p), n, base + (p - start)));
          } else {
            TRY(bufferPutRun(d, reinterpret_cast<const char *>(p), n));
          }
          p = q;
          if (p == end) break;
        }
      }
    }
    d->stepOffset = base + (p - start);
    TRY(step(d, *p++));
  }
  return htmlSuccess;
}

htmlResult htmlAppendChar(htmlPtr d, int c) {
  if (!d) return htmlBadArguments;
  d->stepOffset = d->fed + d->sourceSkew;
  d->fed++;
  return step(d, static_cast<unsigned>(c) & 0xff);
}

htmlResult htmlAppendString(htmlPtr d, const char *s) {
  if (!d) return htmlBadArguments;
  if (!s) return htmlSuccess;
  size_t n = std::strlen(s);
  if (n > static_cast<size_t>(INT_MAX)) return htmlMemory;
  return htmlAppendText(d, s, static_cast<int>(n));
}

htmlResult htmlFlushText(htmlPtr d) {
  if (!d) return htmlBadArguments;
  d->flushing = 1;
  d->stepOffset = d->fed + d->sourceSkew;
  htmlResult r = step(d, ' ');
  d->flushing = 0;
  if (r != htmlSuccess) return r;
  // The self-closing mark of a tag still open at the end belongs to it.
  if (d->xhtmlSlash && d->last && !d->last->closed) d->last->xhtmlSlash = 1;
  d->xhtmlSlash = 0;
  return htmlSuccess;
}

// ---- entries and attributes ----

namespace {

void markEdited(htmlTagPtr tag, int how) {
  if (tag->edited < how) tag->edited = how;
}

}  // namespace

htmlResult htmlTagAppend(htmlPtr d, const char *name) {
  if (!d || !name) return htmlBadArguments;
  size_t n = std::strlen(name);
  if (n > static_cast<size_t>(INT_MAX)) return htmlMemory;
  d->pendingStart = -1;
  return tagAppendN(d, name, static_cast<int>(n));
}

const char *htmlTagText(htmlTagPtr tag) {
  if (!tag) return nullptr;
  if (tag->textPending) {
    htmlPtr d = tag->parent;
    char *copy = arenaString(d, d->source + tag->sourceTagEnd, tag->textLength);
    if (!copy) return nullptr;
    tag->text = copy;
    tag->textPending = 0;
  }
  return tag->text;
}

htmlAttrPtr htmlTagAttrFirst(htmlTagPtr tag) {
  if (!tag || !attrsBuild(tag)) return nullptr;
  return tag->first;
}

htmlResult htmlTagAttrAppend(htmlTagPtr tag, const char *name) {
  if (!tag || !tag->parent || !name) return htmlBadArguments;
  if (!attrsBuild(tag)) return htmlMemory;
  htmlAttrPtr a = attrMake(tag->parent, name, static_cast<int>(std::strlen(name)));
  if (!a) return htmlMemory;
  linkAttr(tag, a, lastAttrOf(tag));
  a->added = 1;
  markEdited(tag, 1);
  return htmlSuccess;
}

htmlResult htmlTagLastAttrSet(htmlTagPtr tag, const char *value, int quoted) {
  if (!tag || !tag->parent) return htmlBadArguments;
  if (!attrsBuild(tag)) return htmlMemory;
  htmlAttrPtr a = lastAttrOf(tag);
  if (!a) return htmlBadArguments;
  markEdited(tag, a->added ? 1 : 2);
  return attrValueSet(tag->parent, a, value, value ? static_cast<int>(std::strlen(value)) : 0, quoted);
}

htmlResult htmlTagAttrSet(htmlTagPtr tag, const char *name, const char *value, int quoted) {
  if (!tag || !tag->parent || !name) return htmlBadArguments;
  if (!attrsBuild(tag)) return htmlMemory;
  int length = value ? static_cast<int>(std::strlen(value)) : 0;
  for (htmlAttrPtr a = tag->first; a; a = a->n) {
    if (!htmlEq(a->name, name)) continue;
    markEdited(tag, a->added ? 1 : 2);
    return attrValueSet(tag->parent, a, value, length, quoted);
  }
  htmlAttrPtr a = attrMake(tag->parent, name, static_cast<int>(std::strlen(name)));
  if (!a) return htmlMemory;
  linkAttr(tag, a, lastAttrOf(tag));
  a->added = 1;
  markEdited(tag, 1);
  return attrValueSet(tag->parent, a, value, length, quoted);
}

htmlResult htmlTagAttrDestroy(htmlTagPtr tag, const char *name) {
  if (!tag || !name) return htmlBadArguments;
  if (!attrsBuild(tag)) return htmlMemory;
  htmlAttrPtr prev = nullptr;
  for (htmlAttrPtr a = tag->first; a; prev = a, a = a->n) {
    if (!htmlEq(a->name, name)) continue;
    markEdited(tag, a->added ? 1 : 2);
    if (prev)
      prev->n = a->n;
    else
      tag->first = a->n;
    // The record's memory goes with the document; it only leaves the list.
    a->n = nullptr;
    if (tag->parent && tag->parent->parserLastAttr == a) tag->parent->parserLastAttr = nullptr;
    break;
  }
  return htmlSuccess;
}

const char *htmlTagAttr(htmlTagPtr tag, const char *name) {
  if (!tag || !name || !attrsBuild(tag)) return "";
  for (htmlAttrPtr a = tag->first; a; a = a->n)
    if (htmlEq(a->name, name)) return a->value ? a->value : "";
  return "";
}

int htmlTagAttrQuery(htmlTagPtr tag, const char *name) {
  if (!tag || !name || !attrsBuild(tag)) return 0;
  for (htmlAttrPtr a = tag->first; a; a = a->n)
    if (htmlEq(a->name, name)) return 1;
  return 0;
}

namespace {

// The tag of an entry, '<' to '>', as htmlTagWrite writes it. false when the
// page ended inside a value or a block of it (nothing may follow then).
bool writeTagHead(htmlTagPtr tag, tagOutput &w) {
  if (tag->attrsPending) {
    // Left in the source only when the tag stands there as written.
    w.put(tag->parent->source + tag->sourceStart, static_cast<size_t>(tag->sourceTagEnd - tag->sourceStart));
    return true;
  }
  w.put('<');
  w.put(tag->name, static_cast<size_t>(storedLength(tag->name, tag->nameLength)));
  bool open = false;
  for (htmlAttrPtr a = tag->first; a && !open; a = a->n) {
    // A bare attribute without a name (what "<a =>" leaves) has nothing to write.
    if (storedLength(a->name, a->nameLength) == 0 && !a->value && !a->openAtEnd) continue;
    w.put(' ');
    w.put(a->name, static_cast<size_t>(storedLength(a->name, a->nameLength)));
    if (!a->value) {
      open = a->openAtEnd != 0;  // the page ended inside this block
      continue;
    }
    w.put('=');
    if (a->quoted) w.put('"');
    w.put(a->value, static_cast<size_t>(storedLength(a->value, a->valueLength)));
    if (a->openAtEnd)
      open = true;  // the page ended inside this value: nothing more was read
    else if (a->quoted)
      w.put('"');
  }
  if (!open) {
    if (tag->xhtmlSlash) w.put(" /", 2);
    w.put('>');
  }
  return !open;
}

bool badAttributes(htmlTagPtr tag) {
  for (htmlAttrPtr a = tag->first; a; a = a->n)
    if (!a->name) return true;
  return false;
}

// Where the source of an entry ends: the start of the next entry read, or the
// end of the source.
long long sourceEndOf(htmlTagPtr tag) {
  for (htmlTagPtr t = tag->n; t; t = t->n)
    if (t->sourceStart >= 0) return t->sourceStart;
  return tag->parent->sourceLength;
}

void putSource(tagOutput &w, htmlPtr d, long long from, long long to) {
  if (from < 0) from = 0;
  if (to > d->sourceLength) to = d->sourceLength;
  if (to > from) w.put(d->source + from, static_cast<size_t>(to - from));
}

}  // namespace

htmlResult htmlTagWrite(htmlTagPtr tag, FILE *out) {
  if (!tag || !tag->name || !out) return htmlBadArguments;
  if (tag->attrsPending && !tag->sourceForm && !attrsBuild(tag)) return htmlMemory;
  if (badAttributes(tag)) return htmlBadArguments;
  tagOutput w(out);
  writeTagHead(tag, w);
  if (tag->textPending)
    w.put(tag->parent->source + tag->sourceTagEnd, static_cast<size_t>(tag->textLength));
  else if (tag->text)
    w.put(tag->text, static_cast<size_t>(storedLength(tag->text, tag->textLength)));
  w.flush();
  return htmlSuccess;
}

namespace {

// Gives a document without a source the source buffer a destroyed one left.
void sourceFromSpare(htmlPtr d) {
  if (!keepSpares || d->source) return;
  char *kept = spareSource.exchange(nullptr);
  if (!kept) return;
  long long space = 0;
  std::memcpy(&space, kept, sizeof space);
  d->source = kept;
  d->sourceSpace = space;
  d->sourceLength = 0;
  d->source[0] = 0;
}

}  // namespace

htmlResult htmlSourceReserve(htmlPtr d, long long length) {
  if (!d || length < 0) return htmlBadArguments;
  sourceFromSpare(d);
  long long need = d->sourceLength + length + 1;
  if (need <= d->sourceSpace) return htmlSuccess;
  char *grown = static_cast<char *>(myreallocImpl(d->source, static_cast<size_t>(need)));
  if (!grown) return htmlMemory;
  d->source = grown;
  d->sourceSpace = need;
  return htmlSuccess;
}

long long htmlTagSourceOutputEnd(htmlTagPtr tag) {
  if (!tag || !tag->sourceForm || tag->edited || !tag->name) return -1;
  htmlPtr d = tag->parent;
  if (!d || tag->sourceStart < 0 || tag->sourceTagEnd < 0 || !htmlSourceComplete(d)) return -1;
  const long long end = tag->n ? tag->n->sourceStart : d->sourceLength;
  const long long length = tag->textLength > 0 ? tag->textLength : storedLength(tag->text, 0);
  if (end - tag->sourceTagEnd != length) return -1;
  if (tag->textPending) return end;  // the text is the source's own bytes
  const char *source = d->source + tag->sourceTagEnd;
  if (length <= 8) {
    for (long long i = 0; i < length; i++)
      if (tag->text[i] != source[i]) return -1;
  } else if (std::memcmp(tag->text, source, static_cast<size_t>(length)) != 0) {
    return -1;
  }
  return end;
}

htmlResult htmlSourceAppend(htmlPtr d, const char *bytes, long long length) {
  if (!d || (!bytes && length > 0) || length < 0) return htmlBadArguments;
  sourceFromSpare(d);
  if (d->sourceLength + length + 1 > d->sourceSpace) {
    long long space = d->sourceSpace > 0 ? d->sourceSpace : 4096;
    while (space < d->sourceLength + length + 1) space *= 2;
    char *grown = static_cast<char *>(myreallocImpl(d->source, static_cast<size_t>(space)));
    if (!grown) return htmlMemory;
    d->source = grown;
    d->sourceSpace = space;
  }
  char *at = d->source + d->sourceLength;
  if (length > 0 && bytes != at) std::memcpy(at, bytes, static_cast<size_t>(length));
  d->sourceLength += length;
  d->source[d->sourceLength] = 0;
  return htmlSuccess;
}

void htmlSourceSkip(htmlPtr d) {
  if (d) d->sourceSkew++;
}

int htmlSourceComplete(htmlPtr d) {
  return d && d->source && d->sourceLength == d->fed + d->sourceSkew;
}

htmlResult htmlLeadingWriteExact(htmlPtr d, FILE *out) {
  if (!d || !out || !htmlSourceComplete(d)) return htmlBadArguments;
  long long end = d->sourceLength;
  for (htmlTagPtr t = d->first; t; t = t->n)
    if (t->sourceStart >= 0) {
      end = t->sourceStart;
      break;
    }
  tagOutput w(out);
  putSource(w, d, 0, end);
  w.flush();
  return htmlSuccess;
}

void htmlTagTextExact(htmlTagPtr tag, const char **bytes, long long *length) {
  *bytes = "";
  *length = 0;
  if (!tag || !tag->parent || !htmlSourceComplete(tag->parent) || tag->sourceTagEnd < 0) {
    if (tag && tag->textPending) {
      *bytes = tag->parent->source + tag->sourceTagEnd;
      *length = tag->textLength;
    } else if (tag && tag->text) {
      *bytes = tag->text;
      *length = storedLength(tag->text, tag->textLength);
    }
    return;
  }
  long long end = sourceEndOf(tag);
  if (end > tag->sourceTagEnd) {
    *bytes = tag->parent->source + tag->sourceTagEnd;
    *length = end - tag->sourceTagEnd;
  }
}

namespace {

// One attribute as written in a tag's source: the white space before it, and
// its name and value as they stand.
struct sourceAttr {
  long long gap, start, end;     // gap..start is white space, start..end the attribute
  long long nameEnd;             // start..nameEnd is the name
  long long valueStart, valueEnd;  // the value without its quotation marks; -1 when bare
  bool quoted;
};

// Splits the source of a plainly written tag ("<name", attributes of letters
// with plain quoted or unquoted values, white space, an optional '/', '>')
// into its attributes. False for anything else (server-side blocks, a '/' or
// '<' inside a name, a tag name other than the entry's): such a tag is not
// edited in place.
bool splitSourceTag(htmlTagPtr tag, std::vector<sourceAttr> &attrs, long long &close) {
  htmlPtr d = tag->parent;
  const char *s = d->source;
  long long i = tag->sourceStart, end = tag->sourceTagEnd;
  const int nameLength = storedLength(tag->name, tag->nameLength);
  if (end - i < nameLength + 2 || s[i] != '<' || std::memcmp(s + i + 1, tag->name, nameLength) != 0)
    return false;
  i += 1 + nameLength;
  auto white = [&](long long at) { return isWhite(static_cast<unsigned char>(s[at])); };
  auto nameByte = [&](long long at) {
    unsigned char c = static_cast<unsigned char>(s[at]);
    return !isWhite(c) && c != '=' && c != '>' && c != '/' && c != '<' && c != '"' && c != 0;
  };
  if (!white(i) && s[i] != '/' && s[i] != '>') return false;
  for (;;) {
    const long long gap = i;
    while (i < end && white(i)) i++;
    if (i >= end) return false;
    if (s[i] == '>' || s[i] == '/') {
      close = gap;
      if (s[i] == '/') i++;
      while (i < end && white(i)) i++;
      return i == end - 1 && s[i] == '>';
    }
    sourceAttr a{gap, i, 0, 0, -1, -1, false};
    while (i < end && nameByte(i)) i++;
    if (i == a.start || i >= end) return false;
    a.nameEnd = a.end = i;
    long long j = i;
    while (j < end && white(j)) j++;
    if (j < end && s[j] == '=') {
      j++;
      while (j < end && white(j)) j++;
      if (j >= end) return false;
      if (s[j] == '"') {
        a.quoted = true;
        a.valueStart = ++j;
        while (j < end && s[j] != '"') {
          if (s[j] == '<' || s[j] == 0) return false;
          j++;
        }
        if (j >= end) return false;
        a.valueEnd = j++;
      } else {
        a.valueStart = j;
        while (j < end && !white(j) && s[j] != '>') {
          if (s[j] == '<' || s[j] == 0) return false;
          j++;
        }
        if (j == a.valueStart) return false;
        a.valueEnd = j;
      }
      a.end = i = j;
    }
    attrs.push_back(a);
  }
}

bool sameBytes(const char *a, long long n, const char *b, int m) { return n == m && std::memcmp(a, b, n) == 0; }

// "=value", quoted as read, after an attribute's name; nothing for a bare one.
void putValue(htmlAttrPtr a, tagOutput &w) {
  if (!a->value) return;
  w.put('=');
  if (a->quoted) w.put('"');
  w.put(a->value, static_cast<size_t>(storedLength(a->value, a->valueLength)));
  if (a->quoted) w.put('"');
}

// The attributes the program appended, each after a space.
void putAppended(htmlTagPtr tag, tagOutput &w) {
  for (htmlAttrPtr a = htmlTagAttrFirst(tag); a; a = a->n) {
    if (!a->added) continue;
    w.put(' ');
    w.put(a->name, static_cast<size_t>(storedLength(a->name, a->nameLength)));
    putValue(a, w);
  }
}

// Writes the head of a tag whose attributes the program changed or removed,
// from its source: every attribute left as it was keeps its bytes and the
// white space before it, a changed one keeps its name and gets its new value,
// a removed one goes with the white space before it, and the appended ones
// follow the last. False, with nothing written, when the source cannot be
// matched with the attributes.
bool writeEditedHead(htmlTagPtr tag, tagOutput &w) {
  std::vector<sourceAttr> attrs;
  long long close = 0;
  if (!splitSourceTag(tag, attrs, close)) return false;
  const char *s = tag->parent->source;
  std::vector<std::pair<const sourceAttr *, htmlAttrPtr>> plan;  // null attribute: removed
  htmlAttrPtr a = htmlTagAttrFirst(tag);
  auto nextRead = [](htmlAttrPtr from) {
    while (from && from->added) from = from->n;
    return from;
  };
  a = nextRead(a);
  for (const sourceAttr &src : attrs) {
    if (a && !a->openAtEnd &&
        sameBytes(s + src.start, src.nameEnd - src.start, a->name, storedLength(a->name, a->nameLength))) {
      plan.emplace_back(&src, a);
      a = nextRead(a->n);
    } else {
      plan.emplace_back(&src, nullptr);
    }
  }
  if (a) return false;
  putSource(w, tag->parent, tag->sourceStart, attrs.empty() ? close : attrs.front().gap);
  for (const auto &step : plan) {
    const sourceAttr &src = *step.first;
    htmlAttrPtr at = step.second;
    if (!at) continue;
    const bool same = at->value ? src.valueStart >= 0 && at->quoted == src.quoted &&
                                      sameBytes(s + src.valueStart, src.valueEnd - src.valueStart, at->value,
                                                storedLength(at->value, at->valueLength))
                                : src.valueStart < 0;
    if (same) {
      putSource(w, tag->parent, src.gap, src.end);
      continue;
    }
    putSource(w, tag->parent, src.gap, src.nameEnd);
    putValue(at, w);
  }
  putAppended(tag, w);
  putSource(w, tag->parent, close, tag->sourceTagEnd);
  return true;
}

}  // namespace

htmlResult htmlTagWriteExact(htmlTagPtr tag, FILE *out) {
  if (!tag || !tag->name || !out) return htmlBadArguments;
  htmlPtr d = tag->parent;
  if (tag->sourceStart < 0 || !d || !htmlSourceComplete(d)) return htmlTagWrite(tag, out);
  if (tag->edited && !attrsBuild(tag)) return htmlMemory;
  if (badAttributes(tag)) return htmlBadArguments;
  const long long end = sourceEndOf(tag);
  tagOutput w(out);
  if (!tag->edited) {
    putSource(w, d, tag->sourceStart, end);
  } else if (tag->sourceTagEnd < 0) {
    w.flush();
    return htmlTagWrite(tag, out);
  } else if (tag->edited == 1) {
    // The new attributes go where the tag's own end begins: before its '>',
    // its self-closing '/' and the white space before them.
    long long close = tag->sourceTagEnd - 1;
    if (tag->xhtmlSlash && close > tag->sourceStart && d->source[close - 1] == '/') close--;
    while (close > tag->sourceStart + 1 && isWhite(static_cast<unsigned char>(d->source[close - 1]))) close--;
    putSource(w, d, tag->sourceStart, close);
    putAppended(tag, w);
    putSource(w, d, close, end);
  } else {
    if (!writeEditedHead(tag, w)) writeTagHead(tag, w);
    putSource(w, d, tag->sourceTagEnd, end);
  }
  w.flush();
  return htmlSuccess;
}

// ---- comparisons ----

int htmlEq(const char *a, const char *b) {
  if (!a) a = "";
  if (!b) b = "";
  while (*a && *b) {
    if (lowerByte(static_cast<unsigned char>(*a)) != lowerByte(static_cast<unsigned char>(*b)))
      return 0;
    a++;
    b++;
  }
  return *a == 0 && *b == 0;
}

int htmlBeginsWith(const char *s, const char *beginning) {
  if (!s) s = "";
  if (!beginning) beginning = "";
  size_t n = std::strlen(beginning);
  if (std::strlen(s) < n) return 0;
  return sameNoCase(s, beginning, static_cast<int>(n));
}

int htmlEndsWith(const char *s, const char *ending) {
  if (!s) s = "";
  if (!ending) ending = "";
  size_t ls = std::strlen(s), le = std::strlen(ending);
  if (le > ls) return 0;
  return sameNoCase(s + ls - le, ending, static_cast<int>(le));
}
