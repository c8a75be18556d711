// Tests of the data folder: first start, a stored folder that vanished, the
// configuration folder refused as data folder, a file where a folder is asked,
// existing folders, and the path routines.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <utility>

#include "app/datadir.h"
#include "workflow/profile.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

// The "Choose a Folder" dialog as a script: each entry is the parent and name
// typed before OK, or a cancel. `opened` records what the dialog showed.
struct scriptedDirBox {
  std::deque<std::pair<std::string, std::string>> answers;  // parent "\x01" = cancel
  std::deque<std::pair<std::string, std::string>> opened;
};
scriptedDirBox dirScript;

int scriptedDirBoxHook(void *) {
  char parent[1024], name[1024];
  dirBoxSplit(dataDir, parent, sizeof parent, name, sizeof name);
  dirScript.opened.emplace_back(parent, name);
  // Like the dialog: OK is pressed until the logic lets it close.
  while (!dirScript.answers.empty()) {
    auto a = dirScript.answers.front();
    dirScript.answers.pop_front();
    if (a.first == "\x01") return 0;
    if (dirBoxOK(nullptr, a.first.c_str(), a.second.c_str())) return 1;
  }
  return 0;
}

class DataDir : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override {
    scriptedInstall();
    dirScript = scriptedDirBox();
    dirBoxHook = scriptedDirBoxHook;
  }
  void TearDown() override { dirBoxHook = nullptr; }
  std::string stored() {
    char v[1024];
    profileGetString("Options", "dataDir", "", v, sizeof v, "tilvane2.ini");
    return v;
  }
  std::string cwd() {
    char b[4096];
    return getcwd(b, sizeof b) ? b : "";
  }
};

TEST_F(DataDir, FirstStartOffersTheDefaultAndStoresTheChoice) {
  dirScript.answers.emplace_back(home.data, "Tilvane");
  ASSERT_EQ(setDataDir(nullptr), 1);
  ASSERT_EQ(dirScript.opened.size(), 1u);
  EXPECT_EQ(dirScript.opened[0].first, home.data);
  EXPECT_EQ(dirScript.opened[0].second, "Tilvane");
  EXPECT_TRUE(scriptedMessages().empty());  // the failing first pass is silent
  EXPECT_EQ(std::string(dataDir), home.data + "/Tilvane");
  EXPECT_TRUE(isDir(dataDir));
  EXPECT_EQ(cwd(), dataDir);
  EXPECT_EQ(stored(), dataDir);

  // The next start enters the stored folder without any dialog.
  dirScript = scriptedDirBox();
  ASSERT_EQ(setDataDir(nullptr), 1);
  EXPECT_TRUE(dirScript.opened.empty());
  EXPECT_TRUE(scripted.shown.empty());
}

TEST_F(DataDir, DataHomeDefaultsBelowHome) {
  unsetenv("XDG_DATA_HOME");
  dirScript.answers.emplace_back("\x01", "");
  EXPECT_EQ(setDataDir(nullptr), 0);
  ASSERT_EQ(dirScript.opened.size(), 1u);
  EXPECT_EQ(dirScript.opened[0].first, home.home + "/.local/share");
  EXPECT_TRUE(isDir(home.home + "/.local/share"));
}

TEST_F(DataDir, AStoredFolderThatVanishedIsMadeAgainOnOk) {
  std::string gone = home.root + "/gone/Tilvane";
  makeFolders((home.root + "/gone").c_str());
  profileWriteString("Options", "dataDir", gone.c_str(), "tilvane2.ini");
  dirScript.answers.emplace_back(home.root + "/gone", "Tilvane");  // OK without changes
  ASSERT_EQ(setDataDir(nullptr), 1);
  EXPECT_EQ(dirScript.opened.size(), 1u);
  EXPECT_EQ(dirScript.opened[0].first, home.root + "/gone");
  EXPECT_EQ(std::string(dataDir), gone);
  EXPECT_TRUE(isDir(gone));
}

TEST_F(DataDir, TheConfigurationFolderIsRefused) {
  profileWriteString("Options", "dataDir", (home.config + "//").c_str(), "tilvane2.ini");
  dirScript.answers.emplace_back(home.config, "");  // the same folder typed again
  dirScript.answers.emplace_back("\x01", "");
  ASSERT_EQ(setDataDir(nullptr), 0);
  auto m = scriptedMessages();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(m[0].title, "Can't Install to Settings Directory");
  EXPECT_EQ(m[0].text,
            "That directory is your settings directory. It is not safe to install applications in "
            "the settings directory because it contains other programs' important files. Please "
            "choose another location.");
  EXPECT_EQ(m[1].title, "Write Data to Existing Folder?");
  EXPECT_EQ(m.back().title, "Shutting Down");
  EXPECT_EQ(m.back().text,
            "This program cannot operate without a data folder to store its files in. The "
            "program will exit now. Please determine an appropriate folder name and start the "
            "program again later.");
  EXPECT_EQ(stored(), home.config + "//");  // nothing stored after giving up
}

