// cgiutil.h: the two encoders that put text into HTML attribute values and URLs.
#ifndef TILVANE_CGIUTIL_H
#define TILVANE_CGIUTIL_H

#include <cstdio>

// Writes s for an attribute value in double quotation marks: each '"' becomes
// "&#34;"; every other byte is written unchanged.
void valueEncodeStdio(FILE *out, const char *s);

// A new string with each '"', '<' and '>' of s written as %22, %3c and %3e;
// every other byte unchanged. Null when memory runs out (or s is null).
char *EscapeURL(const char *s);

#endif
