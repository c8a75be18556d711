// settings.h: the user's preferences, as process globals with their defaults.
// They are read from and written to Tilvane.ini by the preferences module and
// read by the modules they steer. Owns every global declared here.
#ifndef TILVANE_SETTINGS_H
#define TILVANE_SETTINGS_H

// The map kind: the syntax of a server-side map file, or a client-side map.
enum mapType { mapNCSA = 0, mapCERN = 1, mapClient = 2 };

extern int maptype;                 // mapNCSA: the open document's map kind (mapClient for a
                                    // page, the syntax of an imported file); never stored
extern int serverMapType;           // mapNCSA: the server-side syntax Export offers, the
                                    // user's stored choice (NCSA or CERN)
extern unsigned customColors[16];   // colour chooser's custom colours, 0x00BBGGRR; all white
extern int firstNever;              // no more first-time hints
extern int firstSeen[13];           // hint n has been shown
extern int defeatBlueBorder;        // 1: suppress the mapped image's link border
extern int strictXHTML;             // 1: markup added by the program is strict XHTML
extern int defeatUrlDialog;         // 0: 1 skips the properties dialog for new hotspots
extern int titleAsAlt;              // 1: an area's title repeats its alternative text
extern int upgradeNoticeDisplayed;  // 0: the one-time notice has not been shown
extern int clickAsMouseOut;         // 0: 1 writes onClick from onMouseOut
extern int urlDialogX, urlDialogY;  // 200, 0: screen position of the properties dialog
extern int magicWandTolerance;      // 32: largest colour difference still similar (0-765)
extern int magicWandFeatherSteps;   // 2: feathering radius (0-3)
extern int magicWandPoints;         // 30: rays of the magic wand (3-256)
extern int magicWandSimplify;       // 1: how far, in picture pixels, the wand's outline
                                    // may leave out a traced corner (0-100)
extern int magicWandOuterOnly;      // 0: 1 traces the outer edge of the region only
extern int updateFrequency;         // 1 (weekly): index into updateFrequencies
extern int lastUpdateCheck;         // 0: day number of the last update check
extern int exactPage;               // 0: 1 writes the page outside its map with the bytes it
                                    // was read from
extern int hotspotListShown;        // 1: the hotspot list is shown
extern int hotspotListArea;         // 2: the frame edge the list is docked at: 1 left, 2 right,
                                    // 4 top, 8 bottom; 0 floating on its own
extern int hotspotListSize;         // 0: the list's width (its height at the top or bottom)
                                    // in pixels; 0 its own
extern int svgTimeLimit;            // 30: seconds an SVG picture may take to draw (1-86400)
extern int gridShow;                // 0: 1 draws the grid under the hotspots
extern int gridSnap;                // 0: 1 snaps points placed and dragged to the grid
extern int snapHotspots;            // 0: 1 snaps them to the picture's edges and to the
                                    // edges and vertices of other hotspots
extern int gridSpacing;             // 10: grid spacing in picture pixels (2-1000)

// Puts every setting back to its default.
void settingsDefaults(void);

#endif
