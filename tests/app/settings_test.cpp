// Tests of Tilvane.ini: reading every key with its case rules, writing in the
// fixed order, defaults, the settings path and its fallback, and safe saving.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "app/datadir.h"
#include "app/prefs.h"
#include "editor/servermap.h"
#include "workflow/profile.h"
#include "platform/settings.h"
#include "platform/seams.h"
#include "editor/view.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

int pensRebuilt = 0;

class Settings : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override {
    scriptedInstall();
    seamsClear();
    pensRebuilt = 0;
    seams.recreatePens = []() { pensRebuilt++; };
    seams.saveSettings = saveConfig;  // the editor stores its settings through this hook
    settingsDefaults();
    sketchR = 255;
    sketchG = 128;
    sketchB = 128;
  }
  void TearDown() override { seamsClear(); }
  void readText(const std::string &text) {
    makeFolders(home.settingsDir().c_str());
    writeFile(home.iniFile(), text);
    readConfig();
  }
};

TEST_F(Settings, DefaultsWhenNoFileAndPensRebuilt) {
  readConfig();
  EXPECT_EQ(serverMapType, mapNCSA);
  EXPECT_EQ(sketchR, 255);
  EXPECT_EQ(sketchG, 128);
  EXPECT_EQ(sketchB, 128);
  for (unsigned c : customColors) EXPECT_EQ(c, 0xFFFFFFu);
  EXPECT_EQ(firstNever, 0);
  for (int f : firstSeen) EXPECT_EQ(f, 0);
  EXPECT_EQ(defeatBlueBorder, 1);
  EXPECT_EQ(strictXHTML, 1);
  EXPECT_EQ(defeatUrlDialog, 0);
  EXPECT_EQ(titleAsAlt, 1);
  EXPECT_EQ(upgradeNoticeDisplayed, 1);  // no settings: a new user
  EXPECT_EQ(clickAsMouseOut, 0);
  EXPECT_EQ(urlDialogX, 200);
  EXPECT_EQ(urlDialogY, 0);
  EXPECT_EQ(magicWandTolerance, 32);
  EXPECT_EQ(magicWandFeatherSteps, 2);
  EXPECT_EQ(magicWandPoints, 30);
  EXPECT_EQ(updateFrequency, 1);
  EXPECT_EQ(lastUpdateCheck, 0);
  EXPECT_EQ(pensRebuilt, 1);
  EXPECT_TRUE(scripted.shown.empty());
}

TEST_F(Settings, MapTypeLines) {
  const struct {
    const char *text;
    int expected;
  } cases[] = {
      {"CERN\n", mapCERN},   {"cern\n", mapCERN},   {"cernish\n", mapCERN},
      {"Cern\n", mapClient},  // mixed case is not recognised
      {"ncsa\n", mapNCSA},   {"NCSA\n", mapNCSA},   {"client\n", mapNCSA},
      {"CLIENT\n", mapNCSA}, {"cern\nncsa\n", mapNCSA},
  };
  for (const auto &c : cases) {
    settingsDefaults();
    serverMapType = mapClient;
    readText(c.text);
    EXPECT_EQ(serverMapType, c.expected) << c.text;
  }
}

TEST_F(Settings, ColoursAndTheirMalformedForms) {
  readText(
      "sketch=1,2,3\r\n"
      "custom12=10,20,30\n"
      "CUSTOM2=10,20,30\n"
      "custom0=256,-1,511\n"   // each component taken modulo 256
      "custom16=1,1,1\n"       // outside 0-15: ignored
      "custom-1=1,1,1\n"
      "custom5\n"              // no "=": ignored
      "custom7=,,9\n");        // empty pieces are skipped: 9,0,0
  EXPECT_EQ(sketchR, 1);
  EXPECT_EQ(sketchG, 2);
  EXPECT_EQ(sketchB, 3);
  EXPECT_EQ(customColors[12], 10u + 256u * 20 + 65536u * 30);
  EXPECT_EQ(customColors[2], customColors[12]);
  EXPECT_EQ(customColors[0], 0u + 256u * 255 + 65536u * 255);
  EXPECT_EQ(customColors[5], 0xFFFFFFu);
  EXPECT_EQ(customColors[7], 9u);
  EXPECT_EQ(customColors[15], 0xFFFFFFu);

  readText("SKETCH=7\n");  // missing numbers read as 0
  EXPECT_EQ(sketchR, 7);
  EXPECT_EQ(sketchG, 0);
  EXPECT_EQ(sketchB, 0);
}

