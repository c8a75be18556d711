// The command table: menus, texts, keys, hints, toolbar layout, context menus,
// and the enable rules as a function of their inputs.
#include <gtest/gtest.h>

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
                                      "&Paste\tCtrl+V", "&Edit Default URL...\tCtrl+U",
                                      "&Undo\tCtrl+Z", "Re&do\tCtrl+Y", "P&references..."}));
  EXPECT_EQ(menuTexts(commandViewMenu),
            (std::vector<std::string>{"Show HTML &Tags...", "&Check Map...\tF7", "Zoom &In\t+", "Zoom &Out\t-"}));
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
  EXPECT_EQ(menuTexts(commandHelpMenu),
            (std::vector<std::string>{"&Contents\tF1", "Check For &Updates", "&About Tilvane..."}));
  EXPECT_STREQ(commandFind(151)->text, "Proper&ties\tEnter");
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
      {ACCEL_CONTROL, 'N', 0, 2100},
      {ACCEL_CONTROL | ACCEL_SHIFT, 'N', 0, 0},  // modifiers must match exactly
      {0, 'N', 'n', 0},
      {ACCEL_CONTROL, 'Z', 0, 903},
      {ACCEL_CONTROL, 'Y', 0, 904},
      {ACCEL_ALT, 'T', 0, 125},
      {ACCEL_ALT | ACCEL_SHIFT, 'T', 0, 129},
      {ACCEL_ALT | ACCEL_SHIFT, 'R', 0, 137},
      {ACCEL_ALT | ACCEL_CONTROL, 'T', 0, 0},
      {ACCEL_CONTROL, 'T', 0, 304},
      {ACCEL_ALT, 'P', 0, 108},
      {ACCEL_CONTROL, 'P', 0, 301},
      {ACCEL_ALT, 'A', 0, 107},
      {ACCEL_CONTROL, 'A', 0, 146},
      {0, VKEY_F1, 0, 401},
      {ACCEL_SHIFT, VKEY_F1, 0, 0},
      {0, VKEY_DELETE, 0, 102},
      {0, VKEY_ESCAPE, 0, 105},
      {0, VKEY_RETURN, 0, 151},
      {ACCEL_SHIFT, 0, '+', 900},  // "+" typed with shift still zooms
      {0, 0, '=', 900},
      {0, 0, '-', 901},
      {ACCEL_CONTROL, 0, '-', 0},
      {ACCEL_ALT, 0, '+', 0},
      {0, 0, 0, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(acceleratorFind(c.flags, c.vkey, c.ch), c.id) << c.flags << " " << c.vkey << " " << c.ch;
}

TEST(CommandTable, FirstTimeHintsAndCheckableTools) {
  const std::pair<unsigned, int> hints[] = {{302, 1}, {303, 2}, {301, 3}, {902, 4}, {304, 6},
                                            {108, 8}, {107, 7}, {125, 12}, {128, 12}, {129, 11},
                                            {137, 11}, {144, 0}, {2100, 0}};
  for (auto [id, hint] : hints) EXPECT_EQ(commandFind(id)->hint, hint) << id;
  std::set<unsigned> tools;
  for (int i = 0; i < commandTableTotal; i++)
    if (commandTable[i].checkable) tools.insert(commandTable[i].id);
  EXPECT_EQ(tools, (std::set<unsigned>{301, 302, 303, 902, 304}));
}

