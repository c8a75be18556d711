// loaders.h: the picture loaders: the decoder chosen by the file name's
// extension, the JPEG, PNG, BMP, WebP, AVIF and SVG loaders, and the progress
// of a load in the "Loading Image..." window. Owns sx, sy, displayWidth,
// displayHeight, svgDrawInProcess.
#ifndef TILVANE_LOADERS_H
#define TILVANE_LOADERS_H

#include <cstddef>
#include <vector>

struct imageData;
struct paletteInfo;
struct wfileStruct;

extern int sx, sy;  // the picture's width and height in pixels; 0 without one
extern int displayWidth, displayHeight;  // the size the page gives the picture in image pixels (-1: not given)

// The decoders, as chosen by the text after the last "." of a file name
// (compared without regard to case): .gif GIF, .jpg/.jpe/.jpeg JPEG, .png PNG,
// .bmp BMP, .webp WebP, .avif AVIF, .svg/.svgz SVG, anything else (or no
// extension) GIF.
enum { decoderGif = 0, decoderJpeg = 1, decoderPng = 2, decoderBmp = 3, decoderWebp = 4, decoderAvif = 5,
       decoderSvg = 6 };
int imageDecoderForName(const char *filename);

// Runs decoder over `in` (path names the file, for the BMP loader) with the
// "Loading Image..." window open; a load stopped on the way (Cancel, a time
// limit) shows why and fails. 1 when *idP holds the picture.
int loadWithWindow(wfileStruct *in, const char *path, int decoder, paletteInfo *pa, imageData **idP);


// The decoders: read from stream `in`, convert for pa, and store a new
// imageData through idP. 1 on success; 0 after showing the failure (with idP
// left null). context (the window) is not used.
int LoadJpeg(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
int LoadPng(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
int LoadBmp(const char *filename, imageData **idP);
int LoadWebp(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
int LoadAvif(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
// An SVG is rendered at displayWidth x displayHeight when the page gives them
// (not -1), else at its own width and height, else at its view box (scaled
// down to fit 4096 pixels on its longer side when it is larger), against
// white. It never reads anything but the stream: no outside files or addresses.
// The drawing runs in a child process held to svgTimeLimit seconds and to a
// bound on its memory, which the load's Cancel stops at once; with
// svgDrawInProcess set (a fuzzer, which wants the drawing in its own process)
// it runs in this process instead, without those limits.
int LoadSvg(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP);
extern int svgDrawInProcess;

// Exif orientation, which browsers apply to JPEG, PNG and WebP pictures: 1
// shows the rows as stored; 2 mirrors them left to right, 3 turns them by 180
// degrees, 4 mirrors them top to bottom, 5 transposes them (the first row
// becomes the left column), 6 turns them a quarter clockwise, 7 transposes
// them across the other diagonal, 8 turns them a quarter anticlockwise.
// exifOrientation reads the tag from Exif data (a TIFF header, optionally
// after "Exif\0\0"): the value 1-8 of the orientation in the first directory,
// 1 for anything else (no tag, a damaged or hostile block, a value out of
// range). It reads nothing outside data[0 .. size - 1].
int exifOrientation(const unsigned char *data, size_t size);
// The size a width x height picture is shown at after orientation.
void exifOrientedSize(int orientation, int width, int height, int *shownWidth, int *shownHeight);

// What the WebP, AVIF and SVG loaders share.
// Reads the whole of `in` into *data; 0 (data partial) when the stream fails
// or holds more than `limit` bytes.
int loadWholeStream(wfileStruct *in, std::vector<unsigned char> *data, size_t limit);

// A picture being filled row by row from straight RGBA pixels: each row is
// composited against white and converted for the display mode of pa into the
// tiles.
struct rgbaRows {
  imageData *made;
  unsigned char *header;
  unsigned char *rgb;      // one composited row
  unsigned char *scratch;  // one converted row when the tiles give no pointer
  paletteInfo *pa;
  int width, height;  // as the rows come, before orientation
  int orientation;    // Exif orientation the rows are turned by on their way in
};
// Sets up a width x height picture whose rows are turned by orientation (see
// exifOrientation) as they are put. 0 when it is too large or memory fails
// (r then holds nothing to release).
int rgbaRowsBegin(rgbaRows *r, int width, int height, paletteInfo *pa, int orientation = 1);
// Row y: pixels x0 .. x0 + n - 1 from rgba (4 bytes each), white elsewhere
// (all white for a null rgba).
void rgbaRowsPut(rgbaRows *r, int y, const unsigned char *rgba, int x0, int n);
// Hands the picture over (the caller owns it), or with keep == 0 destroys it.
imageData *rgbaRowsEnd(rgbaRows *r, int keep);

// Reports how far a decoder has got (done of total) to the "Loading Image..."
// window while one is open, and lets the windows be drawn and the window's
// Cancel be used (at every percent, and at least every 50 ms). 0 once the load
// is to stop: the decoder then gives up at once, without a message of its own.
int loadProgress(long long done, long long total);
// The same for a decoder that waits without rows to count. 0 once the load is
// to stop.
int loadPoll(void);
// Stops the load for a reason ("took longer than 30 seconds"): loadProgress and
// loadPoll answer 0 from now on, and LoadMyImage says why the picture could not
// be shown. Cancel stops it with the reason "stopped". loadStopped is 1 once
// the load is to stop.
void loadStop(const char *reason);
int loadStopped(void);
// Shows the box of the decoder's loader saying why the stopped load failed,
// and clears the stop for the next load. LoadMyImage does this after a
// stopped load; a decoder used without it (the SVG time limit) does it itself
// when loadRunning is 0.
void loadStoppedMessage(int decoder);
int loadRunning(void);

#endif
