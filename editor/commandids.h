// commandids.h: the ids of the program's commands and of its context menus.
// The command table (app/commands.h) gives each command its menu text, keys,
// toolbar button, enable rules and handler; the editing modules name a command
// by its id when they check or enable it. The numbers stay as they are: stored
// settings and the context menus know them.
#ifndef TILVANE_COMMANDIDS_H
#define TILVANE_COMMANDIDS_H

enum commandId : unsigned {
  cmdNone = 0,
  // File
  cmdNew = 2100,
  cmdOpen = 201,
  cmdClose = 111,
  cmdSave = 202,
  cmdSaveAs = 203,
  cmdImport = 112,
  cmdExport = 113,
  cmdExit = 204,
  // Edit
  cmdSelectAll = 146,
  cmdCut = 142,
  cmdCopy = 144,
  cmdPaste = 145,
  cmdDuplicate = 2116,
  cmdDefaultUrl = 103,
  cmdUndo = 903,
  cmdRedo = 904,
  cmdPreferences = 118,
  // View
  cmdShowTags = 2101,
  cmdCheckMap = 2110,
  cmdZoomIn = 900,
  cmdZoomOut = 901,
  cmdZoomActual = 2120,
  cmdZoomFit = 2121,
  cmdShowGrid = 2122,
  cmdSnapGrid = 2123,
  cmdSnapHotspots = 2124,
  cmdHotspotList = 2117,
  // Tools
  cmdRectangle = 302,
  cmdCircle = 303,
  cmdPolygon = 301,
  cmdMagicWand = 902,
  cmdTestEdit = 304,
  // Actions
  cmdRemovePoints = 108,
  cmdAddPoint = 107,
  cmdAlignTop = 125,
  cmdAlignBottom = 126,
  cmdAlignLeft = 127,
  cmdAlignRight = 128,
  cmdExpandTop = 129,
  cmdExpandBottom = 135,
  cmdExpandLeft = 136,
  cmdExpandRight = 137,
  // Arrange: the hotspots' order in the map, which is click order
  cmdBringToFront = 2111,
  cmdBringForward = 2112,
  cmdSendBackward = 2113,
  cmdSendToBack = 2114,
  // Help
  cmdHelpContents = 401,
  cmdCheckUpdates = 153,
  cmdAbout = 402,
  // Keys and context menus only
  cmdProperties = 151,
  cmdDelete = 102,
  cmdCancel = 105,
  cmdSelectUnder = 2115,
  // The toolbar's separators
  cmdSeparator = 1028,
  cmdSeparatorTools = 1029,
  cmdSeparatorHelp = 1030
};

// The four context menus of the picture: points selected, two points (with
// Add Point), one hotspot, several hotspots. 0 is none.
enum contextMenuId {
  contextMenuNone = 0,
  contextMenuPoints = 134,
  contextMenuTwoPoints = 135,
  contextMenuOneHotspot = 136,
  contextMenuSeveralHotspots = 137
};

#endif
