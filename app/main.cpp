// main.cpp: the editor's executable, tilvane: the Qt application, the Qt
// platform table, and the program's start-up, message loop and tear-down.
#include <QApplication>
#include <QStringList>

#include <unistd.h>

#include <vector>

#include "app/frame_ui.h"
#include "platform/platform_qt.h"

int main(int count, char **words) {
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
  return WinMain(static_cast<int>(list.size()), list.data());
}
