// toolbar_ui.cpp: the toolbar strip (items, hit testing, press, release and
// hover, painting into its window) and its tooltip window. Owns tooltipX,
// tooltipY, tooltipText, tooltipValid, tooltipFont.
#include "ui/toolbar.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QPalette>
#include <QToolTip>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/commands.h"
#include "app/toolbaricons.h"

int tooltipX = 0, tooltipY = 0;
const char *tooltipText = nullptr;
int tooltipValid = 0;
QFont *tooltipFont = nullptr;

namespace {

// The space between the tooltip's frame and its text.
const int tooltipPadX = 4, tooltipPadY = 2;

// The tooltip window: a one-pixel black frame around the text, never active.
class TooltipWindow : public QWidget {
 public:
  explicit TooltipWindow(QWidget *owner)
      : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput) {
    setObjectName(QStringLiteral("vloxTooltip"));
    setWindowTitle(QStringLiteral("ToolTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
    resize(128, 32);
  }

 protected:
  bool event(QEvent *e) override {
    // Activation goes straight back to the owner.
    if (e->type() == QEvent::WindowActivate && parentWidget()) parentWidget()->activateWindow();
    return QWidget::event(e);
  }

  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    const QPalette pal = QToolTip::palette();
    p.fillRect(rect(), pal.color(QPalette::ToolTipBase));
    p.setPen(QColor(0, 0, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, width() - 1, height() - 1);
    if (tooltipValid && tooltipText && tooltipFont) {
      p.setFont(*tooltipFont);
      p.setPen(pal.color(QPalette::ToolTipText));
      QFontMetrics fm(*tooltipFont);
      p.drawText(1 + tooltipPadX, 1 + tooltipPadY + fm.ascent(), QString::fromUtf8(tooltipText));
    }
  }
};

QFont *makeTooltipFont() {
  QFont *f = new QFont(QStringLiteral("Arial"));
  f->setPixelSize(12);
  f->setWeight(QFont::Normal);
  f->setStyleHint(QFont::SansSerif, QFont::PreferDefault);
  f->setFixedPitch(false);
  return f;
}

bool itemDisabled(const toolbarItem &it) { return (it.enabled & (MF_GRAYED | MF_DISABLED)) != 0; }

// Pixels of one line of the frame, both ends included.
void hpix(QPainter *p, int x1, int x2, int y, const QColor &c) {
  if (x2 >= x1) p->fillRect(QRect(x1, y, x2 - x1 + 1, 1), c);
}
void vpix(QPainter *p, int x, int y1, int y2, const QColor &c) {
  if (y2 >= y1) p->fillRect(QRect(x, y1, 1, y2 - y1 + 1), c);
}

// The window colour the strip is painted on.
QColor windowColor(const toolbar *t) {
  return t->w ? t->w->palette().color(QPalette::Base) : QColor(255, 255, 255);
}

void freeItem(toolbarItem &it) {
  delete it.bitmap;
  delete it.bitmapDisabled;
  it.bitmap = it.bitmapDisabled = nullptr;
}

}  // namespace

toolbar *toolbarCreate(QWidget *parent, int xoffs, int yoffs) {
  toolbar *t = (toolbar *)calloc(1, sizeof(toolbar));
  if (!t) return nullptr;
  t->items = (toolbarItem *)calloc(16, sizeof(toolbarItem));
  if (!t->items) {
    free(t);
    return nullptr;
  }
  t->itemsAllocated = 16;
  t->itemsTotal = 0;
  t->which = -1;
  t->w = parent;
  t->xoffs = xoffs;
  t->yoffs = yoffs;
  if (parent) parent->setMouseTracking(true);
  t->tooltipWnd = tooltipWindowCreate(t);
  toolbarAccessibleRegister(t);
  return t;
}

int toolbarAdd(toolbar *t, int bitmap, int bitmapDisabled, unsigned id, const char *tooltip) {
  if (!t) return 0;
  if (t->itemsTotal >= t->itemsAllocated) {
    int more = t->itemsAllocated * 2;
    toolbarItem *bigger = (toolbarItem *)realloc(t->items, (size_t)more * sizeof(toolbarItem));
    if (!bigger) return 0;
    t->items = bigger;
    t->itemsAllocated = more;
  }
  toolbarItem it;
  memset(&it, 0, sizeof it);
  it.ui = id;
  it.tooltipText = tooltip;
  it.width = toolbarSeparatorWidth;
  if (bitmap) {
    it.bitmap = toolbarIconLoad(bitmap);
    if (it.bitmap && !it.bitmap->isNull()) {
      it.bitmapDisabled = toolbarIconLoad(bitmapDisabled);
      it.width = it.bitmap->width() + toolbarButtonMargin;
    } else {
      delete it.bitmap;
      it.bitmap = nullptr;
    }
  }
  t->items[t->itemsTotal++] = it;
  return 1;
}

int toolbarAddButtons(toolbar *t) {
  for (int i = 0; i < toolbarLayoutTotal; i++) {
    const commandEntry *c = commandFind(toolbarLayout[i]);
    if (!c) continue;
    if (!toolbarAdd(t, c->bitmap, c->bitmapDisabled, c->id, c->tooltip)) return 0;
  }
  return 1;
}

void toolbarEnable(toolbar *t, unsigned id, int flag) {
  if (!t) return;
  for (int i = 0; i < t->itemsTotal; i++)
    if (t->items[i].ui == id) t->items[i].enabled = flag;
}

void toolbarCheck(toolbar *t, unsigned id, int checked) {
  if (!t) return;
  for (int i = 0; i < t->itemsTotal; i++)
    if (t->items[i].ui == id) t->items[i].checked = checked;
}

void toolbarClear(toolbar *t) {
  if (!t) return;
  for (int i = 0; i < t->itemsTotal; i++) t->items[i].checked = 0;
}

int toolbarWidth(const toolbar *t) {
  if (!t) return 0;
  int w = 0;
  for (int i = 0; i < t->itemsTotal; i++) w += t->items[i].width;
  return w;
}

void toolbarDraw(toolbar *t) {
  if (!t || !t->w) return;
  int width = t->w->width() - t->xoffs;
  if (width < toolbarWidth(t)) width = toolbarWidth(t);
  t->w->update(QRect(t->xoffs, t->yoffs, width, toolbarHeight));
}

// A picture for a dark strip: its black lines in the palette's text colour,
// so that they stay legible without a light tile behind them.
static QImage onDarkStrip(const QImage &picture, const QColor &text) {
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); y++) {
    QRgb *row = reinterpret_cast<QRgb *>(out.scanLine(y));
    for (int x = 0; x < out.width(); x++) {
      const QRgb c = row[x];
      if (qAlpha(c) && qRed(c) < 64 && qGreen(c) < 64 && qBlue(c) < 64)
        row[x] = qRgba(text.red(), text.green(), text.blue(), qAlpha(c));
    }
  }
  return out;
}

