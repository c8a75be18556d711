// frame_ui.cpp: the frame window, start-up, the message loop, tear-down and the
// dispatch of commands. Owns baseWin, imageWin, tb,
// helpFilterFunc, nextClipboardWin, ghDlgModelessOpen, ghDlgModelessUrl,
// ghDlgModelessUrlDefault.
#include "ui/frame_ui.h"

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ui/about_ui.h"
#include "app/artwork.h"
#include "app/browser.h"
#include "app/commands.h"
#include "app/datadir.h"
#include "workflow/dialogfolder.h"
#include "app/ipc.h"
#include "ui/menus_ui.h"
#include "app/prefs.h"
#include "workflow/recent.h"
#include "platform/settings.h"
#include "ui/shell_ui.h"
#include "app/startup.h"
#include "ui/toolbar.h"
#include "app/update.h"
#include "ui/checkmap_ui.h"
#include "ui/hotspotlist_ui.h"
#include "editor/editops.h"
#include "ui/imagewindow_ui.h"
#include "editor/modes.h"
#include "image/loaders.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "editor/clipboard.h"
#include "ui/propsdialog_ui.h"
#include "editor/clientmap.h"
#include "ui/docdialogs_ui.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "editor/servermap.h"
#include "platform/strhack.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

QMainWindow *baseWin = nullptr;
QWidget *imageWin = nullptr;
toolbar *tb = nullptr;
QObject *helpFilterFunc = nullptr;
QObject *nextClipboardWin = nullptr;
QWidget *ghDlgModelessOpen = nullptr;
QWidget *ghDlgModelessUrl = nullptr;
QWidget *ghDlgModelessUrlDefault = nullptr;

namespace {

const char noticeText[] =
    "Tilvane version 4.0 contains major changes. While these changes greatly improve the program, "
    "they may be confusing for experienced Tilvane users. If you are a returning user, we strongly "
    "encourage you to read the Tilvane 4.0 release notes before you continue.\r\n\r\nHowever, if you "
    "choose not to read them now, you can access them later by selecting \"Contents\" from the Help "
    "menu.\r\n\r\nDo you want to read about the changes in version 4.0 (and up) before continuing?";
const char productTitle[] = "Tilvane 4.05";


const QEvent::Type commandEventType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type quitEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// A posted message with its one parameter.
class frameMessage : public QEvent {
 public:
  frameMessage(QEvent::Type t, int v) : QEvent(t), value(v) {}
  int value;
};

int quitReceived = 0;     // the quit message has been taken out
int quitCode = 0;

// The frame's client area: the toolbar strip on top, the image window below.
class FrameClient : public QWidget {
 public:
  explicit FrameClient(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frameClient"));
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  bool event(QEvent *e) override {
    if (tb) {
      const unsigned id = toolbarEvent(tb, e);
      if (id) framePostCommand(id);
      if (e->type() == QEvent::Paint) return true;
    }
    return QWidget::event(e);
  }
  void resizeEvent(QResizeEvent *) override {
    if (imageWin) {
      int h = height() - frameToolbarStrip;
      imageWin->setGeometry(0, frameToolbarStrip, width(), h > 0 ? h : 0);
    }
  }
};

class FrameWindow : public QMainWindow {
 public:
  FrameWindow() {
    setObjectName(QStringLiteral("tilvaneBase"));
    setWindowTitle(QStringLiteral("Tilvane"));
    setAcceptDrops(true);
    // The title marks unsaved changes ("*" where the title has "[*]").
    QTimer *modified = new QTimer(this);
    QObject::connect(modified, &QTimer::timeout, this, [this] {
      if (isWindowModified() != (changed != 0)) setWindowModified(changed != 0);
    });
    modified->start(250);
  }

 protected:
  // One page or picture file may be dropped; anything else is refused
  // quietly (the pointer shows that it cannot be dropped).
  static QString droppedPath(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile()) return {};
    const QString path = data->urls().first().toLocalFile();
    return droppedFileKind(path.toLocal8Bit().constData()) == droppedRefused ? QString() : path;
  }
  void dragEnterEvent(QDragEnterEvent *e) override {
    if (!droppedPath(e->mimeData()).isEmpty()) e->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent *e) override {
    if (!droppedPath(e->mimeData()).isEmpty()) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent *e) override {
    const QString path = droppedPath(e->mimeData());
    if (path.isEmpty() || opening) return;
    e->acceptProposedAction();
    // Opened once the drop is over, so that the drag source is not held by
    // the questions and dialogs of the opening.
    const QByteArray name = path.toLocal8Bit();
    QTimer::singleShot(0, this, [name] { documentOpenDropped(name.constData()); });
  }

