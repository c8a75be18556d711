// The menu bar, context menus, accelerator keys, enable rules on the menus and
// toolbar, and the About box, on real widgets.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>
#include <string>
#include <vector>

#include "ui/about_ui.h"
#include "app/commands.h"
#include "app/datadir.h"
#include "ui/menus_ui.h"
#include "app/prefs.h"
#include "workflow/recent.h"
#include "workflow/profile.h"
#include "ui/toolbar.h"
#include "editor/modes.h"
#include "platform/seams.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

std::vector<unsigned> received;
void record(unsigned id) { received.push_back(id); }

// The texts of a menu's items, "-" for a separator, ">" and the title for a submenu.
QStringList itemsOf(QMenu *m) {
  QStringList out;
  for (QAction *a : m->actions()) {
    if (a->isSeparator())
      out << QStringLiteral("-");
    else if (a->menu())
      out << QStringLiteral(">") + a->text();
    else
      out << a->text();
  }
  return out;
}

QStringList tableTexts(int menu) {
  QStringList out;
  for (int i = 0; i < commandTableTotal; i++)
    if (commandTable[i].menu == menu && commandTable[i].text) out << QString::fromUtf8(commandTable[i].text);
  return out;
}

QStringList withoutSeparators(QStringList l) {
  l.removeAll(QStringLiteral("-"));
  return l;
}

int itemIndex(const toolbar *t, unsigned id) {
  for (int i = 0; i < t->itemsTotal; i++)
    if (t->items[i].ui == id) return i;
  return -1;
}

}  // namespace

class MenusTest : public QObject {
  Q_OBJECT

  QWidget *frame = nullptr;
  QWidget *client = nullptr;
  toolbar *tb = nullptr;

 private slots:
  void initTestCase() {
    scriptedInstall();
    frame = new QWidget;
    QVBoxLayout *v = new QVBoxLayout(frame);
    v->setMenuBar(menusCreate(frame));
    client = new QWidget;
    client->setFocusPolicy(Qt::StrongFocus);
    v->addWidget(client);
    frame->resize(700, 200);
    tb = toolbarCreate(client, 0, 0);
    toolbarAddButtons(tb);
    menusInstall(tb);
    menusAcceleratorsInstall(frame);
    menusCommandHook = record;
    frame->show();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    client->setFocus();
  }

  void cleanupTestCase() {
    toolbarDestroy(tb);
    menusDestroy();
    delete frame;
    seamsClear();
  }

  void init() { received.clear(); }

  void menuBarFollowsTheTable() {
    QMenuBar *bar = menusCreate(frame);
    QCOMPARE(menusCreate(frame), bar);  // made once
    QStringList titles;
    for (QAction *a : bar->actions()) titles << a->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Tools", "&Actions", "&Arrange", "&Help"}));
    for (int menu : {commandFileMenu, commandEditMenu, commandViewMenu, commandToolsMenu, commandArrangeMenu,
                     commandHelpMenu})
      QCOMPARE(withoutSeparators(itemsOf(menusPulldown(menu))), tableTexts(menu));
    QStringList actions = withoutSeparators(itemsOf(menusPulldown(commandActionsMenu)));
    QStringList expected = tableTexts(commandActionsMenu);
    expected << ">A&lign to Common Edge" << ">&Expand to Common Edge";
    QCOMPARE(actions, expected);
    QCOMPARE(itemsOf(menusPulldown(commandAlignMenu)), tableTexts(commandAlignMenu));
    QCOMPARE(itemsOf(menusPulldown(commandExpandMenu)), tableTexts(commandExpandMenu));
    // No item registers a shortcut of its own: the keys go through the table.
    for (int i = 0; i < commandTableTotal; i++)
      if (QAction *a = menusAction(commandTable[i].id)) QVERIFY(a->shortcut().isEmpty());
    QCOMPARE(menusAction(cmdDelete), nullptr);
  }

