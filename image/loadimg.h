// loadimg.h: turning a picture file into the document's picture (id): the
// decoder chosen by the file name's extension, the "Loading Image..." window,
// the JPEG, PNG and BMP loaders, and loadfiles, which loads a page's map and
// picture together. Owns sx, sy.
#ifndef TILVANE_LOADIMG_H
#define TILVANE_LOADIMG_H

struct imageData;
struct paletteInfo;
struct wfileStruct;

extern int sx, sy;  // the picture's width and height in pixels; 0 without one

// The decoders, as chosen by the text after the last "." of a file name
// (compared without regard to case): .gif GIF, .jpg/.jpe/.jpeg JPEG, .png PNG,
// .bmp BMP, anything else (or no extension) GIF.
enum { decoderGif = 0, decoderJpeg = 1, decoderPng = 2, decoderBmp = 3 };
int imageDecoderForName(const char *filename);

// Loads the page's map named localname (unless newFlag) and the picture
// filename, and sets the view and the tool up for them. 1 on success.
int loadfiles(const char *filename, const char *mapname, const char *localname, int newFlag);

// Replaces id with the picture in filename (a path or a file: URL). 1 when id
// holds the new picture; 0 after the decoder showed why not.
int LoadMyImage(const char *filename);

// The decoders: read from stream `in`, convert for pa, and store a new
// imageData through idP. 1 on success; 0 after showing the failure (with idP
// left null). context (the window) is not used.
int LoadJpeg(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
int LoadPng(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
int LoadBmp(const char *filename, imageData **idP);

// Reports how far a decoder has got (done of total) to the "Loading Image..."
// window while one is open.
void loadProgress(long long done, long long total);

#endif
