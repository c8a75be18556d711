// The toolbar strip: items and geometry, hit testing, press, release and hover,
// the tooltip, the drawn frames and pictures, and the pictures themselves.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <set>
#include <vector>

#include "app/commands.h"
#include "ui/toolbar.h"
#include "app/toolbaricons.h"

namespace {

// A window that hands its events to its toolbar and keeps the clicked ids.
class Host : public QWidget {
 public:
  toolbar *t = nullptr;
  std::vector<unsigned> clicked;

 protected:
  bool event(QEvent *e) override {
    if (t) {
      const unsigned id = toolbarEvent(t, e);
      if (id) clicked.push_back(id);
      if (e->type() == QEvent::Paint) return true;
    }
    return QWidget::event(e);
  }
};

int leftOf(const toolbar *t, int index) {
  int x = t->xoffs;
  for (int i = 0; i < index; i++) x += t->items[i].width;
  return x;
}

int indexOf(const toolbar *t, unsigned id) {
  for (int i = 0; i < t->itemsTotal; i++)
    if (t->items[i].ui == id) return i;
  return -1;
}

int depressedCount(const toolbar *t) {
  int n = 0;
  for (int i = 0; i < t->itemsTotal; i++) n += t->items[i].depressed;
  return n;
}

int overIndex(const toolbar *t) {
  int found = -1, n = 0;
  for (int i = 0; i < t->itemsTotal; i++)
    if (t->items[i].over) found = i, n++;
  return n > 1 ? -2 : found;
}

QImage paintStrip(const toolbar *t) {
  QImage img(t->w->width(), toolbarHeight + t->yoffs, QImage::Format_ARGB32);
  img.fill(QColor(1, 2, 3));
  QPainter p(&img);
  toolbarPaint(t, &p);
  p.end();
  return img;
}

QRgb rgb(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
QRgb rgb(const QColor &c) { return c.rgb() & 0xFFFFFF; }

const QRgb highPen = 0xE0F0F0, lowPen = 0xC0C0C0, whitePen = 0xFFFFFF;

// The pixels the frame of a button at x (width w, strip top y) must show: the
// upper-left pen on the top and left lines, the lower-right pen on the bottom
// and right lines; the lines stop short of their end points.
void checkFrame(const QImage &img, int x, int y, int w, QRgb ul, QRgb lr, QRgb bg) {
  struct P {
    int x, y;
    QRgb c;
  } pts[] = {
      {x + 2, y + 1, ul},      {x + w - 2, y + 1, ul},  {x + 1, y + 1, ul},      {x + 1, y + 19, ul},
      {x + 3, y + 2, ul},      {x + w - 3, y + 2, ul},  {x + 2, y + 2, ul},      {x + 2, y + 18, ul},
      {x + w - 2, y + 2, lr},  {x + w - 2, y + 19, lr}, {x + w - 2, y + 20, lr}, {x + 3, y + 20, lr},
      {x + w - 3, y + 3, lr},  {x + w - 3, y + 18, lr}, {x + w - 3, y + 19, lr}, {x + 4, y + 19, lr},
      // Never drawn: the outer ring, and the end points the lines stop at.
      {x, y, bg},              {x + w - 1, y + 10, bg}, {x + 10, y + 21, bg},    {x + 10, y, bg},
      {x + 1, y + 20, bg},     {x + 2, y + 20, bg},     {x + 2, y + 19, bg},     {x + 3, y + 19, bg},
      {x + w - 1, y + 1, bg},  {x + 1, y, bg},
  };
  for (const P &p : pts)
    QVERIFY2(rgb(img, p.x, p.y) == p.c,
             qPrintable(QStringLiteral("pixel (%1,%2) is %3, wanted %4")
                            .arg(p.x - x)
                            .arg(p.y - y)
                            .arg(rgb(img, p.x, p.y), 6, 16, QLatin1Char('0'))
                            .arg(p.c, 6, 16, QLatin1Char('0'))));
}

// The picture must sit at (x + 3, y + 3): every opaque pixel shows as it is.
void checkPicture(const QImage &img, int x, int y, const QImage *pic) {
  QVERIFY(pic);
  int opaque = 0;
  for (int py = 0; py < pic->height(); py++)
    for (int px = 0; px < pic->width(); px++) {
      if (qAlpha(pic->pixel(px, py)) != 255) continue;
      opaque++;
      QCOMPARE(rgb(img, x + 3 + px, y + 3 + py), pic->pixel(px, py) & 0xFFFFFF);
    }
  QVERIFY(opaque > 20);
}

}  // namespace

class ToolbarTest : public QObject {
  Q_OBJECT

