// ipc.cpp: the local sockets between running processes. Owns reloadConfigHook.
#include "app/ipc.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/prefs.h"
#include "platform/strhack.h"

void (*reloadConfigHook)(void) = reloadConfigReceived;

namespace {

QLocalServer *baseServer = nullptr;
std::string baseSocketPath;
QLocalServer *nameServer = nullptr;
std::string nameSocketPath;

// Connects to the socket at path; the descriptor, or -1.
int connectTo(const std::string &path) {
  struct sockaddr_un a;
  if (path.size() >= sizeof a.sun_path) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  memcpy(a.sun_path, path.c_str(), path.size());
  if (connect(fd, (struct sockaddr *)&a, sizeof a) != 0) {
    int e = errno;
    close(fd);
    errno = e;
    return -1;
  }
  return fd;
}

// Starts a server at path; a socket file left there by an ended process is
// removed first. Null when the path is served by a live process or listening
// fails.
QLocalServer *serveAt(const std::string &path, bool messages) {
  int fd = connectTo(path);
  if (fd >= 0) {
    close(fd);
    return nullptr;
  }
  unlink(path.c_str());
  QLocalServer *s = new QLocalServer();
  s->setSocketOptions(QLocalServer::UserAccessOption);
  if (!s->listen(QString::fromLocal8Bit(path.c_str()))) {
    delete s;
    return nullptr;
  }
  QObject::connect(s, &QLocalServer::newConnection, s, [s, messages]() {
    while (QLocalSocket *c = s->nextPendingConnection()) {
      QObject::connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
      QObject::connect(c, &QLocalSocket::readyRead, c, [c, messages]() {
        QByteArray got = c->property("got").toByteArray() + c->readAll();
        if (!messages) return;  // accepted; nothing is offered
        // Messages are decimal numbers, one a line; a client that sends more
        // than a few short lines is cut off.
        int nl;
        while ((nl = got.indexOf('\n')) >= 0) {
          QByteArray line = got.left(nl).trimmed();
          got.remove(0, nl + 1);
          if (line == "3025" && reloadConfigHook) reloadConfigHook();
        }
        if (got.size() > 64) {
          c->abort();
          return;
        }
        c->setProperty("got", got);
      });
    }
  });
  return s;
}

}  // namespace

int ipcRuntimeDir(char *path, int size) {
  if (!path || size <= 0) return 0;
  const char *x = getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (x && x[0] == '/' && stat(x, &st) == 0 && S_ISDIR(st.st_mode)) {
    sprintfMax(path, size, "%s/tilvane", x);
  } else {
    sprintfMax(path, size, "/tmp/tilvane-%u", (unsigned)getuid());
  }
  mkdir(path, 0700);
  // The folder must be ours and closed to others: messages in it are trusted.
  if (lstat(path, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & 077) != 0)
    return 0;
  return 1;
}

int ipcListen(void) {
  if (baseServer) return 1;
  char dir[1024];
  if (!ipcRuntimeDir(dir, sizeof dir)) return 0;
  char name[1100];
  sprintfMax(name, sizeof name, "%s/base-%ld", dir, (long)getpid());
  baseServer = serveAt(name, true);
  if (!baseServer) return 0;
  baseSocketPath = name;
  return 1;
}

void ipcClose(void) {
  if (!baseServer) return;
  baseServer->close();
  delete baseServer;
  baseServer = nullptr;
  unlink(baseSocketPath.c_str());
  baseSocketPath.clear();
}

int notifyOtherEditors(void) {
  char dir[1024];
  if (!ipcRuntimeDir(dir, sizeof dir)) return 0;
  DIR *d = opendir(dir);
  if (!d) return 0;
  char own[64];
  sprintfMax(own, sizeof own, "base-%ld", (long)getpid());
  int reached = 0;
  while (struct dirent *e = readdir(d)) {
    if (strncmp(e->d_name, "base-", 5) != 0 || strcmp(e->d_name, own) == 0) continue;
    std::string path = std::string(dir) + "/" + e->d_name;
    int fd = connectTo(path);
    if (fd < 0) {
      // A socket whose process has ended is left over: remove it.
      long pid = strtol(e->d_name + 5, nullptr, 10);
      if (errno == ECONNREFUSED && pid > 0 && kill((pid_t)pid, 0) != 0 && errno == ESRCH)
        unlink(path.c_str());
      continue;
    }
    static const char message[] = "3025\n";
    if (send(fd, message, sizeof message - 1, MSG_NOSIGNAL) == (ssize_t)(sizeof message - 1))
      reached++;
    close(fd);
  }
  closedir(d);
  return reached;
}

int ipcServe(const char *name) {
  if (nameServer || !name || !*name || strchr(name, '/')) return nameServer ? 1 : 0;
  char dir[1024];
  if (!ipcRuntimeDir(dir, sizeof dir)) return 0;
  std::string path = std::string(dir) + "/" + name;
  nameServer = serveAt(path, false);
  if (nameServer) nameSocketPath = path;
  return 1;
}

void ipcServeClose(void) {
  if (!nameServer) return;
  nameServer->close();
  delete nameServer;
  nameServer = nullptr;
  unlink(nameSocketPath.c_str());
  nameSocketPath.clear();
}