TEST_F(Settings, CaseRulesOfTheNumberKeys) {
  readText(
      "DEFEATBLUEBORDER=0\nStrictXhtml=0\nDefeatUrlDialog=1\nTITLEASALT=0\n"
      "UpgradeNoticeDisplayed35=1\nCLICKASMOUSEOUT=1\n"
      "URLX=5\nURLY=6\nMagicWandTolerance=7\nMAGICWANDPOINTS=8\nUpdateFrequency=3\n"
      "LASTUPDATECHECK=9\nMAGICWANDFEATHERSTEPS=1\n");
  EXPECT_EQ(defeatBlueBorder, 0);
  EXPECT_EQ(strictXHTML, 0);
  EXPECT_EQ(defeatUrlDialog, 1);
  EXPECT_EQ(titleAsAlt, 0);
  EXPECT_EQ(upgradeNoticeDisplayed, 1);
  EXPECT_EQ(clickAsMouseOut, 1);
  // The exact-case keys written in capitals are ignored.
  EXPECT_EQ(urlDialogX, 200);
  EXPECT_EQ(urlDialogY, 0);
  EXPECT_EQ(magicWandTolerance, 32);
  EXPECT_EQ(magicWandPoints, 30);
  EXPECT_EQ(updateFrequency, 1);
  EXPECT_EQ(lastUpdateCheck, 0);
  EXPECT_EQ(magicWandFeatherSteps, 2);

  readText(
      "urlx=-40\nurly=12abc\nmagicwandtolerance=\nmagicwandfeathersteps=3\n"
      "updatefrequency=4\nlastupdatecheck=13149\nfirstnever=1\nfirst3=1\nfirst12=1\n"
      "first13=1\nFIRST4=1\nfirst5=x\n");
  EXPECT_EQ(urlDialogX, -40);
  EXPECT_EQ(urlDialogY, 12);
  EXPECT_EQ(magicWandTolerance, 0);
  EXPECT_EQ(magicWandFeatherSteps, 3);
  EXPECT_EQ(updateFrequency, 4);
  EXPECT_EQ(lastUpdateCheck, 13149);
  EXPECT_EQ(firstNever, 1);
  EXPECT_EQ(firstSeen[3], 1);
  EXPECT_EQ(firstSeen[12], 1);
  EXPECT_EQ(firstSeen[4], 0);
  EXPECT_EQ(firstSeen[5], 0);
}

TEST_F(Settings, MagicWandSettingsClampedWhenRead) {
  const struct {
    const char *line;
    int *setting;
    int expected;
  } cases[] = {{"magicwandpoints=1\n", &magicWandPoints, 3},
               {"magicwandpoints=2\n", &magicWandPoints, 3},
               {"magicwandpoints=3\n", &magicWandPoints, 3},
               {"magicwandpoints=256\n", &magicWandPoints, 256},
               {"magicwandpoints=1000\n", &magicWandPoints, 256},
               {"magicwandpoints=-7\n", &magicWandPoints, 3},
               {"magicwandpoints=99999999999999999999\n", &magicWandPoints, 256},
               {"magicwandfeathersteps=2147483647\n", &magicWandFeatherSteps, 3},
               {"magicwandfeathersteps=4\n", &magicWandFeatherSteps, 3},
               {"magicwandfeathersteps=-1\n", &magicWandFeatherSteps, 0},
               {"magicwandtolerance=765\n", &magicWandTolerance, 765},
               {"magicwandtolerance=99999999\n", &magicWandTolerance, 765},
               {"magicwandtolerance=-3\n", &magicWandTolerance, 0},
               {"magicwandsimplify=0\n", &magicWandSimplify, 0},
               {"magicwandsimplify=101\n", &magicWandSimplify, 100},
               {"magicwandsimplify=-2\n", &magicWandSimplify, 0},
               {"magicwandouteronly=7\n", &magicWandOuterOnly, 1}};
  for (const auto &c : cases) {
    readText(c.line);
    EXPECT_EQ(*c.setting, c.expected) << c.line;
  }
}

