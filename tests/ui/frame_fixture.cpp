// frame_fixture.cpp: the shared set-up of the frame tests.
#include "tests/ui/frame_fixture.h"

#include <QApplication>
#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QtTest>

#include "ui/frame_ui.h"
#include "ui/menus_ui.h"
#include "platform/settings.h"
#include "ui/toolbar.h"
#include "ui/imagewindow_ui.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform_scripted.h"

namespace frameFixture {

std::vector<int> urlRequests;
const char *urlAnswer = "http://example.com/";
std::vector<int> hints;

namespace {

Qt::MouseButtons held = Qt::NoButton;

void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods,
          int x, int y) {
  QWidget *w = imageView;
  QVERIFY(w);
  const QPointF local(x, y);
  QMouseEvent e(type, local, w->mapToGlobal(local), button, buttons, mods);
  QApplication::sendEvent(w, &e);
}

}  // namespace

void setUp() {
  scriptedInstall();
  settingsDefaults();
  firstNever = 1;
  undoPurge();
  redoPurge();
  ReleaseObjects();
  state = nostate;
  changed = 0;
  scale = 1.0;
  hoffs = voffs = 0;
  lastObjectSelected = -1;
  editingState = editingNone;
  editingSelectionDrag = 0;
  rfactorx = rfactory = 1.0;
  mfactorx = mfactory = 0;
  pointSelectionFree(&psel);
  pointSelectionSetup(&psel);
  paletteSetup(&palette, nullptr);
  urlRequests.clear();
  hints.clear();
  urlAnswer = "http://example.com/";
  held = Qt::NoButton;
  // The offscreen screen is 800 pixels wide, too narrow for the strip and the
  // hotspot list side by side: the frame's own layout is tested without the
  // list, and the list's tests show it.
  hotspotListShown = 0;
  QVERIFY(frameCreate());
  frameKeysInstall();
  seams.url = [](int index, int) {
    urlRequests.push_back(index);
    if (urlAnswer) UrlOK(urlAnswer, "", "", "", "", "", "");
  };
  seams.urlDismiss = [] {};
  seams.firstHint = [](int index, void *) { hints.push_back(index); };
  baseWin->show();
  QVERIFY(QTest::qWaitForWindowExposed(baseWin));
  ReloadLogo();
  settle();
}

void tearDown() {
  undoPurge();
  redoPurge();
  ReleaseObjects();
  pointSelectionFree(&psel);
  hdoc = nullptr;
  state = nostate;
  frameTearDown();
}

void loadPicture(int w, int h) {
  if (id) imageDataDestroy(id);
  QImage *tile = new QImage(w, h, QImage::Format_BGR888);
  tile->fill(QColor(200, 200, 200));
  for (int y = 100; y < 200 && y < h; y++)
    for (int x = 100; x < 200 && x < w; x++) tile->setPixelColor(x, y, QColor(0, 0, 200));
  id = imageDataCreateFromHBITMAP(tile);
  sx = displayWidth = w;
  sy = displayHeight = h;
  viewInvalidate();
  ReleaseObjects();
  objectsSetup();
  objectsEnsure(0);
  undoPurge();
  redoPurge();
  scale = 1.0;
  Zoomout(2);
  SizeWindows();
  SizeWindows();
  resetScroll();
  settle();
  changed = 0;
  sensitivity(1);
}

void press(int x, int y, Qt::KeyboardModifiers mods) {
  held |= Qt::LeftButton;
  send(QEvent::MouseButtonPress, Qt::LeftButton, held, mods, x, y);
}

void move(int x, int y, bool leftHeld, Qt::KeyboardModifiers mods) {
  send(QEvent::MouseMove, Qt::NoButton, leftHeld ? Qt::LeftButton : Qt::NoButton, mods, x, y);
}

void release(int x, int y, Qt::KeyboardModifiers mods) {
  held &= ~Qt::LeftButton;
  send(QEvent::MouseButtonRelease, Qt::LeftButton, held, mods, x, y);
}

void click(int x, int y, Qt::KeyboardModifiers mods) {
  press(x, y, mods);
  release(x, y, mods);
}

void drag(int x1, int y1, int x2, int y2, Qt::KeyboardModifiers mods) {
  press(x1, y1, mods);
  const int steps = 6;
  for (int i = 1; i <= steps; i++) move(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps, true, mods);
  release(x2, y2, mods);
}

void doubleClick(int x, int y, Qt::KeyboardModifiers mods) {
  press(x, y, mods);
  release(x, y, mods);
  send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, mods, x, y);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, mods, x, y);
}

void rightClick(int x, int y) {
  send(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::NoModifier, x, y);
  send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, Qt::NoModifier, x, y);
}

void key(int k, Qt::KeyboardModifiers mods, const QString &text) {
  QTest::keyClick(imageView, static_cast<Qt::Key>(k), mods);
  (void)text;
  settle();
}

void toolbarClick(unsigned id) {
  int x = tb->xoffs;
  for (int i = 0; i < tb->itemsTotal; i++) {
    if (tb->items[i].ui == id) {
      QWidget *strip = baseWin->centralWidget();
      QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(x + tb->items[i].width / 2, 10));
      settle();
      return;
    }
    x += tb->items[i].width;
  }
  QFAIL("no such button");
}

void menu(unsigned id) {
  QAction *a = menusAction(id);
  QVERIFY(a);
  if (a->isEnabled()) a->trigger();
  settle();
}

void settle() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

bool buttonEnabled(unsigned id) {
  for (int i = 0; i < tb->itemsTotal; i++)
    if (tb->items[i].ui == id) return (tb->items[i].enabled & (MF_GRAYED | MF_DISABLED)) == 0;
  return false;
}

unsigned rgb(int r, int g, int b) { return (unsigned)r | ((unsigned)g << 8) | ((unsigned)b << 16); }

unsigned pixel(int x, int y) {
  if (!hbDouble) return 0xFFFFFFFFu;
  const QRgb p = hbDouble->pixel(x, y);
  return rgb(qRed(p), qGreen(p), qBlue(p));
}

}  // namespace frameFixture
