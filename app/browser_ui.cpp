// browser_ui.cpp: the web-page selection: a strip with Back, Forward, Reload
// and the selection above an embedded browser started on the current link (or
// the open page's folder). The selection keeps the link as given until the
// user goes to another page, then follows the page shown (a local file as a
// link relative to the open page); Return in it goes to the address typed; OK
// takes it. Without Qt WebEngine in the build, the selection is refused with
// "Can't Browse Web Pages".
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#ifdef TILVANE_HAVE_WEBENGINE
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#endif

#include <cstring>

#include "app/browser.h"
#include "app/shell_ui.h"
#include "editor/props.h"
#include "html/document.h"
#include "html/strhack.h"

namespace {

// Addresses that name a page shown by the browser.
bool pageAddress(const QString &s) {
  return s.startsWith(QLatin1String("http:")) || s.startsWith(QLatin1String("ftp:")) ||
         s.startsWith(QLatin1String("https:")) || s.startsWith(QLatin1String("file:"));
}

#ifdef TILVANE_HAVE_WEBENGINE
// The open page's path ("" for a page not saved yet).
QString pagePath(void) { return QString::fromLocal8Bit(mapfilename && mapfilename[0] ? mapfilename : ""); }

// A link as an address: itself when it is one, else resolved against the open
// page; an invalid address when there is no page to resolve it against.
QUrl linkAddress(const QString &link) {
  if (pageAddress(link)) return QUrl(link, QUrl::TolerantMode);
  const QString page = pagePath();
  if (page.isEmpty()) return QUrl::fromUserInput(link);
  return QUrl::fromLocalFile(page).resolved(QUrl(link, QUrl::TolerantMode));
}

// Where the browser starts: the link when it names an address or a file that
// exists beside the page; else (an empty link, or one not found) the listing
// of the page's folder (or its picture's, for a page not saved yet); else a
// blank page.
QUrl startAddress(const QString &link) {
  if (!link.isEmpty()) {
    const QUrl u = linkAddress(link);
    if (u.isValid() && (!u.isLocalFile() || QFileInfo::exists(u.toLocalFile()))) return u;
  }
  // A page not saved yet has no folder of its own: its picture's is used.
  QString page = pagePath();
  if (page.isEmpty() && imagefilename && imagefilename[0] == '/') page = QString::fromLocal8Bit(imagefilename);
  if (!page.isEmpty()) {
    const QString folder = QFileInfo(page).absolutePath();
    if (QFileInfo(folder).isDir()) return QUrl::fromLocalFile(folder + QLatin1Char('/'));
  }
  return QUrl(QStringLiteral("about:blank"));
}

// Two addresses of the same page (the fragment and a trailing "/" aside).
bool samePage(const QUrl &a, const QUrl &b) {
  const QUrl::FormattingOptions f = QUrl::RemoveFragment | QUrl::NormalizePathSegments | QUrl::StripTrailingSlash;
  return a.adjusted(f) == b.adjusted(f);
}

// What the selection offers for a page the user went to: a local file as a
// link relative to the open page, as "Browse Files..." gives it; any other
// address as it is.
QString offeredLink(const QUrl &u) {
  const QString address = u.toString(QUrl::FullyEncoded);
  const QString page = pagePath();
  if (!u.isLocalFile() || page.isEmpty()) return address;
  char link[1024];
  const QByteArray file = u.toLocalFile().toLocal8Bit(), from = page.toLocal8Bit();
  if (!urlRelativeLink(from.constData(), file.constData(), link, sizeof link)) return address;
  QString offered = QString::fromLocal8Bit(link);
  if (offered.isEmpty()) offered = QStringLiteral("./");  // the page's own folder
  if (u.hasFragment()) offered += QLatin1Char('#') + u.fragment(QUrl::FullyEncoded);
  return offered;
}

// Return in the selection goes to the address typed there; it does not press OK.
class ReturnNavigates : public QObject {
 public:
  ReturnNavigates(QLineEdit *edit, QWebEngineView *view) : QObject(edit), edit_(edit), view_(view) {}

 protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent *>(e)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const QString typed = edit_->text().trimmed();
    if (!typed.isEmpty()) {
      const QUrl u = linkAddress(typed);
      view_->load(u.isValid() ? u : QUrl::fromUserInput(typed));
    }
    return true;
  }

 private:
  QLineEdit *edit_;
  QWebEngineView *view_;
};
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
  QPushButton *back = new QPushButton(QStringLiteral("Back"), &dlg);
  back->setObjectName(QStringLiteral("back"));
  QPushButton *forward = new QPushButton(QStringLiteral("Forward"), &dlg);
  forward->setObjectName(QStringLiteral("forward"));
  QPushButton *reload = new QPushButton(QStringLiteral("Reload"), &dlg);
  reload->setObjectName(QStringLiteral("reload"));
  for (QPushButton *b : {back, forward, reload}) {
    b->setAutoDefault(false);
    strip->addWidget(b);
  }
  strip->addWidget(new QLabel(QStringLiteral("Current Selection:"), &dlg));
  const QString link = QString::fromUtf8(buffer);
  QLineEdit *selection = new QLineEdit(link, &dlg);
  selection->setObjectName(QStringLiteral("27000"));
  strip->addWidget(selection, 1);
  QPushButton *ok = new QPushButton(QStringLiteral("OK"), &dlg);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  QPushButton *cancel = new QPushButton(QStringLiteral("Cancel"), &dlg);
  cancel->setObjectName(QStringLiteral("2"));
  cancel->setAutoDefault(false);
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
  selection->installEventFilter(new ReturnNavigates(selection, view));
  QObject::connect(back, &QPushButton::clicked, view, &QWebEngineView::back);
  QObject::connect(forward, &QPushButton::clicked, view, &QWebEngineView::forward);
  QObject::connect(reload, &QPushButton::clicked, view, &QWebEngineView::reload);

  // The selection keeps the link as the caller gave it while the browser
  // shows the page it started on, and follows the pages the user goes to.
  const QUrl start = startAddress(link);
  QObject::connect(view, &QWebEngineView::urlChanged, selection,
                   [selection, view, back, forward, start, link](const QUrl &u) {
                     back->setEnabled(view->history()->canGoBack());
                     forward->setEnabled(view->history()->canGoForward());
                     if (samePage(u, start)) {
                       selection->setText(link);
                       return;
                     }
                     if (pageAddress(u.toString(QUrl::FullyEncoded))) selection->setText(offeredLink(u));
                   });
  back->setEnabled(false);
  forward->setEnabled(false);
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);

  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect r = screen->availableGeometry();
    dlg.resize(r.width() * 9 / 10, r.height() * 9 / 10);
  }
  view->load(start);
  int result = dlg.exec();
  view->stop();
  if (result != QDialog::Accepted) return -1;
  strcpyMax(buffer, size, selection->text().toUtf8().constData());
  return 0;
#endif
}
