// menus_ui.cpp: the menu bar, the context menus, the accelerator filter and
// the enable rules applied to menus and toolbar, all from the command table.
// Owns menusCommandHook, pointsMenu, pointsWithInsertMenu, singleSelectionMenu,
// multipleSelectionMenu.
#include "ui/menus_ui.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalBlocker>
#include <QWidget>
#include <map>
#include <vector>

#include "app/commands.h"
#include "app/prefs.h"
#include "workflow/recent.h"
#include "ui/toolbar.h"
#include "app/update.h"
#include "platform/seams.h"

void (*menusCommandHook)(unsigned id) = nullptr;

QMenu *pointsMenu = nullptr;
QMenu *pointsWithInsertMenu = nullptr;
QMenu *singleSelectionMenu = nullptr;
QMenu *multipleSelectionMenu = nullptr;

namespace {

// The owner of every action and context menu of this module.
QObject *actionOwner = nullptr;
std::map<unsigned, QAction *> actions;
std::map<unsigned, int> checkedState;
QPointer<QMenuBar> menuBar;
QMenu *pulldowns[commandMenusTotal] = {};
std::vector<QAction *> recentActions;
QAction *recentSeparator = nullptr;
QObject *acceleratorFilter = nullptr;
toolbar *installedToolbar = nullptr;

QString menuText(const char *s) { return QString::fromUtf8(s ? s : ""); }

void runCommand(unsigned id) {
  if (menusCommandHook) menusCommandHook(id);
}

QObject *owner() {
  if (!actionOwner) {
    actionOwner = new QObject;
    actionOwner->setObjectName(QStringLiteral("menusOwner"));
  }
  return actionOwner;
}

// One action per command with a menu text.
void actionsSetup() {
  if (!actions.empty()) return;
  QActionGroup *tools = nullptr;
  for (int i = 0; i < commandTableTotal; i++) {
    const commandEntry &c = commandTable[i];
    if (!c.text) continue;
    QAction *a = new QAction(menuText(c.text), owner());
    a->setObjectName(QStringLiteral("command%1").arg(c.id));
    a->setData(c.id);
    // No shortcut is set: the accelerator filter handles the keys, and the
    // menus show the key name that follows the tab in the text.
    if (c.checkable == 2) {
      // A setting switched on and off: checked while it is on.
      a->setCheckable(true);
    } else if (c.checkable) {
      // The tools form one group: the menu marks the active one as a radio
      // item. No tool is active before the first is chosen, so the group
      // allows none.
      if (!tools) {
        tools = new QActionGroup(owner());
        tools->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
      }
      a->setCheckable(true);
      a->setActionGroup(tools);
    }
    const unsigned id = c.id;
    QObject::connect(a, &QAction::triggered, [a, id]() {
      // The check mark follows the editing mode, not the click (the click
      // may have moved the group's mark too).
      if (a->isCheckable()) {
        const QList<QAction *> group = a->actionGroup() ? a->actionGroup()->actions() : QList<QAction *>{a};
        for (QAction *m : group) {
          QSignalBlocker block(m);
          m->setChecked(checkedState[m->data().toUInt()] != 0);
        }
      }
      runCommand(id);
    });
    // Without an update server there is no update check to offer.
    if (c.id == cmdCheckUpdates && !updateCheckAvailable()) a->setVisible(false);
    actions[c.id] = a;
  }
}

void addRows(QMenu *menu, int which) {
  bool first = true;
  for (int i = 0; i < commandTableTotal; i++) {
    const commandEntry &c = commandTable[i];
    if (c.menu != which || !c.text) continue;
    if (c.separatorBefore && !first) menu->addSeparator();
    menu->addAction(actions[c.id]);
    first = false;
  }
}

QMenu *subMenu(QWidget *parent, int which) {
  QMenu *m = new QMenu(menuText(commandMenuTitles[which]), parent);
  m->setObjectName(QStringLiteral("menu%1").arg(which));
  addRows(m, which);
  return m;
}

QMenu *buildContextMenu(int resource) {
  const contextMenuLayout *layout = contextMenuFind(resource);
  if (!layout) return nullptr;
  actionsSetup();
  QMenu *m = new QMenu;
  m->setObjectName(QStringLiteral("contextMenu%1").arg(resource));
  for (const unsigned *e = layout->entries; *e != contextMenuEnd; e++) {
    if (*e == contextMenuSeparator) {
      m->addSeparator();
    } else if (*e == contextMenuAlign || *e == contextMenuExpand || *e == contextMenuArrange) {
      QMenu *sub = subMenu(m, *e == contextMenuAlign    ? commandAlignMenu
                              : *e == contextMenuExpand ? commandExpandMenu
                                                        : commandArrangeMenu);
      m->addMenu(sub);
    } else {
      auto it = actions.find(*e);
      if (it != actions.end()) m->addAction(it->second);
    }
  }
  return m;
}

int keyFlags(Qt::KeyboardModifiers mods) {
  int flags = 0;
  if (mods & Qt::ShiftModifier) flags |= ACCEL_SHIFT;
  if (mods & Qt::ControlModifier) flags |= ACCEL_CONTROL;
  if (mods & Qt::AltModifier) flags |= ACCEL_ALT;
  return flags;
}

int virtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VKEY_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VKEY_RETURN;
    case Qt::Key_Escape:
      return VKEY_ESCAPE;
    case Qt::Key_Delete:
      return VKEY_DELETE;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
      return VKEY_PLUS;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return VKEY_MINUS;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
      return VKEY_APOSTROPHE;
    // With shift held the bracket keys arrive as braces.
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
      return VKEY_LBRACKET;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
      return VKEY_RBRACKET;
  }
  return 0;
}

