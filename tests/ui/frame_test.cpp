// The editor's windows driven as a person drives them: the frame's layout, the
// logo, the toolbar and menus and their enable rules, every kind of hotspot
// drawn with the mouse, Test+Edit (clicks with shift and ctrl, the rubber
// band, the handles, point dragging), adding and removing points, aligning,
// undo and redo, zoom and scrolling, context menus, F1 help, the clipboard
// notice, the private messages, and start-up with its one-time notice.
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QDockWidget>
#include <QMainWindow>
#include <QMimeData>
#include <QTableView>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>
#include <functional>
#include <cstdlib>
#include <string>

#include "app/commands.h"
#include "app/datadir.h"
#include "ui/frame_ui.h"
#include "ui/hotspotlist_ui.h"
#include "ui/menus_ui.h"
#include "app/prefs.h"
#include "platform/settings.h"
#include "app/startup.h"
#include "ui/toolbar.h"
#include "app/update.h"
#include "ui/imagewindow_ui.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform_scripted.h"
#include "tests/ui/frame_fixture.h"

using namespace frameFixture;

namespace {

int addRect(double x1, double y1, double x2, double y2) {
  const int i = objectsTotal;
  objectsEnsure(i + 1);
  object *o = &objects[i];
  o->t = rectangle;
  pointsEnsure(o, 2);
  o->points[0] = {x1, y1};
  o->points[1] = {x2, y2};
  o->pointsTotal = 2;
  o->complete = 1;
  objectsTotal++;
  objectsEnsure(objectsTotal);
  return i;
}

int addPolygon(std::initializer_list<FPOINT> pts) {
  const int i = objectsTotal;
  objectsEnsure(i + 1);
  object *o = &objects[i];
  o->t = polygon;
  pointsEnsure(o, (int)pts.size() + 1);
  o->pointsTotal = 0;
  for (const FPOINT &p : pts) o->points[o->pointsTotal++] = p;
  o->complete = 1;
  objectsTotal++;
  objectsEnsure(objectsTotal);
  return i;
}

const unsigned grey = 200 | (200 << 8) | (200u << 16);

// The text of the help stub last handed to the browser.
QString lastHelpPage() {
  if (scripted.addresses.empty()) return QString();
  QFile f(QString::fromStdString(scripted.addresses.back()));
  if (!f.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(f.readAll());
}

// Closes the modal dialog that the next command opens.
void closeNextModal() {
  QTimer::singleShot(0, [] {
    if (QWidget *w = QApplication::activeModalWidget()) w->close();
  });
}

}  // namespace

class FrameTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { setUp(); }
  void cleanup() { tearDown(); }

  void layoutOfTheFrame();
  void logoFromTheFilesFolder();
  void documentCommandsFollowTheDocument();
  void rectangleByDragAndByTwoClicks();
  void circleAndCancel();
  void polygonClosesNearItsFirstVertex();
  void magicWandTracesTheRegion();
  void selectingWithClicksShiftAndCtrl();
  void rubberBandSelectsAndAlignEnables();
  void handlesMoveAndResizeTheSelection();
  void pointDraggingWithShiftSnapsTheAngle();
  void addAndRemovePoints();
  void undoAndRedoByKeys();
  void zoomAndScroll();
  void contextMenus();
  void doubleClicks();
  void helpKeyInDialogsAndFrame();
  void clipboardChangeEnablesPaste();
  void privateMessages();
  void everyCommandReachesItsFunction();
  void maximisedFrameSizesOnRestore();
  void closeBoxEndsTheLoop();
  void startUpShowsTheNoticeOnce();
  void pageOpenedEditedSavedAndClosed();
  void saveGivesUpWhatCouldBeRedone();
  void hotspotListFollowsTheMapAndSelectsBothWays();
  void stackingKeysAndAltClickReachTheCoveredHotspot();
  void statusBarShowsPointerSelectionAndZoom();
};

void FrameTest::layoutOfTheFrame() {
  QCOMPARE(baseWin->windowTitle(), QStringLiteral("Tilvane 4.05"));
  QCOMPARE(baseWin->objectName(), QStringLiteral("tilvaneBase"));
  QCOMPARE(imageWin->objectName(), QStringLiteral("tilvaneImage"));
  // The logo is shown and the frame sized to it (the strip is wider than 480).
  QVERIFY(id);
  QCOMPARE(sx, 480);
  QCOMPARE(sy, 320);
  QWidget *client = baseWin->centralWidget();
  QCOMPARE(client->width(), toolbarWidth(tb));
  QCOMPARE(client->height(), 320 + 22);
  QCOMPARE(imageWin->geometry(), QRect(0, 22, client->width(), client->height() - 22));
  QCOMPARE(toolbarWidth(tb), 666);
  // Assistive tools get the picture view as a named canvas.
  QAccessibleInterface *view = QAccessible::queryAccessibleInterface(imageView);
  QVERIFY(view);
  QCOMPARE(view->role(), QAccessible::Canvas);
  QCOMPARE(view->text(QAccessible::Name), QStringLiteral("Picture and hotspots"));
  // A picture larger than the desktop: the frame stops at the desktop and the
  // image window gets scroll bars.
  loadPicture(3000, 2500);
  const QRect desk = baseWin->screen()->availableGeometry();
  QVERIFY(baseWin->frameGeometry().width() <= desk.width());
  QVERIFY(imageWindowBar(0)->isVisible());
  QVERIFY(imageWindowBar(1)->isVisible());
  QCOMPARE(winwidth, imageView->width());
  QCOMPARE(winheight, imageView->height());
  QCOMPARE(imageView->width() + imageWindowBar(1)->width(), imageWin->width());
}