TEST_F(DataDir, AFileIsNotAFolder) {
  writeFile(home.root + "/plain", "x");
  dirScript.answers.emplace_back(home.root, "plain");
  dirScript.answers.emplace_back(home.root, "Tilvane");
  ASSERT_EQ(setDataDir(nullptr), 1);
  auto m = scriptedMessages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].title, "Please Enter a Folder Name");
  EXPECT_EQ(m[0].text,
            "That path specifies a file, and not a new or existing folder name. Please enter a "
            "folder name, such as Tilvane for example.");
  EXPECT_EQ(std::string(dataDir), home.root + "/Tilvane");
}

TEST_F(DataDir, ExistingFolders) {
  makeFolders((home.root + "/TILVANE").c_str());
  makeFolders((home.root + "/photos").c_str());
  // A folder named like the program (any case) is taken without a question.
  EXPECT_EQ(dirBoxOK(nullptr, home.root.c_str(), "TILVANE"), 1);
  EXPECT_TRUE(scripted.shown.empty());
  // Another existing folder asks; No keeps the dialog open, Yes closes it.
  scripted.answers = {IDNO, IDYES};
  EXPECT_EQ(dirBoxOK(nullptr, home.root.c_str(), "photos"), 0);
  EXPECT_EQ(dirBoxOK(nullptr, (home.root + "/").c_str(), "photos"), 1);
  auto m = scriptedMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].title, "Write Data to Existing Folder?");
  EXPECT_EQ(m[0].flags & MB_BUTTONMASK, (unsigned)MB_YESNO);
  EXPECT_EQ(std::string(dataDir), home.root + "/photos");
}

TEST_F(DataDir, UncreatableFolders) {
  // The parent does not exist: the folder cannot be made.
  EXPECT_EQ(dirBoxOK(nullptr, (home.root + "/no/such").c_str(), "Tilvane"), 0);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Create Directory");
  EXPECT_EQ(scriptedLastMessage().text,
            "That folder does not exist, and the application was not able to create it. Most "
            "likely the parent folder does not exist or you have entered a path the program "
            "does not have write access to.");

  // A stored folder below a file can never be entered: after the first
  // (silent) pass every pass reports it.
  writeFile(home.root + "/file", "x");
  std::string bad = home.root + "/file/Tilvane";
  profileWriteString("Options", "dataDir", bad.c_str(), "tilvane2.ini");
  scripted.shown.clear();
  dirScript.answers.emplace_back(home.root + "/file/sub", "Tilvane");
  dirScript.answers.emplace_back(home.root, "ok");
  ASSERT_EQ(setDataDir(nullptr), 1);
  auto m = scriptedMessages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].title, "Can't Create Directory");
  EXPECT_EQ(std::string(dataDir), home.root + "/ok");
}

TEST_F(DataDir, SeparatorsCollapse) {
  EXPECT_EQ(dirBoxOK(nullptr, (home.root + "\\\\sub").c_str(), "Tilvane"), 0);  // no "sub" yet
  makeFolders((home.root + "/sub").c_str());
  scripted.shown.clear();
  ASSERT_EQ(dirBoxOK(nullptr, (home.root + "\\sub\\").c_str(), "Tilvane"), 1);
  EXPECT_EQ(std::string(dataDir), home.root + "/sub/Tilvane");

  const struct {
    const char *in, *out;
  } cases[] = {{"a//b\\\\c", "a/b/c"}, {"\\\\server\\share", "/server/share"},
               {"/a/", "/a/"},         {"", ""},
               {"///", "/"},           {"a\\/\\/b", "a/b"}};
  for (const auto &c : cases) {
    char b[64];
    strcpy(b, c.in);
    dropDoubledPathCharacters(b);
    EXPECT_STREQ(b, c.out) << c.in;
  }
}

TEST_F(DataDir, SplitForTheDialog) {
  const struct {
    const char *dir, *parent, *name;
  } cases[] = {{"/home/u/.local/share/Tilvane", "/home/u/.local/share", "Tilvane"},
               {"/Tilvane", "/", "Tilvane"},
               {"Tilvane", "Tilvane", ""},
               {"a\\b/c", "a\\b", "c"},  // the last separator of either kind
               {"a/b\\c", "a/b", "c"},
               {"/x/", "/x", ""}};
  for (const auto &c : cases) {
    char p[64], n[64];
    dirBoxSplit(c.dir, p, sizeof p, n, sizeof n);
    EXPECT_STREQ(p, c.parent) << c.dir;
    EXPECT_STREQ(n, c.name) << c.dir;
  }
}

