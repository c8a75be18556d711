// view.cpp: zoom, scrolling and the drawing of the picture and its hotspots.
// Owns the view globals of view.h.
#include "editor/view.h"

double scale = 1.0;
int hoffs = 0, voffs = 0;
int displayWidth = -1, displayHeight = -1;
int winwidth = 400, winheight = 400;
int scaledWinWidth = 400, scaledWinHeight = 400;
int sketchR = 255, sketchG = 128, sketchB = 128;
