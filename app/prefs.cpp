// prefs.cpp: the settings file, the first-time hints and the logic of the
// preference dialogs. Owns updateFrequencies, firstText, hint, preferencesHook.
#include "app/prefs.h"
#include "workflow/recent.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/datadir.h"
#include "workflow/dialogfolder.h"
#include "app/ipc.h"
#include "workflow/profile.h"
#include "platform/settings.h"
#include "platform/seams.h"
#include "editor/commandids.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "editor/magicwand.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

const char *const updateFrequencies[7] = {"Daily",     "Weekly",   "Monthly", "Quarterly",
                                          "Annually",  "Never",    nullptr};

void (*preferencesHook)(void) = nullptr;

int hint = 0;

const char *const firstText[13] = {
    // 0: before Open
    "Tilvane is used to add imagemaps to existing HTML pages. If you have not already created "
    "an HTML document with an image in it, you should do so now. Once you have an HTML document "
    "ready, use the Open dialog box that appears when you first start Tilvane to locate that "
    "document on disk. Then you can go ahead and add hotspots. It's that easy!\r\n\r\n(You can "
    "also import and export old-fashioned server-side imagemap files, after you open an HTML "
    "document.)",
    // 1: rectangle
    "To create a rectangle, click the left mouse button at one corner of the rectangle, then "
    "click it again at the diagonally opposite corner. You will then be prompted for the URL.",
    // 2: circle
    "To create a circle, click the left mouse button at the center of the circle, then click it "
    "again at any point on the outside of the circle. You will then be prompted for the URL.",
    // 3: polygon
    "To create a polygon manually, click the left mouse button once at each point of the "
    "polygon. When you have completed the polygon, click the RIGHT mouse button, or press the "
    "ENTER key. Tilvane will draw the final side of the polygon automatically. You will then be "
    "prompted for the URL.",
    // 4: magic wand
    "To create a polygon automatically, click the left mouse button inside the object to be "
    "outlined. If you do not like the results, try adjusting the magic wand settings via "
    "Preferences in the Edit menu.",
    // 5: before the hotspot dialog
    "You will now be asked to enter the URL that should be opened when this particular hot spot "
    "is selected by the user. Enter only the URL. No HTML tags are necessary. For instance, "
    "http://www.example.com/ is a valid URL. \"Relative\" URLs such as mydocument.html are even "
    "better, because they still work if you move your pages!",
    // 6: Test+Edit
    "The Test/Edit tool allows you to edit and test your hotspots. When you click on a hotspot, "
    "it becomes selected. You can then drag the hotspot, or double-click it to edit its link URL "
    "and other properties. You will need to select more than one hotspot to access some "
    "features. You do this by holding down the \"Shift\" key while clicking on hotspots. You can "
    "also select individual rectangle or polygon points to take advantage of other features.",
    // 7: add point
    "A new point will now be added halfway between the two points you have selected. You can "
    "then click and drag that point to any location you wish.",
    // 8: remove points
    "The selected points will now be deleted. You can bring them back with the \"Undo\" "
    "feature, on the \"Edit\" menu.",
    // 9: not used by any command
    "",
    // 10: before browsing for a file to link to
    "Use the dialog box that follows to locate the web page you wish to link to. Tilvane will "
    "create a \"relative link\" to this file, which may be as simple as the name of the file if "
    "it is located in the same directory as the page you are editing now.",
    // 11: expand
    "Two crosshairs will appear on the imagemap: one at the center, and one at the lower right "
    "corner. To move all of your hotspots together, click and hold the mouse button on the "
    "center crosshair and drag to the location you prefer. To resize all of your hotspots "
    "together, click and hold the mouse button on the corner crosshair and drag to the size you "
    "prefer.If you make a mistake, just click the Undo button in the toolbar to restore the "
    "previous size.All of the selected hotspots will now expand to the common edge you have "
    "selected. Rectangles and polygons will be stretched. Circles will expand their radius to "
    "meet the common edge.",
    // 12: align
    "All of the selected hotspots will now \"snap\" to the common edge you have selected.",
};