// Whether a key press may run its command: commands of the menu bar run only
// while their item is enabled; the others always run.
bool commandAllowed(unsigned id) {
  const commandEntry *c = commandFind(id);
  if (!c || c->menu == commandNoMenu) return true;
  auto it = actions.find(id);
  return it == actions.end() || it->second->isEnabled();
}

class AcceleratorFilter : public QObject {
 public:
  explicit AcceleratorFilter(QWidget *frame) : QObject(frame), frame_(frame) {}

 protected:
  bool eventFilter(QObject *obj, QEvent *e) override {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride) return false;
    QWidget *w = qobject_cast<QWidget *>(obj);
    if (!w || !frame_ || w->window() != frame_->window()) return false;
    QKeyEvent *k = static_cast<QKeyEvent *>(e);
    const unsigned id = menusKeyCommand(k);
    // A grayed command leaves its key to the others: Alt+T with Align grayed
    // opens the Tools menu by its letter.
    if (!id || !commandAllowed(id)) return false;
    if (e->type() == QEvent::ShortcutOverride) {
      // Keep the key from the menu bar's letter keys; it arrives as a key press.
      e->accept();
      return true;
    }
    runCommand(id);
    return true;
  }

 private:
  QPointer<QWidget> frame_;
};

// The seams' hooks.
void hookSensitivity(int setting) { menusSensitivity(installedToolbar, setting); }
void hookEnableMenus(int flag) { menusEnableTop(flag); }
void hookCommandCheck(int id, int checked) { commandCheckBoth(installedToolbar, (unsigned)id, checked); }
void hookCommandEnable(int id, int enabled) { commandEnableBoth(installedToolbar, (unsigned)id, enabled); }
void hookToolbarRedraw(void) { toolbarDraw(installedToolbar); }

}  // namespace

QMenuBar *menusCreate(QWidget *parent) {
  if (menuBar) return menuBar;
  actionsSetup();
  QMenuBar *bar = new QMenuBar(parent);
  bar->setObjectName(QStringLiteral("menuBar"));
  const int order[] = {commandFileMenu, commandEditMenu, commandViewMenu, commandToolsMenu,
                       commandActionsMenu, commandArrangeMenu, commandHelpMenu};
  for (int which : order) {
    QMenu *m = subMenu(bar, which);
    pulldowns[which] = m;
    // Another process may have changed the recent documents: the entries are
    // read again each time the File menu opens, so each label opens its page.
    if (which == commandFileMenu) QObject::connect(m, &QMenu::aboutToShow, []() { recentFileMenuUpdate(); });
    if (which == commandActionsMenu) {
      m->addSeparator();
      pulldowns[commandAlignMenu] = subMenu(m, commandAlignMenu);
      pulldowns[commandExpandMenu] = subMenu(m, commandExpandMenu);
      m->addMenu(pulldowns[commandAlignMenu]);
      m->addMenu(pulldowns[commandExpandMenu]);
    }
    bar->addMenu(m);
  }
  menuBar = bar;
  QObject::connect(bar, &QObject::destroyed, []() {
    for (QMenu *&m : pulldowns) m = nullptr;
    recentActions.clear();
    recentSeparator = nullptr;
  });
  return bar;
}

QAction *menusAction(unsigned id) {
  actionsSetup();
  auto it = actions.find(id);
  return it == actions.end() ? nullptr : it->second;
}

QMenu *menusPulldown(int menu) {
  if (menu < 0 || menu >= commandMenusTotal) return nullptr;
  return pulldowns[menu];
}

void menusEnable(unsigned id, int enabled) {
  if (QAction *a = menusAction(id)) a->setEnabled(enabled != 0);
}

void menusCheck(unsigned id, int checked) {
  QAction *a = menusAction(id);
  if (!a) return;
  // Checking a tool unchecks the others of its group (the group does not see
  // changes made with signals blocked).
  if (checked && a->actionGroup()) {
    for (QAction *other : a->actionGroup()->actions()) {
      checkedState[other->data().toUInt()] = 0;
      QSignalBlocker block(other);
      other->setChecked(false);
    }
  }
  checkedState[id] = checked != 0;
  if (!a->isCheckable()) a->setCheckable(true);
  QSignalBlocker block(a);
  a->setChecked(checked != 0);
}

int menusEnabled(unsigned id) {
  QAction *a = menusAction(id);
  return a && a->isEnabled();
}

int menusChecked(unsigned id) {
  QAction *a = menusAction(id);
  return a && a->isChecked();
}

