// imagewindow_ui.cpp: the image window: its view, its scroll bars, the mouse
// and keys handed to the editing state machine, the context menus, the cursor.
// Owns imageView, imagePointerHook.
#include "ui/imagewindow_ui.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>

#include "ui/menus_ui.h"
#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/selection.h"
#include "platform/seams.h"
#include "editor/view.h"

QWidget *imageView = nullptr;
void (*imagePointerHook)(void) = nullptr;
int imagePointerX = 0, imagePointerY = 0, imagePointerInside = 0;

namespace {

class ImageWindow;
QPointer<ImageWindow> window;
void *currentCursor = cursorArrow;

// Tells a screen reader what is selected now: the view's description.
void announceSelection(void) {
  if (!imageView) return;
  imageView->setAccessibleDescription(QString::fromStdString(selectionAnnouncement()));
  QAccessibleEvent event(imageView, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

int modifierShift(Qt::KeyboardModifiers m) { return (m & Qt::ShiftModifier) ? 1 : 0; }
int modifierCtrl(Qt::KeyboardModifiers m) { return (m & Qt::ControlModifier) ? 1 : 0; }

// The client area: shows the off-screen buffer and takes the mouse.
class ImageView : public QWidget {
 public:
  explicit ImageView(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("imageView"));
    setAccessibleName(QStringLiteral("Picture and hotspots"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
  }

 protected:
  void paintEvent(QPaintEvent *) override {
    if (!hbDouble || hbDouble->width() != winwidth || hbDouble->height() != winheight) viewRender(0);
    QPainter p(this);
    if (hbDouble) p.drawImage(0, 0, *hbDouble);
  }

  void mousePressEvent(QMouseEvent *e) override {
    const QPoint at = e->position().toPoint();
    const Qt::KeyboardModifiers m = e->modifiers();
    if (e->button() == Qt::LeftButton) {
      setFocus(Qt::MouseFocusReason);
      if (m & Qt::AltModifier)
        imageAltPress(at.x(), at.y(), modifierShift(m), modifierCtrl(m));
      else
        imageLeftPress(at.x(), at.y(), modifierShift(m), modifierCtrl(m));
    } else if (e->button() == Qt::RightButton) {
      imageRightPress(at.x(), at.y(), modifierShift(m), modifierCtrl(m));
    }
  }

  void mouseMoveEvent(QMouseEvent *e) override {
    const QPoint at = e->position().toPoint();
    const Qt::KeyboardModifiers m = e->modifiers();
    imagePointerMove(at.x(), at.y(), (e->buttons() & Qt::LeftButton) ? 1 : 0, modifierShift(m), modifierCtrl(m));
    imagePointerX = at.x();
    imagePointerY = at.y();
    imagePointerInside = 1;
    if (imagePointerHook) imagePointerHook();
  }

  void mouseReleaseEvent(QMouseEvent *e) override {
    const QPoint at = e->position().toPoint();
    const Qt::KeyboardModifiers m = e->modifiers();
    if (e->button() == Qt::LeftButton) {
      imageLeftRelease(at.x(), at.y(), modifierShift(m), modifierCtrl(m), objects != nullptr);
      if (state == editing) announceSelection();
    } else if (e->button() == Qt::RightButton) {
      // The right button's release asks for the context menu.
      if (contextMenuRequest(1)) contextMenu(e->globalPosition().toPoint().x(), e->globalPosition().toPoint().y());
    }
  }

  void mouseDoubleClickEvent(QMouseEvent *e) override {
    // The second press of a double-click is the double-click and nothing else.
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = e->position().toPoint();
    const Qt::KeyboardModifiers m = e->modifiers();
    imageLeftDoubleClick(at.x(), at.y(), modifierShift(m), modifierCtrl(m));
  }

  void contextMenuEvent(QContextMenuEvent *e) override {
    // Mouse requests are made by the right button's release above.
    if (e->reason() != QContextMenuEvent::Keyboard) return;
    if (contextMenuRequest(0)) contextMenu(-1, -1);
  }

  void wheelEvent(QWheelEvent *e) override {
    const QPoint d = e->angleDelta();
    if (e->modifiers() & Qt::ControlModifier) {
      // Ctrl+wheel zooms about the pointer, a step a notch.
      if (d.y() == 0 || sx <= 0) return;
      const QPoint at = e->position().toPoint();
      zoomAbout(d.y() > 0 ? scale * 2 : scale / 2, at.x(), at.y());
      return;
    }
    const bool horizontal = d.x() != 0 && d.y() == 0;
    const int delta = horizontal ? d.x() : d.y();
    const int steps = delta / 40;  // three lines a notch
    if (!steps) return;
    const int vertical = (horizontal || (e->modifiers() & Qt::ShiftModifier)) ? 0 : 1;
    const int action = steps > 0 ? scrollLineUp : scrollLineDown;
    for (int i = 0; i < (steps > 0 ? steps : -steps); i++) viewScroll(vertical, action, 0);
  }

  void keyPressEvent(QKeyEvent *e) override {
    int dx = 0, dy = 0;
    switch (e->key()) {
      case Qt::Key_Left: dx = -1; break;
      case Qt::Key_Right: dx = 1; break;
      case Qt::Key_Up: dy = -1; break;
      case Qt::Key_Down: dy = 1; break;
      default: QWidget::keyPressEvent(e); return;
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
      QWidget::keyPressEvent(e);
      return;
    }
    // The arrows move what is selected, a picture pixel a press (ten with
    // Shift); with nothing selected they scroll.
    const int step = (e->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    if (nudgeSelection(dx * step, dy * step)) {
      announceSelection();
      return;
    }
    viewScroll(dy != 0 ? 1 : 0, (dx < 0 || dy < 0) ? scrollLineUp : scrollLineDown, 0);
  }

  bool event(QEvent *e) override {
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::PaletteChange) update();
    if (e->type() == QEvent::KeyPress) {
      // Tab and Shift+Tab go from hotspot to hotspot while there are any;
      // otherwise they move the focus as usual.
      const QKeyEvent *k = static_cast<QKeyEvent *>(e);
      const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
      if (tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
          hotspotTabKey(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier))) {
        announceSelection();
        return true;
      }
    }
    if (e->type() == QEvent::Leave) {
      imagePointerInside = 0;
      if (imagePointerHook) imagePointerHook();
    }
    return QWidget::event(e);
  }
};

class ImageWindow : public QWidget {
 public:
  explicit ImageWindow(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tilvaneImage"));
    view_ = new ImageView(this);
    hbar_ = new QScrollBar(Qt::Horizontal, this);
    vbar_ = new QScrollBar(Qt::Vertical, this);
    hbar_->setObjectName(QStringLiteral("hbar"));
    vbar_->setObjectName(QStringLiteral("vbar"));
    for (QScrollBar *b : {hbar_, vbar_}) {
      b->setSingleStep(8);
      b->setRange(0, 0);
      b->hide();
      b->setFocusPolicy(Qt::NoFocus);
    }
    QObject::connect(hbar_, &QAbstractSlider::actionTriggered, this, [this](int a) { action(0, a); });
    QObject::connect(vbar_, &QAbstractSlider::actionTriggered, this, [this](int a) { action(1, a); });
    imageView = view_;
  }
  ~ImageWindow() override {
    if (imageView == view_) imageView = nullptr;
  }

  QScrollBar *bar(int vertical) const { return vertical ? vbar_ : hbar_; }

  int thickness(int vertical) const {
    const int t = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vertical ? vbar_ : hbar_);
    return t > 0 ? t : 16;
  }

  // Places the view and the bars; a new client size is stored and lays the
  // scroll bars out again.
  void relayout() {
    const int tH = hasHbar ? thickness(0) : 0, tV = hasVbar ? thickness(1) : 0;
    int w = width() - tV, h = height() - tH;
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    view_->setGeometry(0, 0, w, h);
    hbar_->setGeometry(0, h, w, tH);
    vbar_->setGeometry(w, 0, tV, h);
    hbar_->setVisible(hasHbar != 0);
    vbar_->setVisible(hasVbar != 0);
    if (w != winwidth || h != winheight) {
      winwidth = w;
      winheight = h;
      resetScroll();  // which repaints
    }
  }

 protected:
  void resizeEvent(QResizeEvent *) override { relayout(); }

  void paintEvent(QPaintEvent *) override {
    // The square between the two bars.
    if (hasHbar && hasVbar) {
      QPainter p(this);
      p.fillRect(QRect(vbar_->x(), hbar_->y(), vbar_->width(), hbar_->height()), palette().color(QPalette::Window));
    }
  }

 private:
  void action(int vertical, int a) {
    if (acting_) return;
    int which;
    switch (a) {
      case QAbstractSlider::SliderSingleStepAdd: which = scrollLineDown; break;
      case QAbstractSlider::SliderSingleStepSub: which = scrollLineUp; break;
      case QAbstractSlider::SliderPageStepAdd: which = scrollPageDown; break;
      case QAbstractSlider::SliderPageStepSub: which = scrollPageUp; break;
      case QAbstractSlider::SliderToMinimum: which = scrollTop; break;
      case QAbstractSlider::SliderToMaximum: which = scrollBottom; break;
      case QAbstractSlider::SliderMove: which = scrollThumb; break;
      default: return;
    }
    QScrollBar *b = bar(vertical);
    acting_ = true;
    const int off = viewScroll(vertical, which, b->sliderPosition());
    b->setSliderPosition(off);
    acting_ = false;
  }

  ImageView *view_;
  QScrollBar *hbar_, *vbar_;
  bool acting_ = false;
};

// --- the view's window hooks ----------------------------------------------

void hookShow(void) {
  if (imageView) imageView->update();
}

int hookThickness(int vertical) { return window ? window->thickness(vertical) : 16; }

void hookSetBars(int, int) {
  if (window) window->relayout();
}

void hookSetRanges(int hr, int vr, int hp, int vp) {
  if (!window) return;
  const int ranges[2] = {hr, vr}, pages[2] = {hp, vp};
  for (int v = 0; v < 2; v++) {
    QScrollBar *b = window->bar(v);
    QSignalBlocker block(b);
    long long max = static_cast<long long>(ranges[v]) - pages[v] + 1;
    if (ranges[v] <= 0 || max < 0) max = 0;
    b->setRange(0, static_cast<int>(max));
    b->setPageStep(pages[v] > 0 ? pages[v] : 1);
  }
}

void hookSetPositions(int h, int v) {
  if (!window) return;
  QSignalBlocker bh(window->bar(0)), bv(window->bar(1));
  window->bar(0)->setValue(h);
  window->bar(1)->setValue(v);
}

// Assistive tools see the picture view as a canvas: a surface drawn into that
// takes the pointer and the keys, where a plain widget would be an empty filler.
QAccessibleInterface *imageViewAccessible(const QString &, QObject *object) {
  ImageView *view = dynamic_cast<ImageView *>(object);
  return view ? new QAccessibleWidget(view, QAccessible::Canvas) : nullptr;
}

}  // namespace

QWidget *imageWindowCreate(QWidget *parent) {
  if (window) return window;
  static bool accessibleInstalled = false;
  if (!accessibleInstalled) {
    QAccessible::installFactory(imageViewAccessible);
    accessibleInstalled = true;
  }
  window = new ImageWindow(parent);
  const QColor base = window->palette().color(QPalette::Base);
  bgColor = static_cast<unsigned>(base.red()) | (static_cast<unsigned>(base.green()) << 8) |
            (static_cast<unsigned>(base.blue()) << 16);
  return window;
}

QScrollBar *imageWindowBar(int vertical) { return window ? window->bar(vertical) : nullptr; }

void imageWindowInstall(void) {
  viewWindow.show = hookShow;
  viewWindow.barThickness = hookThickness;
  viewWindow.setBars = hookSetBars;
  viewWindow.setRanges = hookSetRanges;
  viewWindow.setPositions = hookSetPositions;
  seams.repaint = viewRepaint;
  seams.zoomout = viewZoomout;
  seams.resetScroll = viewResetScroll;
  seams.localSetCursor = imageLocalSetCursor;
  seams.recreatePens = viewRecreatePens;
  seams.chooseSketchColor = viewChooseSketchColor;
}

void imageWindowDestroy(void) {
  delete window.data();
  window = nullptr;
  imageView = nullptr;
  viewWindow = viewWindowTable();
}

void contextMenu(int x, int y) {
  const int resource = contextMenuResource();
  if (!resource || !imageView) return;
  QMenu *menu = contextMenuOf(resource);
  if (!menu) return;
  QPoint at(x, y);
  if (x == -1) {
    int ix = 0, iy = 0;
    if (!contextMenuImagePoint(&ix, &iy)) return;
    at = imageView->mapToGlobal(QPoint(truncToInt(ix * scale) - hoffs, truncToInt(iy * scale) - voffs));
  }
  menu->popup(at);
}

void *imageLocalSetCursor(void *cursor) {
  void *previous = currentCursor;
  if (cursor != cursorArrow && cursor != cursorWait) return previous;
  currentCursor = cursor;
  if (imageView) imageView->setCursor(cursor == cursorWait ? Qt::WaitCursor : Qt::ArrowCursor);
  return previous;
}