TEST_F(DataDir, FileRoutines) {
  writeFile(home.root + "/f", "x");
  EXPECT_EQ(fileExists((home.root + "/f").c_str()), 1);
  EXPECT_EQ(fileIsDirectory((home.root + "/f").c_str()), 0);
  EXPECT_EQ(fileIsDirectory((home.root + "/").c_str()), 1);
  EXPECT_EQ(fileIsDirectory("/"), 1);
  EXPECT_EQ(fileExists((home.root + "/missing").c_str()), 0);
  EXPECT_EQ(fileExists(""), 0);
  EXPECT_EQ(fileExists(nullptr), 0);

  char t[16];
  strcpy(t, "abc/");
  stompLast(t, '/');
  EXPECT_STREQ(t, "abc");
  stompLast(t, '/');
  EXPECT_STREQ(t, "abc");
  t[0] = 0;
  stompLast(t, '/');
  EXPECT_STREQ(t, "");

  EXPECT_EQ(godir((home.root + "/new").c_str(), 0), -1);
  EXPECT_EQ(godir((home.root + "/new").c_str(), 1), 0);
  EXPECT_EQ(cwd(), home.root + "/new");
  EXPECT_EQ(godir((home.root + "/f").c_str(), 1), -1);
  EXPECT_EQ(godir("", 1), -1);
}

TEST_F(DataDir, SettingsTemporaryAndConfigurationFolders) {
  char p[1024];
  applicationGetDataDir(p, sizeof p);
  EXPECT_EQ(std::string(p), home.settingsDir());
  EXPECT_TRUE(isDir(p));
  // The temporary folder: in the session's runtime folder, else in the cache
  // folder, never below the settings.
  applicationGetTempDir(p, sizeof p);
  EXPECT_EQ(std::string(p), home.runtime + "/tilvane");
  EXPECT_TRUE(isDir(p));
  for (const char *missing : {"", "relative", "/nowhere/run"}) {
    setenv("XDG_RUNTIME_DIR", missing, 1);
    setenv("XDG_CACHE_HOME", (home.root + "/cache").c_str(), 1);
    applicationGetTempDir(p, sizeof p);
    EXPECT_EQ(std::string(p), home.root + "/cache/tilvane") << missing;
    unsetenv("XDG_CACHE_HOME");
    applicationGetTempDir(p, sizeof p);
    EXPECT_EQ(std::string(p), home.home + "/.cache/tilvane") << missing;
  }
  EXPECT_FALSE(isDir("/nowhere"));
  setenv("XDG_RUNTIME_DIR", home.runtime.c_str(), 1);
  configFolderGet(p, sizeof p);
  EXPECT_EQ(std::string(p), home.config);

  // Without XDG_CONFIG_HOME the configuration folder is ~/.config.
  unsetenv("XDG_CONFIG_HOME");
  configFolderGet(p, sizeof p);
  EXPECT_EQ(std::string(p), home.home + "/.config");

  // A settings folder that cannot be made falls back to the configuration
  // folder; a temporary folder that cannot be made falls back to the system's.
  setenv("XDG_CONFIG_HOME", (home.root + "/cfg").c_str(), 1);
  makeFolders((home.root + "/cfg").c_str());
  writeFile(home.root + "/cfg/QuarrinDotCom", "a file in the way");
  applicationGetDataDir(p, sizeof p);
  EXPECT_EQ(std::string(p), home.root + "/cfg");
  setenv("TMPDIR", (home.root + "/tmp/").c_str(), 1);
  for (const char *taken : {"/run2", "/cache2"}) {
    makeFolders((home.root + taken).c_str());
    writeFile(home.root + taken + "/tilvane", "a file in the way");
  }
  setenv("XDG_RUNTIME_DIR", (home.root + "/run2").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home.root + "/cache2").c_str(), 1);
  applicationGetTempDir(p, sizeof p);
  EXPECT_EQ(std::string(p), home.root + "/tmp");
  unsetenv("TMPDIR");
  unsetenv("XDG_CACHE_HOME");

  // Tiny buffers are cut, never overrun.
  char small[6];
  applicationGetDataDir(small, sizeof small);
  EXPECT_EQ(strlen(small), 5u);
}

}  // namespace