void menusEnableTop(int gray) {
  const int top[] = {commandFileMenu, commandEditMenu, commandViewMenu};
  for (int which : top)
    if (pulldowns[which]) pulldowns[which]->menuAction()->setEnabled(!gray);
  if (menuBar) menuBar->update();
}

void menusRecentFiles(int count, const int *ids, const char *const *labels) {
  QMenu *file = pulldowns[commandFileMenu];
  if (!file) return;
  for (QAction *a : recentActions) {
    file->removeAction(a);
    delete a;
  }
  recentActions.clear();
  if (recentSeparator) {
    file->removeAction(recentSeparator);
    delete recentSeparator;
    recentSeparator = nullptr;
  }
  if (count <= 0 || !ids || !labels) return;
  recentSeparator = file->addSeparator();
  for (int i = 0; i < count; i++) {
    QAction *a = file->addAction(menuText(labels[i]));
    const unsigned id = (unsigned)ids[i];
    a->setObjectName(QStringLiteral("command%1").arg(id));
    a->setData(id);
    QObject::connect(a, &QAction::triggered, [id]() { runCommand(id); });
    recentActions.push_back(a);
  }
}

void menusApplySensitivity(toolbar *t, const sensitivityInputs *in) {
  if (!in) return;
  for (int i = 0; i < commandTableTotal; i++) {
    const unsigned id = commandTable[i].id;
    const int m = sensitivityMenu(id, in);
    if (m != -1) menusEnable(id, m);
    const int b = sensitivityToolbar(id, in);
    if (b != -1 && t) toolbarEnable(t, id, b ? MF_ENABLED : MF_GRAYED);
  }
  if (t) toolbarDraw(t);
}

void menusSensitivity(toolbar *t, int setting) {
  sensitivityInputs in;
  sensitivityGather(setting, &in);
  menusApplySensitivity(t, &in);
}

void commandCheckBoth(toolbar *t, unsigned id, int checked) {
  menusCheck(id, checked);
  if (t) toolbarCheck(t, id, checked);
}

void commandEnableBoth(toolbar *t, unsigned id, int enabled) {
  menusEnable(id, enabled);
  if (t) toolbarEnable(t, id, enabled ? MF_ENABLED : MF_GRAYED);
}

void createContextMenus(void) {
  if (!pointsMenu) pointsMenu = buildContextMenu(134);
  if (!pointsWithInsertMenu) pointsWithInsertMenu = buildContextMenu(contextMenuTwoPoints);
  if (!singleSelectionMenu) singleSelectionMenu = buildContextMenu(contextMenuOneHotspot);
  if (!multipleSelectionMenu) multipleSelectionMenu = buildContextMenu(contextMenuSeveralHotspots);
}

QMenu *contextMenuOf(int resource) {
  createContextMenus();
  switch (resource) {
    case contextMenuPoints: return pointsMenu;
    case contextMenuTwoPoints: return pointsWithInsertMenu;
    case contextMenuOneHotspot: return singleSelectionMenu;
    case contextMenuSeveralHotspots: return multipleSelectionMenu;
  }
  return nullptr;
}

unsigned menusKeyCommand(const QKeyEvent *e) {
  if (!e) return 0;
  const QString text = e->text();
  int ch = 0;
  if (text.size() == 1 && text.at(0).unicode() >= 0x20 && text.at(0).unicode() < 0x7f)
    ch = text.at(0).unicode();
  return acceleratorFind(keyFlags(e->modifiers()), virtualKey(e->key()), ch);
}

void menusAcceleratorsInstall(QWidget *frame) {
  if (!frame || !qApp) return;
  if (acceleratorFilter) {
    qApp->removeEventFilter(acceleratorFilter);
    delete acceleratorFilter;
  }
  acceleratorFilter = new AcceleratorFilter(frame);
  QObject::connect(acceleratorFilter, &QObject::destroyed, []() { acceleratorFilter = nullptr; });
  qApp->installEventFilter(acceleratorFilter);
}

void menusInstall(toolbar *t) {
  installedToolbar = t;
  seams.sensitivity = hookSensitivity;
  seams.enableMenus = hookEnableMenus;
  seams.commandCheck = hookCommandCheck;
  seams.commandEnable = hookCommandEnable;
  seams.toolbarRedraw = hookToolbarRedraw;
  recentFileMenuHook = menusRecentFiles;
}

void menusDestroy(void) {
  if (acceleratorFilter) {
    if (qApp) qApp->removeEventFilter(acceleratorFilter);
    delete acceleratorFilter;
    acceleratorFilter = nullptr;
  }
  for (QMenu **m : {&pointsMenu, &pointsWithInsertMenu, &singleSelectionMenu, &multipleSelectionMenu}) {
    delete *m;
    *m = nullptr;
  }
  if (menuBar) delete menuBar.data();
  for (QMenu *&m : pulldowns) m = nullptr;
  recentActions.clear();
  recentSeparator = nullptr;
  actions.clear();
  checkedState.clear();
  delete actionOwner;
  actionOwner = nullptr;
  installedToolbar = nullptr;
}
