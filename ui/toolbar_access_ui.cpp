// toolbar_access_ui.cpp: the toolbar's buttons as accessible objects. The
// window the strip is drawn into reports each button as a child of its own (a
// button named by its tooltip, unavailable or checked as it is drawn, pressed
// by its action), so that screen readers and other assistive tools find them.
// Owns toolbarPressHook.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>
#include <map>
#include <vector>

#include "ui/toolbar.h"

void (*toolbarPressHook)(unsigned id) = nullptr;

namespace {

struct stripEntry {
  toolbar *strip;
  std::vector<QAccessible::Id> buttons;  // registered on first use, by item index
};
std::map<const QWidget *, stripEntry> strips;

toolbar *stripOf(const QWidget *w) {
  auto f = strips.find(w);
  return f == strips.end() ? nullptr : f->second.strip;
}

class ButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  ButtonAccessible(QWidget *w, int index) : w_(w), index_(index) {}

  bool isValid() const override { return item() != nullptr; }
  QObject *object() const override { return nullptr; }
  QWindow *window() const override { return w_ && w_->window() ? w_->window()->windowHandle() : nullptr; }
  QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(w_); }
  QAccessibleInterface *child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface *) const override { return -1; }
  QAccessibleInterface *childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    const toolbarItem *it = item();
    if (!it || !it->tooltipText || (t != QAccessible::Name && t != QAccessible::Description)) return {};
    return QString::fromUtf8(it->tooltipText);
  }
  void setText(QAccessible::Text, const QString &) override {}

  QRect rect() const override {
    const toolbar *t = stripOf(w_);
    if (!t || !item()) return {};
    int x = t->xoffs;
    for (int i = 0; i < index_; i++) x += t->items[i].width;
    return QRect(w_->mapToGlobal(QPoint(x, t->yoffs)), QSize(t->items[index_].width, toolbarHeight));
  }

  QAccessible::Role role() const override {
    const toolbarItem *it = item();
    return it && it->bitmap ? QAccessible::Button : QAccessible::Separator;
  }

  QAccessible::State state() const override {
    QAccessible::State s;
    const toolbarItem *it = item();
    if (!it) return s;
    s.disabled = it->enabled != 0;
    s.checked = it->checked != 0;
    s.checkable = it->checked != 0;
    s.pressed = it->depressed != 0;
    s.hotTracked = it->over != 0;
    return s;
  }

  void *interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString &name) override {
    const toolbarItem *it = item();
    if (name == pressAction() && it && it->bitmap && !it->enabled && toolbarPressHook) toolbarPressHook(it->ui);
  }
  QStringList keyBindingsForAction(const QString &) const override { return {}; }

 private:
  const toolbarItem *item() const {
    const toolbar *t = stripOf(w_);
    return t && index_ >= 0 && index_ < t->itemsTotal ? &t->items[index_] : nullptr;
  }
  QWidget *w_;
  int index_;
};

// The window the strip is drawn into: the buttons come first among its
// children, then its child widgets.
class StripOwnerAccessible : public QAccessibleWidget {
 public:
  explicit StripOwnerAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Pane) {}

  int childCount() const override { return buttons() + QAccessibleWidget::childCount(); }
  QAccessibleInterface *child(int i) const override {
    const int n = buttons();
    if (i < 0) return nullptr;
    return i < n ? button(i) : QAccessibleWidget::child(i - n);
  }
  int indexOfChild(const QAccessibleInterface *c) const override {
    const int n = buttons();
    for (int i = 0; i < n; i++)
      if (button(i) == c) return i;
    const int k = QAccessibleWidget::indexOfChild(c);
    return k < 0 ? -1 : k + n;
  }
  QAccessibleInterface *childAt(int x, int y) const override {
    for (int i = 0; i < buttons(); i++) {
      QAccessibleInterface *b = button(i);
      if (b && b->rect().contains(x, y)) return b;
    }
    return QAccessibleWidget::childAt(x, y);
  }

 private:
  int buttons() const {
    const toolbar *t = stripOf(widget());
    return t ? t->itemsTotal : 0;
  }
  QAccessibleInterface *button(int i) const {
    auto f = strips.find(widget());
    if (f == strips.end()) return nullptr;
    std::vector<QAccessible::Id> &ids = f->second.buttons;
    if (static_cast<int>(ids.size()) <= i) ids.resize(static_cast<size_t>(i) + 1, 0);
    if (!ids[static_cast<size_t>(i)])
      ids[static_cast<size_t>(i)] = QAccessible::registerAccessibleInterface(new ButtonAccessible(widget(), i));
    return QAccessible::accessibleInterface(ids[static_cast<size_t>(i)]);
  }
};

QAccessibleInterface *stripOwnerFactory(const QString &, QObject *object) {
  QWidget *w = qobject_cast<QWidget *>(object);
  return w && strips.count(w) ? new StripOwnerAccessible(w) : nullptr;
}

}  // namespace

void toolbarAccessibleRegister(toolbar *t) {
  if (!t || !t->w) return;
  static bool installed = false;
  if (!installed) {
    QAccessible::installFactory(stripOwnerFactory);
    installed = true;
  }
  strips[t->w] = stripEntry{t, {}};
}

void toolbarAccessibleForget(toolbar *t) {
  if (!t) return;
  for (auto f = strips.begin(); f != strips.end(); ++f) {
    if (f->second.strip != t) continue;
    for (QAccessible::Id id : f->second.buttons)
      if (id) QAccessible::deleteAccessibleInterface(id);
    strips.erase(f);
    return;
  }
}