TEST(CommandTable, ToolbarLayoutButtonsAndTooltips) {
  struct Row {
    int bitmap, disabled;
    unsigned id;
    const char *tip;
  } rows[] = {
      {2102, 2103, 2100, "New HTML Document (Open Image)"},
      {119, 822, 201, "Open HTML Document"},
      {2104, 2105, 2101, "Show Imagemap HTML Tags (in Notepad)"},
      {128, 827, 111, "Close HTML Document"},
      {120, 823, 202, "Save HTML Document"},
      {0, 0, 1028, nullptr},
      {111, 810, 302, "Add Rectangles"},
      {113, 812, 303, "Add Circles"},
      {112, 811, 301, "Add Polygons"},
      {802, 813, 902, "Magic Wand"},
      {0, 0, 1029, nullptr},
      {114, 814, 304, "Test and Edit Hotspots"},
      {2129, 164, 142, "Cut Selected Hotspots"},
      {135, 165, 144, "Copy Selected Hotspots"},
      {2130, 166, 145, "Paste Hotspots From Clipboard"},
      {117, 817, 108, "Remove Selected Point(s)"},
      {116, 816, 107, "Add Point Between Selected Points"},
      {149, 160, 125, "Align to Top Edge"},
      {159, 163, 126, "Align to Bottom Edge"},
      {157, 161, 127, "Align to Left Edge"},
      {158, 162, 128, "Align to Right Edge"},
      {136, 153, 129, "Expand to Top Edge"},
      {152, 156, 135, "Expand to Bottom Edge"},
      {150, 154, 136, "Expand to Left Edge"},
      {151, 155, 137, "Expand to Right Edge"},
      {0, 0, 1028, nullptr},
      {800, 818, 900, "Zoom In"},
      {801, 819, 901, "Zoom Out"},
      {0, 0, 1028, nullptr},
      {803, 820, 903, "Undo"},
      {804, 828, 904, "Redo"},
      {0, 0, 1030, nullptr},
      {118, 821, 401, "Help Contents"},
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
  const std::vector<unsigned> single = {151, S, 903, 904, S, 142, 144, 145};
  EXPECT_EQ(contextEntries(136), single);
  std::vector<unsigned> points = single;
  points.insert(points.end(), {S, 108});
  EXPECT_EQ(contextEntries(134), points);
  points.push_back(107);
  EXPECT_EQ(contextEntries(135), points);
  EXPECT_EQ(contextEntries(137), (std::vector<unsigned>{903, 904, S, 142, 144, 145, S, contextMenuAlign,
                                                        contextMenuExpand}));
  EXPECT_TRUE(contextEntries(133).empty());
  // Every item a context menu shows has the text of its command.
  for (int r = 134; r <= 137; r++)
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
  for (unsigned id : {203u, 103u, 112u, 113u, 202u, 111u, 2101u, 301u, 302u, 303u, 902u, 304u, 900u,
                      901u, 125u, 137u, 108u, 107u, 142u, 144u, 145u, 146u, 903u, 904u})
    EXPECT_EQ(sensitivityMenu(id, &in), 0) << id;
  for (unsigned id : {202u, 111u, 2101u, 302u, 304u, 900u, 142u, 144u, 145u, 903u, 904u, 1028u, 1029u})
    EXPECT_EQ(sensitivityToolbar(id, &in), 0) << id;
  // Commands the rules never touch.
  for (unsigned id : {2100u, 201u, 204u, 118u, 401u, 153u, 402u, 151u, 102u, 105u, 1030u, 9999u}) {
    EXPECT_EQ(sensitivityMenu(id, &in), -1) << id;
    EXPECT_EQ(sensitivityToolbar(id, &in), -1) << id;
  }
  // Menu-only commands have no button to set.
  for (unsigned id : {203u, 103u, 112u, 113u, 146u}) EXPECT_EQ(sensitivityToolbar(id, &in), -1) << id;
}

TEST(Sensitivity, DocumentOpenOutsideTestAndEdit) {
  sensitivityInputs in = editingWith(3, 1, 2, 2);
  in.state = rectPosition;
  in.clipboardText = 1;
  for (unsigned id : {203u, 202u, 111u, 2101u, 301u, 304u, 900u, 901u}) EXPECT_EQ(sensitivityMenu(id, &in), 1) << id;
  for (unsigned id : {142u, 144u, 145u, 146u, 125u, 108u, 107u}) EXPECT_EQ(sensitivityMenu(id, &in), 0) << id;
  EXPECT_EQ(sensitivityToolbar(144, &in), 0);
  EXPECT_EQ(sensitivityToolbar(1028, &in), 1);
  EXPECT_EQ(sensitivityToolbar(1029, &in), 1);
  EXPECT_EQ(sensitivityMenu(903, &in), 0);
  in.undo = 1;
  EXPECT_EQ(sensitivityMenu(903, &in), 1);
  EXPECT_EQ(sensitivityToolbar(903, &in), 1);
  EXPECT_EQ(sensitivityMenu(904, &in), 0);
}

TEST(Sensitivity, CutAndCopyFollowTheCurrentHotspotButToolbarCopyAnyHotspot) {
  // One hotspot selected: both enabled everywhere.
  sensitivityInputs one = editingWith(3, 1, 1, 0);
  EXPECT_EQ(sensitivityMenu(142, &one), 1);
  EXPECT_EQ(sensitivityMenu(144, &one), 1);
  EXPECT_EQ(sensitivityToolbar(142, &one), 1);
  EXPECT_EQ(sensitivityToolbar(144, &one), 1);
  // Hotspots but none selected: only the toolbar's Copy.
  sensitivityInputs none = editingWith(3, -1, 0, 0);
  EXPECT_EQ(sensitivityMenu(142, &none), 0);
  EXPECT_EQ(sensitivityMenu(144, &none), 0);
  EXPECT_EQ(sensitivityToolbar(142, &none), 0);
  EXPECT_EQ(sensitivityToolbar(144, &none), 1);
  EXPECT_EQ(sensitivityMenu(146, &none), 1);
  // No hotspots at all.
  sensitivityInputs empty = editingWith(0, -1, 0, 0);
  EXPECT_EQ(sensitivityToolbar(144, &empty), 0);
  EXPECT_EQ(sensitivityMenu(146, &empty), 0);
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
    for (unsigned id : {125u, 126u, 127u, 128u, 129u, 135u, 136u, 137u}) {
      EXPECT_EQ(sensitivityMenu(id, &in), c.align) << id << " with " << c.selected;
      EXPECT_EQ(sensitivityToolbar(id, &in), c.align) << id << " with " << c.selected;
    }
    EXPECT_EQ(sensitivityMenu(108, &in), c.remove) << c.selected << "/" << c.points;
    EXPECT_EQ(sensitivityMenu(107, &in), c.add) << c.selected << "/" << c.points;
    EXPECT_EQ(sensitivityToolbar(107, &in), c.add) << c.selected << "/" << c.points;
    // The same selection outside Test+Edit enables none of them.
    in.state = polyAddpoints;
    EXPECT_EQ(sensitivityMenu(125, &in), 0);
    EXPECT_EQ(sensitivityMenu(108, &in), 0);
    EXPECT_EQ(sensitivityMenu(107, &in), 0);
  }
}

TEST(Sensitivity, PasteNeedsTextAndTestAndEdit) {
  sensitivityInputs in = editingWith(0, -1, 0, 0);
  EXPECT_EQ(sensitivityMenu(145, &in), 0);
  in.clipboardText = 1;
  EXPECT_EQ(sensitivityMenu(145, &in), 1);
  EXPECT_EQ(sensitivityToolbar(145, &in), 1);
  in.state = nostate;
  EXPECT_EQ(sensitivityMenu(145, &in), 0);
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
  EXPECT_EQ(std::string(aboutDefaultText).rfind("Tilvane 4.05 for Windows", 0), 0u);
}

}  // namespace
