// commands.cpp: the command table with its menus, keys, hints, toolbar buttons
// and enable rules, the toolbar layout, the context menu layouts, the
// accelerator lookup and the enable rules as a function of their inputs.
// Owns commandTable, commandTableTotal, commandMenuTitles, toolbarLayout,
// toolbarLayoutTotal, contextMenuLayouts, aboutProductName, aboutDefaultText,
// aboutHomeAddress.
#include "app/commands.h"

#include <cstring>

#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "html/strhack.h"
#include "platform/platform.h"

const char *const commandMenuTitles[commandMenusTotal] = {
    "",        "&File",    "&Edit", "&View", "&Tools", "&Actions", "A&lign to Common Edge",
    "&Expand to Common Edge", "&Help"};

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

}  // namespace

// Within each menu the rows stand in the menu's order.
const commandEntry commandTable[] = {
    // id  menu              text                                            sep  keys                         hint chk bmp  dis  tooltip                                 menu     toolbar
    {2100, commandFileMenu, "&New HTML Document (Open Image)...\tCtrl+N", 0, {{V | C, 'N'}, {0, 0}}, 0, 0, 2102, 2103, "New HTML Document (Open Image)", rAlways, rAlways},
    {201, commandFileMenu, "&Open HTML Document...\tCtrl+O", 0, {{V | C, 'O'}, {0, 0}}, 0, 0, 119, 822, "Open HTML Document", rAlways, rAlways},
    {111, commandFileMenu, "&Close HTML Document\tCtrl+W", 0, {{V | C, 'W'}, {0, 0}}, 0, 0, 128, 827, "Close HTML Document", rDoc, rDoc},
    {202, commandFileMenu, "&Save HTML Document\tCtrl+S", 0, {{V | C, 'S'}, {0, 0}}, 0, 0, 120, 823, "Save HTML Document", rDoc, rDoc},
    {203, commandFileMenu, "Save &As...", 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways},
    {112, commandFileMenu, "&Import Old Server Map", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways},
    {113, commandFileMenu, "Ex&port Old Server Map", 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways},
    {204, commandFileMenu, "E&xit\tCtrl+Q", 1, {{V | C, 'Q'}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},

    {146, commandEditMenu, "Select &All\tCtrl+A", 0, {{V | C, 'A'}, {0, 0}}, 0, 0, 0, 0, nullptr, rAny, rAlways},
    {142, commandEditMenu, "Cu&t\tCtrl+X", 0, {{V | C, 'X'}, {0, 0}}, 0, 0, 2129, 164, "Cut Selected Hotspots", rCur, rCur},
    {144, commandEditMenu, "&Copy\tCtrl+C", 0, {{V | C, 'C'}, {0, 0}}, 0, 0, 135, 165, "Copy Selected Hotspots", rCur, rAny},
    {145, commandEditMenu, "&Paste\tCtrl+V", 0, {{V | C, 'V'}, {0, 0}}, 0, 0, 2130, 166, "Paste Hotspots From Clipboard", rPaste, rPaste},
    {103, commandEditMenu, "&Edit Default URL...\tCtrl+U", 1, {{V | C, 'U'}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways},
    {903, commandEditMenu, "&Undo\tCtrl+Z", 1, {{V | C, 'Z'}, {0, 0}}, 0, 0, 803, 820, "Undo", rUndo, rUndo},
    {904, commandEditMenu, "Re&do\tCtrl+Y", 0, {{V | C, 'Y'}, {0, 0}}, 0, 0, 804, 828, "Redo", rRedo, rRedo},
    {118, commandEditMenu, "P&references...", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},

    {2101, commandViewMenu, "Show HTML &Tags...", 0, {{0, 0}, {0, 0}}, 0, 0, 2104, 2105, "Show Imagemap HTML Tags (in Notepad)", rDoc, rDoc},
    {2110, commandViewMenu, "&Check Map...\tF7", 0, {{V, VKEY_F1 + 6}, {0, 0}}, 0, 0, 0, 0, nullptr, rDoc, rAlways},
    {900, commandViewMenu, "Zoom &In\t+", 1, {{0, '+'}, {0, '='}}, 0, 0, 800, 818, "Zoom In", rDoc, rDoc},
    {901, commandViewMenu, "Zoom &Out\t-", 0, {{0, '-'}, {0, 0}}, 0, 0, 801, 819, "Zoom Out", rDoc, rDoc},

    {302, commandToolsMenu, "&Rectangle\tCtrl+R", 0, {{V | C, 'R'}, {0, 0}}, 1, 1, 111, 810, "Add Rectangles", rDoc, rDoc},
    {303, commandToolsMenu, "&Circle\tCtrl+E", 0, {{V | C, 'E'}, {0, 0}}, 2, 1, 113, 812, "Add Circles", rDoc, rDoc},
    {301, commandToolsMenu, "&Polygon\tCtrl+P", 0, {{V | C, 'P'}, {0, 0}}, 3, 1, 112, 811, "Add Polygons", rDoc, rDoc},
    {902, commandToolsMenu, "Magic &Wand\tCtrl+G", 0, {{V | C, 'G'}, {0, 0}}, 4, 1, 802, 813, "Magic Wand", rDoc, rDoc},
    {304, commandToolsMenu, "&Test+Edit\tCtrl+T", 1, {{V | C, 'T'}, {0, 0}}, 6, 1, 114, 814, "Test and Edit Hotspots", rDoc, rDoc},

    {108, commandActionsMenu, "&Remove Selected Point(s)\tAlt+P", 0, {{V | A, 'P'}, {0, 0}}, 8, 0, 117, 817, "Remove Selected Point(s)", rSome, rSome},
    {107, commandActionsMenu, "&Add Point Between Selected Points\tAlt+A", 0, {{V | A, 'A'}, {0, 0}}, 7, 0, 116, 816, "Add Point Between Selected Points", rTwo, rTwo},

    {125, commandAlignMenu, "&Top\tAlt+T", 0, {{V | A, 'T'}, {0, 0}}, 12, 0, 149, 160, "Align to Top Edge", rSeveral, rSeveral},
    {126, commandAlignMenu, "&Bottom\tAlt+B", 0, {{V | A, 'B'}, {0, 0}}, 12, 0, 159, 163, "Align to Bottom Edge", rSeveral, rSeveral},
    {127, commandAlignMenu, "&Left\tAlt+L", 0, {{V | A, 'L'}, {0, 0}}, 12, 0, 157, 161, "Align to Left Edge", rSeveral, rSeveral},
    {128, commandAlignMenu, "&Right\tAlt+R", 0, {{V | A, 'R'}, {0, 0}}, 12, 0, 158, 162, "Align to Right Edge", rSeveral, rSeveral},

    {129, commandExpandMenu, "&Top\tShift+Alt+T", 0, {{V | S | A, 'T'}, {0, 0}}, 11, 0, 136, 153, "Expand to Top Edge", rSeveral, rSeveral},
    {135, commandExpandMenu, "&Bottom\tShift+Alt+B", 0, {{V | S | A, 'B'}, {0, 0}}, 11, 0, 152, 156, "Expand to Bottom Edge", rSeveral, rSeveral},
    {136, commandExpandMenu, "&Left\tShift+Alt+L", 0, {{V | S | A, 'L'}, {0, 0}}, 11, 0, 150, 154, "Expand to Left Edge", rSeveral, rSeveral},
    {137, commandExpandMenu, "&Right\tShift+Alt+R", 0, {{V | S | A, 'R'}, {0, 0}}, 11, 0, 151, 155, "Expand to Right Edge", rSeveral, rSeveral},

    {401, commandHelpMenu, "&Contents\tF1", 0, {{V, VKEY_F1}, {0, 0}}, 0, 0, 118, 821, "Help Contents", rAlways, rAlways},
    {153, commandHelpMenu, "Check For &Updates", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},
    {402, commandHelpMenu, "&About Tilvane...", 1, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},

    // Context menus and keys only.
    {151, commandNoMenu, "Proper&ties\tEnter", 0, {{V, VKEY_RETURN}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},
    {102, commandNoMenu, nullptr, 0, {{V, VKEY_DELETE}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},
    {105, commandNoMenu, nullptr, 0, {{V, VKEY_ESCAPE}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},

    // Toolbar separators.
    {1028, commandNoMenu, nullptr, 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rDoc},
    {1029, commandNoMenu, nullptr, 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rDoc},
    {1030, commandNoMenu, nullptr, 0, {{0, 0}, {0, 0}}, 0, 0, 0, 0, nullptr, rAlways, rAlways},
};
const int commandTableTotal = (int)(sizeof commandTable / sizeof commandTable[0]);

const commandEntry *commandFind(unsigned id) {
  for (int i = 0; i < commandTableTotal; i++)
    if (commandTable[i].id == id) return &commandTable[i];
  return nullptr;
}

const unsigned toolbarLayout[] = {
    2100, 201, 2101, 111, 202, 1028,                          // documents
    302, 303, 301, 902, 1029,                                 // drawing tools
    304, 142, 144, 145, 108, 107,                             // editing
    125, 126, 127, 128, 129, 135, 136, 137, 1028,            // align and expand
    900, 901, 1028,                                           // zoom
    903, 904, 1030,                                           // undo, redo
    401};
const int toolbarLayoutTotal = (int)(sizeof toolbarLayout / sizeof toolbarLayout[0]);

namespace {

const unsigned pointsEntries[] = {151, contextMenuSeparator, 903, 904, contextMenuSeparator, 142, 144,
                                  145, contextMenuSeparator, 108, contextMenuEnd};
const unsigned pointsWithInsertEntries[] = {151, contextMenuSeparator, 903, 904, contextMenuSeparator,
                                            142, 144, 145, contextMenuSeparator, 108, 107,
                                            contextMenuEnd};
const unsigned singleEntries[] = {151, contextMenuSeparator, 903, 904, contextMenuSeparator, 142, 144,
                                  145, contextMenuEnd};
const unsigned multipleEntries[] = {903, 904, contextMenuSeparator, 142, 144, 145,
                                    contextMenuSeparator, contextMenuAlign, contextMenuExpand,
                                    contextMenuEnd};

}  // namespace

const contextMenuLayout contextMenuLayouts[4] = {
    {134, pointsEntries},
    {135, pointsWithInsertEntries},
    {136, singleEntries},
    {137, multipleEntries},
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
    "Tilvane 4.05 for Windows\r\n\r\n"
    "An editor for the image maps of HTML pages: draw rectangles, circles and "
    "polygons over a picture, give each one its link, and save the map back into "
    "the page.\r\n\r\n"
    "Copyright (C) the Tilvane developers. This program comes with no warranty; "
    "use it at your own risk.";
const char aboutHomeAddress[] = "http://www.tilvane.invalid/";
