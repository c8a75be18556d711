// settings.cpp: the preference globals and their defaults.
#include "platform/settings.h"

int maptype = mapNCSA;
int serverMapType = mapNCSA;
unsigned customColors[16];
int firstNever = 0;
int firstSeen[13];
int defeatBlueBorder = 1;
int strictXHTML = 1;
int defeatUrlDialog = 0;
int titleAsAlt = 1;
int upgradeNoticeDisplayed = 0;
int clickAsMouseOut = 0;
int exactPage = 0;
int svgTimeLimit = 30;
int gridShow = 0;
int gridSnap = 0;
int snapHotspots = 0;
int gridSpacing = 10;
int hotspotListShown = 1;
int hotspotListArea = 2;
int hotspotListSize = 0;
int urlDialogX = 200, urlDialogY = 0;
int magicWandTolerance = 32;
int magicWandFeatherSteps = 2;
int magicWandPoints = 30;
int magicWandSimplify = 1;
int magicWandOuterOnly = 0;
int updateFrequency = 1;
int lastUpdateCheck = 0;

namespace {
struct whiteCustomColors {
  whiteCustomColors() {
    for (unsigned &c : customColors) c = 0xFFFFFF;
  }
} initCustomColors;
}  // namespace

void settingsDefaults(void) {
  maptype = mapNCSA;
  serverMapType = mapNCSA;
  for (unsigned &c : customColors) c = 0xFFFFFF;
  firstNever = 0;
  for (int &f : firstSeen) f = 0;
  defeatBlueBorder = 1;
  strictXHTML = 1;
  defeatUrlDialog = 0;
  titleAsAlt = 1;
  upgradeNoticeDisplayed = 0;
  clickAsMouseOut = 0;
  exactPage = 0;
  svgTimeLimit = 30;
  gridShow = 0;
  gridSnap = 0;
  snapHotspots = 0;
  gridSpacing = 10;
  hotspotListShown = 1;
  hotspotListArea = 2;
  hotspotListSize = 0;
  urlDialogX = 200;
  urlDialogY = 0;
  magicWandTolerance = 32;
  magicWandFeatherSteps = 2;
  magicWandPoints = 30;
  magicWandSimplify = 1;
  magicWandOuterOnly = 0;
  updateFrequency = 1;
  lastUpdateCheck = 0;
}
