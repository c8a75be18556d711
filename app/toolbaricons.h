// toolbaricons.h: the 28 pairs of 16 by 16 toolbar pictures, drawn by this
// module into images when asked for: each command's pictogram under its picture
// id, and the grayed twin under the id of its disabled picture.
#ifndef TILVANE_TOOLBARICONS_H
#define TILVANE_TOOLBARICONS_H

class QImage;

enum { toolbarIconSize = 16 };

// A new 16 by 16 ARGB picture for a toolbar picture id (normal or disabled),
// or null when the id names no picture. The caller owns it.
QImage *toolbarIconLoad(int id);

// A picture drawn for a screen of `ratio` device pixels per logical pixel:
// round(16 * ratio) device pixels a side, each taking the colour of the
// logical pixel it lies in, so that edges stay sharp (no blending) at 1.25,
// 1.5 or 2; its device pixel ratio makes it 16 by 16 logical pixels.
QImage toolbarIconAtScale(const QImage &picture, double ratio);

// The grayed twin of a picture: every pixel faded to a light gray of its
// lightness, transparency kept.
QImage toolbarIconGrayed(const QImage &normal);

// The picture ids: pair i has the normal id toolbarIconIds[i][0] and the
// disabled id toolbarIconIds[i][1].
extern const int toolbarIconIds[][2];
extern const int toolbarIconPairs;

#endif