  void triggeringRunsTheCommandAndKeepsTheToolCheck() {
    menusAction(cmdOpen)->trigger();
    QCOMPARE(received, (std::vector<unsigned>{cmdOpen}));
    // A tool's check mark is the mode's, not the click's.
    menusCheck(cmdRectangle, 0);
    menusAction(cmdRectangle)->trigger();
    QCOMPARE(menusChecked(cmdRectangle), 0);
    menusCheck(cmdRectangle, 1);
    menusAction(cmdRectangle)->trigger();
    QCOMPARE(menusChecked(cmdRectangle), 1);
    // The tools are one radio group: checking one unchecks the others, and a
    // click does not move the mark.
    QActionGroup *tools = menusAction(cmdRectangle)->actionGroup();
    QVERIFY(tools && tools->isExclusive());
    for (unsigned id : {cmdRectangle, cmdCircle, cmdPolygon, cmdMagicWand, cmdTestEdit})
      QCOMPARE(menusAction(id)->actionGroup(), tools);
    menusCheck(cmdPolygon, 1);
    QCOMPARE(menusChecked(cmdRectangle), 0);
    QCOMPARE(menusChecked(cmdPolygon), 1);
    menusAction(cmdCircle)->trigger();
    QCOMPARE(menusChecked(cmdCircle), 0);
    QCOMPARE(menusChecked(cmdPolygon), 1);
    menusCheck(cmdPolygon, 0);
    QCOMPARE(received, (std::vector<unsigned>{cmdOpen, cmdRectangle, cmdRectangle, cmdCircle}));
    // Through the seam: menu and toolbar together.
    commandCheck(cmdTestEdit, 1);
    QCOMPARE(menusChecked(cmdTestEdit), 1);
    QCOMPARE(tb->items[itemIndex(tb, cmdTestEdit)].checked, 1);
    commandCheck(cmdTestEdit, 0);
    QCOMPARE(menusChecked(cmdTestEdit), 0);
    QCOMPARE(tb->items[itemIndex(tb, cmdTestEdit)].checked, 0);
    menusCheck(cmdRectangle, 0);
  }

  void enableRulesReachMenusAndToolbar() {
    sensitivityInputs in = {};
    in.setting = 1;
    in.state = editing;
    in.objectsTotal = 2;
    in.lastObjectSelected = -1;
    menusApplySensitivity(tb, &in);
    QVERIFY(!menusEnabled(cmdCopy));
    QCOMPARE(tb->items[itemIndex(tb, cmdCopy)].enabled, MF_ENABLED);
    QVERIFY(!menusEnabled(cmdCut));
    QCOMPARE(tb->items[itemIndex(tb, cmdCut)].enabled, MF_GRAYED);
    QVERIFY(menusEnabled(cmdSelectAll));
    QVERIFY(menusEnabled(cmdSave));
    in.setting = 0;
    menusApplySensitivity(tb, &in);
    QVERIFY(!menusEnabled(cmdSave));
    QVERIFY(menusEnabled(cmdOpen));
    QVERIFY(menusEnabled(cmdAbout));
    // Separators: cmdSeparator and cmdSeparatorTools follow the document, cmdSeparatorHelp stays.
    for (int i = 0; i < tb->itemsTotal; i++) {
      if (tb->items[i].ui == cmdSeparator || tb->items[i].ui == cmdSeparatorTools)
        QCOMPARE(tb->items[i].enabled, MF_GRAYED);
      if (tb->items[i].ui == cmdSeparatorHelp) QCOMPARE(tb->items[i].enabled, MF_ENABLED);
    }
    // The sensitivity seam gathers the program's state itself.
    state = nostate;
    sensitivity(1);
    QVERIFY(menusEnabled(cmdSave));
    QVERIFY(!menusEnabled(cmdCut));
  }

