// commands.h: the command table of the frame window. One row per command id
// holds its pull-down menu and position, its menu text with the key name after
// a tab, its accelerator keys, the first-time hint shown before it runs, its
// toolbar button (pictures and tooltip) and the rules that enable it in the
// menu and on the toolbar. The menu bar, the context menus, the accelerator
// table, the toolbar strip and the enable rules (`sensitivity`) are all built
// from these rows. Owns commandTable, commandTableTotal, toolbarLayout,
// toolbarLayoutTotal, contextMenuLayouts, commandWindows, the private message
// numbers and the About box texts.
#ifndef TILVANE_COMMANDS_H
#define TILVANE_COMMANDS_H

#include "editor/commandids.h"

// The pull-down menus of the menu bar, in their order, and the two
// submenus of Actions. commandNoMenu marks commands reached only by a key, a
// context menu or a toolbar separator.
enum commandMenu {
  commandNoMenu = 0,
  commandFileMenu = 1,
  commandEditMenu = 2,
  commandViewMenu = 3,
  commandToolsMenu = 4,
  commandActionsMenu = 5,
  commandAlignMenu = 6,   // Actions, "A&lign to Common Edge"
  commandExpandMenu = 7,  // Actions, "&Expand to Common Edge"
  commandHelpMenu = 8,
  commandArrangeMenu = 9  // "&Arrange", between Actions and Help
};
enum { commandMenusTotal = 10 };

// The titles of the pull-downs and submenus, indexed by commandMenu ("" for
// commandNoMenu).
extern const char *const commandMenuTitles[commandMenusTotal];

// Accelerator flags. A key without
// ACCEL_VIRTKEY is a character ("+", "=", "-") that matches whatever modifier
// produced it, except ctrl and alt.
enum {
  ACCEL_VIRTKEY = 0x01,
  ACCEL_SHIFT = 0x04,
  ACCEL_CONTROL = 0x08,
  ACCEL_ALT = 0x10
};

// Virtual-key numbers the table uses besides the letters 'A'-'Z'.
enum {
  VKEY_RETURN = 0x0D,
  VKEY_ESCAPE = 0x1B,
  VKEY_DELETE = 0x2E,
  VKEY_F1 = 0x70,
  VKEY_PLUS = 0xBB,       // the key of "=" and "+"
  VKEY_MINUS = 0xBD,      // the key of "-"
  VKEY_APOSTROPHE = 0xDE,  // the key of "'"
  VKEY_LBRACKET = 0xDB,  // the "[" key, whatever shift makes of it
  VKEY_RBRACKET = 0xDD   // the "]" key
};

struct commandKey {
  int flags;  // ACCEL_ flags; 0 with key 0 means no key
  int key;    // virtual key (with ACCEL_VIRTKEY) or character
};

// The enable rules. Each command has one for its menu item and one for its
// toolbar button; commandRuleAlways means the rules never change it.
enum commandRule {
  commandRuleAlways = 0,
  commandRuleDocument,       // a document is open (setting)
  commandRuleSeveral,        // Test+Edit and at least 2 hotspots selected
  commandRuleSomePoints,     // Test+Edit, exactly one hotspot, at least 1 point selected
  commandRuleTwoPoints,      // Test+Edit, exactly one hotspot, exactly 2 points selected
  commandRuleCurrent,        // Test+Edit and a current hotspot (lastObjectSelected)
  commandRuleAnyHotspot,     // Test+Edit and at least one hotspot exists
  commandRulePaste,          // Test+Edit and the clipboard holds text
  commandRuleUndo,           // a document is open and there is a step to undo
  commandRuleRedo            // a document is open and there is a step to redo
};

struct commandEntry {
  unsigned id;             // commandId
  int menu;                // commandMenu
  const char *text;        // menu text with "\t" key name; null when not in a menu
  int separatorBefore;     // 1: the menu shows a separator line before this item
  commandKey keys[4];      // accelerators
  int hint;                // first-time hint shown before the command; 0 none
  int checkable;           // 1: a tool whose menu item and button are checked;
                           // 2: a setting switched on and off, checked while on
  int bitmap;              // toolbar picture id; 0 no button (or a separator)
  int bitmapDisabled;      // toolbar picture shown while disabled
  const char *tooltip;     // toolbar tooltip; null none
  int menuRule;            // commandRule of the menu item
  int toolbarRule;         // commandRule of the toolbar button
  void (*run)(unsigned id);  // runs the command; null for a separator
};

