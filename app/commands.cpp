// commands.cpp: the command table with its menus, keys, hints, toolbar buttons
// and enable rules, the toolbar layout, the context menu layouts, the
// accelerator lookup and the enable rules as a function of their inputs.
// Owns commandTable, commandTableTotal, commandMenuTitles, toolbarLayout,
// toolbarLayoutTotal, contextMenuLayouts, commandWindows, aboutProductName,
// aboutDefaultText, aboutHomeAddress.
#include "app/commands.h"

#include <cstring>

#include "app/browser.h"
#include "app/prefs.h"
#include "app/update.h"
#include "editor/clipboard.h"
#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "platform/settings.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "editor/servermap.h"
#include "platform/strhack.h"
#include "platform/platform.h"

const char *const commandMenuTitles[commandMenusTotal] = {
    "",        "&File",    "&Edit", "&View", "&Tools", "&Actions", "A&lign to Common Edge",
    "&Expand to Common Edge", "&Help", "&Arrange"};

namespace {

constexpr int V = ACCEL_VIRTKEY;
constexpr int C = ACCEL_CONTROL;
constexpr int A = ACCEL_ALT;
constexpr int S = ACCEL_SHIFT;

// Rule shorthands.
constexpr int rAlways = commandRuleAlways;
constexpr int rDoc = commandRuleDocument;
constexpr int rSeveral = commandRuleSeveral;
constexpr int rSome = commandRuleSomePoints;
constexpr int rTwo = commandRuleTwoPoints;
constexpr int rCur = commandRuleCurrent;
constexpr int rAny = commandRuleAnyHotspot;
constexpr int rPaste = commandRulePaste;
constexpr int rUndo = commandRuleUndo;
constexpr int rRedo = commandRuleRedo;

// The handlers of the rows: each runs its command; id is the row's id.
void runNew(unsigned) { New(nullptr, nullptr, nullptr); }
void runOpen(unsigned) { OpenLaunch(); }
void runClose(unsigned) { Close(0); }
// A page is not saved while its picture is still loading.
void runSave(unsigned) {
  if (!opening) saveDocument();
}
void runSaveAs(unsigned) {
  if (!opening) SaveAs();
}
void runImport(unsigned) { Import(); }
void runExport(unsigned) { Export(); }
void runExit(unsigned) {
  if (Close(0) && commandWindows.quit) commandWindows.quit();
}
void runSelectAll(unsigned) { SelectAll(); }
void runCut(unsigned) { Cut(); }
void runCopy(unsigned) { Copy(); }
void runPaste(unsigned) { Paste(); }
void runDuplicate(unsigned) { Duplicate(); }
void runDefaultUrl(unsigned) { UrlDefault(); }
void runUndo(unsigned) { Undo(1); }
void runRedo(unsigned) { Redo(1); }
void runPreferences(unsigned) { Preferences(); }
void runShowTags(unsigned) { Show(); }
void runCheckMap(unsigned) {
  if (commandWindows.checkMap) commandWindows.checkMap();
}
void runHotspotList(unsigned) {
  if (commandWindows.hotspotList) commandWindows.hotspotList();
}
void runZoomIn(unsigned) { Zoomin(1); }
void runZoomOut(unsigned) { Zoomout(1); }
// Actual size keeps the middle of the window where it is.
void runZoomActual(unsigned) { zoomAbout(1.0, winwidth / 2, winheight / 2); }
void runZoomFit(unsigned) { zoomAbout(zoomFitScale(), 0, 0); }
// The three grid settings: each command flips its own and keeps it.
void runGridSetting(unsigned id) {
  int *setting = id == cmdShowGrid ? &gridShow : id == cmdSnapGrid ? &gridSnap : &snapHotspots;
  *setting = !*setting;
  commandCheck(static_cast<int>(id), *setting);
  settingsSave();
  repaint(0);
}
void runTool(unsigned id) { toolCommand(static_cast<int>(id)); }
void runRemovePoints(unsigned) { Removepoints(1); }
void runAddPoint(unsigned) { Addpoints(1); }
void runAlign(unsigned id) { Align(static_cast<int>(id)); }
void runArrange(unsigned id) { Arrange(static_cast<int>(id)); }
void runSelectUnder(unsigned) { SelectUnder(); }
void runHelpContents(unsigned) { helpOn("help_contents"); }
void runCheckUpdates(unsigned) { checkForUpdatesForeground(); }
void runAbout(unsigned) {
  if (commandWindows.about) commandWindows.about();
}
// Enter finishes a polygon being drawn; otherwise it opens the properties of
// the one selected hotspot.
void runProperties(unsigned) {
  if (EnterKey()) return;
  if (singleSelection() && lastObjectSelected != -1) Url(lastObjectSelected, 1);
}
void runCancel(unsigned) { Button3Down(); }

}  // namespace