TEST_F(Settings, HostileLinesAreHarmless) {
  std::string longLine(5000, 'x');
  std::string text = "sketch=1,2,3\n" + longLine + "\n" + std::string("\0\0\n", 3) +
                     "custom99999999999999999999=1,2,3\n=\n,,,\n" +
                     "sketch=" + std::string(4000, '9') + "\n" + "urlx=7";  // no final LF
  readText(text);
  EXPECT_EQ(urlDialogX, 7);
  for (unsigned c : customColors) EXPECT_EQ(c, 0xFFFFFFu);
  // A pipe or a device in place of the file is not read: the defaults stay.
  alarm(30);  // a blocked read ends the test instead of hanging it
  settingsDefaults();
  unlink(home.iniFile().c_str());
  ASSERT_EQ(mkfifo(home.iniFile().c_str(), 0600), 0);
  readConfig();
  EXPECT_EQ(urlDialogX, 200);
  unlink(home.iniFile().c_str());
  ASSERT_EQ(symlink("/dev/zero", home.iniFile().c_str()), 0);
  readConfig();
  EXPECT_EQ(urlDialogX, 200);
  alarm(0);
}

TEST_F(Settings, WrittenInOrderAndReadBack) {
  serverMapType = mapCERN;
  sketchR = 10;
  sketchG = 20;
  sketchB = 30;
  customColors[3] = 1 + 256 * 2 + 65536 * 3;
  customColors[15] = 0;
  firstNever = 1;
  firstSeen[0] = 1;
  firstSeen[11] = 1;
  defeatBlueBorder = 0;
  strictXHTML = 0;
  defeatUrlDialog = 1;
  titleAsAlt = 0;
  upgradeNoticeDisplayed = 1;
  clickAsMouseOut = 1;
  urlDialogX = 11;
  urlDialogY = 12;
  magicWandTolerance = 13;
  magicWandFeatherSteps = 1;
  magicWandPoints = 14;
  magicWandSimplify = 4;
  magicWandOuterOnly = 1;
  updateFrequency = 5;
  lastUpdateCheck = 15;
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_EQ(readFile(home.iniFile()),
            "cern\nsketch=10,20,30\ncustom3=1,2,3\ncustom15=0,0,0\nfirstnever=1\nfirst0=1\n"
            "first11=1\ndefeatblueborder=0\nstrictxhtml=0\ndefeaturldialog=1\ntitleasalt=0\n"
            "upgradenoticedisplayed35=1\nclickasmouseout=1\nurlx=11\nurly=12\n"
            "magicwandtolerance=13\nmagicwandfeathersteps=1\nmagicwandpoints=14\n"
            "magicwandsimplify=4\nmagicwandouteronly=1\nupdatefrequency=5\nlastupdatecheck=15\n");

  settingsDefaults();
  readConfig();
  EXPECT_EQ(magicWandSimplify, 4);
  EXPECT_EQ(magicWandOuterOnly, 1);
  EXPECT_EQ(serverMapType, mapCERN);
  EXPECT_EQ(customColors[3], 1u + 256 * 2 + 65536 * 3);
  EXPECT_EQ(customColors[15], 0u);
  EXPECT_EQ(customColors[4], 0xFFFFFFu);
  EXPECT_EQ(firstNever, 1);
  EXPECT_EQ(firstSeen[11], 1);
  EXPECT_EQ(urlDialogY, 12);
  EXPECT_EQ(magicWandPoints, 14);
  EXPECT_EQ(lastUpdateCheck, 15);
}

