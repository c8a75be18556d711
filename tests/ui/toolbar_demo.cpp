// toolbar_demo.cpp: a window with the menu bar and the toolbar strip, for
// looking at them on a display. Options: --doc (a document is open), --edit
// (Test+Edit with two hotspots selected and the undo list non-empty), --points
// (one hotspot with two of its points selected), --check ID, --hover INDEX,
// --press INDEX, --tip INDEX (hover and tooltip), --about, --menu MENU (open a
// pull-down), --context RESOURCE (open a context menu), --shot FILE (save a
// picture of the window and quit), --quit MS (quit after).
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "ui/about_ui.h"
#include "app/commands.h"
#include "ui/menus_ui.h"
#include "ui/toolbar.h"
#include "editor/modes.h"

namespace {

toolbar *tb = nullptr;

class Client : public QWidget {
 protected:
  bool event(QEvent *e) override {
    const unsigned id = toolbarEvent(tb, e);
    if (id) std::printf("command %u\n", id), std::fflush(stdout);
    if (e->type() == QEvent::Paint) {
      QPainter p(this);
      p.fillRect(QRect(0, toolbarHeight, width(), height() - toolbarHeight), QColor(128, 128, 128));
      return true;
    }
    return QWidget::event(e);
  }
};

void printCommand(unsigned id) { std::printf("menu command %u\n", id), std::fflush(stdout); }

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QWidget frame;
  frame.setWindowTitle(QStringLiteral("Tilvane 4.05"));
  QVBoxLayout *v = new QVBoxLayout(&frame);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  v->setMenuBar(menusCreate(&frame));
  Client *client = new Client;
  v->addWidget(client);
  menusCommandHook = printCommand;
  menusAcceleratorsInstall(&frame);

  tb = toolbarCreate(client, 0, 0);
  toolbarAddButtons(tb);
  menusInstall(tb);
  frame.resize(toolbarWidth(tb) + 20, 160);

  sensitivityInputs in = {};
  in.lastObjectSelected = -1;
  const char *shot = nullptr;
  int quitMs = 0, tip = -1;
  for (int i = 1; i < argc; i++) {
    if (!strcmp(argv[i], "--doc")) {
      in.setting = 1;
      in.state = rectPosition;
    } else if (!strcmp(argv[i], "--edit")) {
      in = {1, editing, 3, 1, 2, 0, 1, 0, 1};
    } else if (!strcmp(argv[i], "--points")) {
      in = {1, editing, 3, 1, 1, 2, 1, 1, 1};
    } else if (!strcmp(argv[i], "--check") && i + 1 < argc) {
      commandCheckBoth(tb, (unsigned)atoi(argv[++i]), 1);
    } else if (!strcmp(argv[i], "--hover") && i + 1 < argc) {
      int k = atoi(argv[++i]);
      if (k >= 0 && k < tb->itemsTotal) tb->items[k].over = 1;
    } else if (!strcmp(argv[i], "--press") && i + 1 < argc) {
      int k = atoi(argv[++i]);
      if (k >= 0 && k < tb->itemsTotal) tb->items[k].depressed = 1;
    } else if (!strcmp(argv[i], "--tip") && i + 1 < argc) {
      tip = atoi(argv[++i]);
    } else if (!strcmp(argv[i], "--about")) {
      QTimer::singleShot(200, [&frame]() { about(&frame, aboutDefaultText); });
    } else if (!strcmp(argv[i], "--menu") && i + 1 < argc) {
      int which = atoi(argv[++i]);
      QTimer::singleShot(200, [&frame, which]() {
        if (QMenu *m = menusPulldown(which)) m->popup(frame.mapToGlobal(QPoint(10 + 60 * (which - 1), 20)));
      });
    } else if (!strcmp(argv[i], "--context") && i + 1 < argc) {
      int resource = atoi(argv[++i]);
      QTimer::singleShot(200, [&frame, resource]() {
        if (QMenu *m = contextMenuOf(resource)) m->popup(frame.mapToGlobal(QPoint(200, 60)));
      });
    } else if (!strcmp(argv[i], "--shot") && i + 1 < argc) {
      shot = argv[++i];
    } else if (!strcmp(argv[i], "--quit") && i + 1 < argc) {
      quitMs = atoi(argv[++i]);
    }
  }
  menusApplySensitivity(tb, &in);
  frame.show();
  frame.activateWindow();
  if (tip >= 0) {
    QTimer::singleShot(300, [client, tip]() {
      int x = 0;
      for (int k = 0; k < tip && k < tb->itemsTotal; k++) x += tb->items[k].width;
      QMouseEvent move(QEvent::MouseMove, QPointF(x + 11, 11), client->mapToGlobal(QPointF(x + 11, 11)),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(client, &move);
    });
  }
  if (shot) {
    QTimer::singleShot(600, [&frame, shot]() {
      frame.grab().save(QString::fromUtf8(shot));
      qApp->quit();
    });
  }
  if (quitMs > 0) QTimer::singleShot(quitMs, qApp, &QApplication::quit);
  int rc = app.exec();
  toolbarDestroy(tb);
  menusDestroy();
  return rc;
}
