// html.h: the forgiving HTML reader and writer. A page is read byte by byte into
// a flat list of entries (one per tag, each carrying the text that followed it)
// and written back entry by entry, so that a page comes out as it went in apart
// from a few normalisations. Comments, declarations, server-side blocks, script
// bodies and all text are carried through verbatim.
#ifndef TILVANE_HTML_H
#define TILVANE_HTML_H

#include <cstdio>

enum htmlResult { htmlSuccess = 0, htmlMemory = 1, htmlIO = 2, htmlBadArguments = 3 };

enum htmlParseState {
  htmlParseLead = 0,
  htmlParseName = 1,
  htmlParseMetaName = 2,
  htmlParseAttrLead = 3,
  htmlParseAttrName = 4,
  htmlParseAttrEqualExpected = 5,
  htmlParseAttrValueLead = 6,
  htmlParseAttrValueString = 7,
  htmlParseAttrValueWord = 8,
  htmlParseText = 9,
  htmlParseComments = 10,
  htmlParseASPStatement = 11,
  htmlParseScriptBody = 12
};

struct attrStruct;
struct tagStruct;
struct htmlStruct;
typedef attrStruct htmlAttr;
typedef attrStruct *htmlAttrPtr;
typedef tagStruct htmlTag;
typedef tagStruct *htmlTagPtr;
typedef htmlStruct html;
typedef htmlStruct *htmlPtr;

// One attribute of a tag.
struct attrStruct {
  char *name;       // as written (case kept); may be empty, never null
  char *value;      // without its quotation marks; null for a bare attribute
  htmlAttrPtr n;    // next attribute of the same tag, in source order
  int quoted;       // 1 if the value was written between double quotation marks
  int valueLength;  // bytes in value (a value may hold zero bytes); 0 when value is null
  int nameLength;   // bytes in name (a name may hold zero bytes)
  int openAtEnd;    // the input ended inside this value while it was still open (inside an
                    // unclosed <% or <? block): it is written back as read, with nothing after it
};

// One entry of a document's list.
struct tagStruct {
  htmlTagPtr n;         // next entry in document order
  htmlTagPtr p;         // previous entry
  char *name;           // what stood between '<' and the attributes; "/p", "!DOCTYPE ...", "% code %"
  htmlAttrPtr first;    // first attribute
  char *text;           // what followed the tag's '>' up to the next tag ('>' stored as "&gt;"
                        // outside style sheets); for a script entry its body; never null
  int closed;           // 1 once the tag's '>' was seen
  void **hooks;         // callers' slots, released through tagHookDestroy; null throughout this program
  int hooksAllocated;   // 0
  int row;              // input line where the entry was created, from 1
  int col;              // column there
  htmlStruct *parent;   // the owning document
  int xhtmlSlash;       // 1 if written self-closing (<br/>)
  int nameLength;       // bytes in name (a name may hold zero bytes)
  int textLength;       // bytes in text (text may hold zero bytes)
  int textSpace;        // bytes reserved for text (at least textLength + 1)
};

typedef void (*htmlLogErrorFn)(htmlPtr document, const char *message);

// The document and the reader's state.
struct htmlStruct {
  htmlTagPtr first, last;
  htmlParseState state;
  char *buffer;                 // work buffer for the name, value, text or block being read
  int bufferSize;               // capacity, starts at 256
  int bufferPos;                // bytes in use
  char *leadingComments;        // whitespace and comments before the first tag, verbatim
  int leadingCommentsSpace;     // capacity, starts at 256
  htmlLogErrorFn LogError;      // receives each parse error
  int line;                     // input line for messages, from 1
  int ignoreComments;           // 1 (default) drops comments and leading whitespace
  int ignoreScripts;            // 1 (default) drops script bodies
  int unescapeFlag;             // always 0: text is stored as read
  int attrAspNesting;           // depth of <...> inside the attribute value being read
  int attrValueQuoted;          // the value being read is double-quoted
  void (*tagHookDestroy)(htmlTagPtr tag);  // null throughout this program
  char *url, *base;             // null throughout this program
  int row, col;                 // position counters, start at 1 and 0
  int lastCR, lastLF;           // the previous byte was CR / LF
  int xhtmlSlash;               // a '/' was seen inside the tag being read
  int leadingCommentsLength;    // bytes in leadingComments
  int flushing;                 // 1 while htmlFlushText runs
  int reportedNeverClosed;      // "Tag never closed" already reported for this tag
  struct htmlArenaBlock *arena; // the memory of the document's entries, attributes and strings
  int arenaNext;                // size of the next arena block
  int blockCloser;              // '%' or '?': the byte before '>' that ends the block being read
  int lastIsStyle;              // the last entry is a style element: '>' in its text stays as it is
  htmlAttrPtr parserLastAttr;   // the last attribute of the last entry, while the reader adds them
};

// Memory: the entries, their attributes and all their strings live in the
// document's own memory and are released together by htmlDestroy. Change them
// only through the operations below; never free or reallocate them yourself.
//
// Server-side blocks: "<% ... %>" and "<? ... ?>" (except "<?xml", which is read
// as a tag) are kept verbatim as entries whose name is the block without its
// angle brackets.

// Document life. htmlCreate installs the application's error handler
// htmlLogError (html/document.h), which shows the "HTML Error" box; set
// LogError afterwards to collect the messages elsewhere.
htmlResult htmlCreate(htmlPtr *out);
htmlResult htmlDestroy(htmlPtr document);
void htmlIgnoreComments(htmlPtr document, int flag);
void htmlIgnoreScripts(htmlPtr document, int flag);

// Feeding input; anything but htmlSuccess means memory ran out.
htmlResult htmlAppendText(htmlPtr document, const char *bytes, int length);
htmlResult htmlAppendChar(htmlPtr document, int c);
htmlResult htmlAppendString(htmlPtr document, const char *s);
htmlResult htmlFlushText(htmlPtr document);

// Whether a CR or LF fed now is stored as read (in text, a comment, a script,
// a server-side block, a declaration or a quoted value) rather than being
// whitespace inside a tag, which the writer turns into one space.
int htmlLineEndKept(htmlPtr document);

// Building and querying entries (names compared with htmlEq; the first match wins).
htmlResult htmlTagAppend(htmlPtr document, const char *name);
htmlResult htmlTagAttrAppend(htmlTagPtr tag, const char *name);
htmlResult htmlTagLastAttrSet(htmlTagPtr tag, const char *value, int quoted);
htmlResult htmlTagAttrSet(htmlTagPtr tag, const char *name, const char *value, int quoted);
htmlResult htmlTagAttrDestroy(htmlTagPtr tag, const char *name);
const char *htmlTagAttr(htmlTagPtr tag, const char *name);  // "" for bare or missing
int htmlTagAttrQuery(htmlTagPtr tag, const char *name);
htmlResult htmlTagWrite(htmlTagPtr tag, FILE *out);

// Case-insensitive comparisons of whole strings, beginnings and endings.
int htmlEq(const char *a, const char *b);
int htmlBeginsWith(const char *s, const char *beginning);
int htmlEndsWith(const char *s, const char *ending);

#endif