  bool event(QEvent *e) override {
    const int type = e->type();
    if (type == commandEventType) {
      frameCommand(static_cast<unsigned>(static_cast<frameMessage *>(e)->value));
      return true;
    }
    if (type == quitEventType) {
      quitCode = static_cast<frameMessage *>(e)->value;
      quitReceived = 1;
      QCoreApplication::exit(quitCode);
      return true;
    }
    switch (type) {
      case contextHelpMessage:
        frameContextHelp();
        return true;
      case reloadConfigMessage:
        reloadConfigReceived();
        return true;
      case updateResultMessage:
        updateResultReceived(static_cast<frameMessage *>(e)->value);
        return true;
      case QEvent::Move:
        if (tb) tooltipHide(tb);
        break;
      case QEvent::WindowDeactivate:
        if (tb) tooltipHide(tb);
        break;
      case QEvent::WindowStateChange: {
        const Qt::WindowStates was = static_cast<QWindowStateChangeEvent *>(e)->oldState();
        const bool now = isMaximized();
        if (now) {
          maximized = 1;
        } else if (was & Qt::WindowMaximized) {
          maximized = 0;
          if (newImage) {
            SizeWindows();
            newImage = 0;
          }
        }
        break;
      }
      default:
        break;
    }
    return QMainWindow::event(e);
  }

  void closeEvent(QCloseEvent *e) override {
    // The window stays until tear-down; closing asks about unsaved changes.
    e->ignore();
    if (Close(0)) TilvaneShutdown();
  }
};

// F1 in a dialog or a menu posts contextHelpMessage; the key goes on.
class HelpFilter : public QObject {
 protected:
  bool eventFilter(QObject *obj, QEvent *e) override {
    if (e->type() != QEvent::KeyPress) return false;
    QKeyEvent *k = static_cast<QKeyEvent *>(e);
    if (k->key() != Qt::Key_F1 || !baseWin) return false;
    QWidget *w = qobject_cast<QWidget *>(obj);
    if (!w) return false;
    QWidget *top = w->window();
    if (top == baseWin) return false;  // the frame's own F1 is the Contents command
    // The key is offered to the focus widget and then to its parents: it is
    // taken once, at the focus widget, or at the window when the focus lies
    // elsewhere (a menu has none of its own).
    QWidget *focus = QApplication::focusWidget();
    const bool first = (w == focus) || (w == top && (!focus || focus->window() != top));
    if (!first) return false;
    const int code = qobject_cast<QMenu *>(top) ? 2 : 0;
    framePostMessage(contextHelpMessage, code);
    return false;
  }
};

// When a modal dialog closes and no window has the keyboard, the window it
// was opened over gets it back, as a window manager would give it; without
// one, the accelerators would stay dead until the next click.
class FocusReturn : public QObject {
 protected:
  bool eventFilter(QObject *obj, QEvent *e) override {
    if (e->type() != QEvent::Hide) return false;
    QDialog *dialog = qobject_cast<QDialog *>(obj);
    if (!dialog || !dialog->isWindow() || !dialog->isModal()) return false;
    QWidget *owner = dialog->parentWidget() ? dialog->parentWidget()->window() : baseWin;
    if (!owner || owner == dialog) return false;
    QTimer::singleShot(0, owner, [owner] {
      if (!QApplication::activeWindow() && owner->isVisible()) owner->activateWindow();
    });
    return false;
  }
};

QObject *focusReturnFilter = nullptr;

// The status bar: where the pointer is in the picture, the selection's box or
// point, and the zoom. The pointer's label changes alone at each move; the
// other two follow the hotspotsChanged seam once per turn of the event loop.
QLabel *statusPointer = nullptr, *statusSelection = nullptr, *statusZoom = nullptr;
QTimer *statusTimer = nullptr;

QLabel *statusLabel(const char *name, int minChars) {
  QLabel *l = new QLabel(baseWin->statusBar());
  l->setObjectName(QString::fromLatin1(name));
  l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QLatin1Char('0')) * minChars);
  return l;
}

void statusSet(QLabel *l, const QString &text) {
  if (l && l->text() != text) l->setText(text);
}

