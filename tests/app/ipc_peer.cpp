// ipc_peer: a second running process for the tests. It reads the settings,
// listens like the program does, prints "ready", and when told to reload
// prints the outline colour it then has and ends. It ends by itself after 20 s.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

#include "app/ipc.h"
#include "app/prefs.h"
#include "editor/view.h"

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  readConfig();
  if (!ipcListen()) {
    printf("cannot listen\n");
    return 1;
  }
  reloadConfigHook = []() {
    readConfig();
    printf("reloaded sketch=%d,%d,%d\n", sketchR, sketchG, sketchB);
    fflush(stdout);
    QCoreApplication::exit(0);
  };
  printf("ready sketch=%d,%d,%d\n", sketchR, sketchG, sketchB);
  fflush(stdout);
  QTimer::singleShot(20000, []() { QCoreApplication::exit(2); });
  int r = app.exec();
  ipcClose();
  return r;
}