TEST_F(Settings, ExactPageIsOffByDefaultAndWrittenOnlyWhenChosen) {
  EXPECT_EQ(exactPage, 0);
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_EQ(readFile(home.iniFile()).find("exactpage"), std::string::npos);
  readText("ExactPage=1\n");
  EXPECT_EQ(exactPage, 1);
  ASSERT_EQ(saveConfig(), 1);
  std::string t = readFile(home.iniFile());
  EXPECT_EQ(t.substr(t.size() - 12), "exactpage=1\n");
  settingsDefaults();
  EXPECT_EQ(exactPage, 0);
  readConfig();
  EXPECT_EQ(exactPage, 1);
}

TEST_F(Settings, SvgTimeLimitIsReadWithinItsRangeAndWrittenWhenChosen) {
  EXPECT_EQ(svgTimeLimit, 30);
  const struct {
    const char *line;
    int value;
  } cases[] = {{"svgtimelimit=5\n", 5}, {"svgtimelimit=0\n", 1}, {"svgtimelimit=999999\n", 86400}};
  for (const auto &c : cases) {
    readText(c.line);
    EXPECT_EQ(svgTimeLimit, c.value) << c.line;
  }
  readText("svgtimelimit=5\n");
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_NE(readFile(home.iniFile()).find("\nsvgtimelimit=5\n"), std::string::npos);
  settingsDefaults();
  readConfig();
  EXPECT_EQ(svgTimeLimit, 5);
  settingsDefaults();
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_EQ(readFile(home.iniFile()).find("svgtimelimit"), std::string::npos);
}

TEST_F(Settings, GridSettingsAreReadWithinTheirRangeAndWrittenWhenChosen) {
  const struct {
    const char *line;
    const int *setting;
    int value;
  } cases[] = {{"showgrid=1\n", &gridShow, 1},       {"snaptogrid=7\n", &gridSnap, 1},
               {"snaptohotspots=1\n", &snapHotspots, 1}, {"gridspacing=25\n", &gridSpacing, 25},
               {"gridspacing=0\n", &gridSpacing, 2},    {"gridspacing=99999\n", &gridSpacing, 1000}};
  for (const auto &c : cases) {
    readText(c.line);
    EXPECT_EQ(*c.setting, c.value) << c.line;
  }
  settingsDefaults();
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_EQ(readFile(home.iniFile()).find("grid"), std::string::npos);
  gridShow = snapHotspots = 1;
  gridSpacing = 16;
  ASSERT_EQ(saveConfig(), 1);
  settingsDefaults();
  readConfig();
  EXPECT_EQ(gridShow, 1);
  EXPECT_EQ(gridSnap, 0);
  EXPECT_EQ(snapHotspots, 1);
  EXPECT_EQ(gridSpacing, 16);
}

TEST_F(Settings, HotspotListPlaceAndVisibilityAreKeptWhenNotTheDefault) {
  EXPECT_EQ(hotspotListShown, 1);
  EXPECT_EQ(hotspotListArea, 2);
  EXPECT_EQ(hotspotListSize, 0);
  const struct {
    const char *line;
    int *value;
    int want;
  } cases[] = {{"hotspotlist=0\n", &hotspotListShown, 0},   {"hotspotlistarea=1\n", &hotspotListArea, 1},
               {"hotspotlistarea=0\n", &hotspotListArea, 0},  {"hotspotlistarea=3\n", &hotspotListArea, 2},
               {"hotspotlistsize=250\n", &hotspotListSize, 250}, {"hotspotlistsize=-4\n", &hotspotListSize, 0}};
  for (const auto &c : cases) {
    settingsDefaults();
    readText(c.line);
    EXPECT_EQ(*c.value, c.want) << c.line;
  }
  settingsDefaults();
  readText("hotspotlist=0\nhotspotlistarea=8\nhotspotlistsize=120\n");
  ASSERT_EQ(saveConfig(), 1);
  settingsDefaults();
  readConfig();
  EXPECT_EQ(hotspotListShown, 0);
  EXPECT_EQ(hotspotListArea, 8);
  EXPECT_EQ(hotspotListSize, 120);
  settingsDefaults();
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_EQ(readFile(home.iniFile()).find("hotspotlist"), std::string::npos);
}

