// magicwand.h: the magic wand, which turns one click inside an area of similar
// colour into a polygon hotspot that follows the area's outline, by casting rays
// from the clicked point. The settings (magicWandPoints, magicWandTolerance,
// magicWandFeatherSteps) are preferences, declared in platform/settings.h.
// Owns magicWandSettings.
#ifndef TILVANE_MAGICWAND_H
#define TILVANE_MAGICWAND_H

extern int magicWandSettings;  // 1 while the settings dialog is open

// Traces the region under image pixel (x, y) into the spare hotspot record at
// objectsTotal. 1 when a polygon of at least 3 vertices was made, else 0.
int magicWandPolygon(int x, int y);

// The feathered colour at (x, y), 0x00BBGGRR; and whether two colours differ by
// more than tolerance (sum of absolute red, green and blue differences).
unsigned featheredGetPixel(int x, int y);
int pixelsDiffer(unsigned a, unsigned b, int tolerance);

// Applies the limits of the settings dialog to the three settings (the
// dialog's OK is magicWandSettingsAccept, app/prefs.h).
void magicWandClampSettings(void);

// Runs the "Magic Wand Settings" dialog (through a seam to the window code,
// platform/seams.h).
void MagicWandSettings(void);

#endif
