// browser_ui.cpp: the web-page selection: a strip with the selection above an
// embedded browser started on the current link. The selection follows the
// address of the page shown; OK takes it. Without Qt WebEngine in the build,
// the selection is refused with "Can't Browse Web Pages".
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#ifdef TILVANE_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#endif

#include <cstring>

#include "app/browser.h"
#include "app/shell_ui.h"
#include "html/document.h"
#include "html/strhack.h"

namespace {

// Addresses that name a page shown by the browser.
bool pageAddress(const QString &s) {
  return s.startsWith(QLatin1String("http:")) || s.startsWith(QLatin1String("ftp:")) ||
         s.startsWith(QLatin1String("https:")) || s.startsWith(QLatin1String("file:"));
}

#ifdef TILVANE_HAVE_WEBENGINE
// Where the browser starts: the link itself when it is an address; a relative
// link resolved against the open page's folder; nothing for an empty link.
QUrl startAddress(const QString &link) {
  if (link.isEmpty()) return QUrl(QStringLiteral("about:blank"));
  if (pageAddress(link)) return QUrl(link, QUrl::TolerantMode);
  if (mapfilename && mapfilename[0]) {
    return QUrl::fromLocalFile(QString::fromLocal8Bit(mapfilename))
        .resolved(QUrl(link, QUrl::TolerantMode));
  }
  return QUrl::fromUserInput(link);
}
#endif

}  // namespace

int urlBrowseAvailable(void) {
#ifdef TILVANE_HAVE_WEBENGINE
  return 1;
#else
  return 0;
#endif
}

int urlBrowseRun(const char *title, char *buffer, int size) {
#ifndef TILVANE_HAVE_WEBENGINE
  (void)title;
  (void)buffer;
  (void)size;
  return urlBrowseUnavailable(nullptr);
#else
  if (!buffer || size <= 0) return -1;
  QDialog dlg(nullptr);
  dlg.setObjectName(QStringLiteral("urlbrowse"));
  dlg.setWindowTitle(QString::fromUtf8(title ? title : ""));
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  QLabel *intro = new QLabel(QStringLiteral("Using the web browser below, access the web page "
                                            "you wish to select. Then click OK to save your "
                                            "selection."),
                             &dlg);
  intro->setWordWrap(true);
  top->addWidget(intro);
  QHBoxLayout *strip = new QHBoxLayout;
  strip->addWidget(new QLabel(QStringLiteral("Current Selection:"), &dlg));
  QLineEdit *selection = new QLineEdit(QString::fromUtf8(buffer), &dlg);
  selection->setObjectName(QStringLiteral("27000"));
  strip->addWidget(selection, 1);
  QPushButton *ok = new QPushButton(QStringLiteral("OK"), &dlg);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  QPushButton *cancel = new QPushButton(QStringLiteral("Cancel"), &dlg);
  cancel->setObjectName(QStringLiteral("2"));
  strip->addWidget(ok);
  strip->addWidget(cancel);
  top->addLayout(strip);

  // The view is made before its profile so that it (and its page) goes first
  // when the dialog ends; the profile keeps nothing on disk.
  QWebEngineView *view = new QWebEngineView(&dlg);
  view->setObjectName(QStringLiteral("browser"));
  QWebEngineProfile *profile = new QWebEngineProfile(&dlg);
  view->setPage(new QWebEnginePage(profile, view));
  top->addWidget(view, 1);

  QObject::connect(view, &QWebEngineView::urlChanged, selection, [selection](const QUrl &u) {
    QString s = u.toString(QUrl::FullyEncoded);
    if (pageAddress(s)) selection->setText(s);
  });
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);

  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect r = screen->availableGeometry();
    dlg.resize(r.width() * 9 / 10, r.height() * 9 / 10);
  }
  view->load(startAddress(QString::fromUtf8(buffer)));
  int result = dlg.exec();
  view->stop();
  if (result != QDialog::Accepted) return -1;
  strcpyMax(buffer, size, selection->text().toUtf8().constData());
  return 0;
#endif
}