TEST_F(Settings, ClientMapTypeIsStoredAsNcsaAndWhiteIsNotWritten) {
  maptype = mapClient;
  customColors[1] = 0xFFFFFF;
  ASSERT_EQ(saveConfig(), 1);
  std::string t = readFile(home.iniFile());
  EXPECT_EQ(t.substr(0, 5), "ncsa\n");
  EXPECT_EQ(t.find("custom"), std::string::npos);
  EXPECT_EQ(t.find("first"), std::string::npos);
}

TEST_F(Settings, IniFileFallsBackToTheOldPlaceWhenReading) {
  char path[1024];
  EXPECT_EQ(getIniFile(path, sizeof path, 0), 0);
  EXPECT_EQ(std::string(path), home.config + "/Tilvane.ini");
  EXPECT_EQ(getIniFile(path, sizeof path, 1), 0);
  EXPECT_EQ(std::string(path), home.iniFile());

  // A file in the old place is read while the new place has none.
  writeFile(home.config + "/Tilvane.ini", "cern\nurlx=77\n");
  readConfig();
  EXPECT_EQ(serverMapType, mapCERN);
  EXPECT_EQ(urlDialogX, 77);
  // Saving writes the new place, which is read from then on.
  urlDialogX = 78;
  ASSERT_EQ(saveConfig(), 1);
  EXPECT_EQ(getIniFile(path, sizeof path, 0), 1);
  EXPECT_EQ(std::string(path), home.iniFile());
  settingsDefaults();
  readConfig();
  EXPECT_EQ(urlDialogX, 78);

  // A tiny buffer is cut, never overrun.
  char small[8];
  getIniFile(small, sizeof small, 1);
  EXPECT_EQ(strlen(small), 7u);
}

TEST_F(Settings, UnwritableSettingsWarnAndKeepTheOldFile) {
  // A folder where the file should be: the rename cannot replace it.
  makeFolders(home.iniFile().c_str());
  EXPECT_EQ(saveConfig(), 0);
  auto m = scriptedLastMessage();
  EXPECT_EQ(m.title, "Can't Save Preferences");
  EXPECT_EQ(m.text,
            "Warning: the application data folder is not writable. Tilvane will not be able to "
            "save preference settings.");
  EXPECT_EQ(m.flags & MB_ICONMASK, (unsigned)MB_ICONWARNING);
  EXPECT_TRUE(isDir(home.iniFile()));
}

