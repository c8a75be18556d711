// toolbar.h: the toolbar, a strip of picture buttons drawn straight into the
// top 22 pixels of a window (it is no widget of its own), with a one-line
// tooltip window of its own. It takes the window's mouse events, reports the
// command id of a completed click, shows a raised frame under the pointer, a
// sunken frame while pressed or while the button's tool is active, a grayed
// picture while disabled, and the tooltip next to the hovered button.
// Owns tooltipX, tooltipY, tooltipText, tooltipValid, tooltipFont.
#ifndef TILVANE_TOOLBAR_H
#define TILVANE_TOOLBAR_H

class QEvent;
class QFont;
class QImage;
class QPainter;
class QWidget;

// The menu-style state flags toolbarEnable takes.
#ifndef MF_ENABLED
#define MF_ENABLED 0
#endif
#ifndef MF_GRAYED
#define MF_GRAYED 1
#endif
#ifndef MF_DISABLED
#define MF_DISABLED 2
#endif

enum {
  toolbarHeight = 22,          // height of the strip
  toolbarSeparatorWidth = 10,  // width of a separator or of a button without a picture
  toolbarButtonMargin = 6      // a button is its picture's width plus this
};

// One button or separator.
struct toolbarItem {
  QImage *bitmap;           // owned; null for a separator
  QImage *bitmapDisabled;   // owned; shown while disabled (may be null)
  unsigned ui;              // command id of a click; separators carry ids too
  int enabled;              // last flag given to toolbarEnable: 0 usable; bit 0 or 1 set disabled
  int depressed;            // 1 while the mouse button is held on it
  int checked;              // 1 while its tool is the active editing mode
  int width;                // picture width + 6, or 10 (separator, missing picture)
  const char *tooltipText;  // not owned; null for none
  int over;                 // 1 for the one item under the pointer
};

struct toolbar {
  toolbarItem *items;   // owned
  int itemsTotal;
  int itemsAllocated;
  int which;            // index of the pressed item, -1 when none
  QWidget *w;           // the window the strip is drawn into
  QWidget *tooltipWnd;  // the tooltip window, null when it could not be made
  int xoffs, yoffs;     // top-left corner of the strip inside w
};

// The tooltip: screen position of the next show, the text being shown, whether
// it may be painted, and its font (made once, shared).
extern int tooltipX, tooltipY;
extern const char *tooltipText;
extern int tooltipValid;
extern QFont *tooltipFont;

// A new toolbar drawing into parent at (xoffs, yoffs), with room for 16 items,
// none added, which -1, and its tooltip window; mouse tracking is turned on
// for parent. Null when memory runs out.
toolbar *toolbarCreate(QWidget *parent, int xoffs, int yoffs);

// Appends an item: bitmap id 0 makes a separator; a picture id that cannot be
// loaded makes a 10-pixel blank item that keeps its command id. The array
// doubles when full. 1 on success, 0 when memory runs out (nothing added).
int toolbarAdd(toolbar *t, int bitmap, int bitmapDisabled, unsigned id, const char *tooltip);

// Appends the program's buttons and separators (toolbarLayout, app/commands.h).
int toolbarAddButtons(toolbar *t);

// Stores flag (MF_ENABLED, MF_GRAYED...) / checked in every item with that id.
void toolbarEnable(toolbar *t, unsigned id, int flag);
void toolbarCheck(toolbar *t, unsigned id, int checked);

// Unchecks every item.
void toolbarClear(toolbar *t);

// Sum of the item widths.
int toolbarWidth(const toolbar *t);

// Asks the window to repaint the strip (the window's paint event calls
// toolbarPaint).
void toolbarDraw(toolbar *t);

// Paints the whole strip with p, which paints on t->w or on an image of it.
void toolbarPaint(const toolbar *t, QPainter *p);

// Hit test at (x, y) in the window: the index of the item whose right edge
// (from the strip's left end) is the first at or beyond x, with that edge
// through rightP; -1 when y is outside the strip, x left of the strip or past
// its last item, or the item is disabled.
int toolbarSelect(const toolbar *t, int *rightP, int x, int y);

// Mouse handling in window coordinates. toolbarDown returns the pressed item's
// id (0 for none), toolbarUp the id of a completed click (0 when released off
// the pressed item or when nothing was pressed), toolbarMove 1 when the hover
// mark moved.
unsigned toolbarDown(toolbar *t, int x, int y);

// The buttons as accessible objects (toolbar_access_ui.cpp): register makes
// each button an accessible child of the strip's window (toolbarCreate does
// it), forget drops them (toolbarDestroy does it). An assistive tool's press
// of a button calls toolbarPressHook with its command id.
void toolbarAccessibleRegister(toolbar *t);
void toolbarAccessibleForget(toolbar *t);
extern void (*toolbarPressHook)(unsigned id);
unsigned toolbarUp(toolbar *t, int x, int y);
int toolbarMove(toolbar *t, int x, int y);

// Shows the tooltip at (tooltipX, tooltipY) when its text is valid and t's
// window is the active window; hides it and clears every hover mark.
void tooltipShow(toolbar *t);
void tooltipHide(toolbar *t);

// The tooltip window (object name "vloxTooltip", title "ToolTip").
QWidget *tooltipWindowCreate(toolbar *t);

// Deletes the pictures, the items, the tooltip window and the toolbar, and
// marks the tooltip text invalid. Null does nothing.
void toolbarDestroy(toolbar *t);

// Feeds one event of t->w (or of its top-level window) to the toolbar: mouse
// moves, presses (a double-click counts as a press), releases, paint, window
// moves and deactivation, the pointer leaving. Returns the command id of a
// completed click, which the caller posts to the frame window; 0 otherwise.
unsigned toolbarEvent(toolbar *t, QEvent *e);

#endif
