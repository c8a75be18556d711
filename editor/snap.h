// snap.h: where a point placed or dragged on the picture lands when the View
// menu's snapping is on: on the grid, or on the picture's edges and the edges
// and vertices of other hotspots. Owns no globals (the settings are gridSnap,
// snapHotspots and gridSpacing, platform/settings.h).
#ifndef TILVANE_SNAP_H
#define TILVANE_SNAP_H

// The reach of snapping to hotspots and picture edges, in window pixels.
enum { snapReach = 5 };

// Snaps the picture point (*xP, *yP). With snapHotspots: to the nearest
// corner of the picture or vertex of a hotspot within snapReach window pixels,
// else to the nearest point of an edge of the picture or of a hotspot within
// that reach (selected hotspots, which are the ones being changed, are left
// out). Otherwise, with gridSnap, to the nearest grid point. 1 when the point
// was snapped.
int snapPoint(int *xP, int *yP);

#endif
