// document.cpp: the open document and its workflow. Owns the globals of document.h.
#include "html/document.h"

#include <cstdlib>

#include "html/strhack.h"
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

void htmlLogError(htmlPtr document, const char *message) {
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
