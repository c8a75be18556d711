// seams.h: the calls that the lower layers make into the windows and the
// application above them. Each is named as the rest of the program knows it
// (repaint, sensitivity, Url...) and forwards to a hook in `seams`, which the
// editor's window code fills in at start-up. An empty hook does nothing (and answers 0 or null), so the logic
// runs, and is tested, without any window; tests fill hooks to watch the calls.
// Owns seams, cursorArrow, cursorWait.
//
// When one of these functions gains an implementation in a logic module, it
// leaves this table and is defined there under its own name.
#ifndef TILVANE_SEAMS_H
#define TILVANE_SEAMS_H

struct seamTable {
  void (*repaint)(int flag);
  void (*sensitivity)(int setting);
  void (*enableMenus)(int flag);
  void (*firstHint)(int index, void *parent);
  void (*url)(int index, int show);
  void (*urlDismiss)(void);
  void (*urlDefault)(void);
  void (*urlDefaultDismiss)(void);
  void (*commandCheck)(int id, int checked);
  void (*commandEnable)(int id, int enabled);
  void (*toolbarRedraw)(void);
  void (*zoomout)(int mode);
  void (*resetScroll)(void);
  void (*sizeWindows)(void);
  void (*reloadLogo)(void);
  void *(*localSetCursor)(void *cursor);
  int (*imageListSelect)(void);
  int (*mapTypeBox)(void);
  int (*urlBrowse)(const char *title, char *buffer, int size);
  void (*setTitle)(const char *title);
  void (*recreatePens)(void);
  void (*chooseSketchColor)(void);
  void (*magicWandSettings)(void);
  int (*saveSettings)(void);
  void (*hotspotsChanged)(void);
};

extern seamTable seams;

// Empties every hook.
void seamsClear(void);

// The view: redraw the image window (flag 0, or 2 while a selection is moved or
// resized); lay the view out (Zoomout(2) keeps the zoom and records no undo);
// recompute the scroll bars; size the frame to the picture; show the logo.
void repaint(int flag);

// The hotspot table, its order, its texts or its selection may have changed:
// the hotspot list and the status bar follow. Every repaint of the view
// announces it too, since every change to the map ends in one.
void hotspotsChanged(void);
void Zoomout(int mode);
void resetScroll(void);
void SizeWindows(void);
void ReloadLogo(void);

// Menus and toolbar: the enable rules; gray (1) or enable (0) the File, Edit and
// View menus; check or enable one command in the menu and on the toolbar;
// redraw the toolbar.
void sensitivity(int setting);
void EnableMenus(int flag);
void commandCheck(int id, int checked);
void commandEnable(int id, int enabled);
void toolbarRedraw(void);

// The first-time hint number `index`, shown once before the command it explains.
void FirstHint(int index, void *parent);

// The hotspot properties dialog and the default-URL dialog. Url and UrlDismiss
// are defined by editor/props.cpp (declared in editor/props.h as well): Url
// takes the defeatUrlDialog shortcut or shows first-run hint 5, then calls the
// url hook, which fills the dialog from hotspot `index` and shows it;
// UrlDismiss clears urlIsVisible, then calls the urlDismiss hook.
void Url(int index, int show);
void UrlDismiss(void);
void UrlDefault(void);
void UrlDefaultDismiss(void);

// The image window's cursor (returns the previous one); the image list of the
// page (result of ImageListOKBody, 0 when cancelled); the server-side map type
// choice before an export (1 on OK); picking a web address (0 when chosen,
// -1 otherwise); the frame window's title.
void *LocalSetCursor(void *cursor);
int ImageListSelect(void);

// The cursors LocalSetCursor takes and returns: the arrow and the wait cursor.
extern void *const cursorArrow;
extern void *const cursorWait;
int MapTypeBox(void);
int urlBrowse(const char *title, char *buffer, int size);
void setWindowTitle(const char *title);

// The hotspot pens, made again from the sketch colour; the colour chooser for
// the sketch colour (on OK the colour changes and the view is repainted); the
// "Magic Wand Settings" dialog.
void recreatePens(void);
void chooseSketchColor(void);
void MagicWandSettings(void);

// Writes the settings file Tilvane.ini (1 when written); without a hook
// nothing is written and the answer is 0.
int settingsSave(void);

// The application's message box: kind 0 shows msg titled "Tilvane" with OK;
// kind 1 with OK and Cancel, then calls callback(data, 1 for OK, else 0).
void modalPopup(const char *msg, int kind, void (*callback)(void *data, int ok), void *data);

#endif
