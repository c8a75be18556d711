// seams.cpp: the forwarding calls of seams.h. Owns seams, cursorArrow, cursorWait.
#include "platform/seams.h"

#include "platform/platform.h"

seamTable seams;

namespace {
char arrowToken, waitToken;
}  // namespace
void *const cursorArrow = &arrowToken;
void *const cursorWait = &waitToken;

void seamsClear(void) { seams = seamTable(); }

void repaint(int flag) {
  if (seams.repaint) seams.repaint(flag);
  hotspotsChanged();
}
void hotspotsChanged(void) {
  if (seams.hotspotsChanged) seams.hotspotsChanged();
}
void Zoomout(int mode) {
  if (seams.zoomout) seams.zoomout(mode);
}
void resetScroll(void) {
  if (seams.resetScroll) seams.resetScroll();
}
void SizeWindows(void) {
  if (seams.sizeWindows) seams.sizeWindows();
}
void ReloadLogo(void) {
  if (seams.reloadLogo) seams.reloadLogo();
}
void sensitivity(int setting) {
  if (seams.sensitivity) seams.sensitivity(setting);
}
void EnableMenus(int flag) {
  if (seams.enableMenus) seams.enableMenus(flag);
}
void commandCheck(int id, int checked) {
  if (seams.commandCheck) seams.commandCheck(id, checked);
}
void commandEnable(int id, int enabled) {
  if (seams.commandEnable) seams.commandEnable(id, enabled);
}
void toolbarRedraw(void) {
  if (seams.toolbarRedraw) seams.toolbarRedraw();
}
void FirstHint(int index, void *parent) {
  if (seams.firstHint) seams.firstHint(index, parent);
}
// Url and UrlDismiss are defined by editor/props.cpp: Url applies the
// defeatUrlDialog shortcut and the first-run hint, then calls seams.url to show
// the dialog; UrlDismiss notes that the dialog is hidden, then calls
// seams.urlDismiss.
void UrlDefault(void) {
  if (seams.urlDefault) seams.urlDefault();
}
void UrlDefaultDismiss(void) {
  if (seams.urlDefaultDismiss) seams.urlDefaultDismiss();
}
void *LocalSetCursor(void *cursor) {
  return seams.localSetCursor ? seams.localSetCursor(cursor) : nullptr;
}
int ImageListSelect(void) { return seams.imageListSelect ? seams.imageListSelect() : 0; }
int MapTypeBox(void) { return seams.mapTypeBox ? seams.mapTypeBox() : 0; }
int settingsSave(void) { return seams.saveSettings ? seams.saveSettings() : 0; }
int urlBrowse(const char *title, char *buffer, int size) {
  return seams.urlBrowse ? seams.urlBrowse(title, buffer, size) : -1;
}
void setWindowTitle(const char *title) {
  if (seams.setTitle) seams.setTitle(title);
}
void recreatePens(void) {
  if (seams.recreatePens) seams.recreatePens();
}
void chooseSketchColor(void) {
  if (seams.chooseSketchColor) seams.chooseSketchColor();
}
void MagicWandSettings(void) {
  if (seams.magicWandSettings) seams.magicWandSettings();
}

void modalPopup(const char *msg, int kind, void (*callback)(void *data, int ok), void *data) {
  if (kind == 1) {
    int r = platformMessageBox(nullptr, msg, "Tilvane", MB_OKCANCEL);
    if (callback) callback(data, r == IDOK ? 1 : 0);
  } else {
    platformMessageBox(nullptr, msg, "Tilvane", MB_OK);
  }
}
