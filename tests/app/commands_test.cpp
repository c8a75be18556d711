// The command table: menus, texts, keys, hints, toolbar layout, context menus,
// and the enable rules as a function of their inputs.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "app/commands.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "platform/platform_scripted.h"

namespace {

std::vector<std::string> menuTexts(int menu) {
  std::vector<std::string> out;
  for (int i = 0; i < commandTableTotal; i++)
    if (commandTable[i].menu == menu && commandTable[i].text) out.push_back(commandTable[i].text);
  return out;
}

TEST(CommandTable, PullDownsHoldTheirItemsInOrderWithKeyNames) {
  EXPECT_EQ(menuTexts(commandFileMenu),
            (std::vector<std::string>{"&New HTML Document (Open Image)...\tCtrl+N",
                                      "&Open HTML Document...\tCtrl+O", "&Close HTML Document\tCtrl+W",
                                      "&Save HTML Document\tCtrl+S", "Save &As...",
                                      "&Import Old Server Map", "Ex&port Old Server Map",
                                      "E&xit\tCtrl+Q"}));
  EXPECT_EQ(menuTexts(commandEditMenu),
            (std::vector<std::string>{"Select &All\tCtrl+A", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                                      "&Paste\tCtrl+V", "D&uplicate\tCtrl+D", "&Edit Default URL...\tCtrl+U",
                                      "&Undo\tCtrl+Z", "Re&do\tCtrl+Y", "P&references..."}));
  EXPECT_EQ(menuTexts(commandViewMenu),
            (std::vector<std::string>{"Show HTML &Tags...", "&Check Map...\tF7", "Hotspot &List", "Zoom &In\t+",
                                      "Zoom &Out\t-", "&Actual Size\tCtrl+0", "Zoom to &Fit",
                                      "Show &Grid\tCtrl+'", "&Snap to Grid\tCtrl+Shift+'", "Snap to &Hotspots"}));
  EXPECT_EQ(menuTexts(commandToolsMenu),
            (std::vector<std::string>{"&Rectangle\tCtrl+R", "&Circle\tCtrl+E", "&Polygon\tCtrl+P",
                                      "Magic &Wand\tCtrl+G", "&Test+Edit\tCtrl+T"}));
  EXPECT_EQ(menuTexts(commandActionsMenu),
            (std::vector<std::string>{"&Remove Selected Point(s)\tAlt+P",
                                      "&Add Point Between Selected Points\tAlt+A"}));
  EXPECT_EQ(menuTexts(commandAlignMenu),
            (std::vector<std::string>{"&Top\tAlt+T", "&Bottom\tAlt+B", "&Left\tAlt+L", "&Right\tAlt+R"}));
  EXPECT_EQ(menuTexts(commandExpandMenu),
            (std::vector<std::string>{"&Top\tShift+Alt+T", "&Bottom\tShift+Alt+B", "&Left\tShift+Alt+L",
                                      "&Right\tShift+Alt+R"}));
  EXPECT_EQ(menuTexts(commandArrangeMenu),
            (std::vector<std::string>{"Bring to &Front\tCtrl+Shift+]", "Bring &Forward\tCtrl+]",
                                      "Send &Backward\tCtrl+[", "Send to Bac&k\tCtrl+Shift+["}));
  EXPECT_STREQ(commandMenuTitles[commandArrangeMenu], "&Arrange");
  EXPECT_EQ(menuTexts(commandHelpMenu),
            (std::vector<std::string>{"&Contents\tF1", "Check For &Updates", "&About Tilvane..."}));
  EXPECT_STREQ(commandFind(cmdProperties)->text, "Proper&ties\tEnter");
  EXPECT_STREQ(commandMenuTitles[commandAlignMenu], "A&lign to Common Edge");
  EXPECT_STREQ(commandMenuTitles[commandExpandMenu], "&Expand to Common Edge");
}

TEST(CommandTable, IdsAreUniqueAndKeyNamesMatchTheKeys) {
  std::set<unsigned> ids;
  for (int i = 0; i < commandTableTotal; i++) {
    const commandEntry &c = commandTable[i];
    EXPECT_TRUE(ids.insert(c.id).second) << "id " << c.id << " twice";
    if (!c.text) continue;
    std::string text = c.text;
    size_t tab = text.find('\t');
    char name[64];
    acceleratorName(&c.keys[0], name, sizeof name);
    if (tab == std::string::npos)
      EXPECT_STREQ(name, "") << text << " has a key but shows none";
    else
      EXPECT_EQ(text.substr(tab + 1), name) << "id " << c.id;
  }
  EXPECT_EQ(commandFind(4711), nullptr);
}

TEST(CommandTable, EveryKeyRunsItsOwnCommand) {
  for (int i = 0; i < commandTableTotal; i++)
    for (const commandKey &k : commandTable[i].keys) {
      if (!k.key) continue;
      unsigned got = (k.flags & ACCEL_VIRTKEY) ? acceleratorFind(k.flags, k.key, 0) : acceleratorFind(0, 0, k.key);
      EXPECT_EQ(got, commandTable[i].id) << "key " << k.key;
    }
}

TEST(CommandTable, AcceleratorMatching) {
  struct Case {
    int flags, vkey, ch;
    unsigned id;
  } cases[] = {
      {ACCEL_CONTROL, 'N', 0, cmdNew},
      {ACCEL_CONTROL | ACCEL_SHIFT, 'N', 0, 0},  // modifiers must match exactly
      {0, 'N', 'n', 0},
      {ACCEL_CONTROL, 'Z', 0, cmdUndo},
      {ACCEL_CONTROL, 'Y', 0, cmdRedo},
      {ACCEL_ALT, 'T', 0, cmdAlignTop},
      {ACCEL_ALT | ACCEL_SHIFT, 'T', 0, cmdExpandTop},
      {ACCEL_ALT | ACCEL_SHIFT, 'R', 0, cmdExpandRight},
      {ACCEL_ALT | ACCEL_CONTROL, 'T', 0, 0},
      {ACCEL_CONTROL, 'T', 0, cmdTestEdit},
      {ACCEL_ALT, 'P', 0, cmdRemovePoints},
      {ACCEL_CONTROL, 'P', 0, cmdPolygon},
      {ACCEL_ALT, 'A', 0, cmdAddPoint},
      {ACCEL_CONTROL, 'A', 0, cmdSelectAll},
      {0, VKEY_F1, 0, cmdHelpContents},
      {ACCEL_SHIFT, VKEY_F1, 0, 0},
      {0, VKEY_DELETE, 0, cmdDelete},
      {0, VKEY_ESCAPE, 0, cmdCancel},
      {0, VKEY_RETURN, 0, cmdProperties},
      {ACCEL_SHIFT, 0, '+', cmdZoomIn},  // "+" typed with shift still zooms
      {0, 0, '=', cmdZoomIn},
      {0, 0, '-', cmdZoomOut},
      {ACCEL_CONTROL, 0, '-', 0},
      {ACCEL_ALT, 0, '+', 0},
      // The desktop's zoom and redo keys beside the program's own.
      {ACCEL_CONTROL, VKEY_PLUS, '=', cmdZoomIn},
      {ACCEL_CONTROL | ACCEL_SHIFT, VKEY_PLUS, '+', cmdZoomIn},
      {ACCEL_CONTROL, VKEY_MINUS, '-', cmdZoomOut},
      {ACCEL_CONTROL, '0', 0, cmdZoomActual},
      {ACCEL_CONTROL | ACCEL_SHIFT, 'Z', 0, cmdRedo},
      {ACCEL_CONTROL, VKEY_APOSTROPHE, 0, cmdShowGrid},
      {ACCEL_CONTROL | ACCEL_SHIFT, VKEY_APOSTROPHE, 0, cmdSnapGrid},
      {ACCEL_CONTROL, 'D', 0, cmdDuplicate},
      {ACCEL_CONTROL | ACCEL_SHIFT, VKEY_RBRACKET, 0, cmdBringToFront},
      {ACCEL_CONTROL, VKEY_RBRACKET, 0, cmdBringForward},
      {ACCEL_CONTROL, VKEY_LBRACKET, 0, cmdSendBackward},
      {ACCEL_CONTROL | ACCEL_SHIFT, VKEY_LBRACKET, 0, cmdSendToBack},
      {0, VKEY_RBRACKET, ']', 0},
      {0, 0, 0, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(acceleratorFind(c.flags, c.vkey, c.ch), c.id) << c.flags << " " << c.vkey << " " << c.ch;
}

TEST(CommandTable, FirstTimeHintsAndCheckableTools) {
  const std::pair<unsigned, int> hints[] = {
      {cmdRectangle, 1},    {cmdCircle, 2},   {cmdPolygon, 3},   {cmdMagicWand, 4},   {cmdTestEdit, 6},
      {cmdRemovePoints, 8}, {cmdAddPoint, 7}, {cmdAlignTop, 12}, {cmdAlignRight, 12}, {cmdExpandTop, 11},
      {cmdExpandRight, 11}, {cmdCopy, 0},     {cmdNew, 0}};
  for (auto [id, hint] : hints) EXPECT_EQ(commandFind(id)->hint, hint) << id;
  std::set<unsigned> tools, switches;
  for (int i = 0; i < commandTableTotal; i++)
    if (commandTable[i].checkable) (commandTable[i].checkable == 2 ? switches : tools).insert(commandTable[i].id);
  EXPECT_EQ(tools, (std::set<unsigned>{cmdPolygon, cmdRectangle, cmdCircle, cmdMagicWand, cmdTestEdit}));
  EXPECT_EQ(switches, (std::set<unsigned>{cmdShowGrid, cmdSnapGrid, cmdSnapHotspots}));
}

TEST(CommandTable, ToolbarLayoutButtonsAndTooltips) {
  struct Row {
    int bitmap, disabled;
    unsigned id;
    const char *tip;
  } rows[] = {
      {2102, 2103, cmdNew, "New HTML Document (Open Image)"},
      {119, 822, cmdOpen, "Open HTML Document"},
      {2104, 2105, cmdShowTags, "Show Imagemap HTML Tags (in a Text Editor)"},
      {128, 827, cmdClose, "Close HTML Document"},
      {120, 823, cmdSave, "Save HTML Document"},
      {0, 0, cmdSeparator, nullptr},
      {111, 810, cmdRectangle, "Add Rectangles"},
      {113, 812, cmdCircle, "Add Circles"},
      {112, 811, cmdPolygon, "Add Polygons"},
      {802, 813, cmdMagicWand, "Magic Wand"},
      {0, 0, cmdSeparatorTools, nullptr},
      {114, 814, cmdTestEdit, "Test and Edit Hotspots"},
      {2129, 164, cmdCut, "Cut Selected Hotspots"},
      {135, 165, cmdCopy, "Copy Selected Hotspots"},
      {2130, 166, cmdPaste, "Paste Hotspots From Clipboard"},
      {117, 817, cmdRemovePoints, "Remove Selected Point(s)"},
      {116, 816, cmdAddPoint, "Add Point Between Selected Points"},
      {149, 160, cmdAlignTop, "Align to Top Edge"},
      {159, 163, cmdAlignBottom, "Align to Bottom Edge"},
      {157, 161, cmdAlignLeft, "Align to Left Edge"},
      {158, 162, cmdAlignRight, "Align to Right Edge"},
      {136, 153, cmdExpandTop, "Expand to Top Edge"},
      {152, 156, cmdExpandBottom, "Expand to Bottom Edge"},
      {150, 154, cmdExpandLeft, "Expand to Left Edge"},
      {151, 155, cmdExpandRight, "Expand to Right Edge"},
      {0, 0, cmdSeparator, nullptr},
      {800, 818, cmdZoomIn, "Zoom In"},
      {801, 819, cmdZoomOut, "Zoom Out"},
      {0, 0, cmdSeparator, nullptr},
      {803, 820, cmdUndo, "Undo"},
      {804, 828, cmdRedo, "Redo"},
      {0, 0, cmdSeparatorHelp, nullptr},
      {118, 821, cmdHelpContents, "Help Contents"},
  };
  ASSERT_EQ(toolbarLayoutTotal, (int)(sizeof rows / sizeof rows[0]));
  for (int i = 0; i < toolbarLayoutTotal; i++) {
    const commandEntry *c = commandFind(toolbarLayout[i]);
    ASSERT_NE(c, nullptr) << i;
    EXPECT_EQ(c->id, rows[i].id) << i;
    EXPECT_EQ(c->bitmap, rows[i].bitmap) << i;
    EXPECT_EQ(c->bitmapDisabled, rows[i].disabled) << i;
    if (rows[i].tip)
      EXPECT_STREQ(c->tooltip, rows[i].tip) << i;
    else
      EXPECT_EQ(c->tooltip, nullptr) << i;
  }
}

std::vector<unsigned> contextEntries(int resource) {
  std::vector<unsigned> out;
  const contextMenuLayout *m = contextMenuFind(resource);
  if (!m) return out;
  for (const unsigned *e = m->entries; *e != contextMenuEnd; e++) out.push_back(*e);
  return out;
}

TEST(CommandTable, ContextMenuLayouts) {
  const unsigned S = contextMenuSeparator;
  const std::vector<unsigned> single = {cmdProperties, S, cmdUndo, cmdRedo, S, cmdCut, cmdCopy, cmdPaste};
  std::vector<unsigned> one = single;
  one.insert(one.end(), {S, cmdSelectUnder, contextMenuArrange});
  EXPECT_EQ(contextEntries(contextMenuOneHotspot), one);
  std::vector<unsigned> points = single;
  points.insert(points.end(), {S, cmdRemovePoints});
  EXPECT_EQ(contextEntries(contextMenuPoints), points);
  points.push_back(cmdAddPoint);
  EXPECT_EQ(contextEntries(contextMenuTwoPoints), points);
  EXPECT_EQ(
      contextEntries(contextMenuSeveralHotspots),
      (std::vector<unsigned>{cmdUndo, cmdRedo, S, cmdCut, cmdCopy, cmdPaste, S, contextMenuAlign, contextMenuExpand, S,
                             cmdSelectUnder, contextMenuArrange}));
  EXPECT_TRUE(contextEntries(133).empty());
  // Every item a context menu shows has the text of its command.
  for (int r = contextMenuPoints; r <= contextMenuSeveralHotspots; r++)
    for (unsigned id : contextEntries(r)) {
      if (id >= 100) {
        EXPECT_NE(commandFind(id)->text, nullptr) << id;
      }
    }
}

// --- enable rules --------------------------------------------------------------

sensitivityInputs editingWith(int total, int last, int selected, int points) {
  sensitivityInputs in = {};
  in.setting = 1;
  in.state = editing;
  in.objectsTotal = total;
  in.lastObjectSelected = last;
  in.objectsSelected = selected;
  in.pointsSelected = points;
  return in;
}

TEST(Sensitivity, NoDocumentGraysEveryDocumentCommand) {
  sensitivityInputs in = editingWith(3, 1, 2, 2);
  in.setting = 0;
  in.undo = in.redo = in.clipboardText = 1;
  for (unsigned id :
       {cmdSaveAs,       cmdDefaultUrl, cmdImport,    cmdExport,   cmdSave,   cmdClose,     cmdShowTags, cmdPolygon,
        cmdRectangle,    cmdCircle,     cmdMagicWand, cmdTestEdit, cmdZoomIn, cmdZoomOut,   cmdAlignTop, cmdExpandRight,
        cmdRemovePoints, cmdAddPoint,   cmdCut,       cmdCopy,     cmdPaste,  cmdSelectAll, cmdUndo,     cmdRedo})
    EXPECT_EQ(sensitivityMenu(id, &in), 0) << id;
  for (unsigned id : {cmdSave, cmdClose, cmdShowTags, cmdRectangle, cmdTestEdit, cmdZoomIn, cmdCut, cmdCopy, cmdPaste,
                      cmdUndo, cmdRedo, cmdSeparator, cmdSeparatorTools})
    EXPECT_EQ(sensitivityToolbar(id, &in), 0) << id;
  // Commands the rules never touch.
  for (unsigned id :
       std::initializer_list<unsigned>{cmdNew, cmdOpen, cmdExit, cmdPreferences, cmdHelpContents, cmdCheckUpdates,
                                       cmdAbout, cmdProperties, cmdDelete, cmdCancel, cmdSeparatorHelp, 9999u}) {
    EXPECT_EQ(sensitivityMenu(id, &in), -1) << id;
    EXPECT_EQ(sensitivityToolbar(id, &in), -1) << id;
  }
  // Menu-only commands have no button to set.
  for (unsigned id : {cmdSaveAs, cmdDefaultUrl, cmdImport, cmdExport, cmdSelectAll})
    EXPECT_EQ(sensitivityToolbar(id, &in), -1) << id;
}

TEST(Sensitivity, DocumentOpenOutsideTestAndEdit) {
  sensitivityInputs in = editingWith(3, 1, 2, 2);
  in.state = rectPosition;
  in.clipboardText = 1;
  for (unsigned id : {cmdSaveAs, cmdSave, cmdClose, cmdShowTags, cmdPolygon, cmdTestEdit, cmdZoomIn, cmdZoomOut})
    EXPECT_EQ(sensitivityMenu(id, &in), 1) << id;
  for (unsigned id : {cmdCut, cmdCopy, cmdPaste, cmdSelectAll, cmdAlignTop, cmdRemovePoints, cmdAddPoint})
    EXPECT_EQ(sensitivityMenu(id, &in), 0) << id;
  EXPECT_EQ(sensitivityToolbar(cmdCopy, &in), 0);
  EXPECT_EQ(sensitivityToolbar(cmdSeparator, &in), 1);
  EXPECT_EQ(sensitivityToolbar(cmdSeparatorTools, &in), 1);
  EXPECT_EQ(sensitivityMenu(cmdUndo, &in), 0);
  in.undo = 1;
  EXPECT_EQ(sensitivityMenu(cmdUndo, &in), 1);
  EXPECT_EQ(sensitivityToolbar(cmdUndo, &in), 1);
  EXPECT_EQ(sensitivityMenu(cmdRedo, &in), 0);
}

TEST(Sensitivity, CutAndCopyFollowTheCurrentHotspotButToolbarCopyAnyHotspot) {
  // One hotspot selected: both enabled everywhere.
  sensitivityInputs one = editingWith(3, 1, 1, 0);
  EXPECT_EQ(sensitivityMenu(cmdCut, &one), 1);
  EXPECT_EQ(sensitivityMenu(cmdCopy, &one), 1);
  EXPECT_EQ(sensitivityToolbar(cmdCut, &one), 1);
  EXPECT_EQ(sensitivityToolbar(cmdCopy, &one), 1);
  // Hotspots but none selected: only the toolbar's Copy.
  sensitivityInputs none = editingWith(3, -1, 0, 0);
  EXPECT_EQ(sensitivityMenu(cmdCut, &none), 0);
  EXPECT_EQ(sensitivityMenu(cmdCopy, &none), 0);
  EXPECT_EQ(sensitivityToolbar(cmdCut, &none), 0);
  EXPECT_EQ(sensitivityToolbar(cmdCopy, &none), 1);
  EXPECT_EQ(sensitivityMenu(cmdSelectAll, &none), 1);
  // No hotspots at all.
  sensitivityInputs empty = editingWith(0, -1, 0, 0);
  EXPECT_EQ(sensitivityToolbar(cmdCopy, &empty), 0);
  EXPECT_EQ(sensitivityMenu(cmdSelectAll, &empty), 0);
  // The stacking commands and Select Under follow Cut.
  for (unsigned id : {cmdDuplicate, cmdBringToFront, cmdBringForward, cmdSendBackward, cmdSendToBack, cmdSelectUnder}) {
    EXPECT_EQ(sensitivityMenu(id, &one), 1) << id;
    EXPECT_EQ(sensitivityMenu(id, &none), 0) << id;
  }
}

TEST(Sensitivity, AlignExpandAndPointCommands) {
  struct Case {
    int selected, points;
    int align, remove, add;
  } cases[] = {
      {0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 1, 0, 1, 0}, {1, 2, 0, 1, 1},
      {1, 3, 0, 1, 0}, {2, 0, 1, 0, 0}, {2, 2, 1, 0, 0}, {5, 0, 1, 0, 0},
  };
  for (const Case &c : cases) {
    sensitivityInputs in = editingWith(6, 0, c.selected, c.points);
    for (unsigned id : {cmdAlignTop, cmdAlignBottom, cmdAlignLeft, cmdAlignRight, cmdExpandTop, cmdExpandBottom,
                        cmdExpandLeft, cmdExpandRight}) {
      EXPECT_EQ(sensitivityMenu(id, &in), c.align) << id << " with " << c.selected;
      EXPECT_EQ(sensitivityToolbar(id, &in), c.align) << id << " with " << c.selected;
    }
    EXPECT_EQ(sensitivityMenu(cmdRemovePoints, &in), c.remove) << c.selected << "/" << c.points;
    EXPECT_EQ(sensitivityMenu(cmdAddPoint, &in), c.add) << c.selected << "/" << c.points;
    EXPECT_EQ(sensitivityToolbar(cmdAddPoint, &in), c.add) << c.selected << "/" << c.points;
    // The same selection outside Test+Edit enables none of them.
    in.state = polyAddpoints;
    EXPECT_EQ(sensitivityMenu(cmdAlignTop, &in), 0);
    EXPECT_EQ(sensitivityMenu(cmdRemovePoints, &in), 0);
    EXPECT_EQ(sensitivityMenu(cmdAddPoint, &in), 0);
  }
}

TEST(Sensitivity, PasteNeedsTextAndTestAndEdit) {
  sensitivityInputs in = editingWith(0, -1, 0, 0);
  EXPECT_EQ(sensitivityMenu(cmdPaste, &in), 0);
  in.clipboardText = 1;
  EXPECT_EQ(sensitivityMenu(cmdPaste, &in), 1);
  EXPECT_EQ(sensitivityToolbar(cmdPaste, &in), 1);
  in.state = nostate;
  EXPECT_EQ(sensitivityMenu(cmdPaste, &in), 0);
}

TEST(Sensitivity, GatherReadsTheProgramState) {
  scriptedInstall();
  objectsSetup();
  pointSelectionSetup(&psel);
  objectsEnsure(3);
  objectsTotal = 3;
  for (int i = 0; i < 3; i++) {
    objects[i].t = rectangle;
    objects[i].complete = 1;
    objects[i].pointsTotal = 2;
  }
  objects[0].selected = 1;
  objects[2].selected = 1;
  lastObjectSelected = 2;
  pointSelect(&psel, 1);
  state = editing;
  sensitivityInputs in;
  sensitivityGather(1, &in);
  EXPECT_EQ(in.setting, 1);
  EXPECT_EQ(in.state, editing);
  EXPECT_EQ(in.objectsTotal, 3);
  EXPECT_EQ(in.objectsSelected, 2);
  EXPECT_EQ(in.lastObjectSelected, 2);
  EXPECT_EQ(in.pointsSelected, 1);
  EXPECT_EQ(in.undo, 0);
  EXPECT_EQ(in.redo, 0);
  EXPECT_EQ(in.clipboardText, 0);
  scripted.clipboard = "<area>";
  scripted.clipboardHasText = true;
  undoSave(undoChanged, 0);
  sensitivityGather(0, &in);
  EXPECT_EQ(in.setting, 0);
  EXPECT_EQ(in.clipboardText, 1);
  EXPECT_EQ(in.undo, 1);
  undoPurge();
  redoPurge();
  pointsDeselect(&psel);
  lastObjectSelected = -1;
  state = nostate;
}

TEST(CommandTable, PrivateMessageNumbersAndAboutTexts) {
  EXPECT_EQ(contextHelpMessage, 3024);
  EXPECT_EQ(reloadConfigMessage, 3025);
  EXPECT_EQ(updateResultMessage, 3026);
  EXPECT_STREQ(aboutProductName, "Tilvane");
  EXPECT_EQ(std::string(aboutDefaultText).rfind("Tilvane 4.05\r\n", 0), 0u);
}

}  // namespace
