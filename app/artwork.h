// artwork.h: the program's pictures drawn in code: the start-up logo (shown
// when no document is open and no logo file is found) and the application
// icon at any size.
#ifndef TILVANE_ARTWORK_H
#define TILVANE_ARTWORK_H

class QImage;

// The start-up logo, 480 x 320 pixels.
QImage logoPicture(void);

// The application icon, size x size pixels with a transparent surround.
QImage iconPicture(int size);

#endif
