// document.cpp: the open document and its workflow. Owns the globals of document.h.
#include "html/document.h"

#include <climits>
#include <cstdlib>

#include "platform/strhack.h"
#include "platform/platform.h"

htmlPtr hdoc = nullptr;
FILE *htmlFilePtr = nullptr;
int htmlFileCRLF = 0;
pageStamp htmlFileStamp;
int newPageSrc = 0;
char *mapfilename = nullptr;
char *imagefilename = nullptr;
char *maplocalname = nullptr;
char *trailingComments = nullptr;
int changed = 0;
int opening = 0;
int openingBox = 0;
int saving = 0;
int webPageFlag = 0;
int readingMessagesShown = 5;

int messageRunCount(messageRun *run) {
  if (!run) return 1;
  if (run->seen < INT_MAX) run->seen++;
  return readingMessagesShown <= 0 || run->seen <= readingMessagesShown;
}

void messageRunEnd(messageRun *run, const char *what) {
  if (!run) return;
  int more = readingMessagesShown > 0 ? run->seen - readingMessagesShown : 0;
  run->seen = 0;
  if (more <= 0) return;
  char text[256];
  sprintfMax(text, sizeof text, "Tilvane found %d more %s. They are not shown.", more, what);
  platformMessageBox(nullptr, text, "More Errors", MB_OK | MB_ICONWARNING);
}

namespace {
// The parse errors of the document being read.
messageRun htmlErrors;
htmlPtr htmlErrorsDocument = nullptr;
}  // namespace

void htmlLogErrorsEnd(htmlPtr document) {
  if (document && document == htmlErrorsDocument) messageRunEnd(&htmlErrors, "HTML errors in this page");
  htmlErrors.seen = 0;
  htmlErrorsDocument = nullptr;
}

void htmlLogError(htmlPtr document, const char *message) {
  if (document != htmlErrorsDocument) {
    htmlErrors.seen = 0;
    htmlErrorsDocument = document;
  }
  if (!messageRunCount(&htmlErrors)) return;
  const int size = 512;
  char *text = static_cast<char *>(mymallocImpl(size));
  if (!text) {
    LowMemory();
    return;
  }
  const char *element = "none";
  if (document && document->last && document->last->name) element = document->last->name;
  // The element name comes last but one; a long name is cut so that the
  // closing advice always fits in the buffer.
  char name[200];
  strcpyMax(name, sizeof name, element);
  sprintfMax(text, size,
             "Bad HTML at line: %d\r\nError: %s\r\nCurrent element: %s\r\nClose this document if "
             "you do not wish it to be\r\nmodified. If Tilvane saves a map to this HTML "
             "document,\r\nthe error shown above will be corrected.",
             document ? document->line : 0, message ? message : "", name);
  platformMessageBox(nullptr, text, "HTML Error", MB_OK | MB_ICONWARNING);
  myfreeImpl(text);
}