void statusPointerShow(void) {
  QString text;
  if (objects && imagePointerInside) {
    const int x = imageXFromWindow(imagePointerX), y = imageYFromWindow(imagePointerY);
    if (x >= 0 && y >= 0 && x < sx && y < sy) text = QStringLiteral("%1, %2").arg(x).arg(y);
  }
  statusSet(statusPointer, text);
}

void statusRefresh(void) {
  char selection[128];
  selectionDescribe(selection, sizeof selection);
  statusSet(statusSelection, objects ? QString::fromUtf8(selection) : QString());
  statusSet(statusZoom, objects ? QStringLiteral("%1%").arg(qRound(scale * 100)) : QString());
  statusPointerShow();
}

void statusCreate(void) {
  QStatusBar *bar = baseWin->statusBar();
  bar->setObjectName(QStringLiteral("statusBar"));
  statusPointer = statusLabel("statusPointer", 12);
  statusSelection = statusLabel("statusSelection", 22);
  statusZoom = statusLabel("statusZoom", 6);
  bar->addWidget(statusPointer);
  bar->addWidget(statusSelection, 1);
  bar->addPermanentWidget(statusZoom);
  statusTimer = new QTimer(bar);
  statusTimer->setSingleShot(true);
  QObject::connect(statusTimer, &QTimer::timeout, bar, [] { statusRefresh(); });
}

void frameHotspotsChanged(void) {
  hotspotListSchedule();
  if (statusTimer && !statusTimer->isActive()) statusTimer->start(0);
}

QIcon programIcon(void) {
  QIcon icon;
  for (int s : {16, 22, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(iconPicture(s)));
  return icon;
}

void onClipboardChanged(void) {
  if (state == editing) sensitivity(1);
}

// Loads a JPEG logo file into id; 1 on success. A missing file, or one that
// is no JPEG at all, is passed over without a message.
int loadLogoFile(const char *path) {
  if (!fileExists(path) || fileIsDirectory(path)) return 0;
  {
    FILE *f = wfileOpenRegularStream(path, nullptr);
    if (!f) return 0;
    unsigned char magic[2] = {0, 0};
    const size_t n = std::fread(magic, 1, 2, f);
    std::fclose(f);
    if (n != 2 || magic[0] != 0xFF || magic[1] != 0xD8) return 0;
  }
  wfileInfo info;
  std::memset(&info, 0, sizeof info);
  wfileStruct *in = wfileOpen(path, "rb", &info);
  if (!in) return 0;
  imageData *picture = nullptr;
  const int ok = LoadJpeg(in, nullptr, &palette, &picture);
  wfileClose(in);
  if (!ok || !picture) {
    if (picture) imageDataDestroy(picture);
    return 0;
  }
  id = picture;
  return 1;
}

// The menu bar's height when the frame is width wide.
int menuBarHeight(int width) {
  QMenuBar *mb = baseWin ? baseWin->menuBar() : nullptr;
  if (!mb || mb->isHidden()) return 0;
  const int h = mb->heightForWidth(width);
  return h > 0 ? h : mb->sizeHint().height();
}

void installHooks(void) {
  imageWindowInstall();
  dialogFolderInstall();
  seams.sizeWindows = frameSizeWindows;
  seams.reloadLogo = frameReloadLogo;
  seams.setTitle = frameSetTitle;
  imagePointerHook = [] {
    if (tb) tooltipHide(tb);
    statusPointerShow();
  };
  seams.hotspotsChanged = frameHotspotsChanged;
  menusCommandHook = frameCommand;
  toolbarPressHook = framePostCommand;
  commandWindows.quit = [] { TilvaneShutdown(); };
  commandWindows.checkMap = [] { checkMapOpen(baseWin); };
  commandWindows.about = [] { about(baseWin, aboutDefaultText); };
  helpWindowHook = helpWindowShow;
  reloadConfigHook = [] { framePostMessage(reloadConfigMessage, 0); };
  updateResultHook = [](int code) { framePostMessage(updateResultMessage, code); };
  docflowInstall();
  recentFileDocument.filenameIsImage = filenameIsImage;
}

}  // namespace

// --- windows -------------------------------------------------------------------


