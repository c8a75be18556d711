// browser_ui.cpp: the web-page selection: a strip with Back, Forward, Reload
// and the selection above an embedded browser started on the current link (or
// the open page's folder). The selection keeps the link as given until the
// user goes to another page, then follows the pages the user loads (a local
// file as a link relative to the open page); where a page's own script goes is
// never offered. Return in it goes to the address typed; OK takes it. The
// browser keeps nothing between uses, lets a local page read no other file and
// reach no remote address, and grants a page no permission. Without Qt
// WebEngine in the build, the selection is refused with "Can't Browse Web
// Pages".
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
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
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>
#endif

#include <cstring>

#include "app/browser.h"
#include "ui/shell_ui.h"
#include "editor/props.h"
#include "html/document.h"
#include "platform/strhack.h"

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

// Addresses a page on the user's disk may go to on its own: files and data
// made in the page itself.
bool localAddress(const QUrl &u) {
  const QString scheme = u.scheme();
  return u.isLocalFile() || scheme == QLatin1String("data") || scheme == QLatin1String("blob") ||
         scheme == QLatin1String("about");
}

// The selection's page: tells the navigations the user asks for (an address
// typed, Back, Forward, Reload from the strip, a link or form followed with a
// click or key in the page) from those a page's own script or markup starts
// (a script setting the location or clicking a link itself, a refresh, a
// redirect once the page is shown). Only a user's navigation that loads
// offers its page; a page on the user's disk is not let go to a remote
// address on its own.
class PickerPage : public QWebEnginePage {
 public:
  // How long after the strip's request, or a click or key in the page, the
  // navigation it starts counts as the user's: as long as the engine lets a
  // page act on a click. A request the engine never began is forgotten after.
  static const int allowanceMs = 5000;

  PickerPage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent) {}

  // The strip asks for a navigation of this kind next (Typed for an address,
  // BackForward, Reload).
  void expect(NavigationType type) {
    expected_ = type;
    asked_.start();
  }
  // A click or key press in the page.
  void userInput(void) { input_.start(); }

  // The main frame's navigation in progress (or last finished) is the user's.
  bool userNavigation = false;
  // A file the user's click leads to, loaded again as the user's request.
  QUrl again;
  // A navigation is in progress (to navigationUrl, after any redirect), and
  // whether it shows its page yet.
  QUrl navigationUrl;
  bool navigating = false;
  bool committed = false;

  // A change of address within the page shown (an anchor): the user's when
  // the strip asked for it or it follows the user's click or key.
  bool userSameDocument(void) {
    const bool user = recent(asked_) || recent(input_);
    asked_.invalidate();
    input_.invalidate();
    return user;
  }

 protected:
  bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override {
    if (!isMainFrame) return true;
    bool user = false;
    switch (type) {
      case NavigationTypeTyped:
      case NavigationTypeBackForward:
      case NavigationTypeReload:
        user = recent(asked_) && expected_ == type;
        asked_.invalidate();
        break;
      case NavigationTypeLinkClicked:
      case NavigationTypeFormSubmitted:
        user = recent(input_);
        input_.invalidate();
        // The engine lets no page on the user's disk open another file; the
        // user's own click on a link to one is made again as the user's
        // request (once this refused one has finished).
        if (user && url.isLocalFile() && this->url().isLocalFile()) {
          again = url;
          return false;
        }
        break;
      case NavigationTypeRedirect:
        // The server's answer to the user's request stays the user's; a
        // refresh or a script's move once the page is shown does not.
        user = navigating && userNavigation && !committed;
        break;
      default:
        break;
    }
    // A page on the user's disk takes the browser to a remote address only
    // when the user goes there.
    if (!user && this->url().isLocalFile() && !localAddress(url)) return false;
    userNavigation = user;
    navigationUrl = url;
    navigating = true;
    committed = false;
    return true;
  }

 private:
  static bool recent(const QElapsedTimer &t) { return t.isValid() && t.elapsed() < allowanceMs; }

  NavigationType expected_ = NavigationTypeTyped;
  QElapsedTimer asked_, input_;
};

// Marks clicks and key presses that reach the browser's widgets as the user's.
class InputWatch : public QObject {
 public:
  InputWatch(QWebEngineView *view, PickerPage *page) : QObject(view), view_(view), page_(page) {}

 protected:
  bool eventFilter(QObject *o, QEvent *e) override {
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease && t != QEvent::KeyPress &&
        t != QEvent::TouchEnd)
      return false;
    if (!o->isWidgetType()) return false;
    QWidget *w = static_cast<QWidget *>(o);
    if (w == view_ || view_->isAncestorOf(w)) page_->userInput();
    return false;
  }

 private:
  QWebEngineView *view_;
  PickerPage *page_;
};

// Return in the selection goes to the address typed there; it does not press OK.
class ReturnNavigates : public QObject {
 public:
  ReturnNavigates(QLineEdit *edit, QWebEngineView *view, PickerPage *page)
      : QObject(edit), edit_(edit), view_(view), page_(page) {}

 protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent *>(e)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const QString typed = edit_->text().trimmed();
    if (!typed.isEmpty()) {
      const QUrl u = linkAddress(typed);
      page_->expect(QWebEnginePage::NavigationTypeTyped);
      view_->load(u.isValid() ? u : QUrl::fromUserInput(typed));
    }
    return true;
  }

 private:
  QLineEdit *edit_;
  QWebEngineView *view_;
  PickerPage *page_;
};

// Settings of the selection's private profile: a local page reads no other
// file and reaches no remote address; no plug-ins, pop-ups, clipboard, full
// screen, screen capture, dropped files or handing unknown schemes to other
// programs.
void pickerSettings(QWebEngineSettings *s) {
  s->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
  s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
  s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
  s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
  s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}

// Every request of a page for more rights is refused without asking.
void refuseRequests(QWebEnginePage *page) {
  QObject::connect(page, &QWebEnginePage::featurePermissionRequested, page,
                   [page](const QUrl &origin, QWebEnginePage::Feature feature) {
                     page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
                   });
  QObject::connect(page, &QWebEnginePage::quotaRequested, page, [](QWebEngineQuotaRequest r) { r.reject(); });
  QObject::connect(page, &QWebEnginePage::fullScreenRequested, page,
                   [](QWebEngineFullScreenRequest r) { r.reject(); });
  QObject::connect(page, &QWebEnginePage::registerProtocolHandlerRequested, page,
                   [](QWebEngineRegisterProtocolHandlerRequest r) { r.reject(); });
  QObject::connect(page, &QWebEnginePage::fileSystemAccessRequested, page,
                   [](QWebEngineFileSystemAccessRequest r) { r.reject(); });
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
  // when the dialog ends; the profile is off the record and keeps nothing.
  QWebEngineView *view = new QWebEngineView(&dlg);
  view->setObjectName(QStringLiteral("browser"));
  QWebEngineProfile *profile = new QWebEngineProfile(&dlg);
  profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  profile->setSpellCheckEnabled(false);
  pickerSettings(profile->settings());
  PickerPage *page = new PickerPage(profile, view);
  pickerSettings(page->settings());
  refuseRequests(page);
  view->setPage(page);
  top->addWidget(view, 1);
  qApp->installEventFilter(new InputWatch(view, page));
  selection->installEventFilter(new ReturnNavigates(selection, view, page));
  QObject::connect(back, &QPushButton::clicked, view, [view, page]() {
    if (!view->history()->canGoBack()) return;
    page->expect(QWebEnginePage::NavigationTypeBackForward);
    view->back();
  });
  QObject::connect(forward, &QPushButton::clicked, view, [view, page]() {
    if (!view->history()->canGoForward()) return;
    page->expect(QWebEnginePage::NavigationTypeBackForward);
    view->forward();
  });
  QObject::connect(reload, &QPushButton::clicked, view, [view, page]() {
    page->expect(QWebEnginePage::NavigationTypeReload);
    view->reload();
  });

  // The selection keeps the link as the caller gave it while the browser
  // shows the page it started on, and follows the pages the user loads.
  const QUrl start = startAddress(link);
  auto offer = [selection, start, link](const QUrl &u) {
    if (samePage(u, start))
      selection->setText(link);
    else if (pageAddress(u.toString(QUrl::FullyEncoded)))
      selection->setText(offeredLink(u));
  };
  QObject::connect(page, &QWebEnginePage::urlChanged, selection,
                   [view, page, back, forward, offer](const QUrl &u) {
                     back->setEnabled(view->history()->canGoBack());
                     forward->setEnabled(view->history()->canGoForward());
                     if (page->navigating) {
                       page->committed = true;
                       return;
                     }
                     // No navigation in progress: an anchor within the page.
                     if (page->userSameDocument()) offer(u);
                   });
  // A load that ends: the navigation in progress (a load that ends after
  // another has begun is left alone), or a click to a file made again.
  QObject::connect(page, &QWebEnginePage::loadingChanged, selection,
                   [view, page, offer](const QWebEngineLoadingInfo &info) {
                     if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
                     if (!page->again.isEmpty() && info.url() == page->again) {
                       page->again.clear();
                       page->expect(QWebEnginePage::NavigationTypeTyped);
                       view->load(info.url());
                       return;
                     }
                     if (!page->navigating || info.url() != page->navigationUrl) return;
                     const bool user = page->userNavigation;
                     page->navigating = false;
                     page->userNavigation = false;
                     if (user && info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage())
                       offer(info.url());
                   });
  back->setEnabled(false);
  forward->setEnabled(false);
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);

  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect r = screen->availableGeometry();
    dlg.resize(r.width() * 9 / 10, r.height() * 9 / 10);
  }
  page->expect(QWebEnginePage::NavigationTypeTyped);
  view->load(start);
  int result = dlg.exec();
  view->stop();
  if (result != QDialog::Accepted) return -1;
  strcpyMax(buffer, size, selection->text().toUtf8().constData());
  return 0;
#endif
}
