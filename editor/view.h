// view.h: the view of the picture: zoom, scroll offsets, the window and picture
// sizes, the scroll-bar layout, the pens derived from the sketch colour, and the
// double-buffered drawing of the picture and its hotspots into an off-screen
// image that the image window copies to the screen. Owns scale, hoffs, voffs,
// winwidth, winheight, scaledWinWidth,
// scaledWinHeight, sketchR, sketchG, sketchB, hasVbar, hasHbar, hrange, vrange,
// scrollNesting, maximized, newImage, colorEditing, the pens, bgColor,
// hbDouble, hbScrolledBitmap, oldHoffs, oldVoffs, oldScale, pPoints,
// pPointsAllocated, viewWindow, viewOverlay.
//
// Window-side work (showing the buffer, the scroll bars, the frame's size) is
// done by the image window and the frame through viewWindow and the seams of
// platform/seams.h; everything here runs, and is tested, without a window.
#ifndef TILVANE_VIEW_H
#define TILVANE_VIEW_H

#include "image/loaders.h"  // displayWidth, displayHeight

class QImage;
class QPainter;
struct object;

extern double scale;                  // zoom factor; 1.0 when a document is loaded
extern int hoffs, voffs;              // scroll offsets in window pixels
extern int winwidth, winheight;       // client size of the image window (400 x 400 at first)
extern int scaledWinWidth, scaledWinHeight;
extern int sketchR, sketchG, sketchB; // the sketch colour, 255, 128, 128 by default

extern int hasVbar, hasHbar;          // which scroll bars are shown
extern int hrange, vrange;            // the scroll ranges last set (0 for a hidden bar)
extern int scrollNesting;             // resetScroll is running
extern int maximized;                 // the frame window is maximised
extern int newImage;                  // SizeWindows was asked for while maximised
extern int colorEditing;              // the sketch colour chooser is open

// A pen: colour 0x00BBGGRR and width in pixels. All pens are solid.
struct viewPen {
  unsigned color;
  int width;
};
extern viewPen sketchPen, outerSketchPen, fillPen, handlePen, middleHandlePen, outerHandlePen;
extern viewPen blackPen, bgPen;
extern unsigned bgColor;  // the window colour (bgBrush), 0x00BBGGRR; white until the window sets it

// The off-screen buffer each repaint draws into (window-sized), and the cache
// of the scaled, scrolled picture; null until the first repaint.
extern QImage *hbDouble;
extern QImage *hbScrolledBitmap;
extern int oldHoffs, oldVoffs;  // the view the cache was drawn for
extern double oldScale;

// The scratch point array for polygons in window coordinates (x, y pairs);
// it starts at 64 points and doubles until it holds the hotspot.
extern int *pPoints;
extern int pPointsAllocated;

// The colour rules, per 8-bit channel of a 0x00BBGGRR colour: Darken halves;
// Brighten goes halfway to white (v + 127 - v/2); Contrast rotates the
// channels (new red = old blue, new green = old red, new blue = old green).
unsigned Darken(unsigned c);
unsigned Brighten(unsigned c);
unsigned Contrast(unsigned c);

// Makes the six hotspot pens again from sketchR, sketchG, sketchB (what the
// recreatePens seam runs).
void viewRecreatePens(void);

// The colour chooser for the sketch colour, started with the current colour and
// the custom colours; on OK the colour and the pens change and the view is
// repainted. colorEditing is 1 while it is open. What chooseSketchColor runs.
void viewChooseSketchColor(void);

// Draws hotspot o (objectDrawBody, then o's lastState = state).
void objectDraw(QPainter *p, object *o, int shadow);
// Draws hotspot o as it looks in editing state st; shadow has no effect. p is
// already translated by (-hoffs, -voffs).
void objectDrawBody(QPainter *p, object *o, int st, int shadow);

// The markers: a point (half-length 7), a move handle (half-length 10, three
// widths), the resize bracket, and the ring around a selected point.
void Cross(QPainter *p, int x, int y, int r, int d);
void CrossPoint(QPainter *p, int x, int y);
void CrossHandle(QPainter *p, int x, int y);
void CornerHandle(QPainter *p, int x, int y);
void drawPointSelection(QPainter *p, int x, int y);