extern const commandEntry commandTable[];
extern const int commandTableTotal;

// The row of id, or null when the table has none.
const commandEntry *commandFind(unsigned id);

// The commands that open windows of the shell or end the program; the frame
// window fills them in when it is made. An empty one does nothing.
struct commandWindowTable {
  void (*quit)(void);      // end the program (after Exit closed the document)
  void (*checkMap)(void);  // open the Check Map window
  void (*about)(void);     // show the About box
  void (*hotspotList)(void);  // show or hide the hotspot list
};
extern commandWindowTable commandWindows;

// The command ids of the toolbar strip from left to right (the separators are
// cmdSeparator, cmdSeparatorTools and cmdSeparatorHelp; a row with bitmap 0 is
// a separator).
extern const unsigned toolbarLayout[];
extern const int toolbarLayoutTotal;

// The four context menus (contextMenuId): each a list of entries
// ended by contextMenuEnd. contextMenuSeparator is a separator line;
// contextMenuAlign / contextMenuExpand / contextMenuArrange are the submenus
// with the rows of commandAlignMenu / commandExpandMenu / commandArrangeMenu.
enum {
  contextMenuEnd = 0,
  contextMenuSeparator = 1,
  contextMenuAlign = 2,
  contextMenuExpand = 3,
  contextMenuArrange = 4
};
struct contextMenuLayout {
  int resource;             // contextMenuId
  const unsigned *entries;  // command ids (>= 100) and the markers above
};
extern const contextMenuLayout contextMenuLayouts[4];

// The layout of a context menu (contextMenuId), or null.
const contextMenuLayout *contextMenuFind(int resource);

// The command a key press runs: flags are the ACCEL_ modifier bits held
// (ACCEL_SHIFT, ACCEL_CONTROL, ACCEL_ALT), vkey the virtual key pressed (0 when
// unknown) and ch the character it typed (0 when none). A virtual-key
// accelerator matches the key with exactly its modifiers; a character
// accelerator matches the character when neither ctrl nor alt is held.
// Returns the command id, or 0 when no accelerator matches.
unsigned acceleratorFind(int flags, int vkey, int ch);

// The name of a key as the menu texts show it ("Ctrl+Z", "Shift+Alt+T", "+",
// "F1", "Delete"...), into out.
void acceleratorName(const commandKey *k, char *out, int size);

// Private messages to the frame window.
enum {
  contextHelpMessage = 3024,   // F1 in a dialog or menu: context help
  reloadConfigMessage = 3025,  // another process saved the settings
  updateResultMessage = 3026   // the update check finished; the value is its result
};

// What the enable rules look at.
struct sensitivityInputs {
  int setting;             // 1 while a document is open
  int state;               // the editing state (editor/modes.h)
  int objectsTotal;
  int lastObjectSelected;  // -1 when none
  int objectsSelected;     // number of selected hotspots
  int pointsSelected;      // selected points of the current hotspot
  int undo;                // the undo list is not empty
  int redo;                // the redo list is not empty
  int clipboardText;       // the system clipboard holds text
};

// Fills in from the program's globals (the clipboard through the platform).
void sensitivityGather(int setting, sensitivityInputs *in);

// Whether a rule holds for the inputs.
int commandRuleHolds(int rule, const sensitivityInputs *in);

// The enabled state (1 enabled, 0 grayed) the rules give id in the menu or on
// the toolbar, or -1 when the rules leave it alone (commands that are always
// enabled, ids not in the table, and the toolbar of a command without a button).
int sensitivityMenu(unsigned id, const sensitivityInputs *in);
int sensitivityToolbar(unsigned id, const sensitivityInputs *in);

// The About box: the product name, the text cmdAbout shows, and the
// address of the product's home page.
extern const char aboutProductName[];
extern const char aboutDefaultText[];
extern const char aboutHomeAddress[];

#endif
