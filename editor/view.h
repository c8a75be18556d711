// view.h: the view of the picture: zoom, scroll offsets, the window and picture
// sizes, and the sketch colour the hotspots are drawn in. Owns scale, hoffs,
// voffs, displayWidth, displayHeight, winwidth, winheight, scaledWinWidth,
// scaledWinHeight, sketchR, sketchG, sketchB.
#ifndef TILVANE_VIEW_H
#define TILVANE_VIEW_H

extern double scale;                  // zoom factor; 1.0 when a document is loaded
extern int hoffs, voffs;              // scroll offsets in window pixels
extern int displayWidth, displayHeight;    // picture size in image pixels (-1: not given by the page)
extern int winwidth, winheight;       // client size of the image window (400 x 400 at first)
extern int scaledWinWidth, scaledWinHeight;
extern int sketchR, sketchG, sketchB; // the sketch colour, 255, 128, 128 by default

#endif