int windowsSetup(void) {
  bgColor = 0x00FFFFFFu;
  blackPen = viewPen{0, 1};
  baseWin = new (std::nothrow) FrameWindow;
  if (!baseWin) return 0;
  baseWin->setWindowTitle(QString::fromUtf8(productTitle));
  baseWin->setWindowIcon(programIcon());
  baseWin->setMenuBar(menusCreate(baseWin));
  FrameClient *client = new FrameClient(baseWin);
  baseWin->setCentralWidget(client);

  tb = toolbarCreate(client, 0, 0);
  if (tb) toolbarAddButtons(tb);
  menusInstall(tb);
  hotspotListCreate(baseWin);
  statusCreate();

  imageWin = imageWindowCreate(client);
  if (!imageWin) return 0;
  imageWin->setGeometry(0, frameToolbarStrip, 0, 0);
  winwidth = winheight = scaledWinWidth = scaledWinHeight = 400;
  const QColor window = imageWin->palette().color(QPalette::Base);
  bgPen = viewPen{static_cast<unsigned>(window.red()) | (static_cast<unsigned>(window.green()) << 8) |
                      (static_cast<unsigned>(window.blue()) << 16),
                  1};

  // A client area 200 by 22 at first: SizeWindows sizes the frame to the
  // picture later.
  baseWin->resize(200, menuBarHeight(200) + frameToolbarStrip);
  moveWindowTo(imageWin, 0, frameToolbarStrip);
  imageView->setFocus();
  return 1;
}

int frameCreate(void) {
  installHooks();
  shellUiInstall();
  createContextMenus();
  if (!windowsSetup()) return 0;
  if (QClipboard *c = QGuiApplication::clipboard()) {
    QObject::connect(c, &QClipboard::dataChanged, baseWin, onClipboardChanged);
    nextClipboardWin = c;
  }
  propsDialogInstall(baseWin);
  docDialogsInstall(baseWin);
  sensitivity(0);
  return 1;
}

void moveWindowTo(QWidget *window, int x, int y) {
  if (window) window->move(x, y);
}

void frameSetTitle(const char *title) {
  if (!baseWin) return;
  // "[*]" is where the unsaved-changes mark goes; one in the title itself is
  // written twice so that it shows as it is.
  QString text = QString::fromLocal8Bit(title ? title : "");
  text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  baseWin->setWindowTitle(text + QStringLiteral("[*]"));
}

void frameSizeWindows(void) {
  if (!baseWin) return;
  // The frame around the client area: the menu bar inside the window, and the
  // decoration the window system adds around it (none before it is shown).
  const QRect outer = baseWin->frameGeometry(), inner = baseWin->geometry();
  int decoW = outer.width() - inner.width(), decoH = outer.height() - inner.height();
  if (decoW < 0 || decoH < 0 || decoW > 200 || decoH > 200) decoW = decoH = 0;
  sizeWindowsFacts f;
  f.toolbarWidth = toolbarWidth(tb);
  const int wanted = (displayWidth > f.toolbarWidth ? displayWidth : f.toolbarWidth);
  f.frameW = decoW;
  f.frameH = decoH + menuBarHeight(wanted);
  // The hotspot list docked beside or above the picture takes its room too.
  if (QStatusBar *bar = baseWin->statusBar(); bar && !bar->isHidden())
    f.frameH += bar->isVisible() ? bar->height() : bar->sizeHint().height();
  // Before the frame is first shown the dock has no size of its own yet.
  if (hotspotListDock && !hotspotListDock->isHidden() && !hotspotListDock->isFloating()) {
    const Qt::DockWidgetArea area = baseWin->dockWidgetArea(hotspotListDock);
    const QSize dock = hotspotListDock->isVisible() ? hotspotListDock->size() : hotspotListDock->sizeHint();
    // The separator between the dock and the client area is the frame's too.
    const int separator = baseWin->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, baseWin);
    if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
      f.frameH += dock.height() + separator;
    else
      f.frameW += dock.width() + separator;
  }
  f.barH = f.barV = baseWin->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  QScreen *screen = baseWin->screen() ? baseWin->screen() : QGuiApplication::primaryScreen();
  const QRect desk = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  f.deskX = desk.x();
  f.deskY = desk.y();
  f.deskW = desk.width();
  f.deskH = desk.height();
  f.winX = decoW ? outer.x() : inner.x();
  f.winY = decoH ? outer.y() : inner.y();
  int x, y, w, h;
  if (!sizeWindowsCompute(&f, &x, &y, &w, &h)) {
    if (imageView) imageView->update();
    return;
  }
  baseWin->resize(w - decoW, h - decoH);
  baseWin->move(x, y);
}

