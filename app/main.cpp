// main.cpp: the editor's executable, tilvane: the Qt application, the Qt
// platform table, and the program's start-up, message loop and tear-down.
#include <QApplication>
#include <QStringList>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/frame_ui.h"
#include "platform/platform_qt.h"

namespace {

const char helpText[] =
    "Usage: tilvane [PAGE] [PICTURE] [MAPNAME]\n"
    "       tilvane /new | /open\n"
    "Draws clickable hotspots over the pictures of HTML pages.\n"
    "\n"
    "The words may come in any order:\n"
    "  PAGE       the HTML page to open; a page that does not exist yet is made\n"
    "  PICTURE    a GIF, JPEG, PNG or BMP picture: the picture of PAGE to map, or\n"
    "             alone, the picture of a new page\n"
    "  MAPNAME    a word without a dot: the name of the map to edit\n"
    "  /new       start a new page from a picture\n"
    "  /open      choose the page to open\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

}  // namespace

int main(int count, char **words) {
  // --help and --version answer on standard output without a display.
  if (count == 2 && (std::strcmp(words[1], "--help") == 0 || std::strcmp(words[1], "--version") == 0)) {
    std::fputs(words[1][2] == 'h' ? helpText : "tilvane 4.05\n", stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  // The embedded web browser refuses to start its sandbox for the superuser
  // and would take the editor down with it; run it without one in that case.
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication::setApplicationName(QStringLiteral("Tilvane"));
  QApplication::setApplicationVersion(QStringLiteral("4.05"));
  QApplication app(count, words);
  platformQtInstall();
  // The words after the program's name; Qt has taken out its own options.
  const QStringList args = QApplication::arguments();
  QList<QByteArray> local;
  for (int i = 1; i < args.size(); i++) local << args.at(i).toLocal8Bit();
  std::vector<const char *> list;
  for (const QByteArray &a : local) list.push_back(a.constData());
  return runEditor(static_cast<int>(list.size()), list.data());
}