namespace {

// The standard library's decimal conversion, kept inside the int range.
int configNumber(const char *s) {
  if (!s) return 0;
  long long v = strtoll(s, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return (int)v;
}

// Splits text at commas, carriage returns and line feeds (empty pieces are
// skipped) and reads the first three pieces as numbers; missing ones are 0.
void threeNumbers(const char *text, int *a, int *b, int *c) {
  int *out[3] = {a, b, c};
  int n = 0;
  const char *p = text;
  while (n < 3) {
    while (*p == ',' || *p == '\r' || *p == '\n') p++;
    if (!*p) break;
    *out[n++] = configNumber(p);
    while (*p && *p != ',' && *p != '\r' && *p != '\n') p++;
  }
  while (n < 3) *out[n++] = 0;
}

bool startsWith(const char *s, const char *prefix) {
  return strncmp(s, prefix, strlen(prefix)) == 0;
}

bool startsWithNoCase(const char *s, const char *prefix) {
  int n = (int)strlen(prefix);
  return strncmpNoCase(s, prefix, n) == 0;
}

struct intKey {
  const char *key;
  int *value;
};

}  // namespace

int unsignedField(const char *text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t') text++;
  if (*text < '0' || *text > '9') return 0;
  long long v = 0;
  for (; *text >= '0' && *text <= '9'; text++) {
    v = v * 10 + (*text - '0');
    if (v > UINT_MAX) return 0;
  }
  while (*text == ' ' || *text == '\t') text++;
  if (*text) return 0;
  return v > INT_MAX ? INT_MAX : (int)v;
}

int getIniFile(char *path, int size, int forWriting) {
  if (!path || size <= 0) return 0;
  char dir[1024];
  applicationGetDataDir(dir, sizeof dir);
  sprintfMax(path, size, "%s/Tilvane.ini", dir);
  int exists = fileExists(path);
  if (exists || forWriting) return exists;
  char windows[1024];
  configFolderGet(windows, sizeof windows);
  sprintfMax(path, size, "%s/Tilvane.ini", windows);
  return 0;
}

void FirstLoad(const char *line) {
  if (!line || !startsWith(line, "first")) return;
  if (startsWith(line, "firstnever=")) {
    firstNever = configNumber(line + 11);
    return;
  }
  int index = 0, value = 0;
  if (sscanf(line, "first%d=%d", &index, &value) == 2 && index >= 0 && index <= 12)
    firstSeen[index] = value;
}

void FirstSave(FILE *file) {
  if (!file) return;
  if (firstNever) fputs("firstnever=1\n", file);
  for (int i = 0; i < 13; i++)
    if (firstSeen[i]) fprintf(file, "first%d=1\n", i);
}

void readConfigLine(const char *line) {
  if (!line) return;
  static const intKey anyCase[] = {
      {"defeatblueborder=", &defeatBlueBorder},
      {"strictxhtml=", &strictXHTML},
      {"defeaturldialog=", &defeatUrlDialog},
      {"titleasalt=", &titleAsAlt},
      {"upgradenoticedisplayed35=", &upgradeNoticeDisplayed},
      {"clickasmouseout=", &clickAsMouseOut},
      {"exactpage=", &exactPage},
  };
  static const intKey exactCase[] = {
      {"urlx=", &urlDialogX},
      {"urly=", &urlDialogY},
      {"magicwandtolerance=", &magicWandTolerance},
      {"magicwandfeathersteps=", &magicWandFeatherSteps},
      {"magicwandpoints=", &magicWandPoints},
      {"magicwandsimplify=", &magicWandSimplify},
      {"magicwandouteronly=", &magicWandOuterOnly},
      {"updatefrequency=", &updateFrequency},
      {"lastupdatecheck=", &lastUpdateCheck},
      {"svgtimelimit=", &svgTimeLimit},
      {"showgrid=", &gridShow},
      {"snaptogrid=", &gridSnap},
      {"snaptohotspots=", &snapHotspots},
      {"gridspacing=", &gridSpacing},
      {"hotspotlist=", &hotspotListShown},
      {"hotspotlistarea=", &hotspotListArea},
      {"hotspotlistsize=", &hotspotListSize},
  };
  if (startsWith(line, "cern") || startsWith(line, "CERN")) {
    serverMapType = mapCERN;
  } else if (startsWith(line, "ncsa") || startsWith(line, "NCSA") || startsWith(line, "clie") ||
             startsWith(line, "CLIE")) {
    serverMapType = mapNCSA;
  } else if (startsWith(line, "sketch=") || startsWith(line, "SKETCH=")) {
    threeNumbers(line + 7, &sketchR, &sketchG, &sketchB);
  } else if (startsWith(line, "custom") || startsWith(line, "CUSTOM")) {
    int index = configNumber(line + 6);
    const char *eq = strchr(line, '=');
    if (index < 0 || index > 15 || !eq) return;
    int r, g, b;
    threeNumbers(eq + 1, &r, &g, &b);
    customColors[index] = (unsigned)(r & 255) + 256u * (unsigned)(g & 255) +
                          65536u * (unsigned)(b & 255);
  } else if (startsWith(line, "first")) {
    FirstLoad(line);
  } else {
    for (const intKey &k : anyCase) {
      if (startsWithNoCase(line, k.key)) {
        *k.value = configNumber(line + strlen(k.key));
        return;
      }
    }
    for (const intKey &k : exactCase) {
      if (startsWith(line, k.key)) {
        *k.value = configNumber(line + strlen(k.key));
        // The magic wand gets what its dialog would give it: a feathering
        // beyond 3 would make one trace take minutes, and a tolerance beyond
        // 765 (the largest colour difference) means the same as 765.
        if (k.value == &magicWandPoints || k.value == &magicWandFeatherSteps || k.value == &magicWandSimplify ||
            k.value == &magicWandOuterOnly)
          magicWandClampSettings();
        if (k.value == &gridSpacing) gridSpacing = gridSpacing < 2 ? 2 : gridSpacing > 1000 ? 1000 : gridSpacing;
        if (k.value == &gridShow || k.value == &gridSnap || k.value == &snapHotspots) *k.value = *k.value ? 1 : 0;
        if (k.value == &hotspotListArea && hotspotListArea != 0 && hotspotListArea != 1 && hotspotListArea != 2 &&
            hotspotListArea != 4 && hotspotListArea != 8)
          hotspotListArea = 2;
        if (k.value == &hotspotListSize) hotspotListSize = hotspotListSize < 0 ? 0 : hotspotListSize > 4000 ? 4000 : hotspotListSize;
        if (k.value == &svgTimeLimit) svgTimeLimit = svgTimeLimit < 1 ? 1 : svgTimeLimit > 86400 ? 86400 : svgTimeLimit;
        if (k.value == &magicWandTolerance)
          magicWandTolerance = magicWandTolerance < 0 ? 0 : magicWandTolerance > 765 ? 765 : magicWandTolerance;
        return;
      }
    }
  }
}

void readConfig(void) {
  char path[1024];
  getIniFile(path, sizeof path, 0);
  FILE *f = wfileOpenRegularStream(path, nullptr);
  if (f) {
    char line[256];
    while (readLine(f, line, sizeof line)) readConfigLine(line);
    fclose(f);
  } else {
    // No settings yet: a new user, to whom the notice about what changed
    // since earlier versions says nothing.
    upgradeNoticeDisplayed = 1;
  }
  recreatePens();
  commandCheck(cmdShowGrid, gridShow);
  commandCheck(cmdSnapGrid, gridSnap);
  commandCheck(cmdSnapHotspots, snapHotspots);
}

int configText(char *out, int size) {
  if (!out || size <= 0) return 0;
  std::string t;
  char line[128];
  t += serverMapType == mapCERN ? "cern\n" : "ncsa\n";
  sprintfMax(line, sizeof line, "sketch=%d,%d,%d\n", sketchR, sketchG, sketchB);
  t += line;
  for (int i = 0; i < 16; i++) {
    unsigned c = customColors[i];
    int r = (int)(c & 255), g = (int)((c >> 8) & 255), b = (int)((c >> 16) & 255);
    if (r + g + b == 765) continue;
    sprintfMax(line, sizeof line, "custom%d=%d,%d,%d\n", i, r, g, b);
    t += line;
  }
  if (firstNever) t += "firstnever=1\n";
  for (int i = 0; i < 13; i++) {
    if (!firstSeen[i]) continue;
    sprintfMax(line, sizeof line, "first%d=1\n", i);
    t += line;
  }
  const struct {
    const char *format;
    int value;
  } rest[] = {
      {"defeatblueborder=%d\n", defeatBlueBorder},
      {"strictxhtml=%d\n", strictXHTML},
      {"defeaturldialog=%d\n", defeatUrlDialog},
      {"titleasalt=%d\n", titleAsAlt},
      {"upgradenoticedisplayed35=%d\n", upgradeNoticeDisplayed},
      {"clickasmouseout=%d\n", clickAsMouseOut},
      {"urlx=%d\n", urlDialogX},
      {"urly=%d\n", urlDialogY},
      {"magicwandtolerance=%d\n", magicWandTolerance},
      {"magicwandfeathersteps=%d\n", magicWandFeatherSteps},
      {"magicwandpoints=%d\n", magicWandPoints},
      {"magicwandsimplify=%d\n", magicWandSimplify},
      {"magicwandouteronly=%d\n", magicWandOuterOnly},
      {"updatefrequency=%d\n", updateFrequency},
      {"lastupdatecheck=%d\n", lastUpdateCheck},
  };
  for (const auto &r : rest) {
    sprintfMax(line, sizeof line, r.format, r.value);
    t += line;
  }
  // Written only when chosen, so that the file of a user who never chose it
  // stays as it was.
  if (exactPage) {
    sprintfMax(line, sizeof line, "exactpage=%d\n", exactPage);
    t += line;
  }
  if (svgTimeLimit != 30) {
    sprintfMax(line, sizeof line, "svgtimelimit=%d\n", svgTimeLimit);
    t += line;
  }
  // The grid's settings likewise, when they differ from their defaults.
  const intKey gridKeys[] = {{"showgrid=", &gridShow}, {"snaptogrid=", &gridSnap}, {"snaptohotspots=", &snapHotspots}};
  for (const intKey &k : gridKeys) {
    if (*k.value) {
      sprintfMax(line, sizeof line, "%s%d\n", k.key, *k.value);
      t += line;
    }
  }
  if (gridSpacing != 10) {
    sprintfMax(line, sizeof line, "gridspacing=%d\n", gridSpacing);
    t += line;
  }
  if (hotspotListShown != 1) {
    sprintfMax(line, sizeof line, "hotspotlist=%d\n", hotspotListShown);
    t += line;
  }
  if (hotspotListArea != 2) {
    sprintfMax(line, sizeof line, "hotspotlistarea=%d\n", hotspotListArea);
    t += line;
  }
  if (hotspotListSize != 0) {
    sprintfMax(line, sizeof line, "hotspotlistsize=%d\n", hotspotListSize);
    t += line;
  }
  strcpyMax(out, size, t.c_str());
  return (int)strlen(out);
}

int saveConfig(void) {
  char path[1024];
  getIniFile(path, sizeof path, 1);
  char text[4096];
  int n = configText(text, sizeof text);
  if (!safeWriteFile(path, text, (size_t)n)) {
    platformMessageBox(nullptr,
                       "Warning: the application data folder is not writable. Tilvane will not "
                       "be able to save preference settings.",
                       "Can't Save Preferences", MB_OK | MB_ICONWARNING);
    return 0;
  }
  notifyOtherEditors();
  return 1;
}

void reloadConfigReceived(void) {
  readConfig();
  recentFileMenuUpdate();
  repaint(0);
}

// ---- first-time hints ----

int firstHintWanted(int index) {
  if (index < 0 || index > 12) return 0;
  if (firstSeen[index] || firstNever) return 0;
  if (!firstText[index][0]) return 0;
  hint = index;
  return 1;
}

void firstHintOpened(void) {
  if (hint >= 0 && hint <= 12) firstSeen[hint] = 1;
}

void firstHintNoMore(void) { firstNever = 1; }

// ---- the preference dialogs ----

void Preferences(void) {
  if (preferencesHook) preferencesHook();
}

void preferencesAccept(int blueBorder, int strict, int urlDialog, int frequency) {
  defeatBlueBorder = blueBorder ? 1 : 0;
  strictXHTML = strict ? 1 : 0;
  defeatUrlDialog = urlDialog ? 1 : 0;
  if (frequency >= 0 && frequency <= 5) updateFrequency = frequency;
  recreatePens();
  saveConfig();
}

void magicWandSettingsAccept(const char *points, const char *tolerance, const char *feather, const char *simplify,
                             int outerOnly) {
  magicWandPoints = unsignedField(points);
  magicWandTolerance = unsignedField(tolerance);
  magicWandFeatherSteps = unsignedField(feather);
  magicWandSimplify = unsignedField(simplify);
  magicWandOuterOnly = outerOnly ? 1 : 0;
  magicWandClampSettings();
}
