// main.cpp: the editor's executable, tilvane: the Qt application, the Qt
// platform table, and the program's start-up, message loop and tear-down.
#include <QApplication>
#include <QStringList>
#include <QtGlobal>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/frame_ui.h"
#include "platform/platform_qt.h"

namespace {

const char helpText[] =
    "Usage: tilvane [PAGE] [PICTURE] [MAPNAME]\n"
    "       tilvane /new | /open\n"
    "Draws clickable hotspots over the pictures of HTML pages.\n"
    "\n"
    "The words may come in any order:\n"
    "  PAGE       the HTML page to open; a page that does not exist yet is made\n"
    "  PICTURE    a GIF, JPEG, PNG, BMP, WebP, AVIF or SVG picture: the picture of\n"
    "             PAGE to map (named as its src, or by its path), or\n"
    "             alone, the picture of a new page\n"
    "  MAPNAME    a word without a dot: the name of the map to edit\n"
    "  /new       start a new page from a picture\n"
    "  /open      choose the page to open\n"
    "  -h, --help show this text and exit\n"
    "  --version  show the version and exit\n";

const char noDisplayText[] =
    "tilvane: no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY works)\n";

// Whether a window can be asked for at all: a platform named in
// QT_QPA_PLATFORM, or a display of either kind.
bool displayNamed(void) {
  for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char *v = std::getenv(name);
    if (v && *v) return true;
  }
  return false;
}

QtMessageHandler qtMessageOutput = nullptr;
bool applicationMade = false;

// What Qt says while the application is being made, held back until it is.
struct heldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};
std::vector<heldMessage> heldMessages;

// Qt ends the program when no window system answers while the application is
// made; the program then says so in one line, instead of what Qt said on the
// way, and ends with status 1, as for a display that is not named. Every other
// message goes out as Qt writes it.
void messageOutput(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  if (!applicationMade) {
    if (type == QtFatalMsg) {
      std::fputs(noDisplayText, stderr);
      std::fflush(stderr);
      _exit(1);
    }
    heldMessages.push_back({type, QByteArray(context.category ? context.category : "default"), message});
    return;
  }
  if (qtMessageOutput) qtMessageOutput(type, context, message);
}

void applicationReady(void) {
  applicationMade = true;
  for (const heldMessage &m : heldMessages) {
    const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
    if (qtMessageOutput) qtMessageOutput(m.type, context, m.text);
  }
  heldMessages.clear();
}

}  // namespace

int main(int count, char **words) {
  // --help and --version answer on standard output without a display.
  if (count == 2 && (std::strcmp(words[1], "--help") == 0 || std::strcmp(words[1], "-h") == 0 ||
                     std::strcmp(words[1], "--version") == 0)) {
    std::fputs(std::strcmp(words[1], "--version") == 0 ? "tilvane 4.05\n" : helpText, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (!displayNamed()) {
    std::fputs(noDisplayText, stderr);
    return 1;
  }
  qtMessageOutput = qInstallMessageHandler(messageOutput);
  // The embedded web browser refuses to start its sandbox for the superuser
  // and would take the editor down with it; run it without one in that case.
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication::setApplicationName(QStringLiteral("Tilvane"));
  QApplication::setApplicationVersion(QStringLiteral("4.05"));
  QApplication app(count, words);
  applicationReady();
  platformQtInstall();
  // The words after the program's name; Qt has taken out its own options.
  const QStringList args = QApplication::arguments();
  QList<QByteArray> local;
  for (int i = 1; i < args.size(); i++) local << args.at(i).toLocal8Bit();
  std::vector<const char *> list;
  for (const QByteArray &a : local) list.push_back(a.constData());
  return runEditor(static_cast<int>(list.size()), list.data());
}