// Draws the whole view into hbDouble (made or resized to winwidth x
// winheight first). The picture cache is redrawn only when the zoom, the window
// size or the picture changed; a scroll moves it and draws only what came into
// sight. The hotspots that cannot change while a selection is dragged (every
// hotspot except the selected ones in the editing state, and the shape under
// construction) are kept in a cached layer over the picture, redrawn only when
// one of them, the selection, the state or the pens change; a scroll moves it
// too, with the same pixels as drawing it anew. The other hotspots, the handles
// and the rubber band are drawn on top. flag is repaint's (0, or 2 while a
// selection is moved or resized).
void viewRender(int flag);

// Drawn over the hotspots at every render, with the painter in scaled picture
// pixels less the scroll offsets; null draws nothing. Check Map sets it while
// its list is open.
extern void (*viewOverlay)(QPainter *p);

// Forgets the picture cache (a new picture was loaded into id) and the layer.
void viewInvalidate(void);

// Releases the buffers, the cache, the layer and the scratch points.
void viewRelease(void);

// The window side of the view, filled by the image window. Empty hooks do
// nothing (the scroll bars then count as hidden and 16 pixels thick).
struct viewWindowTable {
  void (*show)(void);                         // copy hbDouble to the window
  int (*barThickness)(int vertical);          // the system's scroll-bar thickness
  void (*setBars)(int showH, int showV);      // show or hide the two bars
  void (*setRanges)(int hrange, int vrange, int hpage, int vpage);
  void (*setPositions)(int h, int v);
};
extern viewWindowTable viewWindow;

// repaint(flag): viewRender(flag), then the window shows the buffer.
void viewRepaint(int flag);

// The scroll-bar layout of resetScroll for a scaled picture sw x sh in a window
// whose client is clientW x clientH while the bars hasH/hasV are shown, bars
// thicknessH (horizontal bar's height) and thicknessV (vertical bar's width).
// Gives the bars to show, their ranges (0 for a hidden bar) and the page sizes.
struct scrollLayout {
  int showH, showV;
  int hrange, vrange;
  int hpage, vpage;
};
scrollLayout scrollLayoutFor(int sw, int sh, int clientW, int clientH, int hasH, int hasV,
                             int thicknessH, int thicknessV);

// resetScroll: the scaled picture's size against the window, the bars shown or
// hidden, their ranges and pages set, both offsets and positions 0, a repaint.
// Guarded against re-entry by scrollNesting.
void viewResetScroll(void);

// The furthest a scroll offset can go: the scaled picture size less the
// visible window size, 0 when the picture is smaller.
int scrollLimitH(void);
int scrollLimitV(void);

// The scroll bar actions of one bar (vertical 1 or horizontal 0).
enum {
  scrollLineUp = 0,
  scrollLineDown = 1,
  scrollPageUp = 2,
  scrollPageDown = 3,
  scrollThumb = 4,  // position and tracking: the offset becomes the bar's position
  scrollTop = 6,
  scrollBottom = 7
};
// Applies one scroll action (position: the thumb's position for scrollThumb),
// updates the offset and the bar and repaints. Returns the new offset.
int viewScroll(int vertical, int action, int position);

// The zoom commands: Zoomin(1) (900) and Zoomout(mode) (901 with mode 1; mode 2
// lays the view out again without changing the zoom or recording undo).
void Zoomin(int flag);
void viewZoomout(int mode);

// Sets the zoom to newScale keeping the picture point under window point
// (wx, wy) where it is (one undo step; nothing when the zoom stays).
void zoomAbout(double newScale, int wx, int wy);

// Scrolls as little as needed to show the picture box (x1, y1)-(x2, y2)
// (its top left corner when it is larger than the window).
void viewShowBox(int x1, int y1, int x2, int y2);

// The zoom at which the whole picture fits the window: the largest power of
// two (1/256 to 256) that fits; the present zoom without a picture.
double zoomFitScale(void);

// SizeWindows: the frame window's size and place for the picture. The inputs
// are the window facts; the result the frame's outer rectangle. Returns 0 when
// the frame is maximised (newImage is then set instead).
struct sizeWindowsFacts {
  int toolbarWidth;             // the strip's width
  int frameW, frameH;           // the frame's outer size less its client size
  int barH, barV;               // horizontal bar's height, vertical bar's width
  int deskX, deskY, deskW, deskH;  // the desktop's work area
  int winX, winY;               // the frame's current position
};
int sizeWindowsCompute(const sizeWindowsFacts *f, int *xP, int *yP, int *wP, int *hP);

#endif