TEST_F(Settings, FailedWriteLeavesPreviousSettingsWhole) {
  makeFolders(home.settingsDir().c_str());
  const std::string before = "cern\nurlx=5\n";
  writeFile(home.iniFile(), before);
  chmod(home.iniFile().c_str(), 0640);
  // A file-size limit makes the write fail part-way, as a full disk does.
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit tiny = old;
  tiny.rlim_cur = 16;
  setrlimit(RLIMIT_FSIZE, &tiny);
  int r = saveConfig();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(readFile(home.iniFile()), before);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Save Preferences");
  // No temporary file is left behind.
  int entries = 0;
  if (DIR *d = opendir(home.settingsDir().c_str())) {
    while (struct dirent *e = readdir(d))
      if (e->d_name[0] != '.') entries++;
    closedir(d);
  }
  EXPECT_EQ(entries, 1);
  // A successful save keeps the file's permissions.
  ASSERT_EQ(saveConfig(), 1);
  struct stat st;
  ASSERT_EQ(stat(home.iniFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(Settings, SettingsKeptAsSymbolicLinksAreWrittenThroughThem) {
  const std::string dotfiles = home.root + "/dotfiles";
  makeFolders(dotfiles.c_str());
  makeFolders(home.settingsDir().c_str());
  for (const std::string &name : {home.iniFile(), home.profile()}) {
    const std::string target = dotfiles + name.substr(name.rfind('/'));
    writeFile(target, "cern\n");
    ASSERT_EQ(symlink(target.c_str(), name.c_str()), 0);
  }
  maptype = mapCERN;
  urlDialogX = 41;
  ASSERT_EQ(saveConfig(), 1);
  ASSERT_EQ(profileWriteString("Options", "dataDir", "/x", "tilvane2.ini"), 1);
  for (const std::string &name : {home.iniFile(), home.profile()}) {
    struct stat st;
    ASSERT_EQ(lstat(name.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
  }
  EXPECT_NE(readFile(dotfiles + "/Tilvane.ini").find("urlx=41\n"), std::string::npos);
  EXPECT_EQ(readFile(dotfiles + "/tilvane2.ini"), "cern\n[Options]\ndataDir=/x\n");
}

TEST_F(Settings, NumberFieldsOfTheDialogs) {
  const struct {
    const char *text;
    int expected;
  } cases[] = {{"30", 30},          {" 12 ", 12},         {"", 0},
               {"abc", 0},          {"-5", 0},            {"+5", 0},
               {"7x", 0},           {"1 2", 0},           {"4294967295", 2147483647},
               {"4294967296", 0},   {"99999999999999", 0}};
  for (const auto &c : cases) EXPECT_EQ(unsignedField(c.text), c.expected) << c.text;
  EXPECT_EQ(unsignedField(nullptr), 0);
}

TEST_F(Settings, MapTypeChoiceSavesOnlyWhenChanged) {
  maptype = mapClient;  // the open page's map kind is not the stored choice
  EXPECT_EQ(mapTypeBoxAccept(0), 1);
  EXPECT_FALSE(exists(home.iniFile()));
  EXPECT_EQ(mapTypeBoxAccept(1), 1);
  EXPECT_EQ(serverMapType, mapCERN);
  EXPECT_EQ(readFile(home.iniFile()).substr(0, 5), "cern\n");
  EXPECT_EQ(mapTypeBoxAccept(0), 1);
  EXPECT_EQ(serverMapType, mapNCSA);
  EXPECT_EQ(readFile(home.iniFile()).substr(0, 5), "ncsa\n");
  EXPECT_EQ(maptype, mapClient);
}

TEST_F(Settings, PreferencesAcceptTakesTheAnswersAndSaves) {
  int before = pensRebuilt;
  preferencesAccept(0, 0, 1, 3);
  EXPECT_EQ(defeatBlueBorder, 0);
  EXPECT_EQ(strictXHTML, 0);
  EXPECT_EQ(defeatUrlDialog, 1);
  EXPECT_EQ(updateFrequency, 3);
  EXPECT_GT(pensRebuilt, before);
  std::string t = readFile(home.iniFile());
  EXPECT_NE(t.find("defeatblueborder=0\n"), std::string::npos);
  EXPECT_NE(t.find("updatefrequency=3\n"), std::string::npos);
  // An out-of-range list answer leaves the schedule alone.
  preferencesAccept(1, 1, 0, 9);
  EXPECT_EQ(updateFrequency, 3);
}

TEST(SettingsLabels, UpdateFrequencies) {
  const char *expected[] = {"Daily", "Weekly", "Monthly", "Quarterly", "Annually", "Never"};
  for (int i = 0; i < 6; i++) EXPECT_STREQ(updateFrequencies[i], expected[i]);
  EXPECT_EQ(updateFrequencies[6], nullptr);
}

}  // namespace
