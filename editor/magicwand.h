// magicwand.h: the magic wand, which turns one click inside an area of similar
// colour into a polygon hotspot that follows the area's outline, by casting rays
// from the clicked point. The settings (magicWandPoints, magicWandTolerance,
// magicWandFeatherSteps, magicWandSimplify, magicWandOuterOnly) are
// preferences, declared in platform/settings.h.
// Owns magicWandSettings.
#ifndef TILVANE_MAGICWAND_H
#define TILVANE_MAGICWAND_H

#include <vector>

#include "editor/objects.h"

extern int magicWandSettings;  // 1 while the settings dialog is open

// Traces the region under image pixel (x, y) into the spare hotspot record at
// objectsTotal. 1 when a polygon of at least 3 vertices was made, else 0.
int magicWandPolygon(int x, int y);

// Takes repeated vertices and vertices on the line through their neighbours
// out of the closed outline pts, then leaves out every further vertex that
// lies within tolerance picture pixels of the simplified outline
// (Douglas-Peucker). An outline that would keep fewer than 3 vertices keeps
// the ones it had after the first step.
void magicWandSimplifyOutline(std::vector<FPOINT> &pts, double tolerance);

// The feathered colour at (x, y), 0x00BBGGRR; and whether two colours differ by
// more than tolerance (sum of absolute red, green and blue differences).
unsigned featheredGetPixel(int x, int y);
int pixelsDiffer(unsigned a, unsigned b, int tolerance);

// Applies the limits of the settings dialog to the settings: points 3-256,
// feathering 0-3, simplification 0-100, outer edge only 0 or 1 (the dialog's
// OK is magicWandSettingsAccept, app/prefs.h).
void magicWandClampSettings(void);

// Runs the "Magic Wand Settings" dialog (through a seam to the window code,
// platform/seams.h).
void MagicWandSettings(void);

#endif