  Host *host = nullptr;
  toolbar *tb = nullptr;

  void rebuild(int xoffs = 0, int yoffs = 0) {
    toolbarDestroy(tb);
    tb = toolbarCreate(host, xoffs, yoffs);
    QVERIFY(tb);
    QVERIFY(toolbarAddButtons(tb));
    host->t = tb;
  }

 private slots:
  void initTestCase() {
    host = new Host;
    host->resize(720, 80);
    host->move(40, 30);
    rebuild();
    host->show();
    host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host));
  }

  void cleanupTestCase() {
    toolbarDestroy(tb);
    QVERIFY(!tooltipValid);
    toolbarDestroy(nullptr);
    delete host;
  }

  void init() {
    rebuild();
    host->clicked.clear();
    if (!host->isActiveWindow()) {
      host->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(host));
    }
  }

  void stripGeometry() {
    QCOMPARE(tb->itemsTotal, 33);
    QCOMPARE(tb->itemsAllocated, 64);
    QCOMPARE(tb->which, -1);
    QCOMPARE(toolbarWidth(tb), 666);
    QVERIFY(host->hasMouseTracking());
    QVERIFY(tb->tooltipWnd);
    QCOMPARE(tb->tooltipWnd->objectName(), QStringLiteral("vloxTooltip"));
    QCOMPARE(tb->tooltipWnd->windowTitle(), QStringLiteral("ToolTip"));
    const std::set<int> separators = {5, 10, 25, 28, 31};
    for (int i = 0; i < tb->itemsTotal; i++) {
      const toolbarItem &it = tb->items[i];
      QCOMPARE(it.ui, toolbarLayout[i]);
      if (separators.count(i)) {
        QVERIFY(!it.bitmap);
        QCOMPARE(it.width, 10);
        QVERIFY(!it.tooltipText);
      } else {
        QVERIFY(it.bitmap && it.bitmapDisabled);
        QCOMPARE(it.bitmap->size(), QSize(16, 16));
        QCOMPARE(it.width, 22);
        QVERIFY(it.tooltipText);
      }
    }
  }

  void itemsGrowAndMissingPicturesLeaveBlanks() {
    toolbar *t = toolbarCreate(host, 0, 0);
    QCOMPARE(t->itemsAllocated, 16);
    for (int i = 0; i < 40; i++) QVERIFY(toolbarAdd(t, i % 2 ? 4242 : 120, 823, 1000 + i, "tip"));
    QCOMPARE(t->itemsTotal, 40);
    QCOMPARE(t->itemsAllocated, 64);
    for (int i = 0; i < 40; i++) {
      QCOMPARE(t->items[i].ui, 1000u + i);
      QCOMPARE(t->items[i].width, i % 2 ? 10 : 22);
      QCOMPARE(t->items[i].bitmap == nullptr, i % 2 == 1);
    }
    QCOMPARE(toolbarWidth(t), 20 * 22 + 20 * 10);
    // The blank item keeps its id but cannot be pressed.
    QCOMPARE(toolbarDown(t, 22 + 5, 10), 0u);
    QCOMPARE(t->which, -1);
    QCOMPARE(toolbarAdd(nullptr, 120, 823, 1, nullptr), 0);
    toolbarDestroy(t);
    host->t = tb;
  }

  void hitTestAtTheBoundaries() {
    toolbarEnable(tb, cmdSeparator, MF_GRAYED);  // as with no document open
    toolbarEnable(tb, cmdSeparatorTools, MF_GRAYED);
    toolbarEnable(tb, cmdSave, MF_GRAYED);
    struct Case {
      int x, y, index, right;
    } cases[] = {
        {0, 0, 0, 22},     {1, 10, 0, 22},     {22, 10, 0, 22},   {23, 10, 1, 44},
        {44, 21, 1, 44},   {45, 10, 2, 66},    {89, 10, 4, -1},   // Save is grayed
        {110, 10, 4, -1},  {111, 10, -1, 0},   {120, 10, -1, 0},  // cmdSeparator, grayed
        {121, 10, 6, 142}, {666, 10, 32, 666}, {645, 10, 32, 666},
        {644, 10, 31, 644},  // cmdSeparatorHelp stays usable
        {667, 10, -1, 0},  {5000, 10, -1, 0},  {10, 22, -1, 0},   {10, -1, -1, 0},
        {-1, 10, -1, 0},   {-500, 10, -1, 0},
    };
    for (const Case &c : cases) {
      int right = 0;
      int got = toolbarSelect(tb, &right, c.x, c.y);
      int want = c.index;
      if (c.right == -1) want = -1;  // the item is disabled
      QVERIFY2(got == want, qPrintable(QStringLiteral("x=%1 y=%2 gave %3").arg(c.x).arg(c.y).arg(got)));
      if (want >= 0) QCOMPARE(right, c.right);
    }
    QCOMPARE(toolbarSelect(nullptr, nullptr, 0, 0), -1);
    // An offset strip hit-tests from its own corner.
    rebuild(30, 40);
    int right = 0;
    QCOMPARE(toolbarSelect(tb, &right, 29, 45), -1);
    QCOMPARE(toolbarSelect(tb, &right, 30, 40), 0);
    QCOMPARE(toolbarSelect(tb, &right, 53, 61), 1);
    QCOMPARE(right, 44);
    QCOMPARE(toolbarSelect(tb, &right, 53, 62), -1);
    QCOMPARE(toolbarSelect(tb, &right, 53, 39), -1);
  }

  void pressAndReleaseRules() {
    // A click on Open.
    QCOMPARE(toolbarDown(tb, 30, 10), unsigned(cmdOpen));
    QCOMPARE(tb->which, 1);
    QCOMPARE(tb->items[1].depressed, 1);
    QCOMPARE(toolbarUp(tb, 40, 12), unsigned(cmdOpen));
    QCOMPARE(tb->which, -1);
    QCOMPARE(depressedCount(tb), 0);
    // Dragged off onto Save, or off the strip: no command, nothing left sunken.
    for (QPoint off : {QPoint(100, 10), QPoint(30, 40), QPoint(-20, 10), QPoint(900, 10)}) {
      toolbarDown(tb, 30, 10);
      QCOMPARE(toolbarUp(tb, off.x(), off.y()), 0u);
      QCOMPARE(depressedCount(tb), 0);
      QCOMPARE(tb->which, -1);
    }
    // A press on the first button released left of the strip.
    toolbarDown(tb, 0, 0);
    QCOMPARE(toolbarUp(tb, -3, 5), 0u);
    // Separators, the space below the strip and disabled buttons press nothing.
    toolbarEnable(tb, cmdSave, MF_GRAYED);
    for (QPoint p : {QPoint(115, 10), QPoint(30, 22), QPoint(30, 60), QPoint(100, 10), QPoint(700, 5)}) {
      QCOMPARE(toolbarDown(tb, p.x(), p.y()), 0u);
      QCOMPARE(tb->which, -1);
      QCOMPARE(depressedCount(tb), 0);
      QCOMPARE(toolbarUp(tb, p.x(), p.y()), 0u);
    }
    toolbarEnable(tb, cmdSave, MF_DISABLED);
    QCOMPARE(toolbarDown(tb, 100, 10), 0u);
    toolbarEnable(tb, cmdSave, MF_ENABLED);
    QCOMPARE(toolbarDown(tb, 100, 10), unsigned(cmdSave));
    QCOMPARE(toolbarUp(tb, 100, 10), unsigned(cmdSave));
    // A release with nothing pressed.
    QCOMPARE(toolbarUp(tb, 30, 10), 0u);
    // A press that missed forgets an earlier press whose release never came.
    toolbarDown(tb, 30, 10);
    toolbarDown(tb, 115, 10);
    QCOMPARE(depressedCount(tb), 0);
    QCOMPARE(toolbarUp(tb, 30, 10), 0u);
    // A second press moves the press.
    toolbarDown(tb, 30, 10);
    toolbarDown(tb, 8, 10);
    QCOMPARE(depressedCount(tb), 1);
    QCOMPARE(tb->items[0].depressed, 1);
    QCOMPARE(toolbarUp(tb, 8, 10), unsigned(cmdNew));
    // A button disabled between press and release runs nothing.
    toolbarDown(tb, 30, 10);
    toolbarEnable(tb, cmdOpen, MF_GRAYED);
    QCOMPARE(toolbarUp(tb, 30, 10), 0u);
    QCOMPARE(depressedCount(tb), 0);
  }

  void enableCheckAndClearReachEveryItemOfAnId() {
    toolbarEnable(tb, cmdSeparator, MF_GRAYED);
    int grayed = 0;
    for (int i = 0; i < tb->itemsTotal; i++) grayed += tb->items[i].enabled == MF_GRAYED;
    QCOMPARE(grayed, 3);
    toolbarCheck(tb, cmdRectangle, 1);
    toolbarCheck(tb, cmdTestEdit, 1);
    QCOMPARE(tb->items[indexOf(tb, cmdRectangle)].checked, 1);
    toolbarCheck(tb, cmdRectangle, 0);
    QCOMPARE(tb->items[indexOf(tb, cmdRectangle)].checked, 0);
    QCOMPARE(tb->items[indexOf(tb, cmdTestEdit)].checked, 1);
    toolbarCheck(tb, 9999, 1);  // no such item
    toolbarClear(tb);
    for (int i = 0; i < tb->itemsTotal; i++) QCOMPARE(tb->items[i].checked, 0);
  }

  void hoverMarkAndTooltipText() {
    QVERIFY(host->isActiveWindow());
    QCOMPARE(toolbarMove(tb, 5, 5), 1);
    QCOMPARE(overIndex(tb), 0);
    QVERIFY(tb->tooltipWnd->isVisible());
    QCOMPARE(tooltipText, tb->items[0].tooltipText);
    const QRect outer = host->frameGeometry();
    QCOMPARE(tooltipX, 22 + outer.left() + 0 + 4);
    QCOMPARE(tooltipY, 0 + outer.top() + 70);
    QFontMetrics fm(*tooltipFont);
    QCOMPARE(tooltipFont->pixelSize(), 12);
    const QString text = QString::fromUtf8(tb->items[0].tooltipText);
    // The text keeps a little space from the frame.
    QCOMPARE(tb->tooltipWnd->pos(), QPoint(tooltipX, tooltipY));
    QVERIFY(tb->tooltipWnd->width() >= fm.horizontalAdvance(text) + 2 + 6);
    QVERIFY(tb->tooltipWnd->height() >= fm.height() + 2 + 2);
    // Staying on the button neither moves the mark nor shows the tooltip again.
    tb->tooltipWnd->move(3, 3);
    QCOMPARE(toolbarMove(tb, 15, 18), 0);
    QCOMPARE(tb->tooltipWnd->pos(), QPoint(3, 3));
    // Each new button brings its own text.
    for (int i : {1, 2, 4, 6, 13, 32}) {
      QCOMPARE(toolbarMove(tb, leftOf(tb, i) + 10, 10), 1);
      QCOMPARE(overIndex(tb), i);
      QCOMPARE(tooltipText, tb->items[i].tooltipText);
      QVERIFY(tb->tooltipWnd->isVisible());
      int right = 0;
      toolbarSelect(tb, &right, leftOf(tb, i) + 10, 10);
      QCOMPARE(tooltipX, right + outer.left() + 4);
    }
    // An enabled separator takes the mark but brings no text.
    QCOMPARE(toolbarMove(tb, leftOf(tb, 31) + 3, 10), 1);
    QCOMPARE(overIndex(tb), 31);
    QCOMPARE(tooltipText, tb->items[32].tooltipText);
    // A disabled button shows neither mark nor tooltip.
    toolbarEnable(tb, cmdOpen, MF_GRAYED);
    QCOMPARE(toolbarMove(tb, 30, 10), 0);
    QCOMPARE(overIndex(tb), -1);
    QVERIFY(!tb->tooltipWnd->isVisible());
    // Back on a button, then off the strip.
    QCOMPARE(toolbarMove(tb, 5, 5), 1);
    QVERIFY(tb->tooltipWnd->isVisible());
    QCOMPARE(toolbarMove(tb, 5, 30), 0);
    QCOMPARE(overIndex(tb), -1);
    QVERIFY(!tb->tooltipWnd->isVisible());
    // Against the screen's right edge, the last button's tooltip stays on it.
    const QRect desk = host->screen()->availableGeometry();
    const QPoint was = host->pos();
    host->move(desk.right() + 1 - host->frameGeometry().width(), 30);
    const int last = tb->itemsTotal - 1;
    QCOMPARE(toolbarMove(tb, leftOf(tb, last) + 10, 10), 1);
    QVERIFY(tb->tooltipWnd->isVisible());
    QVERIFY(desk.contains(tb->tooltipWnd->geometry()));
    toolbarMove(tb, 5, 30);
    host->move(was);
  }

  void tooltipOnlyWhileTheWindowIsActive() {
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(toolbarMove(tb, 5, 5), 1);  // the mark still follows the pointer
    QVERIFY(!tb->tooltipWnd->isVisible());
    host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host));
    QCOMPARE(toolbarMove(tb, 30, 5), 1);
    QVERIFY(tb->tooltipWnd->isVisible());
    // Losing activation hides it and clears the mark.
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(!tb->tooltipWnd->isVisible());
    QCOMPARE(overIndex(tb), -1);
    host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host));
  }

  void tooltipPaintsItsText() {
    toolbarMove(tb, 5, 5);
    QVERIFY(tb->tooltipWnd->isVisible());
    const QImage img = tb->tooltipWnd->grab().toImage();
    QCOMPARE(img.size(), tb->tooltipWnd->size());
    QCOMPARE(rgb(img, 0, 0), 0u);
    QCOMPARE(rgb(img, img.width() - 1, img.height() - 1), 0u);
    int dark = 0;
    for (int y = 1; y < img.height() - 1; y++)
      for (int x = 1; x < img.width() - 1; x++) dark += img.pixelColor(x, y).lightness() < 100;
    QVERIFY(dark > 30);
    tooltipHide(tb);
  }

  void frameLinesAndPictures() {
    const QRgb bg = rgb(host->palette().color(QPalette::Base));
    const int open = 1, save = 4, tools = indexOf(tb, cmdTestEdit), sep = 5;
    toolbarEnable(tb, cmdSave, MF_GRAYED);
    tb->items[open].over = 1;
    toolbarCheck(tb, cmdTestEdit, 1);
    QImage img = paintStrip(tb);
    checkFrame(img, leftOf(tb, open), 0, 22, highPen, lowPen, bg);  // raised under the pointer
    checkFrame(img, leftOf(tb, 0), 0, 22, whitePen, whitePen, bg);  // flat
    checkFrame(img, leftOf(tb, tools), 0, 22, lowPen, highPen, bg);  // the active tool: sunken
    checkPicture(img, leftOf(tb, open), 0, tb->items[open].bitmap);
    checkPicture(img, leftOf(tb, save), 0, tb->items[save].bitmapDisabled);
    for (int x = leftOf(tb, sep); x < leftOf(tb, sep) + 10; x++)
      for (int y = 0; y < 22; y++) QCOMPARE(rgb(img, x, y), bg);
    // Past the last item the strip shows the window colour.
    QCOMPARE(rgb(img, 700, 10), bg);
    // The active tool stays sunken under the pointer; a pressed button is
    // sunken; a disabled button under the pointer stays flat.
    tb->items[open].over = 0;
    tb->items[tools].over = 1;
    tb->items[0].depressed = 1;
    tb->items[save].over = 1;
    img = paintStrip(tb);
    checkFrame(img, leftOf(tb, tools), 0, 22, lowPen, highPen, bg);
    checkFrame(img, leftOf(tb, 0), 0, 22, lowPen, highPen, bg);
    checkFrame(img, leftOf(tb, save), 0, 22, whitePen, whitePen, bg);
    // On a dark palette there are no light tiles, and black lines of the
    // pictures take the text colour.
    {
      const QPalette lightPalette = host->palette();
      QPalette darkPalette = lightPalette;
      darkPalette.setColor(QPalette::Base, QColor(40, 40, 40));
      darkPalette.setColor(QPalette::WindowText, QColor(230, 230, 230));
      host->setPalette(darkPalette);
      tb->items[0].depressed = 0;
      tb->items[tools].over = 0;
      const QImage darkImg = paintStrip(tb);
      const QRgb darkBg = 0x282828;
      checkFrame(darkImg, leftOf(tb, 0), 0, 22, darkBg, darkBg, darkBg);
      int blackInPicture = 0, light = 0;
      for (int y = 3; y < 19; y++)
        for (int x = leftOf(tb, open) + 3; x < leftOf(tb, open) + 19; x++) {
          blackInPicture += rgb(darkImg, x, y) == 0u;
          light += rgb(darkImg, x, y) == 0xE6E6E6u;
        }
      QCOMPARE(blackInPicture, 0);
      QVERIFY(light > 0);
      host->setPalette(lightPalette);
    }
    // An offset strip draws from its corner.
    rebuild(30, 40);
    tb->items[1].over = 1;
    img = paintStrip(tb);
    checkFrame(img, 30 + 22, 40, 22, highPen, lowPen, bg);
    checkPicture(img, 30, 40, tb->items[0].bitmap);
  }

  void mouseEventsThroughTheWindow() {
    host->update();
    QTest::mouseMove(host, QPoint(30, 10));
    QTRY_COMPARE(overIndex(tb), 1);
    QTest::mouseClick(host, Qt::LeftButton, {}, QPoint(30, 10));
    QCOMPARE(host->clicked, (std::vector<unsigned>{cmdOpen}));
    // Press, drag off onto another button, release: nothing runs.
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(30, 10));
    QCOMPARE(tb->items[1].depressed, 1);
    QTest::mouseMove(host, QPoint(100, 10));
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(100, 10));
    QCOMPARE(host->clicked, (std::vector<unsigned>{cmdOpen}));
    QCOMPARE(depressedCount(tb), 0);
    // The right button presses nothing.
    QTest::mouseClick(host, Qt::RightButton, {}, QPoint(30, 10));
    QCOMPARE(host->clicked.size(), 1u);
    // Both clicks of a double-click count.
    host->clicked.clear();
    const QPoint zoom(leftOf(tb, 26) + 5, 10);
    QTest::mouseClick(host, Qt::LeftButton, {}, zoom);
    QTest::mouseDClick(host, Qt::LeftButton, {}, zoom);
    QTest::mouseRelease(host, Qt::LeftButton, {}, zoom);
    QCOMPARE(host->clicked, (std::vector<unsigned>{cmdZoomIn, cmdZoomIn}));
    // The window's own painting shows the strip.
    const QImage shot = host->grab().toImage();
    checkPicture(shot, 0, 0, tb->items[0].bitmap);
  }

  void tooltipGoesWithItsOwnerWindow() {
    QWidget *owner = new QWidget;
    toolbar *t = toolbarCreate(owner, 0, 0);
    QVERIFY(t->tooltipWnd);
    QCOMPARE(t->tooltipWnd->parentWidget(), owner);
    delete owner;
    QVERIFY(!t->tooltipWnd);
    t->w = nullptr;
    tooltipShow(t);
    tooltipHide(t);
    toolbarDestroy(t);
  }

  void picturesArePairedDistinctAndGrayed() {
    QCOMPARE(toolbarIconPairs, 28);
    std::set<QByteArray> seen;
    for (int i = 0; i < toolbarIconPairs; i++) {
      QImage *normal = toolbarIconLoad(toolbarIconIds[i][0]);
      QImage *gray = toolbarIconLoad(toolbarIconIds[i][1]);
      QVERIFY(normal && gray);
      QCOMPARE(normal->size(), QSize(16, 16));
      QCOMPARE(gray->size(), QSize(16, 16));
      int opaque = 0, colourful = 0;
      for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
          const QRgb n = normal->pixel(x, y), g = gray->pixel(x, y);
          QCOMPARE(qAlpha(n), qAlpha(g));  // the same shape
          if (!qAlpha(n)) continue;
          opaque++;
          QCOMPARE(qRed(g), qGreen(g));  // gray, and lighter than dark outlines
          QCOMPARE(qGreen(g), qBlue(g));
          QVERIFY(qRed(g) >= 140);
          if (std::abs(qRed(n) - qBlue(n)) > 40 || std::abs(qGreen(n) - qBlue(n)) > 40) colourful++;
        }
      QVERIFY2(opaque >= 30 && opaque <= 240, qPrintable(QString::number(toolbarIconIds[i][0])));
      QVERIFY2(colourful > 0, qPrintable(QString::number(toolbarIconIds[i][0])));
      QByteArray bytes(reinterpret_cast<const char *>(normal->constBits()), (int)normal->sizeInBytes());
      QVERIFY2(seen.insert(bytes).second, qPrintable(QString::number(toolbarIconIds[i][0])));
      delete normal;
      delete gray;
    }
    // Every picture the command table names exists.
    for (int i = 0; i < commandTableTotal; i++) {
      if (!commandTable[i].bitmap) continue;
      QImage *a = toolbarIconLoad(commandTable[i].bitmap);
      QImage *b = toolbarIconLoad(commandTable[i].bitmapDisabled);
      QVERIFY(a && b);
      delete a;
      delete b;
    }
    QVERIFY(!toolbarIconLoad(0));
    QVERIFY(!toolbarIconLoad(124));
  }
};

QTEST_MAIN(ToolbarTest)
#include "toolbar_test.moc"