  void acceleratorsRunEnabledCommandsBeforeMenuLetters() {
    sensitivityInputs in = {};
    in.setting = 1;
    in.state = editing;
    in.objectsTotal = 3;
    in.lastObjectSelected = 0;
    in.objectsSelected = 2;
    in.undo = 1;
    menusApplySensitivity(tb, &in);
    client->setFocus();
    QTest::keyClick(client, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(client, Qt::Key_Y, Qt::ControlModifier);  // nothing to redo: grayed
    QTest::keyClick(client, Qt::Key_T, Qt::AltModifier);      // Align Top, not the Tools menu
    QTest::keyClick(client, Qt::Key_T, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(client, Qt::Key_Delete);
    QTest::keyClick(client, Qt::Key_Escape);
    QTest::keyClick(client, Qt::Key_Return);
    QTest::keyClick(client, Qt::Key_Equal);
    QTest::keyClick(client, Qt::Key_Minus);
    QTest::keyClick(client, Qt::Key_F1);
    QTest::keyClick(client, Qt::Key_Q);  // no accelerator
    QCOMPARE(received, (std::vector<unsigned>{cmdUndo, cmdAlignTop, cmdExpandTop, cmdDelete, cmdCancel, cmdProperties,
                                              cmdZoomIn, cmdZoomOut, cmdHelpContents}));
    QVERIFY(!QApplication::activePopupWidget());
    // With no document the document commands are grayed and their keys do
    // nothing; keys without a menu item still run.
    in.setting = 0;
    menusApplySensitivity(tb, &in);
    received.clear();
    QTest::keyClick(client, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(client, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(client, Qt::Key_Escape);
    QCOMPARE(received, (std::vector<unsigned>{cmdOpen, cmdCancel}));
  }

  void grayedAcceleratorsLeaveTheKeyToTheMenuBar() {
    sensitivityInputs in = {};
    in.setting = 1;
    in.state = editing;
    in.objectsTotal = 1;
    in.lastObjectSelected = 0;
    in.objectsSelected = 1;
    menusApplySensitivity(tb, &in);  // Align (Alt+T) and Add Point (Alt+A) grayed
    const struct {
      Qt::Key key;
      int menu;
    } cases[] = {{Qt::Key_T, commandToolsMenu}, {Qt::Key_A, commandActionsMenu}};
    for (const auto &c : cases) {
      client->setFocus();
      QTest::keyClick(client, c.key, Qt::AltModifier);
      QTRY_COMPARE(QApplication::activePopupWidget(), (QWidget *)menusPulldown(c.menu));
      QVERIFY(received.empty());
      menusPulldown(c.menu)->close();
      QTRY_VERIFY(!QApplication::activePopupWidget());
    }
  }

  void keysInOtherWindowsAreLeftAlone() {
    QDialog dlg;
    QPushButton *b = new QPushButton(QStringLiteral("x"), &dlg);
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(b, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(b, Qt::Key_Delete);
    QVERIFY(received.empty());
    dlg.hide();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
  }

  void keyTranslation() {
    struct Case {
      int key;
      Qt::KeyboardModifiers mods;
      QString text;
      unsigned id;
    } cases[] = {
        {Qt::Key_Plus, Qt::ShiftModifier, "+", cmdZoomIn},
        {Qt::Key_Plus, Qt::KeypadModifier, "+", cmdZoomIn},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", cmdProperties},
        {Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier, "", 0},
        {Qt::Key_R, Qt::AltModifier | Qt::ShiftModifier, "R", cmdExpandRight},
        {Qt::Key_BracketRight, Qt::ControlModifier, "\x1d", cmdBringForward},
        {Qt::Key_BraceRight, Qt::ControlModifier | Qt::ShiftModifier, "}", cmdBringToFront},
        {Qt::Key_BracketLeft, Qt::ControlModifier, "\x1b", cmdSendBackward},
        {Qt::Key_BraceLeft, Qt::ControlModifier | Qt::ShiftModifier, "{", cmdSendToBack},
        {Qt::Key_unknown, Qt::NoModifier, "", 0},
    };
    for (const Case &c : cases) {
      QKeyEvent e(QEvent::KeyPress, c.key, c.mods, c.text);
      QCOMPARE(menusKeyCommand(&e), c.id);
    }
    QCOMPARE(menusKeyCommand(nullptr), 0u);
  }

  void contextMenusShareTheMenuBarActions() {
    createContextMenus();
    const QStringList single = {"Proper&ties\tEnter", "-", "&Undo\tCtrl+Z", "Re&do\tCtrl+Y", "-",
                                "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"};
    const QStringList one = single + QStringList{"-", "Select &Under", ">&Arrange"};
    QCOMPARE(itemsOf(singleSelectionMenu), one);
    QStringList points = single;
    points << "-" << "&Remove Selected Point(s)\tAlt+P";
    QCOMPARE(itemsOf(pointsMenu), points);
    points << "&Add Point Between Selected Points\tAlt+A";
    QCOMPARE(itemsOf(pointsWithInsertMenu), points);
    QCOMPARE(itemsOf(multipleSelectionMenu),
             (QStringList{"&Undo\tCtrl+Z", "Re&do\tCtrl+Y", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                          "&Paste\tCtrl+V", "-", ">A&lign to Common Edge", ">&Expand to Common Edge", "-",
                          "Select &Under", ">&Arrange"}));
    QCOMPARE(contextMenuOf(contextMenuOneHotspot), singleSelectionMenu);
    QCOMPARE(contextMenuOf(99), nullptr);
    QCOMPARE(singleSelectionMenu->actions().at(2), menusAction(cmdUndo));
    QMenu *align = multipleSelectionMenu->actions().at(7)->menu();
    QCOMPARE(itemsOf(align), tableTexts(commandAlignMenu));
    QCOMPARE(align->actions().at(0), menusAction(cmdAlignTop));
    // Choosing an item runs its command.
    singleSelectionMenu->actions().at(0)->trigger();
    QCOMPARE(received, (std::vector<unsigned>{cmdProperties}));
  }

  void enableMenusGraysTheFirstThreePullDowns() {
    EnableMenus(1);
    QVERIFY(!menusPulldown(commandFileMenu)->menuAction()->isEnabled());
    QVERIFY(!menusPulldown(commandEditMenu)->menuAction()->isEnabled());
    QVERIFY(!menusPulldown(commandViewMenu)->menuAction()->isEnabled());
    QVERIFY(menusPulldown(commandToolsMenu)->menuAction()->isEnabled());
    QVERIFY(menusPulldown(commandHelpMenu)->menuAction()->isEnabled());
    EnableMenus(0);
    QVERIFY(menusPulldown(commandFileMenu)->menuAction()->isEnabled());
    QVERIFY(menusPulldown(commandViewMenu)->menuAction()->isEnabled());
  }

  void recentFilesAreReplacedAtTheEndOfFile() {
    QMenu *file = menusPulldown(commandFileMenu);
    const int base = file->actions().size();
    const int ids[] = {2600, 2601};
    const char *const labels[] = {"&1 /tmp/a.html", "&2 /tmp/b & c.html"};
    menusRecentFiles(2, ids, labels);
    QCOMPARE(file->actions().size(), base + 3);
    QCOMPARE(file->actions().at(base - 1)->text(), QStringLiteral("E&xit\tCtrl+Q"));
    QVERIFY(file->actions().at(base)->isSeparator());
    QCOMPARE(file->actions().at(base + 1)->text(), QStringLiteral("&1 /tmp/a.html"));
    file->actions().at(base + 2)->trigger();
    QCOMPARE(received, (std::vector<unsigned>{2601}));
    menusRecentFiles(1, ids, labels);
    QCOMPARE(file->actions().size(), base + 2);
    menusRecentFiles(0, nullptr, nullptr);
    QCOMPARE(file->actions().size(), base);
  }

  void recentEntriesFollowWhatAnotherProcessWrote() {
    tempHome home;
    recentFileAdd("/tmp/one.html");
    QMenu *file = menusPulldown(commandFileMenu);
    QCOMPARE(file->actions().last()->text(), QStringLiteral("&1 /tmp/one.html"));
    // Another process puts its page first, then tells the others to reload.
    profileWriteString("recentfiles", "file-0", "/tmp/two.html", theManifest.iniFileName);
    reloadConfigReceived();
    QCOMPARE(file->actions().last()->text(), QStringLiteral("&1 /tmp/two.html"));
    // Without a notice the entries are read again when the File menu opens.
    profileWriteString("recentfiles", "file-0", "/tmp/three.html", theManifest.iniFileName);
    emit file->aboutToShow();
    QCOMPARE(file->actions().last()->text(), QStringLiteral("&1 /tmp/three.html"));
    menusRecentFiles(0, nullptr, nullptr);
  }

  void aboutBox() {
    scripted.addresses.clear();
    QDialog *box = aboutCreate(frame, aboutDefaultText);
    QCOMPARE(box->windowTitle(), QStringLiteral("About Tilvane"));
    QPushButton *home = box->findChild<QPushButton *>(QStringLiteral("homePage"));
    QPushButton *close = box->findChild<QPushButton *>(QStringLiteral("closeWindow"));
    QVERIFY(home && close);
    QCOMPARE(home->text(), QStringLiteral("Tilvane Home Page"));
    QCOMPARE(close->text(), QStringLiteral("Close Window"));
    QVERIFY(close->isDefault());
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QCOMPARE(aboutW, box->width());
    QVERIFY(aboutH <= box->height() - 40);
    // The gradient, away from the text.
    const QImage img = box->grab().toImage();
    const int h = box->height();
    for (int row : {0, h / 4, h / 2, h - 1}) {
      const QColor c = img.pixelColor(3, row);
      QCOMPARE(c.red(), 192);
      QCOMPARE(c.green(), 255 - 64 * row / h);
      QCOMPARE(c.blue(), 192);
    }
    // Black text somewhere in the text area.
    bool dark = false;
    for (int y = 25; y < 60 && !dark; y++)
      for (int x = 25; x < aboutW - 25 && !dark; x++) dark = img.pixelColor(x, y).lightness() < 80;
    QVERIFY(dark);
    QTest::mouseClick(home, Qt::LeftButton);
    QCOMPARE(scripted.addresses, (std::vector<std::string>{aboutHomeAddress}));
    QVERIFY(aboutFont);
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!box->isVisible());
    QVERIFY(!aboutFont);
    delete box;
  }

  void aboutTextIsBoundedAndTheGradientStopsAt500Rows() {
    std::string longText(3000, 'x');
    delete aboutCreate(nullptr, longText.c_str());
    QCOMPARE((int)strlen(aboutText), 1023);
    delete aboutCreate(nullptr, nullptr);
    QCOMPARE(aboutText[0], '\0');
    QCOMPARE(aboutGradientColor(0, 300), 0xC0FFC0);
    QCOMPARE(aboutGradientColor(299, 300), (192 << 16) | ((255 - 64 * 299 / 300) << 8) | 192);
    QCOMPARE(aboutGradientColor(300, 300), -1);
    QCOMPARE(aboutGradientColor(499, 800), (192 << 16) | ((255 - 64 * 499 / 800) << 8) | 192);
    QCOMPARE(aboutGradientColor(500, 800), -1);
    QCOMPARE(aboutGradientColor(0, 0), -1);
  }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