void framePlaceFirst(void) {
  if (!baseWin) return;
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect desk = screen->availableGeometry();
  const QSize size = baseWin->size();
  int x = desk.x() + (desk.width() - size.width()) / 2;
  int y = desk.y() + (desk.height() - size.height()) / 2;
  if (x < desk.x()) x = desk.x();
  if (y < desk.y()) y = desk.y();
  baseWin->move(x, y);
}

void frameWaitPlaced(void) {
  if (!baseWin) return;
  // The window manager maps the frame and adds its decoration some moments
  // after show(); boxes opened before then would be centred over a window
  // that is not there yet. A second is the most this waits. A Wayland
  // compositor places the windows itself and tells the program of no
  // decoration it draws: there the frame's first showing is all there is to
  // wait for.
  const bool compositorPlaces = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    QWindow *w = baseWin->windowHandle();
    const bool exposed = w && w->isExposed();
    const bool decorated = baseWin->frameGeometry() != baseWin->geometry();
    if (exposed && (decorated || compositorPlaces || clock.elapsed() > 250)) break;
    QThread::msleep(5);
  }
}

void frameReloadLogo(void) {
  scale = 1.0;
  Zoomout(2);
  if (id) {
    imageDataDestroy(id);
    id = nullptr;
  }
  char path[1200];
  const char *folder = std::getenv("TILVANE_FILES");
  sprintfMax(path, sizeof path, "%s/tilvane.jpg", folder ? folder : dataDir);
  int ok = loadLogoFile(path);
  if (!ok) {
    // The copy installed with the program.
    char exe[1024];
    if (programFileFolder("tilvane.jpg", exe, sizeof exe)) {
      sprintfMax(path, sizeof path, "%s/tilvane.jpg", exe);
      ok = loadLogoFile(path);
    }
  }
  if (!ok) {
    QImage *picture = new (std::nothrow) QImage(logoPicture().convertToFormat(QImage::Format_BGR888));
    id = picture ? imageDataCreateFromHBITMAP(picture) : nullptr;
  }
  sx = id ? id->width : 0;
  sy = id ? id->height : 0;
  displayWidth = sx;
  displayHeight = sy;
  viewInvalidate();
  SizeWindows();
  SizeWindows();
  resetScroll();
}

// --- messages -----------------------------------------------------------------

void framePostCommand(unsigned id) { framePostMessage(static_cast<int>(commandEventType), static_cast<int>(id)); }

void framePostMessage(int message, int value) {
  QMainWindow *w = baseWin;
  if (w) QCoreApplication::postEvent(w, new frameMessage(static_cast<QEvent::Type>(message), value));
}


void TilvaneShutdown(void) {
  hotspotListRemember();
  saveConfig();
  if (baseWin)
    QCoreApplication::postEvent(baseWin, new frameMessage(quitEventType, 0));
  else
    quitReceived = 1;
}

void frameContextHelp(void) { helpOn(contextHelpTopic()); }

void frameCommand(unsigned id) {
  if (recentFileWmCommand(static_cast<int>(id))) return;
  const commandEntry *c = commandFind(id & 0xFFFFu);
  if (!c || !c->run) return;
  // A tool shows its own hint when it is entered.
  if (c->hint && !c->checkable) FirstHint(c->hint, baseWin);
  c->run(c->id);
}

// --- start-up and tear-down -----------------------------------------------------

void frameTearDown(void) {
  checkMapClose();
  updateCheckWait(2000);
  updateResultHook = nullptr;
  reloadConfigHook = reloadConfigReceived;
  ipcClose();
  if (tb) {
    toolbarDestroy(tb);
    tb = nullptr;
  }
  menusInstall(nullptr);
  if (nextClipboardWin) {
    QObject::disconnect(nextClipboardWin, nullptr, baseWin, nullptr);
    nextClipboardWin = nullptr;
  }
  hotspotListDestroy();
  statusPointer = statusSelection = statusZoom = nullptr;
  statusTimer = nullptr;
  imageWindowDestroy();
  imageWin = nullptr;
  menusDestroy();
  delete baseWin;
  baseWin = nullptr;
  viewRelease();
  programSocketClose();
  if (helpFilterFunc) {
    if (qApp) qApp->removeEventFilter(helpFilterFunc);
    delete helpFilterFunc;
    helpFilterFunc = nullptr;
  }
  if (focusReturnFilter) {
    if (qApp) qApp->removeEventFilter(focusReturnFilter);
    delete focusReturnFilter;
    focusReturnFilter = nullptr;
  }
  if (id) {
    imageDataDestroy(id);
    id = nullptr;
  }
  menusCommandHook = nullptr;
  commandWindows = commandWindowTable();
  helpWindowHook = nullptr;
  imagePointerHook = nullptr;
  platformDialogStartHook = nullptr;
  platformDialogUsedHook = nullptr;
  seamsClear();
}

