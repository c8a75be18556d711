// Tests of the notification between running processes: a second real process
// reloads the settings another one saved; the listener copes with junk; left
// over sockets are cleaned up; the service socket under the program's name.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/browser.h"
#include "app/ipc.h"
#include "app/prefs.h"
#include "platform/settings.h"
#include "editor/view.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

int reloads = 0;

// Connects to a local socket; the descriptor or -1.
int connectLocal(const std::string &path) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  struct sockaddr_un a;
  memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
  if (connect(fd, (struct sockaddr *)&a, sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Runs the event loop until cond holds or ms pass.
template <class F>
bool spinUntil(F cond, int ms) {
  QElapsedTimer t;
  t.start();
  while (!cond() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return cond();
}

class Ipc : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override {
    scriptedInstall();
    settingsDefaults();
    sketchR = 255;
    sketchG = 128;
    sketchB = 128;
    reloads = 0;
  }
  void TearDown() override {
    ipcClose();
    ipcServeClose();
    reloadConfigHook = reloadConfigReceived;
  }
  std::string runtime() { return home.runtime + "/tilvane"; }
};

TEST_F(Ipc, ASecondRunningProcessReloadsWhatThisOneSaved) {
  ASSERT_EQ(saveConfig(), 1);
  FILE *peer = popen(TILVANE_IPC_PEER, "r");
  ASSERT_NE(peer, nullptr);
  char line[256] = "";
  ASSERT_NE(fgets(line, sizeof line, peer), nullptr);
  EXPECT_STREQ(line, "ready sketch=255,128,128\n");

  sketchR = 10;
  sketchG = 20;
  sketchB = 30;
  ASSERT_EQ(saveConfig(), 1);
  ASSERT_NE(fgets(line, sizeof line, peer), nullptr);
  EXPECT_STREQ(line, "reloaded sketch=10,20,30\n");
  EXPECT_EQ(pclose(peer), 0);
  // The peer removed its socket when it ended.
  EXPECT_EQ(notifyOtherEditors(), 0);
}

TEST_F(Ipc, TheListenerTakesOnlyWellFormedMessages) {
  reloadConfigHook = []() { reloads++; };
  ASSERT_EQ(ipcListen(), 1);
  ASSERT_EQ(ipcListen(), 1);  // a second call keeps the one listener
  std::string own = runtime() + "/base-" + std::to_string(getpid());
  ASSERT_TRUE(exists(own));
  // We never notify ourselves.
  EXPECT_EQ(notifyOtherEditors(), 0);

  int a = connectLocal(own);
  ASSERT_GE(a, 0);
  const char junk[] = "hello\n30250\n 3025 \n";
  ASSERT_EQ(write(a, junk, sizeof junk - 1), (ssize_t)(sizeof junk - 1));
  close(a);
  EXPECT_TRUE(spinUntil([]() { return reloads == 1; }, 5000));

  // A client that floods without line ends is cut off and reloads nothing.
  int b = connectLocal(own);
  ASSERT_GE(b, 0);
  std::string flood(100000, 'x');
  signal(SIGPIPE, SIG_IGN);
  ssize_t w = send(b, flood.data(), flood.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  (void)w;
  spinUntil([]() { return false; }, 300);
  close(b);
  EXPECT_EQ(reloads, 1);

  ipcClose();
  EXPECT_FALSE(exists(own));
}

TEST_F(Ipc, SocketsOfEndedProcessesAreRemoved) {
  char dir[1024];
  ASSERT_EQ(ipcRuntimeDir(dir, sizeof dir), 1);
  // A socket nobody listens on, named for a process id that is not running.
  std::string stale = std::string(dir) + "/base-4194000";
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  struct sockaddr_un a;
  memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  snprintf(a.sun_path, sizeof a.sun_path, "%s", stale.c_str());
  ASSERT_EQ(bind(fd, (struct sockaddr *)&a, sizeof a), 0);
  close(fd);
  // A plain file with a base- name, and unrelated files, are left alone.
  writeFile(std::string(dir) + "/base-notapid", "");
  writeFile(std::string(dir) + "/other", "");
  ASSERT_TRUE(kill(4194000, 0) != 0);
  EXPECT_EQ(notifyOtherEditors(), 0);
  EXPECT_FALSE(exists(stale));
  EXPECT_TRUE(exists(std::string(dir) + "/other"));
}

TEST_F(Ipc, TheRuntimeFolderMustBePrivate) {
  char dir[1024];
  ASSERT_EQ(ipcRuntimeDir(dir, sizeof dir), 1);
  EXPECT_EQ(std::string(dir), runtime());
  chmod(dir, 0777);
  EXPECT_EQ(ipcRuntimeDir(dir, sizeof dir), 0);
  EXPECT_EQ(ipcListen(), 0);
  EXPECT_EQ(notifyOtherEditors(), 0);
  chmod(dir, 0700);
  // Without XDG_RUNTIME_DIR a folder of our own in /tmp is used.
  unsetenv("XDG_RUNTIME_DIR");
  ASSERT_EQ(ipcRuntimeDir(dir, sizeof dir), 1);
  EXPECT_EQ(std::string(dir), "/tmp/tilvane-" + std::to_string(getuid()));
  setenv("XDG_RUNTIME_DIR", home.runtime.c_str(), 1);
}

TEST_F(Ipc, ServiceUnderTheProgramsNameAcceptsAndOffersNothing) {
  programSocketOpen();
  std::string path = runtime() + "/Tilvane";
  ASSERT_TRUE(exists(path));
  int fd = connectLocal(path);
  ASSERT_GE(fd, 0);
  const char ask[] = "topic\n";
  ASSERT_EQ(write(fd, ask, sizeof ask - 1), (ssize_t)(sizeof ask - 1));
  spinUntil([]() { return false; }, 200);
  // Nothing comes back.
  char buf[16];
  EXPECT_LE(recv(fd, buf, sizeof buf, MSG_DONTWAIT), 0);
  close(fd);
  programSocketClose();
  EXPECT_FALSE(exists(path));
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