void toolbarPaint(const toolbar *t, QPainter *p) {
  if (!t || !p) return;
  const QColor window = windowColor(t);
  // A light strip has the light frame lines; a dark one (a dark theme) gets
  // lines of its own shades, and no light tiles.
  const bool dark = window.lightness() < 128;
  const QColor high = dark ? window.lighter(220) : QColor(224, 240, 240);
  const QColor low = dark ? window.darker(200) : QColor(192, 192, 192);
  const QColor white = dark ? window : QColor(255, 255, 255);
  const QColor text = t->w ? t->w->palette().color(QPalette::WindowText) : QColor(255, 255, 255);
  int stripWidth = t->w ? t->w->width() - t->xoffs : 0;
  if (stripWidth < toolbarWidth(t)) stripWidth = toolbarWidth(t);
  p->save();
  p->setRenderHint(QPainter::Antialiasing, false);
  p->fillRect(QRect(t->xoffs, t->yoffs, stripWidth, toolbarHeight), window);
  const int y = t->yoffs;
  int x = t->xoffs;
  for (int i = 0; i < t->itemsTotal; i++) {
    const toolbarItem &it = t->items[i];
    const int w = it.width;
    if (!it.bitmap) {
      p->fillRect(QRect(x, y, w, toolbarHeight), window);
    } else {
      const bool disabled = itemDisabled(it);
      QColor ul = white, lr = white;  // flat: no visible frame
      if (it.depressed || it.checked) {
        ul = low;
        lr = high;
      } else if (it.over && !disabled) {
        ul = high;
        lr = low;
      }
      // Each line runs up to, not onto, its end point.
      hpix(p, x + 2, x + w - 2, y + 1, ul);
      vpix(p, x + 1, y + 1, y + 19, ul);
      hpix(p, x + 3, x + w - 3, y + 2, ul);
      vpix(p, x + 2, y + 2, y + 18, ul);
      vpix(p, x + w - 2, y + 2, y + 19, lr);
      hpix(p, x + 3, x + w - 2, y + 20, lr);
      vpix(p, x + w - 3, y + 3, y + 18, lr);
      hpix(p, x + 4, x + w - 3, y + 19, lr);
      const QImage *pic = disabled ? it.bitmapDisabled : it.bitmap;
      QImage recoloured;
      if (pic && dark) {
        recoloured = onDarkStrip(*pic, text);
        pic = &recoloured;
      }
      if (pic) {
        // On a high-density screen the picture is drawn for the device's
        // pixels, at a place on the device's pixel grid, so it stays sharp.
        const double ratio = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        if (ratio > 1.0) {
          const QImage fine = toolbarIconAtScale(*pic, ratio);
          const QPointF at(std::floor((x + 3) * ratio) / ratio, std::floor((y + 3) * ratio) / ratio);
          p->drawImage(at, fine);
        } else {
          p->drawImage(QPoint(x + 3, y + 3), *pic);
        }
      }
    }
    x += w;
  }
  p->restore();
}

