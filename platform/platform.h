// platform.h: the small table of functions that stands in for the blocking and
// outside-world calls of the program (message boxes, file dialogs, the clipboard,
// processes, addresses, the clock). Logic modules call only this table, never a
// toolkit, so they run and are tested without a window. Owns `platform`.
//
// Two implementations exist: the Qt one (platform/platform_qt.cpp, installed by
// the editor at start-up) and the scripted one (platform/platform_scripted.h,
// installed by tests, which queue the answers and read back what was shown).
// Until one of them is installed, `platform` points at the console table, whose
// message boxes print to standard error and answer their default button, and
// whose dialogs are cancelled (the command-line companion runs on it).
#ifndef TILVANE_PLATFORM_H
#define TILVANE_PLATFORM_H

#include <ctime>
#include <string>
#include <vector>

// Message box buttons, icons and answers. Their numbers are the ones other
// desktop toolkits use, so that a test can name an answer by its number.
enum {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,  // the second button is the default one, answered by Enter
  MB_BUTTONMASK = 0xF,
  MB_ICONMASK = 0xF0,
  MB_DEFMASK = 0xF00
};
enum { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// File dialog options.
enum {
  PLATFORM_FILE_MUST_EXIST = 0x1,  // open: the chosen file must exist
  PLATFORM_PATH_MUST_EXIST = 0x2,  // the folder of the chosen file must exist
  PLATFORM_OVERWRITE_PROMPT = 0x4  // save: the dialog itself asks before replacing (callers normally ask themselves)
};

// One filter of a file dialog: a name such as "Server Side Map File (*.MAP)" and
// its patterns separated by semicolons, such as "*.map" or "*.htm;*.html".
struct platformFileFilter {
  const char *name;
  const char *patterns;
};

// Opaque handle of a progress window ("Loading Image...").
typedef void *platformProgress;

struct platformTable {
  // A modal message box. `owner` is the window it belongs to (null: none). `flags`
  // combines one MB_ button set and one MB_ICON. Returns IDOK, IDCANCEL, IDYES or IDNO.
  int (*messageBox)(void *owner, const char *text, const char *title, unsigned flags);

  // Open-file dialog. Returns 1 and the chosen path in `out` (bounded by outSize),
  // or 0 when cancelled. `initial` may be null or a file or folder to start from.
  int (*openFileDialog)(void *owner, const char *title, const platformFileFilter *filters,
                        int filterCount, const char *initial, unsigned options, char *out,
                        int outSize);

  // Save-file dialog; `defaultExt` (without dot, may be null) is added to a name
  // typed without an extension. Returns 1 and the path in `out`, or 0.
  int (*saveFileDialog)(void *owner, const char *title, const platformFileFilter *filters,
                        int filterCount, const char *initial, const char *defaultExt,
                        unsigned options, char *out, int outSize);

  // Folder chooser. Returns 1 and the folder in `out`, or 0 when cancelled.
  int (*chooseFolder)(void *owner, const char *title, const char *start, char *out, int outSize);

  // Colour chooser with the full custom-colour panel. Colours are 0x00BBGGRR.
  // On OK returns 1 and stores the colour; `customColors` (16 entries) is read
  // and updated in both cases.
  int (*chooseColor)(void *owner, unsigned *color, unsigned customColors[16]);

  // A modal choice among `count` labelled options (radio buttons) with OK and
  // Cancel. `*selected` holds the initial option and receives the chosen one.
  // Returns 1 on OK, 0 on Cancel.
  int (*choose)(void *owner, const char *title, const char *text, const char *const *options,
                int count, int *selected);

  // The system clipboard as plain text. clipboardGetText returns a new string
  // (release it with free()) or null when the clipboard holds no text.
  int (*clipboardSetText)(const char *text);
  char *(*clipboardGetText)(void);
  int (*clipboardHasText)(void);

  // Starts a program detached from this one. `args` ends with a null pointer.
  // Returns 1 when it was started.
  int (*startProcess)(const char *program, const char *const *args);

  // Opens an address (a URL, or a local file path) with the program the desktop
  // registered for it. Returns 1 on success.
  int (*openAddress)(const char *address);

  // The current time in seconds since 1970, and the local broken-down time.
  long long (*now)(void);
  void (*localTime)(struct tm *out);

  // The "Loading Image..." window: opened before a decoder runs, told how far it
  // has got (0 to 100) while it runs, closed when it ends. It has a Cancel
  // button and takes the input while it is open; progressPoll lets it and the
  // program's other windows be drawn and the button be used, and answers 1
  // once Cancel was pressed (null in a table: no Cancel).
  platformProgress (*progressOpen)(void *owner, const char *title, const char *line1,
                                   const char *line2);
  void (*progressUpdate)(platformProgress progress, int percent);
  void (*progressClose)(platformProgress progress);
  int (*progressPoll)(platformProgress progress);
};

// Where the Qt file dialogs open when their caller names no start (filled
// into out, "" for the toolkit's choice), and whom they tell of every path the
// user chose. Installed by the program; null does nothing.
extern void (*platformDialogStartHook)(char *out, int size);
extern void (*platformDialogUsedHook)(const char *path);

// The table in use; never null.
extern const platformTable *platform;

// Makes `table` the table in use (null restores the console table).
void platformInstall(const platformTable *table);

// The console table: a message box prints "TITLE: TEXT" on standard error and
// answers its default button (platformDefaultAnswer); dialogs are cancelled, the
// clipboard is a string kept in memory, processes and addresses are not started.
const platformTable *platformConsole(void);

// The answer of a box's default button: its first, or its second with
// MB_DEFBUTTON2.
int platformDefaultAnswer(unsigned flags);

// Shorthand used throughout the program.
int platformMessageBox(void *owner, const char *text, const char *title, unsigned flags);


// The program's desktop entry is DESKTOP_ENTRY_ID ".desktop"; the same name is
// its AppStream id and the application id its windows carry on Wayland.
#define DESKTOP_ENTRY_ID "com.quarrin.Tilvane"

// The web browser a page of the program's own opens in, as the words of a
// command with address in place: the program of the desktop's https (else http)
// links, unless that is Tilvane itself (which also claims HTML files); then
// $BROWSER (a list separated by ':', "%s" standing for the address); then the
// system's x-www-browser. Empty when there is none.
std::vector<std::string> browserCommand(const char *address);

// The desktop entry (such as "web.desktop") of the program that takes links of
// scheme ("https"): the desktop's answer (xdg-mime) unless a test sets this.
extern std::string (*linkHandlerQuery)(const char *scheme);

#endif
