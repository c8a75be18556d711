// loadimg.h: turning a picture file into the document's picture (id), and
// loadfiles, which loads a page's map and picture together.
#ifndef TILVANE_LOADIMG_H
#define TILVANE_LOADIMG_H

#include "image/loaders.h"

// Loads the page's map named localname (unless newFlag) and the picture
// filename, and sets the view and the tool up for them. 1 on success.
int loadfiles(const char *filename, const char *mapname, const char *localname, int newFlag);

// Replaces id with the picture in filename (a path or a file: URL). 1 when id
// holds the new picture; 0 after the decoder showed why not.
int LoadMyImage(const char *filename);

#endif
