// frame_ui.h: the frame window "tilvaneBase" with the menu bar, the 22-pixel
// toolbar strip and the image window below it; start-up, the message loop and
// tear-down; the dispatch of every command of the command table; the private
// messages 3024 (context help), 3025 (settings reloaded), 3026 (update
// result); the F1 help filter and the clipboard notice. Owns baseWin,
// imageWin, tb, helpFilterFunc, nextClipboardWin,
// ghDlgModelessOpen, ghDlgModelessUrl, ghDlgModelessUrlDefault.
#ifndef TILVANE_FRAME_UI_H
#define TILVANE_FRAME_UI_H

class QMainWindow;
class QObject;
class QWidget;
struct toolbar;

extern QMainWindow *baseWin;   // the frame window
extern QWidget *imageWin;      // the image window, at (0, 22) in the frame's client area
extern toolbar *tb;            // the toolbar drawn in the top strip of the client area
extern QObject *helpFilterFunc;    // the application filter that turns F1 into context help
extern QObject *nextClipboardWin;  // the clipboard watched for changes (null when not watched)

// The modeless dialogs while they are open (the dialogs' code sets them).
extern QWidget *ghDlgModelessOpen, *ghDlgModelessUrl, *ghDlgModelessUrlDefault;

// The strip's height: the image window starts below it.
enum { frameToolbarStrip = 22 };

// Start-up: frameCreate makes the context menus,
// the windows (windowsSetup), starts watching the clipboard and disables the
// document commands (sensitivity(0)); 1 on success, 0 when a window cannot be
// made.
int frameCreate(void);
int windowsSetup(void);

// The keys: the accelerator table of the frame and the F1 filter that turns
// F1 in dialogs and menus into context help (start-up steps 9 and 10).
void frameKeysInstall(void);

// The whole program: start-up in its order, the message loop and tear-down.
// words are the command-line words without the program's name. Returns the
// exit code.
int runEditor(int count, const char *const *words);

// Tears the windows and drawing objects down in the start-up's reverse order
// (after the document has been closed with Close(1)).
void frameTearDown(void);

// Saves the settings and asks the message loop to end with code 0.
void TilvaneShutdown(void);

// Runs command id as a menu, a key or a toolbar click does: its row's hint,
// then its handler (app/commands.h).
void frameCommand(unsigned id);

// Posts a message to the frame: a command, or contextHelpMessage,
// reloadConfigMessage, updateResultMessage with a value.
void framePostCommand(unsigned id);
void framePostMessage(int message, int value);


// What the frame does with each private message (3024, 3025, 3026).
void frameContextHelp(void);

// Moves a window keeping its size.
void moveWindowTo(QWidget *window, int x, int y);

// Shows the logo: zoom 1, "tilvane.jpg" from TILVANE_FILES (when set) or the
// data folder, then from the program's files (programFileFolder), else the
// built-in picture; the frame sized to it.
void frameReloadLogo(void);

// Sizes the frame to the picture (SizeWindows).
void frameSizeWindows(void);

// Centres the frame, at its present size, on the screen's work area (before
// it is first shown), and waits until the window manager has shown it.
void framePlaceFirst(void);
void frameWaitPlaced(void);

// The frame's title.
void frameSetTitle(const char *title);

#endif