int toolbarSelect(const toolbar *t, int *rightP, int x, int y) {
  if (!t) return -1;
  if (y < t->yoffs || y >= t->yoffs + toolbarHeight) return -1;
  const int rx = x - t->xoffs;
  if (rx < 0) return -1;
  int right = 0;
  for (int i = 0; i < t->itemsTotal; i++) {
    right += t->items[i].width;
    if (right >= rx) {
      if (itemDisabled(t->items[i])) return -1;
      if (rightP) *rightP = right;
      return i;
    }
  }
  return -1;
}

unsigned toolbarDown(toolbar *t, int x, int y) {
  if (!t) return 0;
  int right = 0;
  const int i = toolbarSelect(t, &right, x, y);
  if (t->which != -1 && t->which < t->itemsTotal) t->items[t->which].depressed = 0;
  t->which = -1;
  if (i == -1 || !t->items[i].bitmap) return 0;
  t->which = i;
  t->items[i].depressed = 1;
  return t->items[i].ui;
}

unsigned toolbarUp(toolbar *t, int x, int y) {
  if (!t) return 0;
  int right = 0;
  const int i = toolbarSelect(t, &right, x, y);
  if (t->which == -1 || t->which >= t->itemsTotal) {
    t->which = -1;
    return 0;
  }
  const int pressed = t->which;
  t->items[pressed].depressed = 0;
  t->which = -1;
  return i == pressed ? t->items[pressed].ui : 0;
}

int toolbarMove(toolbar *t, int x, int y) {
  if (!t) return 0;
  int right = 0;
  const int i = toolbarSelect(t, &right, x, y);
  if (i == -1) {
    tooltipHide(t);
    return 0;
  }
  int moved = 0;
  int marked = -1;
  for (int k = 0; k < t->itemsTotal; k++)
    if (t->items[k].over) marked = k;
  if (marked != i) {
    for (int k = 0; k < t->itemsTotal; k++) t->items[k].over = 0;
    t->items[i].over = 1;
    moved = 1;
  }
  const char *text = t->items[i].tooltipText;
  if (text) {
    const bool visible = t->tooltipWnd && t->tooltipWnd->isVisible() && tooltipValid && tooltipText &&
                         strcmp(tooltipText, text) == 0;
    if (!visible) {
      // The frame window's outer rectangle on the screen.
      QRect outer;
      if (t->w) outer = t->w->window()->frameGeometry();
      tooltipX = right + outer.left() + t->xoffs + 4;
      tooltipY = t->yoffs + outer.top() + 70;
      tooltipText = text;
      tooltipValid = 1;
      tooltipShow(t);
    }
  }
  return moved;
}