void frameKeysInstall(void) {
  if (!baseWin) return;
  menusAcceleratorsInstall(baseWin);
  if (!helpFilterFunc && qApp) {
    helpFilterFunc = new HelpFilter;
    qApp->installEventFilter(helpFilterFunc);
  }
  if (!focusReturnFilter && qApp) {
    focusReturnFilter = new FocusReturn;
    qApp->installEventFilter(focusReturnFilter);
  }
}

int runEditor(int count, const char *const *words) {
  char startFolder[4096];
  if (!getcwd(startFolder, sizeof startFolder)) startFolder[0] = 0;
  quitReceived = quitCode = 0;

  sketchR = 255;
  sketchG = 128;
  sketchB = 128;
  programSocketOpen();
  for (unsigned &c : customColors) c = 0x00FFFFFFu;
  if (qApp) {
    qApp->setWindowIcon(programIcon());
    // The desktop entry's name: a Wayland compositor matches the windows to
    // the entry (its name and icon) by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(DESKTOP_ENTRY_ID));
  }
  paletteSetup(&palette, nullptr);
  pointSelectionFree(&psel);
  pointSelectionSetup(&psel);
  if (!frameCreate()) {
    frameTearDown();
    return 0;
  }
  startupTakeTime();
  readConfig();
  frameKeysInstall();
  if (!setDataDir(baseWin)) {
    frameTearDown();
    return 0;
  }
  ipcListen();

  likeRealMainWords(count, words);
  commandLineSlots cmd;
  commandLineClassify(&cmd, startFolder[0] ? startFolder : nullptr);

  // The frame is sized for the logo and placed before it is first shown, so
  // the window manager maps it once, whole and on the screen.
  ReloadLogo();
  framePlaceFirst();
  imageWin->show();
  baseWin->showNormal();
  // The new window takes the keyboard at once, so the accelerators work
  // before the first click.
  baseWin->activateWindow();
  frameWaitPlaced();
  SizeWindows();
  repaint(0);
  recentFileMenuUpdate();

  if (!upgradeNoticeDisplayed) {
    if (platformMessageBox(baseWin, noticeText, "Tilvane 4.0 Is Different - And Better!", MB_YESNO) == IDYES) {
      platformMessageBox(baseWin, "When you click OK the release notes will appear in your web browser.",
                         "Accessing Web Browser", MB_OK);
      helpOn("help_new_4");
    }
    upgradeNoticeDisplayed = 1;
    saveConfig();
  }

  const int action = commandLineAction(&cmd, cmd.document && fileExists(cmd.document));
  int done = 0, startShown = 0;
  switch (action) {
    case startOpenDialog:
      OpenLaunch();
      break;
    case startNewDialog:
      maptype = mapClient;
      New(nullptr, nullptr, nullptr);
      break;
    case startChoose:
      updateCheckTimer();
      WebPageOrImage();
      break;
    case startNewImage:
      done = New(cmd.image, nullptr, cmd.localName);
      break;
    case startNewDocument:
      done = New(cmd.image, cmd.document, cmd.localName);
      break;
    case startOpenDocument:
      maptype = mapClient;
      if (OpenHtmlDocument(cmd.document, cmd.image)) {
        done = Open(imagefilename, cmd.document, cmd.localName);
      } else {
        platformMessageBox(baseWin,
                           "The document specified on the command line is not a valid HTML document or "
                           "image to be mapped.",
                           "Unable To Parse File", MB_OK | MB_ICONWARNING);
        WebPageOrImage();
        startShown = 1;
      }
      break;
  }
  if (action >= startNewImage && !done && !startShown) WebPageOrImage();
  commandLineSlotsFree(&cmd);

  int code = quitCode;
  if (!quitReceived) code = QApplication::exec();
  if (quitReceived) code = quitCode;

  Close(1);
  frameTearDown();
  return code;
}