void FrameTest::logoFromTheFilesFolder() {
  QTemporaryDir dir;
  QImage small(123, 45, QImage::Format_RGB32);
  small.fill(QColor(10, 200, 30));
  QVERIFY(small.save(dir.filePath(QStringLiteral("tilvane.jpg")), "JPEG"));
  qputenv("TILVANE_FILES", dir.path().toLocal8Bit());
  ReloadLogo();
  QCOMPARE(sx, 123);
  QCOMPARE(displayHeight, 45);
  QCOMPARE(scale, 1.0);
  // A file that is no picture: the built-in logo, without a message.
  QFile bad(dir.filePath(QStringLiteral("tilvane.jpg")));
  QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
  bad.write("not a picture");
  bad.close();
  scripted.shown.clear();
  ReloadLogo();
  QCOMPARE(sx, 480);
  QVERIFY(scriptedMessages().empty());
  // Nor does a pipe of that name block the start.
  QVERIFY(QFile::remove(dir.filePath(QStringLiteral("tilvane.jpg"))));
  QCOMPARE(mkfifo(dir.filePath(QStringLiteral("tilvane.jpg")).toLocal8Bit().constData(), 0600), 0);
  alarm(30);
  ReloadLogo();
  alarm(0);
  qunsetenv("TILVANE_FILES");
  QCOMPARE(sx, 480);
  QVERIFY(scriptedMessages().empty());
}

void FrameTest::documentCommandsFollowTheDocument() {
  sensitivity(0);
  for (unsigned idc : {cmdSave, cmdClose, cmdShowTags, cmdRectangle, cmdZoomIn, cmdUndo}) {
    QVERIFY2(!menusEnabled(idc), qPrintable(QString::number(idc)));
    QVERIFY2(!buttonEnabled(idc), qPrintable(QString::number(idc)));
  }
  QVERIFY(!menusEnabled(cmdSaveAs));
  QVERIFY(menusEnabled(cmdNew) && buttonEnabled(cmdNew));
  QVERIFY(menusEnabled(cmdOpen) && menusEnabled(cmdExit) && menusEnabled(cmdPreferences));
  // A disabled button neither presses nor runs its command.
  toolbarClick(cmdRectangle);
  QCOMPARE(state, (int)nostate);
  loadPicture(400, 300);
  for (unsigned idc : {cmdSave, cmdClose, cmdShowTags, cmdRectangle, cmdZoomIn, cmdSaveAs, cmdImport})
    QVERIFY2(menusEnabled(idc), qPrintable(QString::number(idc)));
  QVERIFY(!menusEnabled(cmdUndo));  // nothing to undo yet
  QVERIFY(!menusEnabled(cmdCut) && !buttonEnabled(cmdCut));
  QVERIFY(!menusEnabled(cmdSelectAll));
}

void FrameTest::rectangleByDragAndByTwoClicks() {
  loadPicture(400, 300);
  toolbarClick(cmdRectangle);
  QCOMPARE(state, (int)rectPosition);
  QVERIFY(menusChecked(cmdRectangle));
  drag(20, 20, 120, 80);
  QCOMPARE(objectsTotal, 1);
  QCOMPARE(urlRequests.size(), (size_t)1);
  QCOMPARE(objects[0].t, (int)rectangle);
  QCOMPARE(objects[0].points[1].x, 120.0);
  QCOMPARE(objects[0].points[1].y, 80.0);
  QCOMPARE(QString::fromUtf8(objects[0].url), QStringLiteral("http://example.com/"));
  QCOMPARE(state, (int)rectPosition);  // ready for the next one
  QCOMPARE(changed, 1);
  // Drawn in the sketch colour over the picture.
  QCOMPARE(pixel(20, 50), rgb(255, 128, 128));
  QCOMPARE(pixel(60, 50), grey);
  QVERIFY(menusEnabled(cmdUndo) && buttonEnabled(cmdUndo));
  // A release within 8 pixels of the press keeps the rectangle going; the next
  // click completes it.
  press(200, 150);
  move(205, 154, true);
  release(205, 154);
  QCOMPARE(state, (int)rectDrag);
  move(260, 200, false);
  QCOMPARE(objects[objectsTotal].points[1].x, 260.0);
  click(260, 200);
  QCOMPARE(objectsTotal, 2);
  QCOMPARE(objects[1].points[0].x, 200.0);
}

void FrameTest::circleAndCancel() {
  loadPicture(400, 300);
  key(Qt::Key_E, Qt::ControlModifier);
  QCOMPARE(state, (int)circlePosition);
  QVERIFY(menusChecked(cmdCircle));
  click(300, 150);
  QCOMPARE(state, (int)circleDrag);
  move(330, 150, false);
  QCOMPARE(pixel(270, 150), rgb(255, 128, 128));  // the rim follows the pointer
  key(Qt::Key_Escape);
  QCOMPARE(state, (int)circlePosition);
  QCOMPARE(objectsTotal, 0);
  QCOMPARE(objects[0].t, (int)notype);
  QCOMPARE(pixel(270, 150), grey);
  // Press, drag 20 pixels, release: a circle.
  drag(150, 150, 170, 150);
  QCOMPARE(objectsTotal, 1);
  QCOMPARE(objectRadius(&objects[0]), 20);
  // The dialog's Cancel discards the new shape.
  urlAnswer = nullptr;
  seams.url = [](int index, int) {
    urlRequests.push_back(index);
    UrlCancel();
  };
  drag(50, 50, 80, 50);
  QCOMPARE(objectsTotal, 1);
  QCOMPARE(state, (int)circlePosition);
}

