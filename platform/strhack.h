// strhack.h: allocation wrappers, bounded copying and formatting into fixed-size
// buffers, case-insensitive comparison, simple word tests and line reading.
// Also the two ends of the out-of-memory path: LowMemory (give up one operation)
// and dieMemory (end the program).
//
// A "buffer of size n" holds at most n-1 characters and a terminating zero;
// nothing here ever writes past it: what does not fit is dropped.
#ifndef TILVANE_STRHACK_H
#define TILVANE_STRHACK_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>

// The standard allocation calls, except that a size or count of 0 is taken as 1,
// so that success always gives a non-null block. Failure gives null.
void *mymallocImpl(size_t size);
void *mycallocImpl(size_t count, size_t size);
void *myreallocImpl(void *block, size_t size);
void myfreeImpl(void *block);

// A new copy of `s` (null for null). `category` is ignored. Running out of
// memory does not return: the program ends through dieMemory.
char *mystrdupImpl(const char *category, const char *s);

// Bounded copies; see the header comment. strncpyMax and strncatMax take at most
// n characters of src.
void strcpyMax(char *dst, int size, const char *src);
void strncpyMax(char *dst, int size, const char *src, int n);
void strcatMax(char *dst, int size, const char *src);
void strncatMax(char *dst, int size, const char *src, int n);

// Formatted output into dst, terminated when size >= 1. Conversions: %d, %i,
// %u, %x, %X, %f (with the standard flags, width, precision and an l or ll
// length), %c, %s (the whole string, no field width applied) and %%. The result
// is the number of conversions made.
int sprintfMax(char *dst, int size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
int vsprintfMax(char *dst, int size, const char *format, va_list args);

// Replaces every `from` byte in s by `to`, in place.
void replaceChar(char *s, char from, char to);

// Compares at most n characters, each turned to upper case first: the difference
// of the first pair that differs; 0 when n characters matched; when a ends first,
// 0 if b ends there too and -1 otherwise; when b ends first, 1.
int strncmpNoCase(const char *a, const char *b, int n);

// 1 when s ends with tail exactly (case counts); 0 otherwise or when tail is longer.
int endsWith(const char *s, const char *tail);

// 1 when word is non-empty and all decimal digits.
int numeric(const char *word);

// Reads one line into buffer (at most size-1 characters kept; the rest of a long
// line is read and dropped). A line ends at CR, LF, CR LF or LF CR; the end is not
// stored. 1 when a line was read, 0 at end of input with nothing read.
int readLine(FILE *stream, char *buffer, int size);

// Replaces every white-space byte of text by a plain space, in place.
void normalizeSpaces(char *text);

// The memory-failure path. LowMemory shows "Memory is very low..." and returns;
// the caller gives up its operation. dieMemory shows "Tilvane cannot continue."
// and ends the program with a failure status; it does not return.
void LowMemory(void);
[[noreturn]] void dieMemory(void);

// Shows text in an OK box titled "DEBUG" (a diagnostic aid).
void DEBUGM(const char *text);

#endif
