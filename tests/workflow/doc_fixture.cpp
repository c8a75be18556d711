// doc_fixture.cpp: the scratch folder, scripted answers and lock holders of the
// document tests.
#include "tests/workflow/doc_fixture.h"

#include <QImage>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "platform/platform_scripted.h"

std::deque<int> imageListAnswers;
std::vector<std::vector<std::string>> imageListShown;
std::vector<std::string> titles;

namespace {

int scriptedList(const std::vector<std::string> &list, void *) {
  imageListShown.push_back(list);
  for (;;) {
    if (imageListAnswers.empty()) return 0;
    int at = imageListAnswers.front();
    imageListAnswers.pop_front();
    if (at == -1) return 0;
    // -2 stands for OK with nothing selected: the dialog stays.
    int r = at == -2 ? ImageListOK("", -1) : ImageListOK(list[static_cast<size_t>(at)].c_str(), at);
    if (r >= 0) return r;
  }
}

int scriptedImageListSelect(void) { return imageListRun(scriptedList, nullptr); }
void recordTitle(const char *t) { titles.push_back(t ? t : ""); }

}  // namespace

void docReset() {
  if (hdoc || htmlFilePtr) Close(1);
  scriptedInstall();
  seamsClear();
  seams.imageListSelect = scriptedImageListSelect;
  seams.setTitle = recordTitle;
  settingsDefaults();
  firstNever = 1;
  undoPurge();
  redoPurge();
  ReleaseObjects();
  pointSelectionFree(&psel);
  pointSelectionSetup(&psel);
  lastObjectSelected = -1;
  state = nostate;
  changed = 0;
  opening = openingBox = saving = 0;
  imageListAnswers.clear();
  imageListShown.clear();
  titles.clear();
  docflowProgram = "/opt/tilvane/bin/tilvane";
}

void docScratch::setUp() {
  char pattern[] = "/tmp/tilvane-doc-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  root = pattern;
  cwd = root + "/cwd";
  mkdir(cwd.c_str(), 0700);
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  setenv("XDG_DATA_DIRS", (root + "/sysdata").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (root + "/sysconfig").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
  mkdir((root + "/runtime").c_str(), 0700);
  if (chdir(cwd.c_str()) != 0) std::abort();
  docReset();
}

void docScratch::tearDown() {
  docReset();
  if (chdir("/") != 0) std::abort();
  std::string cmd = "chmod -R u+w '" + root + "' 2>/dev/null; rm -rf '" + root + "'";
  if (std::system(cmd.c_str()) != 0) std::abort();
}

std::string docScratch::write(const std::string &rel, const std::string &bytes) const {
  std::string path = rel.size() && rel[0] == '/' ? rel : root + "/" + rel;
  std::string dir = path.substr(0, path.rfind('/'));
  std::string cmd = "mkdir -p '" + dir + "'";
  if (std::system(cmd.c_str()) != 0) std::abort();
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return path;
}

std::string docScratch::read(const std::string &path) const {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string docScratch::picture(const std::string &rel, int w, int h) const {
  std::string path = write(rel, "");
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(qRgb(10, 200, 30));
  if (!img.save(QString::fromLocal8Bit(path.c_str()), "PNG")) std::abort();
  return path;
}

bool docScratch::exists(const std::string &rel) const {
  struct stat st;
  std::string path = rel.size() && rel[0] == '/' ? rel : root + "/" + rel;
  return stat(path.c_str(), &st) == 0;
}

lockHolder holdLock(const std::string &path) {
  int ready[2], done[2];
  if (pipe(ready) != 0 || pipe(done) != 0) std::abort();
  lockHolder h;
  h.pid = fork();
  if (h.pid == 0) {
    close(ready[0]);
    close(done[1]);
    int fd = open(path.c_str(), O_RDWR);
    char ok = (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
    if (write(ready[1], &ok, 1) != 1) _exit(2);
    char c;
    while (read(done[0], &c, 1) > 0) {
    }
    _exit(0);
  }
  close(ready[1]);
  close(done[0]);
  char ok = 'n';
  if (read(ready[0], &ok, 1) != 1 || ok != 'y') std::abort();
  close(ready[0]);
  h.release = done[1];
  return h;
}

void releaseLock(lockHolder &h) {
  if (h.release >= 0) close(h.release);
  if (h.pid > 0) waitpid(h.pid, nullptr, 0);
  h = lockHolder();
}

bool lockableElsewhere(const std::string &path) {
  pid_t pid = fork();
  if (pid == 0) {
    int fd = open(path.c_str(), O_RDONLY);
    _exit(fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
