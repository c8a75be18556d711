// artwork_write: writes the logo and the icons the program draws into a
// folder (resources/ of the tree): tilvane.jpg and icons/tilvane-SIZE.png.
// Not a test; run it after changing the artwork.
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

#include "app/artwork.h"

int main(int count, char **words) {
  QGuiApplication app(count, words);
  if (count < 2) {
    std::fprintf(stderr, "usage: artwork_write FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(words[1]);
  if (!logoPicture().save(folder + QStringLiteral("/tilvane.jpg"), "JPEG", 92)) return 1;
  for (int s : {16, 22, 24, 32, 48, 64, 128, 256})
    if (!iconPicture(s).save(folder + QStringLiteral("/icons/tilvane-%1.png").arg(s), "PNG")) return 1;
  return 0;
}
