// menus_ui.h: the frame window's menu bar, the four context menus
// and the accelerator keys, all built from the command table (app/commands.h),
// with one action per command id shared by every menu that shows it; and the
// application of the enable rules to the menus and the toolbar. Owns
// menusCommandHook, pointsMenu, pointsWithInsertMenu, singleSelectionMenu,
// multipleSelectionMenu.
#ifndef TILVANE_MENUS_UI_H
#define TILVANE_MENUS_UI_H

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QWidget;
struct toolbar;
struct sensitivityInputs;

// Receives the command id of a chosen menu item, context menu item or
// accelerator key; the frame window posts it to itself as a command.
extern void (*menusCommandHook)(unsigned id);

// The menu bar with the pull-downs File, Edit, View, Tools, Actions (with the
// submenus "A&lign to Common Edge" and "&Expand to Common Edge") and Help,
// made with parent as its parent. Made once; later calls return it again.
QMenuBar *menusCreate(QWidget *parent);

// The action of a command id (null when the table has no menu text for it),
// and a pull-down or submenu by commandMenu (null before menusCreate).
QAction *menusAction(unsigned id);
QMenu *menusPulldown(int menu);

// The enabled and checked state of a command's menu item (and of the context
// menu items that share it). Unknown ids do nothing and read as 0.
void menusEnable(unsigned id, int enabled);
void menusCheck(unsigned id, int checked);
int menusEnabled(unsigned id);
int menusChecked(unsigned id);

// EnableMenus: 1 grays the File, Edit and View pull-downs, 0 enables them.
void menusEnableTop(int gray);

// The recent documents at the end of the File menu: replaces the previous
// entries by count items (ids, labels); the shape of recentFileMenuHook.
void menusRecentFiles(int count, const int *ids, const char *const *labels);

// The enable rules: menu items by their menu rule, toolbar buttons by their
// toolbar rule (toolbarEnable), then the toolbar is redrawn. t may be null.
void menusApplySensitivity(toolbar *t, const sensitivityInputs *in);

// sensitivity(setting): gathers the inputs from the program and applies them.
void menusSensitivity(toolbar *t, int setting);

// Checks or enables a command in the menus and on the toolbar at once.
void commandCheckBoth(toolbar *t, unsigned id, int checked);
void commandEnableBoth(toolbar *t, unsigned id, int enabled);

// The context menus (resources 134, 135, 136, 137), made on first use; each
// item the same action as in the menu bar.
extern QMenu *pointsMenu, *pointsWithInsertMenu, *singleSelectionMenu, *multipleSelectionMenu;
void createContextMenus(void);
QMenu *contextMenuOf(int resource);

// The command a key press in the frame window runs (0 for none), by the
// accelerators of the command table.
unsigned menusKeyCommand(const QKeyEvent *e);

// Makes the accelerators work for every key pressed in frame's window (not in
// its dialogs): a matching key runs its command through menusCommandHook when
// its menu item is enabled, and is eaten in any case, ahead of the menu bar's
// own letter keys.
void menusAcceleratorsInstall(QWidget *frame);

// Puts the menus behind the program's seams: sensitivity, EnableMenus,
// commandCheck, commandEnable, toolbarRedraw and the recent-file hook, all
// acting on toolbar t.
void menusInstall(toolbar *t);

// Deletes the menus, actions and the accelerator filter.
void menusDestroy(void);

#endif