commandWindowTable commandWindows = {};

// Within each menu the rows stand in the menu's order.
const commandEntry commandTable[] = {
    // id  menu  text  sep  keys  hint  checkable  bitmap  disabled bitmap  tooltip  menu rule  toolbar rule  handler
    {cmdNew, commandFileMenu, "&New HTML Document (Open Image)...\tCtrl+N", 0, {{V | C, 'N'}, {0, 0}}, 0, 0, 2102, 2103, "New HTML Document (Open Image)", rAlways, rAlways, runNew},
    {cmdOpen, commandFileMenu, "&Open HTML Document...\tCtrl+O", 0, {{V | C, 'O'}, {0, 0}}, 0, 0, 119, 822, "Open HTML Document", rAlways, rAlways, runOpen},
    {cmdClose, commandFileMenu, "&Close HTML Document\tCtrl+W", 0, {{V | C, 'W'}, {0, 0}}, 0, 0, 128, 827, "Close HTML Document", rDoc, rDoc, runClose},
    {cmdSave, commandFileMenu, "&Save HTML Document\tCtrl+S", 0, {{V | C, 'S'}, {0, 0}}, 0, 0, 120, 823, "Save HTML Document", rDoc, rDoc, runSave},
    {cmdSaveAs, commandFileMenu, "Save &As...", 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runSaveAs},
    {cmdImport, commandFileMenu, "&Import Old Server Map", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runImport},
    {cmdExport, commandFileMenu, "Ex&port Old Server Map", 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runExport},
    {cmdExit, commandFileMenu, "E&xit\tCtrl+Q", 1, {{V | C, 'Q'}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runExit},

    {cmdSelectAll, commandEditMenu, "Select &All\tCtrl+A", 0, {{V | C, 'A'}, {0, 0}}, 0, 0, 0, 0, nullptr, rAny, rAlways, runSelectAll},
    {cmdCut, commandEditMenu, "Cu&t\tCtrl+X", 0, {{V | C, 'X'}, {0, 0}}, 0, 0, 2129, 164, "Cut Selected Hotspots", rCur, rCur, runCut},
    {cmdCopy, commandEditMenu, "&Copy\tCtrl+C", 0, {{V | C, 'C'}, {0, 0}}, 0, 0, 135, 165, "Copy Selected Hotspots", rCur, rAny, runCopy},
    {cmdPaste, commandEditMenu, "&Paste\tCtrl+V", 0, {{V | C, 'V'}, {0, 0}}, 0, 0, 2130, 166, "Paste Hotspots From Clipboard", rPaste, rPaste, runPaste},
    {cmdDuplicate, commandEditMenu, "D&uplicate\tCtrl+D", 0, {{V | C, 'D'}, {0, 0}}, 0, 0, 0, 0, nullptr, rCur, rAlways, runDuplicate},
    {cmdDefaultUrl, commandEditMenu, "&Edit Default URL...\tCtrl+U", 1, {{V | C, 'U'}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runDefaultUrl},
    {cmdUndo, commandEditMenu, "&Undo\tCtrl+Z", 1, {{V | C, 'Z'}, {0, 0}}, 0, 0, 803, 820, "Undo", rUndo, rUndo, runUndo},
    {cmdRedo, commandEditMenu, "Re&do\tCtrl+Y", 0, {{V | C, 'Y'}, {V | C | S, 'Z'}}, 0, 0, 804, 828, "Redo", rRedo, rRedo, runRedo},
    {cmdPreferences, commandEditMenu, "P&references...", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runPreferences},

    {cmdShowTags, commandViewMenu, "Show HTML &Tags...", 0, {{0, 0}, {0, 0}}, 0, 0, 2104, 2105, "Show Imagemap HTML Tags (in a Text Editor)", rDoc, rDoc, runShowTags},
    {cmdCheckMap, commandViewMenu, "&Check Map...\tF7", 0, {{V, VKEY_F1 + 6}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runCheckMap},
    {cmdHotspotList, commandViewMenu, "Hotspot &List", 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runHotspotList},
    {cmdZoomIn, commandViewMenu, "Zoom &In\t+", 1, {{0, '+'}, {0, '='}, {V | C, VKEY_PLUS}, {V | C | S, VKEY_PLUS}}, 0, 0, 800, 818, "Zoom In", rDoc, rDoc, runZoomIn},
    {cmdZoomOut, commandViewMenu, "Zoom &Out\t-", 0, {{0, '-'}, {V | C, VKEY_MINUS}}, 0, 0, 801, 819, "Zoom Out", rDoc, rDoc, runZoomOut},
    {cmdZoomActual, commandViewMenu, "&Actual Size\tCtrl+0", 0, {{V | C, '0'}}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runZoomActual},
    {cmdZoomFit, commandViewMenu, "Zoom to &Fit", 0, {}, 0, 0, 0, 0, nullptr, rDoc, rAlways, runZoomFit},
    {cmdShowGrid, commandViewMenu, "Show &Grid\tCtrl+'", 1, {{V | C, VKEY_APOSTROPHE}}, 0, 2, 0, 0, nullptr, rAlways, rAlways, runGridSetting},
    {cmdSnapGrid, commandViewMenu, "&Snap to Grid\tCtrl+Shift+'", 0, {{V | C | S, VKEY_APOSTROPHE}}, 0, 2, 0, 0, nullptr, rAlways, rAlways, runGridSetting},
    {cmdSnapHotspots, commandViewMenu, "Snap to &Hotspots", 0, {}, 0, 2, 0, 0, nullptr, rAlways, rAlways, runGridSetting},

    {cmdRectangle, commandToolsMenu, "&Rectangle\tCtrl+R", 0, {{V | C, 'R'}, {0, 0}}, 1, 1, 111, 810, "Add Rectangles", rDoc, rDoc, runTool},
    {cmdCircle, commandToolsMenu, "&Circle\tCtrl+E", 0, {{V | C, 'E'}, {0, 0}}, 2, 1, 113, 812, "Add Circles", rDoc, rDoc, runTool},
    {cmdPolygon, commandToolsMenu, "&Polygon\tCtrl+P", 0, {{V | C, 'P'}, {0, 0}}, 3, 1, 112, 811, "Add Polygons", rDoc, rDoc, runTool},
    {cmdMagicWand, commandToolsMenu, "Magic &Wand\tCtrl+G", 0, {{V | C, 'G'}, {0, 0}}, 4, 1, 802, 813, "Magic Wand", rDoc, rDoc, runTool},
    {cmdTestEdit, commandToolsMenu, "&Test+Edit\tCtrl+T", 1, {{V | C, 'T'}, {0, 0}}, 6, 1, 114, 814, "Test and Edit Hotspots", rDoc, rDoc, runTool},

    {cmdRemovePoints, commandActionsMenu, "&Remove Selected Point(s)\tAlt+P", 0, {{V | A, 'P'}, {0, 0}}, 8, 0, 117, 817, "Remove Selected Point(s)", rSome, rSome, runRemovePoints},
    {cmdAddPoint, commandActionsMenu, "&Add Point Between Selected Points\tAlt+A", 0, {{V | A, 'A'}, {0, 0}}, 7, 0, 116, 816, "Add Point Between Selected Points", rTwo, rTwo, runAddPoint},

    {cmdAlignTop, commandAlignMenu, "&Top\tAlt+T", 0, {{V | A, 'T'}, {0, 0}}, 12, 0, 149, 160, "Align to Top Edge", rSeveral, rSeveral, runAlign},
    {cmdAlignBottom, commandAlignMenu, "&Bottom\tAlt+B", 0, {{V | A, 'B'}, {0, 0}}, 12, 0, 159, 163, "Align to Bottom Edge", rSeveral, rSeveral, runAlign},
    {cmdAlignLeft, commandAlignMenu, "&Left\tAlt+L", 0, {{V | A, 'L'}, {0, 0}}, 12, 0, 157, 161, "Align to Left Edge", rSeveral, rSeveral, runAlign},
    {cmdAlignRight, commandAlignMenu, "&Right\tAlt+R", 0, {{V | A, 'R'}, {0, 0}}, 12, 0, 158, 162, "Align to Right Edge", rSeveral, rSeveral, runAlign},

    {cmdExpandTop, commandExpandMenu, "&Top\tShift+Alt+T", 0, {{V | S | A, 'T'}, {0, 0}}, 11, 0, 136, 153, "Expand to Top Edge", rSeveral, rSeveral, runAlign},
    {cmdExpandBottom, commandExpandMenu, "&Bottom\tShift+Alt+B", 0, {{V | S | A, 'B'}, {0, 0}}, 11, 0, 152, 156, "Expand to Bottom Edge", rSeveral, rSeveral, runAlign},
    {cmdExpandLeft, commandExpandMenu, "&Left\tShift+Alt+L", 0, {{V | S | A, 'L'}, {0, 0}}, 11, 0, 150, 154, "Expand to Left Edge", rSeveral, rSeveral, runAlign},
    {cmdExpandRight, commandExpandMenu, "&Right\tShift+Alt+R", 0, {{V | S | A, 'R'}, {0, 0}}, 11, 0, 151, 155, "Expand to Right Edge", rSeveral, rSeveral, runAlign},

    {cmdBringToFront, commandArrangeMenu, "Bring to &Front\tCtrl+Shift+]", 0, {{V | C | S, VKEY_RBRACKET}, {0, 0}}, 0, 0, 0, 0, nullptr, rCur, rAlways, runArrange},
    {cmdBringForward, commandArrangeMenu, "Bring &Forward\tCtrl+]", 0, {{V | C, VKEY_RBRACKET}, {0, 0}}, 0, 0, 0, 0, nullptr, rCur, rAlways, runArrange},
    {cmdSendBackward, commandArrangeMenu, "Send &Backward\tCtrl+[", 0, {{V | C, VKEY_LBRACKET}, {0, 0}}, 0, 0, 0, 0, nullptr, rCur, rAlways, runArrange},
    {cmdSendToBack, commandArrangeMenu, "Send to Bac&k\tCtrl+Shift+[", 0, {{V | C | S, VKEY_LBRACKET}, {0, 0}}, 0, 0, 0, 0, nullptr, rCur, rAlways, runArrange},

    {cmdHelpContents, commandHelpMenu, "&Contents\tF1", 0, {{V, VKEY_F1}, {0, 0}}, 0, 0, 118, 821, "Help Contents", rAlways, rAlways, runHelpContents},
    {cmdCheckUpdates, commandHelpMenu, "Check For &Updates", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runCheckUpdates},
    {cmdAbout, commandHelpMenu, "&About Tilvane...", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runAbout},

    // Context menus and keys only.
    {cmdProperties, commandNoMenu, "Proper&ties\tEnter", 0, {{V, VKEY_RETURN}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runProperties},
    {cmdDelete, commandNoMenu, nullptr, 0, {{V, VKEY_DELETE}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runCut},
    {cmdCancel, commandNoMenu, nullptr, 0, {{V, VKEY_ESCAPE}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, runCancel},
    {cmdSelectUnder, commandNoMenu, "Select &Under", 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rCur, rAlways, runSelectUnder},

    // Toolbar separators.
    {cmdSeparator, commandNoMenu, nullptr, 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rDoc, nullptr},
    {cmdSeparatorTools, commandNoMenu, nullptr, 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rDoc, nullptr},
    {cmdSeparatorHelp, commandNoMenu, nullptr, 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways, nullptr},
};
const int commandTableTotal = (int)(sizeof commandTable / sizeof commandTable[0]);

const commandEntry *commandFind(unsigned id) {
  for (int i = 0; i < commandTableTotal; i++)
    if (commandTable[i].id == id) return &commandTable[i];
  return nullptr;
}

const unsigned toolbarLayout[] = {
    cmdNew, cmdOpen, cmdShowTags, cmdClose, cmdSave, cmdSeparator,                          // documents
    cmdRectangle, cmdCircle, cmdPolygon, cmdMagicWand, cmdSeparatorTools,                                 // drawing tools
    cmdTestEdit, cmdCut, cmdCopy, cmdPaste, cmdRemovePoints, cmdAddPoint,                             // editing
    cmdAlignTop, cmdAlignBottom, cmdAlignLeft, cmdAlignRight, cmdExpandTop, cmdExpandBottom, cmdExpandLeft, cmdExpandRight, cmdSeparator,            // align and expand
    cmdZoomIn, cmdZoomOut, cmdSeparator,                                           // zoom
    cmdUndo, cmdRedo, cmdSeparatorHelp,                                           // undo, redo
    cmdHelpContents};
const int toolbarLayoutTotal = (int)(sizeof toolbarLayout / sizeof toolbarLayout[0]);

namespace {

const unsigned pointsEntries[] = {cmdProperties, contextMenuSeparator, cmdUndo, cmdRedo, contextMenuSeparator, cmdCut, cmdCopy,
                                  cmdPaste, contextMenuSeparator, cmdRemovePoints, contextMenuEnd};
const unsigned pointsWithInsertEntries[] = {cmdProperties, contextMenuSeparator, cmdUndo, cmdRedo, contextMenuSeparator,
                                            cmdCut, cmdCopy, cmdPaste, contextMenuSeparator, cmdRemovePoints, cmdAddPoint,
                                            contextMenuEnd};
const unsigned singleEntries[] = {cmdProperties, contextMenuSeparator, cmdUndo, cmdRedo, contextMenuSeparator, cmdCut, cmdCopy,
                                  cmdPaste, contextMenuSeparator, cmdSelectUnder, contextMenuArrange, contextMenuEnd};
const unsigned multipleEntries[] = {cmdUndo, cmdRedo, contextMenuSeparator, cmdCut, cmdCopy, cmdPaste,
                                    contextMenuSeparator, contextMenuAlign, contextMenuExpand,
                                    contextMenuSeparator, cmdSelectUnder, contextMenuArrange,
                                    contextMenuEnd};

}  // namespace

const contextMenuLayout contextMenuLayouts[4] = {
    {contextMenuPoints, pointsEntries},
    {contextMenuTwoPoints, pointsWithInsertEntries},
    {contextMenuOneHotspot, singleEntries},
    {contextMenuSeveralHotspots, multipleEntries},
};

const contextMenuLayout *contextMenuFind(int resource) {
  for (const contextMenuLayout &m : contextMenuLayouts)
    if (m.resource == resource) return &m;
  return nullptr;
}

unsigned acceleratorFind(int flags, int vkey, int ch) {
  const int mods = ACCEL_SHIFT | ACCEL_CONTROL | ACCEL_ALT;
  flags &= mods;
  for (int i = 0; i < commandTableTotal; i++) {
    for (const commandKey &k : commandTable[i].keys) {
      if (!k.key) continue;
      if (k.flags & ACCEL_VIRTKEY) {
        if (vkey && k.key == vkey && (k.flags & mods) == flags) return commandTable[i].id;
      } else {
        if (ch && k.key == ch && !(flags & (ACCEL_CONTROL | ACCEL_ALT))) return commandTable[i].id;
      }
    }
  }
  return 0;
}

void acceleratorName(const commandKey *k, char *out, int size) {
  if (size <= 0) return;
  out[0] = 0;
  if (!k || !k->key) return;
  if (!(k->flags & ACCEL_VIRTKEY)) {
    char ch[2] = {(char)k->key, 0};
    strcpyMax(out, size, ch);
    return;
  }
  if (k->flags & ACCEL_CONTROL) strcatMax(out, size, "Ctrl+");
  if (k->flags & ACCEL_SHIFT) strcatMax(out, size, "Shift+");
  if (k->flags & ACCEL_ALT) strcatMax(out, size, "Alt+");
  char name[16];
  if (k->key >= 'A' && k->key <= 'Z') {
    name[0] = (char)k->key;
    name[1] = 0;
  } else if (k->key >= VKEY_F1 && k->key < VKEY_F1 + 12) {
    sprintfMax(name, sizeof name, "F%d", k->key - VKEY_F1 + 1);
  } else if (k->key == VKEY_RETURN) {
    strcpyMax(name, sizeof name, "Enter");
  } else if (k->key == VKEY_ESCAPE) {
    strcpyMax(name, sizeof name, "Esc");
  } else if (k->key == VKEY_DELETE) {
    strcpyMax(name, sizeof name, "Del");
  } else if (k->key >= '0' && k->key <= '9') {
    name[0] = (char)k->key;
    name[1] = 0;
  } else if (k->key == VKEY_PLUS || k->key == VKEY_MINUS || k->key == VKEY_APOSTROPHE) {
    strcpyMax(name, sizeof name, k->key == VKEY_PLUS ? "=" : k->key == VKEY_MINUS ? "-" : "'");
  } else if (k->key == VKEY_LBRACKET) {
    strcpyMax(name, sizeof name, "[");
  } else if (k->key == VKEY_RBRACKET) {
    strcpyMax(name, sizeof name, "]");
  } else {
    sprintfMax(name, sizeof name, "#%d", k->key);
  }
  strcatMax(out, size, name);
}

void sensitivityGather(int setting, sensitivityInputs *in) {
  in->setting = setting;
  in->state = state;
  in->objectsTotal = objectsTotal;
  in->lastObjectSelected = lastObjectSelected;
  in->objectsSelected = objectsSelected();
  in->pointsSelected = psel.points ? pointsSelected(&psel) : 0;
  in->undo = undoLast != nullptr;
  in->redo = redoLast != nullptr;
  in->clipboardText = platform->clipboardHasText ? platform->clipboardHasText() : 0;
}

int commandRuleHolds(int rule, const sensitivityInputs *in) {
  const int editingNow = in->setting && in->state == editing;
  switch (rule) {
    case commandRuleAlways:
      return 1;
    case commandRuleDocument:
      return in->setting != 0;
    case commandRuleSeveral:
      return editingNow && in->objectsSelected >= 2;
    case commandRuleSomePoints:
      return editingNow && in->objectsSelected == 1 && in->pointsSelected >= 1;
    case commandRuleTwoPoints:
      return editingNow && in->objectsSelected == 1 && in->pointsSelected == 2;
    case commandRuleCurrent:
      return editingNow && in->lastObjectSelected != -1;
    case commandRuleAnyHotspot:
      return editingNow && in->objectsTotal >= 1;
    case commandRulePaste:
      return editingNow && in->clipboardText;
    case commandRuleUndo:
      return in->setting && in->undo;
    case commandRuleRedo:
      return in->setting && in->redo;
  }
  return 0;
}

int sensitivityMenu(unsigned id, const sensitivityInputs *in) {
  const commandEntry *c = commandFind(id);
  if (!c || c->menuRule == commandRuleAlways) return -1;
  return commandRuleHolds(c->menuRule, in);
}

int sensitivityToolbar(unsigned id, const sensitivityInputs *in) {
  const commandEntry *c = commandFind(id);
  if (!c || c->toolbarRule == commandRuleAlways) return -1;
  int onStrip = 0;
  for (int i = 0; i < toolbarLayoutTotal; i++)
    if (toolbarLayout[i] == id) onStrip = 1;
  if (!onStrip) return -1;
  return commandRuleHolds(c->toolbarRule, in);
}

const char aboutProductName[] = "Tilvane";
const char aboutDefaultText[] =
    "Tilvane 4.05\r\n\r\n"
    "An editor for the image maps of HTML pages: draw rectangles, circles and "
    "polygons over a picture, give each one its link, and save the map back into "
    "the page.\r\n\r\n"
    "Copyright (C) the Tilvane developers. This program comes with no warranty; "
    "use it at your own risk.";
const char aboutHomeAddress[] = "http://www.tilvane.invalid/";
