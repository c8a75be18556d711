// loadimg.cpp: loadfiles and LoadMyImage: a picture file made the document's
// picture, with the page's map.
#include "workflow/loadimg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/clientmap.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "editor/view.h"
#include "html/document.h"
#include "image/dither.h"
#include "image/gif.h"
#include "image/imagedata.h"
#include "platform/platform.h"
#include "platform/seams.h"
#include "platform/strhack.h"
#include "wfile/wfile.h"

int LoadMyImage(const char *filename) {
  if (id) {
    imageDataDestroy(id);
    id = nullptr;
  }
  int decoder = imageDecoderForName(filename);
  static wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *in = wfileOpen(filename, "rb", &info);
  if (!in) {
    modalPopup(std::strcmp(info.error, "Not a regular file") == 0
                   ? "That is not a picture file. Tilvane reads pictures only from ordinary files, not "
                     "from folders, devices or pipes."
                   : "Image file not found (or we don't have permission to open it).",
               0, nullptr, nullptr);
    return 0;
  }
  int ok = loadWithWindow(in, info.path, decoder, &palette, &id);
  wfileClose(in);
  if (!ok || !id) {
    if (id) imageDataDestroy(id);
    id = nullptr;
    return 0;
  }
  sx = id->width;
  sy = id->height;
  if (displayWidth == -1) displayWidth = sx;
  if (displayHeight == -1) displayHeight = sy;
  displayWidth = (int)(displayWidth * scale);
  displayHeight = (int)(displayHeight * scale);
  return 1;
}

// The load sequence of a document: the map (unless newFlag) and the picture,
// then the view and the Rectangle tool. A failed load leaves the logo shown.
int loadfiles(const char *filename, const char *, const char *localname, int newFlag) {
  void *cursor = LocalSetCursor(cursorWait);
  EnableMenus(1);
  opening = 1;
  objectsTotal = 0;
  scale = 1.0;
  Zoomout(2);
  if (localname && (!maplocalname || std::strcmp(localname, maplocalname) != 0)) {
    char *copy = mystrdupImpl("loadfiles", localname);
    myfreeImpl(maplocalname);
    maplocalname = copy;
  }
  int ok = 1;
  if (!newFlag) ok = LoadClientMap(hdoc, maplocalname ? maplocalname : "");
  if (ok) {
    ok = LoadMyImage(filename);
    if (ok) {
      DetectDefaultURL();
      if (state == nostate) Rect(1);
      SizeWindows();
    }
  }
  opening = 0;
  LocalSetCursor(cursor ? cursor : cursorArrow);
  EnableMenus(0);
  if (!ok) {
    if (id) {
      imageDataDestroy(id);
      id = nullptr;
    }
    ReloadLogo();
    sx = sy = 0;
  }
  resetScroll();
  repaint(0);
  return ok;
}