void FrameTest::polygonClosesNearItsFirstVertex() {
  loadPicture(400, 300);
  menu(cmdPolygon);
  QCOMPARE(state, (int)polyPosition);
  click(50, 50);
  click(200, 50);
  // Near the first vertex with only two placed: a third vertex, not a close.
  click(53, 53);
  QCOMPARE(state, (int)polyAddpoints);
  QCOMPARE(objects[0].pointsTotal, 3);
  key(Qt::Key_Escape);
  QCOMPARE(state, (int)polyPosition);
  click(50, 50);
  click(200, 50);
  click(200, 200);
  move(120, 230, false);
  QCOMPARE(pixel(160, 215), rgb(255, 128, 128));  // the edge to the pointer
  click(56, 56);  // 6 pixels away in both: closes
  QCOMPARE(objectsTotal, 1);
  QCOMPARE(objects[0].pointsTotal, 3);
  QCOMPARE(state, (int)polyPosition);
  // The right button closes a polygon of three vertices, not of two.
  click(300, 20);
  click(380, 20);
  rightClick(380, 100);
  QCOMPARE(objectsTotal, 1);
  click(380, 100);
  rightClick(330, 120);
  QCOMPARE(objectsTotal, 2);
  QCOMPARE(objects[1].pointsTotal, 3);
  // At zoom 4 only the first vertex's own pixel closes it.
  menu(cmdZoomIn);
  menu(cmdZoomIn);
  QCOMPARE(scale, 4.0);
  hoffs = voffs = 0;
  repaint(0);
  click(40, 40);
  click(200, 40);
  click(200, 200);
  click(44, 44);  // image pixel 11 against 10: one pixel off
  QCOMPARE(objectsTotal, 2);
  click(40, 40);
  QCOMPARE(objectsTotal, 3);
}

void FrameTest::magicWandTracesTheRegion() {
  loadPicture(400, 300);
  toolbarClick(cmdMagicWand);
  QCOMPARE(state, (int)magicwandPosition);
  click(150, 150);
  QCOMPARE(objectsTotal, 1);
  QCOMPARE(objects[0].t, (int)polygon);
  QVERIFY(objects[0].pointsTotal >= 3);
  const bounds b = objectGetBounds(&objects[0]);
  QVERIFY2(std::abs(b.x1 - 100) <= 3 && std::abs(b.x2 - 199) <= 3, qPrintable(QString::number(b.x1)));
  QVERIFY(std::abs(b.y1 - 100) <= 3 && std::abs(b.y2 - 199) <= 3);
  QCOMPARE(state, (int)magicwandPosition);
}

