// browser.h: handing addresses and the help page to the user's web browser, the
// local-socket service under the program's name, and the texts of the
// web-page selection (its window is ui/browser_ui.cpp).
#ifndef TILVANE_BROWSER_H
#define TILVANE_BROWSER_H

// Opens address with the desktop's program for it; on failure shows "Open This
// URL Manually" with the address. 1 when it was opened.
int AccessURL(void *owner, const char *address);

// Opens relative (a file name of the program's files, with an optional
// "#anchor") in the browser through the stub page helpstub.htm in the
// temporary folder. 1 when the stub was written and handed on; when no program
// takes it, "Open This URL Manually" shows the help page's address.
int htmlFile(void *owner, const char *relative);

// Opens the help page at an anchor: htmlFile of "help.htm#<anchor>".
void helpOn(const char *anchor);

// Shows a page of the program's own (its file, its anchor) in a window of the
// program's own; installed by the windows and used when no web browser takes
// the page. Null: the user is given the page's address instead.
extern void (*helpWindowHook)(const char *path, const char *anchor);

// The address htmlFile gives the browser for relative: "file://" and the
// folder of the program's files that holds it (programFileFolder, percent-
// encoded where a URL needs it), "/", relative. 0 when the executable's folder
// is not known.
int htmlFileAddress(const char *relative, char *out, int size);

// The stub page's text for address into out; returns its length.
int helpStubText(const char *address, char *out, int size);

// The folder of the running executable, without a trailing "/"; 0 when unknown.
int executableFolder(char *out, int size);

// The folder that holds the program's file name (the help page, the logo):
// the installed data folder (share/tilvane beside the executable's bin/) when
// it holds name, else the executable's own folder (a build tree). 0 when the
// executable's folder is not known. programFileFolderOf does the same for a
// given executable folder.
int programFileFolder(const char *name, char *out, int size);
int programFileFolderOf(const char *exeFolder, const char *name, char *out, int size);

// The local socket service under the program's name ("Tilvane"): started at
// start-up, stopped at the end. It accepts connections and offers nothing.
void programSocketOpen(void);
void programSocketClose(void);

// Picking a link by browsing where no embedded browser is built in: shows
// "Can't Browse Web Pages" and returns -1.
int urlBrowseUnavailable(void *owner);

#endif
