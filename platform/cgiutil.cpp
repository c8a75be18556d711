// cgiutil.cpp: encoders for attribute values and typed URLs.
#include "platform/cgiutil.h"

#include <cstdlib>
#include <cstring>

void valueEncodeStdio(FILE *out, const char *s) {
  if (!s) return;
  for (; *s; s++) {
    if (*s == '"')
      std::fputs("&#34;", out);
    else
      std::fputc((unsigned char)*s, out);
  }
}

char *EscapeURL(const char *s) {
  if (!s) return nullptr;
  size_t n = std::strlen(s);
  char *r = static_cast<char *>(std::malloc(n * 3 + 1));
  if (!r) return nullptr;
  static const char hex[] = "0123456789abcdef";
  char *d = r;
  for (; *s; s++) {
    unsigned char c = (unsigned char)*s;
    if (c == '"' || c == '<' || c == '>') {
      *d++ = '%';
      *d++ = hex[c >> 4];
      *d++ = hex[c & 15];
    } else {
      *d++ = (char)c;
    }
  }
  *d = 0;
  return r;
}