void FrameTest::selectingWithClicksShiftAndCtrl() {
  loadPicture(400, 300);
  addRect(20, 20, 80, 80);
  addRect(120, 20, 180, 80);
  addRect(220, 20, 280, 80);
  toolbarClick(cmdTestEdit);
  QCOMPARE(state, (int)editing);
  QVERIFY(menusChecked(cmdTestEdit) && !menusChecked(cmdRectangle));
  // Hotspots exist but none is selected: the toolbar's Copy is enabled while
  // the menu's Copy is grayed.
  QVERIFY(buttonEnabled(cmdCopy));
  QVERIFY(!menusEnabled(cmdCopy));
  QVERIFY(!menusEnabled(cmdCut) && !buttonEnabled(cmdCut));
  click(50, 50);
  QVERIFY(objects[0].selected);
  QCOMPARE(lastObjectSelected, 0);
  QVERIFY(menusEnabled(cmdCut) && buttonEnabled(cmdCut) && menusEnabled(cmdCopy));
  QVERIFY(!menusEnabled(cmdAlignTop));  // align needs two
  // The selected hotspot is inverted inside.
  QCOMPARE(pixel(40, 40), rgb(55, 55, 55));
  QCOMPARE(pixel(140, 40), grey);
  click(150, 50, Qt::ShiftModifier);
  QVERIFY(objects[0].selected && objects[1].selected);
  QVERIFY(menusEnabled(cmdAlignTop) && buttonEnabled(cmdExpandTop));
  click(150, 50, Qt::ControlModifier);  // ctrl toggles
  QVERIFY(objects[0].selected && !objects[1].selected);
  click(250, 50);  // a plain click selects only what it hits
  QVERIFY(!objects[0].selected && objects[2].selected);
  click(350, 250);  // empty picture: nothing
  QCOMPARE(objectsSelected(), 0);
  QCOMPARE(lastObjectSelected, -1);
  key(Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(objectsSelected(), 3);
}

void FrameTest::rubberBandSelectsAndAlignEnables() {
  loadPicture(400, 300);
  addRect(20, 20, 80, 80);
  addRect(120, 40, 180, 100);
  addRect(250, 200, 300, 250);
  menu(cmdTestEdit);
  press(10, 10);
  move(60, 60, true);
  move(190, 120, true);
  QVERIFY(editingSelectionDrag);
  QCOMPARE(pixel(100, 10), rgb(255, 128, 128));  // the band's top edge
  release(190, 120);
  QVERIFY(!editingSelectionDrag);
  QVERIFY(objects[0].selected && objects[1].selected && !objects[2].selected);
  QCOMPARE(pixel(100, 10), grey);
  QVERIFY(menusEnabled(cmdAlignTop) && menusEnabled(cmdExpandRight) && buttonEnabled(cmdAlignTop));
  key(Qt::Key_T, Qt::AltModifier);  // align to the top edge
  QCOMPARE(objects[1].points[0].y, 20.0);
  QCOMPARE(objects[1].points[1].y, 80.0);
  key(Qt::Key_R, Qt::AltModifier | Qt::ShiftModifier);  // expand to the right edge
  QCOMPARE(std::fmax(objects[0].points[0].x, objects[0].points[1].x), 180.0);
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(std::fmax(objects[0].points[0].x, objects[0].points[1].x), 80.0);
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(objects[1].points[0].y, 40.0);
  key(Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(objects[1].points[0].y, 20.0);
}

void FrameTest::handlesMoveAndResizeTheSelection() {
  loadPicture(400, 300);
  addRect(20, 20, 80, 80);
  addRect(120, 20, 180, 80);
  menu(cmdTestEdit);
  key(Qt::Key_A, Qt::ControlModifier);
  int cx = 0, cy = 0;
  bounds b = selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
  QCOMPARE(cx, 100);
  QCOMPARE(cy, 50);
  QCOMPARE(pixel(cx, cy), rgb(191, 255, 191));  // the move handle in the handle pen
  // The move handle: both hotspots follow, shown through the pending transform
  // while the button is held.
  press(cx, cy);
  move(cx + 20, cy + 30, true);
  QCOMPARE(mfactorx, 20);
  QCOMPARE(objects[0].points[0].x, 20.0);  // not yet applied
  release(cx + 20, cy + 30);
  QCOMPARE(objects[0].points[0].x, 40.0);
  QCOMPARE(objects[1].points[1].y, 110.0);
  QCOMPARE(mfactorx, 0);
  // The corner handle resizes the selection.
  b = selectionGetCenterAndBounds(&cx, &cy, nullptr, nullptr);
  QCOMPARE(b.x2, 200);
  QCOMPARE(b.y2, 110);
  drag(b.x2, b.y2, 300, 160);
  b = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  QVERIFY2(std::abs(b.x2 - 300) <= 1 && std::abs(b.y2 - 160) <= 1, qPrintable(QString::number(b.x2)));
  QCOMPARE(rfactorx, 1.0);
  key(Qt::Key_Z, Qt::ControlModifier);
  b = selectionGetCenterAndBounds(nullptr, nullptr, nullptr, nullptr);
  QCOMPARE(b.x2, 200);
}

void FrameTest::pointDraggingWithShiftSnapsTheAngle() {
  loadPicture(400, 300);
  addPolygon({{50, 50}, {150, 50}, {150, 150}});
  menu(cmdTestEdit);
  click(100, 52);  // on the outline: selects the polygon
  QCOMPARE(lastObjectSelected, 0);
  QCOMPARE(objectsSelected(), 1);
  // Press on vertex 2 and drag it with shift: the angle from vertex 1 snaps to
  // a multiple of 22.5 degrees.
  press(150, 150, Qt::ShiftModifier);
  QVERIFY(pointIsSelected(&psel, 2));
  move(170, 230, true, Qt::ShiftModifier);
  release(170, 230, Qt::ShiftModifier);
  const FPOINT p = objects[0].points[2];
  const double angle = std::atan2(p.y - 50, p.x - 150) * 180 / M_PI;
  const double steps = angle / 22.5;
  QVERIFY2(std::fabs(steps - std::round(steps)) < 0.05, qPrintable(QString::number(angle)));
  QVERIFY(p.y > 150);
  QCOMPARE(changed, 1);
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(objects[0].points[2].x, 150.0);
  QCOMPARE(objects[0].points[2].y, 150.0);
}

void FrameTest::addAndRemovePoints() {
  loadPicture(400, 300);
  addPolygon({{50, 50}, {250, 50}, {250, 250}, {50, 250}});
  menu(cmdTestEdit);
  click(150, 51);
  click(50, 50);
  QCOMPARE(pointsSelected(&psel), 1);
  QVERIFY(menusEnabled(cmdRemovePoints) && buttonEnabled(cmdRemovePoints));
  QVERIFY(!menusEnabled(cmdAddPoint));
  click(250, 50, Qt::ShiftModifier);
  QCOMPARE(pointsSelected(&psel), 2);
  QVERIFY(menusEnabled(cmdAddPoint) && buttonEnabled(cmdAddPoint));
  key(Qt::Key_A, Qt::AltModifier);
  QCOMPARE(objects[0].pointsTotal, 5);
  QCOMPARE(objects[0].points[1].x, 150.0);
  QCOMPARE(hints.size() >= 1 && hints.back() == 7, true);
  click(250, 250);
  key(Qt::Key_P, Qt::AltModifier);
  QCOMPARE(objects[0].pointsTotal, 4);
  // A polygon keeps at least three points.
  click(50, 50);
  key(Qt::Key_P, Qt::AltModifier);
  QCOMPARE(objects[0].pointsTotal, 3);
  scripted.shown.clear();
  click(250, 50);
  key(Qt::Key_P, Qt::AltModifier);
  QCOMPARE(objects[0].pointsTotal, 3);
  QCOMPARE(scriptedMessages().size(), (size_t)1);
}

void FrameTest::undoAndRedoByKeys() {
  loadPicture(400, 300);
  menu(cmdRectangle);
  drag(20, 20, 100, 100);
  drag(150, 20, 200, 100);
  QCOMPARE(objectsTotal, 2);
  urlAnswer = nullptr;
  key(Qt::Key_Z, Qt::ControlModifier);  // the second rectangle back under construction
  QCOMPARE(objectsTotal, 1);
  QCOMPARE(state, (int)rectUrl);
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(objects[1].t, (int)notype);
  QVERIFY(menusEnabled(cmdRedo) && buttonEnabled(cmdRedo));
  key(Qt::Key_Y, Qt::ControlModifier);
  key(Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(objectsTotal, 2);
  QCOMPARE(objects[1].points[1].x, 200.0);
  QVERIFY(!menusEnabled(cmdRedo));
}

void FrameTest::zoomAndScroll() {
  loadPicture(2000, 1500);
  QVERIFY(hasHbar && hasVbar);
  QScrollBar *h = imageWindowBar(0);
  QCOMPARE(h->maximum(), hrange - h->pageStep() + 1);
  // Line and page steps of the bar move the view by the Part's amounts.
  h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(hoffs, 8);
  QCOMPARE(h->value(), 8);
  h->triggerAction(QAbstractSlider::SliderToMaximum);
  QCOMPARE(hoffs, 2000 - scaledWinWidth);
  // The picture is drawn scrolled: window x 0 shows picture x hoffs.
  hoffs = 50;
  voffs = 50;
  repaint(0);
  QCOMPARE(pixel(50, 50), rgb(0, 0, 200));   // picture (100, 100)
  QCOMPARE(pixel(49, 50), grey);
  // "+" and "=" zoom in, "-" zooms out, each undoable.
  key(Qt::Key_Plus, Qt::NoModifier);
  QCOMPARE(scale, 2.0);
  key(Qt::Key_Equal);
  QCOMPARE(scale, 4.0);
  key(Qt::Key_Minus);
  QCOMPARE(scale, 2.0);
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(scale, 4.0);
  // Mouse coordinates follow the zoom and the scroll.
  menu(cmdRectangle);
  hoffs = 400;
  voffs = 0;
  click(40, 40);
  QCOMPARE(objects[objectsTotal].points[0].x, 110.0);  // (40 + 400) / 4
  QCOMPARE(objects[objectsTotal].points[0].y, 10.0);
}

void FrameTest::contextMenus() {
  loadPicture(400, 300);
  addRect(20, 20, 80, 80);
  addRect(120, 20, 180, 80);
  menu(cmdTestEdit);
  // Over empty picture: nothing.
  rightClick(300, 250);
  QVERIFY(!singleSelectionMenu->isVisible());
  // Over a hotspot with nothing selected: it is selected and its menu shown.
  rightClick(50, 50);
  QVERIFY(objects[0].selected);
  QTRY_VERIFY(singleSelectionMenu->isVisible());
  singleSelectionMenu->hide();
  key(Qt::Key_A, Qt::ControlModifier);
  QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), imageView->mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(imageView, &keyboard);
  QTRY_VERIFY(multipleSelectionMenu->isVisible());
  multipleSelectionMenu->hide();
  // Its items are the menu bar's commands.
  QVERIFY(multipleSelectionMenu->actions().contains(menusAction(cmdUndo)));
}

void FrameTest::doubleClicks() {
  loadPicture(400, 300);
  addRect(20, 20, 80, 80);
  menu(cmdTestEdit);
  static int defaults = 0;
  defaults = 0;
  seams.urlDefault = [] { defaults++; };
  urlAnswer = nullptr;
  doubleClick(50, 50);
  QCOMPARE(urlRequests.size(), (size_t)1);
  QCOMPARE(urlRequests.back(), 0);
  doubleClick(50, 50, Qt::ControlModifier);
  QCOMPARE(urlRequests.size(), (size_t)1);
  doubleClick(300, 250);
  QCOMPARE(defaults, 1);
  // Enter runs Properties with exactly one hotspot selected.
  click(50, 50);
  key(Qt::Key_Return);
  QCOMPARE(urlRequests.size(), (size_t)2);
}

void FrameTest::helpKeyInDialogsAndFrame() {
  loadPicture(400, 300);
  menu(cmdCircle);
  // F1 in a dialog: the state's topic.
  QDialog dlg(baseWin);
  QLineEdit *edit = new QLineEdit(&dlg);
  (new QVBoxLayout(&dlg))->addWidget(edit);
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  edit->setFocus();
  scripted.addresses.clear();
  QTest::keyClick(edit, Qt::Key_F1);
  settle();
  QCOMPARE(scripted.addresses.size(), (size_t)1);
  QVERIFY2(lastHelpPage().contains(QStringLiteral("help.htm#help_circles")), qPrintable(lastHelpPage()));
  // With the colour chooser open the colour topic wins.
  colorEditing = 1;
  QTest::keyClick(edit, Qt::Key_F1);
  settle();
  colorEditing = 0;
  QCOMPARE(scripted.addresses.size(), (size_t)2);
  QVERIFY(lastHelpPage().contains(QStringLiteral("help.htm#help_color")));
  dlg.hide();
  // F1 in the frame is Help, Contents.
  QApplication::setActiveWindow(baseWin);
  imageView->setFocus();
  QTest::keyClick(imageView, Qt::Key_F1);
  settle();
  QCOMPARE(scripted.addresses.size(), (size_t)3);
  QVERIFY(lastHelpPage().contains(QStringLiteral("help.htm#help_contents")));
}

void FrameTest::clipboardChangeEnablesPaste() {
  loadPicture(400, 300);
  menu(cmdTestEdit);
  QVERIFY(!menusEnabled(cmdPaste) && !buttonEnabled(cmdPaste));
  scripted.clipboardHasText = true;
  QGuiApplication::clipboard()->setText(QStringLiteral("<area shape=\"rect\" coords=\"1,2,3,4\" />"));
  settle();
  QVERIFY(menusEnabled(cmdPaste) && buttonEnabled(cmdPaste));
  // Outside Test+Edit the notice changes nothing.
  menu(cmdRectangle);
  QVERIFY(!menusEnabled(cmdPaste));
  QGuiApplication::clipboard()->setText(QStringLiteral("other"));
  settle();
  QVERIFY(!menusEnabled(cmdPaste));
}

void FrameTest::privateMessages() {
  // The update result: an up-to-date answer is told only when asked for.
  framePostMessage(updateResultMessage, ucurrent);
  settle();
  QVERIFY(scriptedMessages().empty());
  checkingForUpdatesForeground = 1;
  framePostMessage(updateResultMessage, ucurrent);
  settle();
  QCOMPARE(scriptedLastMessage().title, std::string("No New Updates Available"));
  QCOMPARE(checkingForUpdatesForeground.load(), 0);
  // Another process saved the settings: they are read again.
  sketchR = 1;
  char path[1100];
  getIniFile(path, sizeof path, 1);
  QFile ini(QString::fromLocal8Bit(path));
  QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ini.write("NCSA\nsketch=10,20,30\n");
  ini.close();
  framePostMessage(reloadConfigMessage, 0);
  settle();
  QCOMPARE(sketchR, 10);
  QCOMPARE(sketchPen.color, rgb(10, 20, 30));
  QFile::remove(QString::fromLocal8Bit(path));
  // F1 from a dialog arrives as 3024.
  scripted.addresses.clear();
  framePostMessage(contextHelpMessage, 0);
  settle();
  QCOMPARE(scripted.addresses.size(), (size_t)1);
}

void FrameTest::everyCommandReachesItsFunction() {
  loadPicture(400, 300);
  addRect(20, 20, 80, 80);
  addPolygon({{120, 20}, {220, 20}, {170, 120}});
  qputenv("TILVANE_UPDATE_URL", "http://127.0.0.1:9/tilvane/version.php");
  struct {
    unsigned id;
    std::function<bool()> done;
  } rows[] = {
      {cmdRectangle, [] { return state == rectPosition; }},
      {cmdCircle, [] { return state == circlePosition; }},
      {cmdPolygon, [] { return state == polyPosition; }},
      {cmdMagicWand, [] { return state == magicwandPosition; }},
      {cmdTestEdit, [] { return state == editing; }},
      {cmdSelectAll, [] { return objectsSelected() == 2; }},
      {cmdZoomIn, [] { return scale == 2.0; }},
      {cmdZoomOut, [] { return scale == 1.0; }},
      {cmdUndo, [] { return scale == 2.0; }},
      {cmdRedo, [] { return scale == 1.0; }},
      {cmdAlignTop, [] { return objects[1].points[0].y == 20 && objects[0].points[0].y == 20; }},
      {cmdHelpContents, [] { return lastHelpPage().contains(QStringLiteral("help_contents")); }},
      {cmdCancel, [] { return state == editing; }},
  };
  for (const auto &r : rows) {
    frameCommand(r.id);
    settle();
    QVERIFY2(r.done(), qPrintable(QString::number(r.id)));
  }
  // Properties with one hotspot selected.
  click(50, 50);
  frameCommand(cmdProperties);
  QCOMPARE(urlRequests.back(), 0);
  // The modal boxes: About and Preferences.
  closeNextModal();
  frameCommand(cmdAbout);
  closeNextModal();
  frameCommand(cmdPreferences);
  // Unknown ids do nothing.
  frameCommand(12345);
  frameCommand(0);
  qunsetenv("TILVANE_UPDATE_URL");
}

void FrameTest::maximisedFrameSizesOnRestore() {
  maximized = 1;
  newImage = 0;
  loadPicture(300, 200);
  QCOMPARE(newImage, 1);
  maximized = 0;
  baseWin->showMaximized();
  settle();
  baseWin->showNormal();
  settle();
  QCOMPARE(maximized, 0);
}

void FrameTest::closeBoxEndsTheLoop() {
  int code = -1;
  QTimer::singleShot(0, [] { baseWin->close(); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
  code = QApplication::exec();
  QCOMPARE(code, 0);
  QVERIFY(baseWin);  // still there until tear-down
}

void FrameTest::startUpShowsTheNoticeOnce() {
  tearDown();
  // A data folder that exists already: no folder dialog.
  const QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
  QVERIFY(QDir().mkpath(data + QStringLiteral("/Tilvane")));
  char ini[1100];
  getIniFile(ini, sizeof ini, 1);
  qputenv("TILVANE_UPDATE_URL", "http://127.0.0.1:9/tilvane/version.php");
  const char *words[] = {"mapname"};
  // A new user is not told what changed since earlier versions; a user whose
  // settings an earlier version wrote is told once.
  QFile::remove(QString::fromLocal8Bit(ini));
  for (int run = 0; run < 3; run++) {
    if (run == 1) {
      QFile old(QString::fromLocal8Bit(ini));
      QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
      old.write("ncsa\nsketch=255,128,128\n");
    }
    scriptedInstall();
    settingsDefaults();
    scripted.answers.push_back(IDNO);
    QTimer::singleShot(0, [] { TilvaneShutdown(); });
    QCOMPARE(runEditor(1, words), 0);
    int notices = 0;
    for (const scriptedShown &m : scriptedMessages())
      if (m.title == "Tilvane 4.0 Is Different - And Better!") notices++;
    QCOMPARE(notices, run == 1 ? 1 : 0);
    QCOMPARE(upgradeNoticeDisplayed, 1);
    QVERIFY(!baseWin);
    QCOMPARE(argc, 2);
    QCOMPARE(QString::fromLocal8Bit(argv[1]), QStringLiteral("mapname"));
  }
  // The windows carry the name of the desktop entry the program installs.
  QVERIFY(QFile::exists(QStringLiteral(TILVANE_SOURCE_DIR "/resources/") + QGuiApplication::desktopFileName() +
                        QStringLiteral(".desktop")));
  qunsetenv("TILVANE_UPDATE_URL");
  setUp();
}

void FrameTest::pageOpenedEditedSavedAndClosed() {
  // The example page and its picture, in a folder of their own.
  QTemporaryDir dir;
  const QString top = QStringLiteral(TILVANE_SOURCE_DIR);
  const QString page = dir.filePath(QStringLiteral("sample.html"));
  QVERIFY(QFile::copy(top + QStringLiteral("/examples/sample.html"), page));
  QVERIFY(QFile::copy(top + QStringLiteral("/examples/sample.png"), dir.filePath(QStringLiteral("sample.png"))));
  const QByteArray path = page.toLocal8Bit();
  maptype = mapClient;
  QVERIFY(OpenHtmlDocument(path.constData(), nullptr));
  QVERIFY(Open(imagefilename, path.constData(), nullptr));
  QCOMPARE(state, (int)rectPosition);  // the Rectangle tool after loading
  QCOMPARE(objectsTotal, 3);
  QCOMPARE(changed, 0);  // the example's image already carries the border style
  QVERIFY(baseWin->windowTitle().startsWith(QStringLiteral("Tilvane 4.05: ")));
  QVERIFY(menusEnabled(cmdSave) && buttonEnabled(cmdSave));
  QCOMPARE(sx, 480);
  // Move the house (90,150)-(230,260) by its centre handle.
  toolbarClick(cmdTestEdit);
  click(160, 200);
  QCOMPARE(lastObjectSelected, 0);
  drag(160, 205, 180, 215);
  QCOMPARE(objects[0].points[0].x, 110.0);
  QCOMPARE(changed, 1);
  QTRY_VERIFY(baseWin->isWindowModified());  // the title marks the unsaved change
  // The keyboard: Tab to the second hotspot, three pixels right and ten down
  // (Shift), which undo takes back in one step.
  QTest::keyClick(imageView, Qt::Key_Tab);
  QCOMPARE(lastObjectSelected, 1);
  QVERIFY(objects[1].selected && !objects[0].selected);
  const FPOINT before = objects[1].points[0];
  for (int i = 0; i < 3; i++) QTest::keyClick(imageView, Qt::Key_Right);
  QTest::keyClick(imageView, Qt::Key_Down, Qt::ShiftModifier);
  QCOMPARE(objects[1].points[0].x, before.x + 3);
  QCOMPARE(objects[1].points[0].y, before.y + 10);
  menu(cmdUndo);
  QCOMPARE(objects[1].points[0].x, before.x);
  QCOMPARE(objects[1].points[0].y, before.y);
  QCOMPARE(objects[0].points[0].x, 110.0);  // the drag before is a step of its own
  menu(cmdRedo);
  QCOMPARE(objects[1].points[0].y, before.y + 10);
  menu(cmdSave);
  QCOMPARE(changed, 0);
  QTRY_VERIFY(!baseWin->isWindowModified());
  QFile saved(page);
  QVERIFY(saved.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(saved.readAll());
  QVERIFY2(text.contains(QStringLiteral("coords=\"110,160,250,270\"")), qPrintable(text));
  QVERIFY(text.contains(QStringLiteral("<h1>A house in the country</h1>")));
  // Close: no question (nothing unsaved), the logo again, commands disabled.
  scripted.shown.clear();
  menu(cmdClose);
  QCOMPARE(state, (int)nostate);
  QVERIFY(scriptedMessages().empty());
  QCOMPARE(sx, 480);
  QVERIFY(!menusEnabled(cmdSave));
  QCOMPARE(baseWin->windowTitle(), QStringLiteral("Tilvane 4.05[*]"));  // "[*]": where the mark goes
}

void FrameTest::saveGivesUpWhatCouldBeRedone() {
  QTemporaryDir dir;
  const QString top = QStringLiteral(TILVANE_SOURCE_DIR);
  const QString page = dir.filePath(QStringLiteral("sample.html"));
  QVERIFY(QFile::copy(top + QStringLiteral("/examples/sample.html"), page));
  QVERIFY(QFile::copy(top + QStringLiteral("/examples/sample.png"), dir.filePath(QStringLiteral("sample.png"))));
  const QByteArray path = page.toLocal8Bit();
  QVERIFY(OpenHtmlDocument(path.constData(), nullptr));
  QVERIFY(Open(imagefilename, path.constData(), nullptr));
  toolbarClick(cmdTestEdit);
  click(160, 200);
  drag(160, 205, 180, 215);  // the house moves by its centre handle
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(objects[0].points[0].x, 90.0);
  QVERIFY(buttonEnabled(cmdRedo));
  menu(cmdSave);
  QCOMPARE(redoLast, (undoStruct *)nullptr);
  QVERIFY(!buttonEnabled(cmdRedo) && !menusEnabled(cmdRedo));
  key(Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(objects[0].points[0].x, 90.0);
  menu(cmdClose);
}

QTEST_MAIN(FrameTest)
#include "frame_test.moc"

void FrameTest::hotspotListFollowsTheMapAndSelectsBothWays() {
  loadPicture(400, 300);
  menu(cmdHotspotList);  // hidden by the fixture: shown again
  settle();
  QVERIFY(hotspotListDock->isVisible());
  QCOMPARE(hotspotListShown, 1);
  QVERIFY(menusChecked(cmdHotspotList));
  // Sized with the list beside it (narrow, so that both fit on the desktop),
  // the frame leaves the whole strip in view.
  hotspotListDock->setFixedWidth(100);
  settle();
  frameSizeWindows();
  settle();
  QCOMPARE(baseWin->centralWidget()->width(), toolbarWidth(tb));
  hotspotListDock->setMinimumWidth(0);
  hotspotListDock->setMaximumWidth(QWIDGETSIZE_MAX);
  QTableView *list = hotspotListView();
  QAbstractItemModel *rows = list->model();
  auto link = [rows](int r) { return rows->data(rows->index(r, 2)).toString(); };
  // A rectangle drawn with the mouse gets its row at once.
  toolbarClick(cmdRectangle);
  urlAnswer = "one.html";
  drag(10, 10, 60, 60);
  urlAnswer = "two.html";
  drag(40, 40, 90, 90);
  settle();
  QCOMPARE(rows->rowCount(), 2);
  QCOMPARE(link(0), QStringLiteral("one.html"));
  QCOMPARE(rows->data(rows->index(1, 1)).toString(), QStringLiteral("rect"));
  // Rows chosen select their hotspots; Ctrl extends.
  toolbarClick(cmdTestEdit);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(rows->index(1, 2)).center());
  settle();
  QCOMPARE(lastObjectSelected, 1);
  QVERIFY(objects[1].selected && !objects[0].selected);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualRect(rows->index(0, 2)).center());
  settle();
  QVERIFY(objects[0].selected && objects[1].selected);
  // A click in the picture selects the row.
  click(15, 15);
  settle();
  QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
  QCOMPARE(list->selectionModel()->selectedRows().at(0).row(), 0);
  // Rows dragged below move their hotspot: one undo step, and the rows follow undo.
  QMimeData *data = rows->mimeData(list->selectionModel()->selectedIndexes());
  rows->dropMimeData(data, Qt::MoveAction, 2, 0, QModelIndex());
  delete data;
  settle();
  QCOMPARE(link(0), QStringLiteral("two.html"));
  QCOMPARE(link(1), QStringLiteral("one.html"));
  QCOMPARE(list->selectionModel()->selectedRows().at(0).row(), 1);
  key(Qt::Key_Z, Qt::ControlModifier);
  settle();
  QCOMPARE(link(0), QStringLiteral("one.html"));
  // Enter opens the properties of the chosen row; Delete cuts it.
  urlRequests.clear();
  urlAnswer = nullptr;
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Return);
  settle();
  QCOMPARE(urlRequests, std::vector<int>{0});
  QTest::keyClick(list, Qt::Key_Delete);
  settle();
  QCOMPARE(rows->rowCount(), 1);
  QCOMPARE(link(0), QStringLiteral("two.html"));
  // Hidden from the View menu, and remembered so.
  menu(cmdHotspotList);
  settle();
  QVERIFY(!hotspotListDock->isVisible());
  QCOMPARE(hotspotListShown, 0);
}

void FrameTest::stackingKeysAndAltClickReachTheCoveredHotspot() {
  loadPicture(400, 300);
  addRect(0, 0, 100, 100);
  addRect(20, 20, 80, 80);
  addRect(30, 30, 50, 50);  // wholly covered by both
  toolbarClick(cmdTestEdit);
  repaint(0);
  click(40, 40);
  QCOMPARE(lastObjectSelected, 0);  // the first in the map, as a browser
  press(40, 40, Qt::AltModifier);
  release(40, 40, Qt::AltModifier);
  QCOMPARE(lastObjectSelected, 1);
  press(40, 40, Qt::AltModifier);
  release(40, 40, Qt::AltModifier);
  QCOMPARE(lastObjectSelected, 2);
  key(Qt::Key_BraceRight, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("}"));
  QCOMPARE(lastObjectSelected, 0);
  QCOMPARE(objects[0].points[0].x, 30.0);
  click(40, 40);
  QCOMPARE(lastObjectSelected, 0);
  key(Qt::Key_BracketLeft, Qt::ControlModifier);
  QCOMPARE(lastObjectSelected, 1);
  QCOMPARE(objects[1].points[0].x, 30.0);
  key(Qt::Key_Z, Qt::ControlModifier);
  key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(objects[2].points[0].x, 30.0);
}

void FrameTest::statusBarShowsPointerSelectionAndZoom() {
  loadPicture(400, 300);
  auto text = [](const char *name) { return baseWin->findChild<QLabel *>(QString::fromLatin1(name))->text(); };
  addRect(20, 30, 70, 90);
  toolbarClick(cmdTestEdit);
  move(25, 35, false);
  QCOMPARE(text("statusPointer"), QStringLiteral("25, 35"));
  click(40, 40);
  settle();
  QCOMPARE(text("statusSelection"), QString::fromUtf8("20, 30, 50 \xC3\x97 60"));
  QCOMPARE(text("statusZoom"), QStringLiteral("100%"));
  key(Qt::Key_Equal, Qt::NoModifier);
  settle();
  QCOMPARE(text("statusZoom"), QStringLiteral("200%"));
  move(100, 100, false);
  QCOMPARE(text("statusPointer"), QStringLiteral("%1, %2").arg(imageXFromWindow(100)).arg(imageYFromWindow(100)));
  // Beyond the picture: no position.
  key(Qt::Key_Minus, Qt::NoModifier);
  move(450, 20, false);
  QCOMPARE(text("statusPointer"), QString());
}
