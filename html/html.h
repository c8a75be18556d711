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
  int added;        // 1 when the program appended it after reading
};

// One entry of a document's list.
struct tagStruct {
  htmlTagPtr n;         // next entry in document order
  htmlTagPtr p;         // previous entry
  char *name;           // what stood between '<' and the attributes; "/p", "!DOCTYPE ...", "% code %"
  htmlAttrPtr first;    // first attribute
  char *text;           // what followed the tag's '>' up to the next tag ('>' stored as "&gt;"
                        // outside style sheets); for a script entry its body; never null.
                        // Read it through htmlTagText, which copies it out of the source
                        // first when the reader left it there (textPending)
  int closed;           // 1 once the tag's '>' was seen
  // The reader's four flags fill the room the alignment leaves after `closed`.
  char edited;          // 1 once the program appended attributes, 2 once it changed or
                        // removed attributes that were read
  char sourceForm;      // 1 when the tag, '<' to '>', stands in the source exactly as
                        // htmlTagWrite writes it (single spaces, double-quoted or plain
                        // values, " />")
  char attrsPending;    // 1 while the tag's attributes are still only in the source:
                        // htmlTagAttrFirst (and every operation below) builds them
  char textPending;     // 1 while the entry's text is still only in the source, its
                        // textLength bytes from sourceTagEnd: htmlTagText copies it out
  int row;              // input line where the entry was created, from 1
  int col;              // column there
  int textLength;       // bytes in text (text may hold zero bytes)
  htmlStruct *parent;   // the owning document
  int xhtmlSlash;       // 1 if written self-closing (<br/>)
  int nameLength;       // bytes in name (a name may hold zero bytes)
  long long sourceStart;   // offset in the page's source of the byte that began the entry
                           // (its '<', or the first text byte of a "P" entry); -1 when
                           // the program added it
  long long sourceTagEnd;  // offset just past the '>' that ended the tag; -1 when none did
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
  int attrAspNesting;           // depth of <...> inside the attribute value being read
  int attrValueQuoted;          // the value being read is double-quoted
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
  // The page's source: the bytes of the file as read, kept by the page reader
  // (html/pageio.h) so that entries can be written back exactly; offsets of
  // entries count in these bytes.
  char *source;
  long long sourceLength, sourceSpace;
  long long fed;                // bytes the reader has been given
  long long sourceSkew;         // source bytes the reader was not given (the CR of a CR LF
                                // pair that reached it as one LF)
  long long stepOffset;         // source offset of the byte being handled
  long long pendingStart;       // source offset of the '<' of the entry being read, or -1
  struct htmlArenaBlock *spare; // memory a destroyed document left, used before new blocks
  htmlTagPtr textRoomTag;       // the entry whose text grew last, and the bytes reserved
  int textRoom;                 // for that text; any other text fills its bytes exactly
};

// Memory: the entries, their attributes and all their strings live in the
// document's own memory and are released together by htmlDestroy (which keeps
// the blocks of one document, up to a limit, for the next document created).
// Change them only through the operations below; never free or reallocate them
// yourself. Attributes of a tag read in its plain form are built from the
// source when first asked for (htmlTagAttrFirst).
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

// The first attribute of an entry, its list built first if the reader left it
// in the source (attrsPending). Read the list through this, never through
// `first` directly. Null when the entry has none (or memory ran out).
htmlAttrPtr htmlTagAttrFirst(htmlTagPtr tag);

// The text of an entry (its `text`), copied out of the source first if the
// reader left it there (textPending). Read it through this, never through
// `text` directly. Null only when memory ran out.
const char *htmlTagText(htmlTagPtr tag);

// The page's source (see htmlStruct). htmlSourceAppend keeps bytes of the file
// as they are read; htmlSourceSkip tells the reader that one byte of the
// source, a CR, is not given to it. htmlSourceComplete is 1 when the source
// holds every byte the reader was given, so that the exact writers below can
// be used. The bytes given to htmlSourceAppend may already stand in the room
// htmlSourceReserve made at the source's end (a file read straight into it).
htmlResult htmlSourceAppend(htmlPtr document, const char *bytes, long long length);
htmlResult htmlSourceReserve(htmlPtr document, long long length);  // room for length more bytes
void htmlSourceSkip(htmlPtr document);
int htmlSourceComplete(htmlPtr document);

// Exact writing, from the source: what stood before the first entry; one
// entry with the text that followed it, up to the next entry read (an entry
// the program added is written as htmlTagWrite writes it; one whose
// attributes the program only appended to keeps its bytes, the new attributes
// written before its closing "/" or ">"; one whose read attributes changed
// has its tag written as htmlTagWrite writes it, its text as read); and the
// text of an entry alone, as read (the bytes and their count through the
// pointers). Each needs htmlSourceComplete.
htmlResult htmlLeadingWriteExact(htmlPtr document, FILE *out);
htmlResult htmlTagWriteExact(htmlTagPtr tag, FILE *out);
void htmlTagTextExact(htmlTagPtr tag, const char **bytes, long long *length);

// Where the source bytes from the entry's sourceStart up to the returned offset
// are exactly what htmlTagWrite writes for it (a read entry in its written
// form, unchanged, followed by its text as read); -1 when they are not, or
// when the source is not complete (htmlSourceComplete).
long long htmlTagSourceOutputEnd(htmlTagPtr tag);

// Case-insensitive comparisons of whole strings, beginnings and endings.
int htmlEq(const char *a, const char *b);
int htmlBeginsWith(const char *s, const char *beginning);
int htmlEndsWith(const char *s, const char *ending);

#endif