void tooltipShow(toolbar *t) {
  if (!t || !t->tooltipWnd || !tooltipValid || !tooltipText || !t->w) return;
  if (QApplication::activeWindow() != t->w->window()) return;
  if (!tooltipFont) tooltipFont = makeTooltipFont();
  QFontMetrics fm(*tooltipFont);
  const QString text = QString::fromUtf8(tooltipText);
  QRect place(tooltipX, tooltipY, fm.horizontalAdvance(text) + 2 + 2 * tooltipPadX,
              fm.height() + 2 + 2 * tooltipPadY);
  // Kept on the screen the frame is on: a tooltip of the last button would
  // otherwise float past the screen's right edge.
  QScreen *screen = t->w->window()->screen();
  if (screen) {
    const QRect desk = screen->availableGeometry();
    if (place.right() > desk.right()) place.moveRight(desk.right());
    if (place.bottom() > desk.bottom()) place.moveBottom(desk.bottom());
    if (place.left() < desk.left()) place.moveLeft(desk.left());
    if (place.top() < desk.top()) place.moveTop(desk.top());
  }
  t->tooltipWnd->setGeometry(place);
  t->tooltipWnd->show();
  t->tooltipWnd->update();
}

void tooltipHide(toolbar *t) {
  if (!t) return;
  int any = 0;
  for (int i = 0; i < t->itemsTotal; i++) {
    if (t->items[i].over) any = 1;
    t->items[i].over = 0;
  }
  if (any) toolbarDraw(t);
  if (t->tooltipWnd && t->tooltipWnd->isVisible()) t->tooltipWnd->hide();
}

QWidget *tooltipWindowCreate(toolbar *t) {
  if (!tooltipFont) tooltipFont = makeTooltipFont();
  QWidget *owner = t && t->w ? t->w->window() : nullptr;
  TooltipWindow *tip = new TooltipWindow(owner);
  // The owner's end takes the tooltip with it; the toolbar then has none.
  if (t) QObject::connect(tip, &QObject::destroyed, tip, [t]() { t->tooltipWnd = nullptr; });
  return tip;
}

void toolbarDestroy(toolbar *t) {
  if (!t) return;
  toolbarAccessibleForget(t);
  for (int i = 0; i < t->itemsTotal; i++) freeItem(t->items[i]);
  free(t->items);
  delete t->tooltipWnd;
  free(t);
  tooltipValid = 0;
  tooltipText = nullptr;
}

unsigned toolbarEvent(toolbar *t, QEvent *e) {
  if (!t || !e) return 0;
  switch (e->type()) {
    case QEvent::MouseMove: {
      QMouseEvent *m = static_cast<QMouseEvent *>(e);
      const QPoint pos = m->position().toPoint();
      if (toolbarMove(t, pos.x(), pos.y())) toolbarDraw(t);
      return 0;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      QMouseEvent *m = static_cast<QMouseEvent *>(e);
      if (m->button() != Qt::LeftButton) return 0;
      const QPoint pos = m->position().toPoint();
      toolbarDown(t, pos.x(), pos.y());
      toolbarDraw(t);
      return 0;
    }
    case QEvent::MouseButtonRelease: {
      QMouseEvent *m = static_cast<QMouseEvent *>(e);
      if (m->button() != Qt::LeftButton) return 0;
      const QPoint pos = m->position().toPoint();
      const unsigned id = toolbarUp(t, pos.x(), pos.y());
      toolbarDraw(t);
      return id;
    }
    case QEvent::Paint: {
      if (!t->w) return 0;
      QPainter p(t->w);
      toolbarPaint(t, &p);
      return 0;
    }
    case QEvent::Move:
    case QEvent::WindowDeactivate:
    case QEvent::Leave:
    case QEvent::Hide:
      tooltipHide(t);
      return 0;
    default:
      return 0;
  }
}
