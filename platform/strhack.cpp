// strhack.cpp: allocation wrappers, bounded string routines, line reading and
// the out-of-memory path.
#include "platform/strhack.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

void *mymallocImpl(size_t size) { return std::malloc(size ? size : 1); }

void *mycallocImpl(size_t count, size_t size) {
  return std::calloc(count ? count : 1, size ? size : 1);
}

void *myreallocImpl(void *block, size_t size) { return std::realloc(block, size ? size : 1); }

void myfreeImpl(void *block) { std::free(block); }

char *mystrdupImpl(const char *category, const char *s) {
  (void)category;
  if (!s) return nullptr;
  size_t n = std::strlen(s);
  char *d = static_cast<char *>(mymallocImpl(n + 1));
  if (!d) dieMemory();
  std::memcpy(d, s, n + 1);
  return d;
}

void strncpyMax(char *dst, int size, const char *src, int n) {
  if (!dst || size <= 0) return;
  int i = 0;
  if (src)
    for (; i < size - 1 && i < n && src[i]; i++) dst[i] = src[i];
  dst[i] = 0;
}

void strcpyMax(char *dst, int size, const char *src) {
  if (!dst || size <= 0) return;
  int i = 0;
  if (src)
    for (; i < size - 1 && src[i]; i++) dst[i] = src[i];
  dst[i] = 0;
}

void strncatMax(char *dst, int size, const char *src, int n) {
  if (!dst || size <= 0) return;
  int len = 0;
  while (len < size - 1 && dst[len]) len++;
  int i = 0;
  if (src)
    for (; len < size - 1 && i < n && src[i]; i++) dst[len++] = src[i];
  dst[len] = 0;
}

void strcatMax(char *dst, int size, const char *src) { strncatMax(dst, size, src, 0x7fffffff); }

namespace {

// Appends one byte to the bounded output, dropping it when the buffer is full.
struct boundedOut {
  char *dst;
  int size;
  int len;
  void put(char c) {
    if (len < size - 1) dst[len++] = c;
  }
  void puts(const char *s) {
    for (; *s; s++) put(*s);
  }
};

}  // namespace

int vsprintfMax(char *dst, int size, const char *format, va_list args) {
  if (!dst || size <= 0) return 0;
  boundedOut out{dst, size, 0};
  int conversions = 0;
  const char *p = format ? format : "";
  while (*p) {
    if (*p != '%') {
      out.put(*p++);
      continue;
    }
    const char *start = p++;
    if (*p == '%') {
      out.put('%');
      p++;
      conversions++;
      continue;
    }
    // Flags, width, precision and length are handed to the standard formatter.
    while (*p && std::strchr("-+ #0", *p)) p++;
    while (std::isdigit((unsigned char)*p)) p++;
    if (*p == '.') {
      p++;
      while (std::isdigit((unsigned char)*p)) p++;
    }
    int longs = 0;
    while (*p == 'l') {
      longs++;
      p++;
    }
    char directive[32];
    size_t directiveLength = (size_t)(p - start) + 1;
    char conv = *p;
    if (!conv) break;
    p++;
    if (directiveLength >= sizeof directive) {
      // An absurdly long directive is written as it stands.
      for (const char *q = start; q < p; q++) out.put(*q);
      continue;
    }
    std::memcpy(directive, start, directiveLength);
    directive[directiveLength] = 0;
    char tmp[512];
    switch (conv) {
      case 'd':
      case 'i':
        if (longs >= 2)
          std::snprintf(tmp, sizeof tmp, directive, va_arg(args, long long));
        else if (longs == 1)
          std::snprintf(tmp, sizeof tmp, directive, va_arg(args, long));
        else
          std::snprintf(tmp, sizeof tmp, directive, va_arg(args, int));
        out.puts(tmp);
        conversions++;
        break;
      case 'u':
      case 'x':
      case 'X':
        if (longs >= 2)
          std::snprintf(tmp, sizeof tmp, directive, va_arg(args, unsigned long long));
        else if (longs == 1)
          std::snprintf(tmp, sizeof tmp, directive, va_arg(args, unsigned long));
        else
          std::snprintf(tmp, sizeof tmp, directive, va_arg(args, unsigned));
        out.puts(tmp);
        conversions++;
        break;
      case 'f':
        std::snprintf(tmp, sizeof tmp, directive, va_arg(args, double));
        out.puts(tmp);
        conversions++;
        break;
      case 'c':
        out.put((char)va_arg(args, int));
        conversions++;
        break;
      case 's': {
        const char *s = va_arg(args, const char *);
        out.puts(s ? s : "(null)");
        conversions++;
        break;
      }
      default:
        // Not a conversion of ours: written as it stands, no argument taken.
        for (const char *q = start; q < p; q++) out.put(*q);
        break;
    }
  }
  dst[out.len] = 0;
  return conversions;
}

int sprintfMax(char *dst, int size, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int n = vsprintfMax(dst, size, format, args);
  va_end(args);
  return n;
}

void replaceChar(char *s, char from, char to) {
  if (!s) return;
  for (; *s; s++)
    if (*s == from) *s = to;
}

int strncmpNoCase(const char *a, const char *b, int n) {
  for (int i = 0; i < n; i++) {
    if (!a[i]) return b[i] ? -1 : 0;
    if (!b[i]) return 1;
    int ca = std::toupper((unsigned char)a[i]);
    int cb = std::toupper((unsigned char)b[i]);
    if (ca != cb) return ca - cb;
  }
  return 0;
}

int endsWith(const char *s, const char *tail) {
  size_t ls = std::strlen(s), lt = std::strlen(tail);
  if (lt > ls) return 0;
  return std::strcmp(s + ls - lt, tail) == 0;
}

int numeric(const char *word) {
  if (!word || !*word) return 0;
  for (; *word; word++)
    if (*word < '0' || *word > '9') return 0;
  return 1;
}

int readLine(FILE *stream, char *buffer, int size) {
  int len = 0;
  int got = 0;
  int c;
  if (size > 0) buffer[0] = 0;
  while ((c = std::fgetc(stream)) != EOF) {
    got = 1;
    if (c == '\r' || c == '\n') {
      int other = (c == '\r') ? '\n' : '\r';
      int d = std::fgetc(stream);
      if (d != EOF && d != other) std::ungetc(d, stream);
      break;
    }
    if (len < size - 1) buffer[len++] = (char)c;
  }
  if (size > 0) buffer[len] = 0;
  return got;
}

void normalizeSpaces(char *text) {
  if (!text) return;
  for (; *text; text++)
    if (std::isspace((unsigned char)*text)) *text = ' ';
}

void LowMemory(void) {
  platformMessageBox(nullptr,
                     "Memory is very low. Please close applications to\r\nfree as much memory as "
                     "possible.",
                     "Out of Memory", MB_OK | MB_ICONWARNING);
}

void dieMemory(void) {
  platformMessageBox(nullptr, "Tilvane cannot continue.", "Out of Memory",
                     MB_OK | MB_ICONWARNING);
  std::exit(EXIT_FAILURE);
}

void DEBUGM(const char *text) { platformMessageBox(nullptr, text, "DEBUG", MB_OK); }
