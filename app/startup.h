// startup.h: the program's command line and the facts taken at start-up: the
// words of the command line (argc, argv), the three slots they are sorted
// into (document, image, map name) or the "/new" and "/open" flags, what the
// start-up then opens, today's date and
// the F1 help topic. Owns argc, argv, nowBreakdown, nowDay.
#ifndef TILVANE_STARTUP_H
#define TILVANE_STARTUP_H

#include <ctime>

// The command-line words: argv[0] is "DUMMY", the words are argv[1] to at most
// argv[99]; argc is the number of words plus one.
enum { argvSlots = 100 };
extern int argc;
extern char *argv[argvSlots];

// The local time at start-up and today as a day number (dateToDay).
extern struct tm nowBreakdown;
extern int nowDay;

// Splits a command line into argc/argv: white space separates words, a word
// starting with a double quote runs to the next double quote (or to the end of
// the line when it is not closed) and loses its quotes; at most 99 words are
// taken. The words are copies kept until the next split.
void likeRealMain(const char *commandLine);

// The same for words the system has already split (a process's own argument
// vector, without the program name): each becomes one word, quotes and all.
void likeRealMainWords(int count, const char *const *words);

// Whether name ends, without regard to case, in "gif", "jpg", "jpe", "jpeg",
// "bmp", "png", "webp", "avif", "svg" or "svgz" (a plain suffix test: no dot is
// needed).
int filenameIsImage(const char *name);

// The command line sorted: exactly one word "/new" or "/open" (any case) sets
// its flag; otherwise each word goes, in order, to the first free of its slots:
// a picture name to image; another word with a dot to document, or to
// localName when document is taken; a word without a dot to localName. Each
// slot keeps the first word given to it. A relative document or picture path
// is taken from startFolder (the folder the program was started in, which the
// data folder replaces as the current folder before the command line is read);
// null leaves paths as written. A relative picture path that names no file
// there is taken from the document's folder when it names a file there, as
// the page's src would be. The slots are owned strings (null when empty).
struct commandLineSlots {
  char *image;
  char *document;
  char *localName;
  int newFlag;
  int openFlag;
};
void commandLineClassify(commandLineSlots *s, const char *startFolder);
void commandLineSlotsFree(commandLineSlots *s);

// What start-up opens for the sorted command line; documentExists says whether
// the document slot names an existing file.
enum {
  startOpenDialog = 0,   // "/open": the Open command
  startNewDialog,        // "/new": New with no arguments
  startChoose,           // nothing named: the update schedule and the start dialog
  startNewImage,         // only a picture: New(image, none, local name)
  startNewDocument,      // a page that does not exist yet: New(image, page, local name)
  startOpenDocument      // an existing page: OpenHtmlDocument, then Open
};
int commandLineAction(const commandLineSlots *s, int documentExists);

// Takes the local time into nowBreakdown and nowDay.
void startupTakeTime(void);

// The F1 help anchor: the open dialog's topic (the colour chooser, the
// default-URL dialog, the start and Open dialogs, Save As, the magic wand
// settings), else the editing state's.
const char *contextHelpTopic(void);

#endif
