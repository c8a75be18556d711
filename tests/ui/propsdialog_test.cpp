// Qt Test of the "Object URL" and "Default URL" dialogs on the offscreen
// platform: fields and limits, OK and Cancel for new and existing hotspots,
// "Same As Previous", the two check boxes, browsing, help, the default link.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "ui/propsdialog_ui.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"

namespace {

template <class T>
T *child(QWidget *w, const char *name) {
  return w ? w->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}
QLineEdit *edit(const char *name) { return child<QLineEdit>(urlDialog(), name); }
QPushButton *push(const char *name) { return child<QPushButton>(urlDialog(), name); }
QCheckBox *box(const char *name) { return child<QCheckBox>(urlDialog(), name); }

// Replaces a field's text as a user does: select everything, type.
void typeInto(QLineEdit *e, const QString &text) {
  e->setFocus();
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Delete);
  QTest::keyClicks(e, text);
}

int addRect(double x1, double y1, double x2, double y2, const char *url, const char *alt = nullptr) {
  objectsEnsure(objectsTotal + 1);
  object *o = &objects[objectsTotal];
  o->t = rectangle;
  pointsEnsure(o, 2);
  o->points[0] = {x1, y1};
  o->points[1] = {x2, y2};
  o->pointsTotal = 2;
  o->complete = 1;
  if (url) o->url = mystrdupImpl("t", url);
  if (alt) o->comments = mystrdupImpl("t", alt);
  objectsTotal++;
  objectsEnsure(objectsTotal);
  return objectsTotal - 1;
}

// A rectangle drawn but not yet confirmed: the spare record, in rectUrl.
void drawNewRect(void) {
  objectsEnsure(objectsTotal + 1);
  object *o = &objects[objectsTotal];
  o->t = rectangle;
  pointsEnsure(o, 2);
  o->points[0] = {1, 1};
  o->points[1] = {20, 30};
  o->pointsTotal = 2;
  o->complete = 0;
  state = rectUrl;
}

std::string browseTitle, browseStart;
const char *browseAnswer = nullptr;
int fakeBrowse(const char *title, char *buffer, int size) {
  browseTitle = title ? title : "";
  browseStart = buffer ? buffer : "";
  if (!browseAnswer) return -1;
  strcpyMax(buffer, size, browseAnswer);
  return 0;
}

}  // namespace

class PropsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    scriptedInstall();
    seamsClear();
    propsDialogInstall(nullptr);
    seams.urlBrowse = fakeBrowse;
    settingsDefaults();
    undoPurge();
    redoPurge();
    ReleaseObjects();
    objectsSetup();
    pointSelectionFree(&psel);
    pointSelectionSetup(&psel);
    lastObjectSelected = -1;
    changed = 0;
    state = editing;
    firstNever = 1;
  }
  void cleanup() {
    propsDialogDestroy();
    undoPurge();
    redoPurge();
    ReleaseObjects();
    pointSelectionFree(&psel);
    myfreeImpl(mapfilename);
    mapfilename = nullptr;
    state = nostate;
  }

  void showsEveryFieldWithItsLabelAndLimit() {
    int i = addRect(0, 0, 10, 10, "a.html", "Alt text");
    objects[i].title = mystrdupImpl("t", "Title");
    objects[i].target = mystrdupImpl("t", "_blank");
    objects[i].onMouseOver = mystrdupImpl("t", "over()");
    objects[i].onMouseOut = mystrdupImpl("t", "out()");
    objects[i].onClick = mystrdupImpl("t", "click()");
    lastObjectSelected = i;
    objects[i].selected = 1;
    Url(i, 1);
    QDialog *d = urlDialog();
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->windowTitle(), QStringLiteral("Object URL"));
    QVERIFY(!d->isModal());

    struct {
      const char *id;
      const char *text;
      int limit;
    } fields[] = {{"1011", "a.html", 255},  {"1000", "Alt text", 4096}, {"1066", "Title", 256},
                  {"1001", "_blank", 255},  {"1003", "over()", 255},    {"1002", "out()", 255},
                  {"1076", "click()", 32767}};
    for (const auto &f : fields) {
      QLineEdit *e = edit(f.id);
      QVERIFY2(e, f.id);
      QCOMPARE(e->text(), QString::fromLatin1(f.text));
      QCOMPARE(e->maxLength(), f.limit);
    }
    QStringList labels;
    for (QLabel *l : d->findChildren<QLabel *>()) labels << l->text();
    for (const char *l : {"URL for clicks on this object:", "Alternate (ALT) Text", "Mouse-Over (TITLE) Text",
                          "TARGET (For frames; usually left blank!)", "OnMouseOver", "OnMouseOut", "OnClick"})
      QVERIFY2(labels.contains(QString::fromLatin1(l)), l);
    QGroupBox *group = d->findChild<QGroupBox *>();
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("JavaScript Attributes for Advanced Users"));
    QVERIFY(group->isAncestorOf(edit("1003")) && group->isAncestorOf(edit("1076")));

    int helps = 0;
    for (QPushButton *b : d->findChildren<QPushButton *>())
      if (b->text() == QStringLiteral("Help!")) helps++;
    QCOMPARE(helps, 8);
    QCOMPARE(edit("coords")->text(), QStringLiteral("0,0,10,10"));
    QVERIFY(labels.contains(QStringLiteral("Coordinates (x1,y1,x2,y2)")));
    QCOMPARE(push("1")->text(), QStringLiteral("OK"));
    QCOMPARE(push("2")->text(), QStringLiteral("Cancel"));
    QCOMPARE(push("2005")->text(), QStringLiteral("Same As Previous"));
    QCOMPARE(push("2003")->text(), QStringLiteral("Browse Files..."));
    QCOMPARE(push("2004")->text(), QStringLiteral("Browse Web..."));
    QCOMPARE(box("1068")->text(), QStringLiteral("Same As ALT"));
    QCOMPARE(box("1077")->text(), QStringLiteral("Same As OnMouseOut"));
    QVERIFY(!push("1014")->isVisible());
    // In Test+Edit, "Same As Previous" is off.
    QVERIFY(!push("2005")->isEnabled());
  }

  void opensBesideThePictureNotOverTheHotspot() {
    // A frame in the top left corner of the screen, and a hotspot where a
    // dialog at the stored default place would cover it.
    QWidget frame;
    frame.setGeometry(0, 0, 360, 240);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    propsDialogInstall(&frame);
    scale = 1.0;
    hoffs = voffs = 0;
    const int i = addRect(220, 20, 340, 120, "a.html");
    Url(i, 1);
    QDialog *d = urlDialog();
    QVERIFY(d && d->isVisible());
    const QRect hot(frame.mapToGlobal(QPoint(220, 20)), frame.mapToGlobal(QPoint(340, 120)));
    QVERIFY(!d->frameGeometry().intersects(hot));
    QVERIFY(d->screen()->availableGeometry().contains(d->frameGeometry().topLeft()));
    // Not moved by the user, it is not remembered: it comes up beside the
    // picture again; moved, it comes back where the user put it.
    urlDialogDismiss();
    QCOMPARE(urlDialogX, 200);
    QCOMPARE(urlDialogY, 0);
    Url(i, 1);
    d->move(150, 170);
    urlDialogDismiss();
    Url(i, 1);
    QCOMPARE(d->pos(), QPoint(150, 170));
    urlDialogDismiss();
    propsDialogDestroy();
    propsDialogInstall(nullptr);
  }

  void absentTextsShowAsEmptyFields() {
    int i = addRect(0, 0, 10, 10, nullptr, "Only alt");
    lastObjectSelected = i;
    Url(i, 1);
    QCOMPARE(edit("1011")->text(), QString());
    QCOMPARE(edit("1000")->text(), QStringLiteral("Only alt"));
    // The title written for it is its alternative text, shown greyed.
    QVERIFY(box("1068")->isChecked());
    QCOMPARE(edit("1066")->text(), QStringLiteral("Only alt"));
    QVERIFY(!edit("1066")->isEnabled());
  }

  void aHotspotsOwnTitleAndOnClickShowAndStay() {
    titleAsAlt = 1;
    clickAsMouseOut = 1;
    int i = addRect(0, 0, 10, 10, "a.html", "A");
    objects[i].title = mystrdupImpl("t", "Own title");
    objects[i].onMouseOut = mystrdupImpl("t", "out()");
    objects[i].onClick = mystrdupImpl("t", "click()");
    lastObjectSelected = i;
    objects[i].selected = 1;
    Url(i, 1);
    QVERIFY(!box("1068")->isChecked());
    QCOMPARE(edit("1066")->text(), QStringLiteral("Own title"));
    QVERIFY(!box("1077")->isChecked());
    QCOMPARE(edit("1076")->text(), QStringLiteral("click()"));
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(QString::fromLatin1(objects[i].title), QStringLiteral("Own title"));
    QCOMPARE(QString::fromLatin1(objects[i].onClick), QStringLiteral("click()"));
    // A hotspot of the map leaves the stored options alone.
    QCOMPARE(titleAsAlt, 1);
    QCOMPARE(clickAsMouseOut, 1);
    // Ticking a box for it gives it the other field's text; unticking brings its own back.
    Url(i, 1);
    QTest::mouseClick(box("1068"), Qt::LeftButton);
    QCOMPARE(edit("1066")->text(), QStringLiteral("A"));
    QTest::mouseClick(box("1077"), Qt::LeftButton);
    QTest::mouseClick(box("1077"), Qt::LeftButton);
    QCOMPARE(edit("1076")->text(), QStringLiteral("click()"));
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(QString::fromLatin1(objects[i].title), QStringLiteral("A"));
    QCOMPARE(QString::fromLatin1(objects[i].onClick), QStringLiteral("click()"));
  }

  void okConfirmsANewHotspot() {
    addRect(0, 0, 5, 5, "first.html");
    drawNewRect();
    Url(objectsTotal, 1);
    QVERIFY(urlDialog()->isVisible());
    typeInto(edit("1011"), QStringLiteral("my\"page\".html"));
    typeInto(edit("1000"), QStringLiteral("Some \"alt\""));
    typeInto(edit("1002"), QStringLiteral("out()"));
    urlDialog()->move(300, 200);
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(objectsTotal, 2);
    QCOMPARE(state, (int)rectPosition);
    QVERIFY(objects[1].complete);
    QCOMPARE(QString::fromLatin1(objects[1].url), QStringLiteral("my%22page%22.html"));
    QCOMPARE(QString::fromLatin1(objects[1].comments), QStringLiteral("Some \"alt\""));
    QCOMPARE(QString::fromLatin1(objects[1].onMouseOut), QStringLiteral("out()"));
    // Empty fields are stored as empty strings.
    QVERIFY(objects[1].target && !objects[1].target[0]);
    QVERIFY(undoLast && undoLast->t == undoAdded);
    QCOMPARE(changed, 1);
    QVERIFY(!urlDialog()->isVisible());
    // The position is remembered for the next opening.
    QCOMPARE(urlDialogX, urlDialog()->pos().x());
    QCOMPARE(urlDialogY, urlDialog()->pos().y());
  }

  void cancelDiscardsANewHotspot() {
    drawNewRect();
    Url(objectsTotal, 1);
    typeInto(edit("1011"), QStringLiteral("lost.html"));
    QTest::mouseClick(push("2"), Qt::LeftButton);
    QCOMPARE(objectsTotal, 0);
    QVERIFY(!urlDialog()->isVisible());
    QCOMPARE(state, (int)rectPosition);
    QCOMPARE(undoLast, nullptr);
    // Escape cancels as well.
    drawNewRect();
    Url(objectsTotal, 1);
    QTest::keyClick(edit("1011"), Qt::Key_Escape);
    QCOMPARE(objectsTotal, 0);
    QVERIFY(!urlDialog()->isVisible());
  }

  void okAndCancelForAnExistingHotspot() {
    int i = addRect(0, 0, 5, 5, "old.html", "old alt");
    lastObjectSelected = i;
    objects[i].selected = 1;
    Url(i, 1);
    typeInto(edit("1011"), QStringLiteral("dropped.html"));
    QTest::mouseClick(push("2"), Qt::LeftButton);
    QCOMPARE(QString::fromLatin1(objects[i].url), QStringLiteral("old.html"));
    QCOMPARE(changed, 0);
    QCOMPARE(undoLast, nullptr);

    Url(i, 1);
    QCOMPARE(edit("1011")->text(), QStringLiteral("old.html"));
    typeInto(edit("1011"), QStringLiteral("new.html"));
    typeInto(edit("1000"), QString());
    QTest::keyClick(edit("1011"), Qt::Key_Return);
    QCOMPARE(QString::fromLatin1(objects[i].url), QStringLiteral("new.html"));
    QVERIFY(objects[i].comments && !objects[i].comments[0]);
    QVERIFY(undoLast && undoLast->t == undoChanged);
    QCOMPARE(objectsTotal, 1);
    Undo(1);
    QCOMPARE(QString::fromLatin1(objects[i].url), QStringLiteral("old.html"));
  }

  void badCoordinatesKeepTheDialogOpenAndChangeNothing() {
    int i = addRect(0, 0, 5, 5, "old.html", "old alt");
    lastObjectSelected = i;
    objects[i].selected = 1;
    Url(i, 1);
    typeInto(edit("1011"), QStringLiteral("new.html"));
    typeInto(edit("coords"), QStringLiteral("1,2,3"));
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QVERIFY(urlDialog()->isVisible());
    QCOMPARE(QString::fromStdString(scriptedLastMessage().title), QStringLiteral("Invalid Coordinates"));
    QCOMPARE(QString::fromLatin1(objects[i].url), QStringLiteral("old.html"));
    QCOMPARE(undoLast, nullptr);
    typeInto(edit("coords"), QStringLiteral("1,2,30,40"));
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QVERIFY(!urlDialog()->isVisible());
    QCOMPARE(QString::fromLatin1(objects[i].url), QStringLiteral("new.html"));
    QCOMPARE(objects[i].points[1].x, 30.0);
    Undo(1);
    QCOMPARE(objects[i].points[1].x, 5.0);
    QCOMPARE(QString::fromLatin1(objects[i].url), QStringLiteral("old.html"));
  }

  void textsAreCutAtTheFieldsLimits() {
    titleAsAlt = 0;
    drawNewRect();
    Url(objectsTotal, 1);
    typeInto(edit("1011"), QString(300, QLatin1Char('u')));
    typeInto(edit("1066"), QString(300, QLatin1Char('t')));
    QCOMPARE(edit("1011")->text().size(), 255);
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE((int)std::strlen(objects[0].url), 254);
    QCOMPARE((int)std::strlen(objects[0].title), 254);
  }

  void sameAsPreviousIsEnabledOnlyForALaterNewHotspot() {
    drawNewRect();
    Url(objectsTotal, 1);
    QVERIFY(!push("2005")->isEnabled());
    QTest::mouseClick(push("2"), Qt::LeftButton);

    int prev = addRect(0, 0, 5, 5, "prev.html", "prev alt");
    objects[prev].target = mystrdupImpl("t", "frame1");
    drawNewRect();
    Url(objectsTotal, 1);
    QVERIFY(push("2005")->isEnabled());
    QCOMPARE(edit("1011")->text(), QString());
    const QString newPlace = edit("coords")->text();
    QTest::mouseClick(push("2005"), Qt::LeftButton);
    QCOMPARE(edit("1011")->text(), QStringLiteral("prev.html"));
    // The texts come from the previous hotspot, the place stays the new one's.
    QCOMPARE(edit("coords")->text(), newPlace);
    QCOMPARE(edit("1001")->text(), QStringLiteral("frame1"));
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(objectsTotal, 2);
    QCOMPARE(QString::fromLatin1(objects[1].url), QStringLiteral("prev.html"));
    QCOMPARE(QString::fromLatin1(objects[1].comments), QStringLiteral("prev alt"));
    QCOMPARE(QString::fromLatin1(objects[0].url), QStringLiteral("prev.html"));

    // The editing state turns it off again, even after a new hotspot enabled it.
    state = editing;
    lastObjectSelected = 0;
    Url(0, 1);
    QVERIFY(!push("2005")->isEnabled());
  }

  void otherAttributesShowReadOnlyAndStayWithTheirHotspot() {
    int i = addRect(0, 0, 5, 5, "a.html", "A");
    objects[i].otherAttributes = mystrdupImpl("t", " class=\"hot\" data-id=\"3\"");
    lastObjectSelected = i;
    objects[i].selected = 1;
    Url(i, 1);
    QLabel *line = child<QLabel>(urlDialog(), "otherAttributes");
    QVERIFY(line && line->isVisible());
    QCOMPARE(line->text(), QStringLiteral("Other attributes: class=\"hot\" data-id=\"3\""));
    typeInto(edit("1011"), QStringLiteral("b.html"));
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(QString::fromLatin1(objects[i].otherAttributes), QStringLiteral(" class=\"hot\" data-id=\"3\""));

    // A new hotspot shows none and "Same As Previous" copies none.
    drawNewRect();
    Url(objectsTotal, 1);
    QVERIFY(!line->isVisible());
    QTest::mouseClick(push("2005"), Qt::LeftButton);
    QVERIFY(!line->isVisible());
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(objectsTotal, 2);
    QCOMPARE(objects[1].otherAttributes, nullptr);
  }

  void checkBoxesDisableTheirFieldsAndSetTheOptions() {
    titleAsAlt = 1;
    clickAsMouseOut = 0;
    drawNewRect();
    Url(objectsTotal, 1);
    QVERIFY(box("1068")->isChecked());
    QVERIFY(!edit("1066")->isEnabled());
    QVERIFY(!box("1077")->isChecked());
    QVERIFY(edit("1076")->isEnabled());
    QTest::mouseClick(box("1068"), Qt::LeftButton);
    QVERIFY(edit("1066")->isEnabled());
    QTest::mouseClick(box("1077"), Qt::LeftButton);
    QVERIFY(!edit("1076")->isEnabled());
    // Only OK takes the boxes into the options.
    QCOMPARE(titleAsAlt, 1);
    QCOMPARE(clickAsMouseOut, 0);
    QTest::mouseClick(push("1"), Qt::LeftButton);
    QCOMPARE(titleAsAlt, 0);
    QCOMPARE(clickAsMouseOut, 1);
    // The next opening shows the options as they now are.
    drawNewRect();
    Url(objectsTotal, 1);
    QVERIFY(!box("1068")->isChecked());
    QVERIFY(box("1077")->isChecked());
    QVERIFY(!edit("1076")->isEnabled());
  }

  void browseWebPutsTheChosenAddressInTheField() {
    drawNewRect();
    Url(objectsTotal, 1);
    typeInto(edit("1011"), QStringLiteral("start.html"));
    browseAnswer = nullptr;
    QTest::mouseClick(push("2004"), Qt::LeftButton);
    QCOMPARE(browseTitle, std::string("Browse for URL (Select Web Page)"));
    QCOMPARE(browseStart, std::string("start.html"));
    QCOMPARE(edit("1011")->text(), QStringLiteral("start.html"));
    browseAnswer = "http://example.org/chosen.html";
    QTest::mouseClick(push("2004"), Qt::LeftButton);
    QCOMPARE(edit("1011")->text(), QStringLiteral("http://example.org/chosen.html"));
    QVERIFY(urlDialog()->isVisible());
  }

  void browseFilesPutsARelativeLinkInTheField() {
    mapfilename = mystrdupImpl("t", "/site/a/page.html");
    drawNewRect();
    Url(objectsTotal, 1);
    typeInto(edit("1011"), QStringLiteral("kept.html"));
    scripted.files.push_back("");
    QTest::mouseClick(push("2003"), Qt::LeftButton);
    QCOMPARE(edit("1011")->text(), QStringLiteral("kept.html"));
    scripted.files.push_back("/site/b/c/other.html");
    QTest::mouseClick(push("2003"), Qt::LeftButton);
    QCOMPARE(edit("1011")->text(), QStringLiteral("../b/c/other.html"));
    bool sawOpen = false;
    for (const auto &s : scripted.shown)
      if (s.kind == "open") {
        sawOpen = true;
        QVERIFY(s.text.find("HTML, PHP, Cold Fusion and ASP Pages") == 0);
      }
    QVERIFY(sawOpen);
  }

  void helpButtonsOpenTheirTopics() {
    drawNewRect();
    Url(objectsTotal, 1);
    struct {
      const char *button;
      const char *anchor;
    } helps[] = {{"helpUrl", "help_urls"},         {"helpAlt", "help_altandtitle"},
                 {"helpTitle", "help_altandtitle"}, {"helpTarget", "help_target"},
                 {"helpOnMouseOver", "help_javascript"}, {"helpOnMouseOut", "help_javascript"},
                 {"helpOnClick", "help_javascript"}, {"helpCoords", "help_coordinates"}};
    for (const auto &h : helps) {
      scripted.addresses.clear();
      QTest::mouseClick(push(h.button), Qt::LeftButton);
      QCOMPARE((int)scripted.addresses.size(), 1);
      std::ifstream stub(scripted.addresses[0]);
      std::stringstream text;
      text << stub.rdbuf();
      QVERIFY2(text.str().find(std::string("help.htm#") + h.anchor) != std::string::npos, h.anchor);
    }
  }

  void defaultUrlOkDeleteAndCancel() {
    defaultUrl = mystrdupImpl("t", "old-default.html");
    UrlDefault();
    QDialog *d = urlDefaultDialog();
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->windowTitle(), QStringLiteral("Default URL"));
    QCOMPARE(defaultCreating, 1);
    QLineEdit *f = child<QLineEdit>(d, "1010");
    QCOMPARE(f->text(), QStringLiteral("old-default.html"));
    QCOMPARE(f->maxLength(), 255);
    QCOMPARE(d->findChild<QLabel *>()->text(), QStringLiteral("Default URL for outside clicks:"));
    // A second request while it is open makes no second dialog.
    UrlDefault();
    QCOMPARE(urlDefaultDialog(), d);

    // Cancel changes nothing.
    typeInto(f, QStringLiteral("dropped.html"));
    QTest::mouseClick(child<QPushButton>(d, "2"), Qt::LeftButton);
    QCOMPARE(urlDefaultDialog(), nullptr);
    QCOMPARE(defaultCreating, 0);
    QCOMPARE(QString::fromLatin1(defaultUrl), QStringLiteral("old-default.html"));
    QCOMPARE(changed, 0);

    // OK stores the text as typed (not escaped) with an undo step.
    UrlDefault();
    d = urlDefaultDialog();
    f = child<QLineEdit>(d, "1010");
    QCOMPARE(f->text(), QStringLiteral("old-default.html"));
    typeInto(f, QStringLiteral("new default.html"));
    QTest::mouseClick(child<QPushButton>(d, "1"), Qt::LeftButton);
    QCOMPARE(QString::fromLatin1(defaultUrl), QStringLiteral("new default.html"));
    QVERIFY(undoLast && undoLast->t == undoDefaultUrl);
    QCOMPARE(changed, 1);
    QCOMPARE(urlDefaultDialog(), nullptr);

    // OK with an empty field makes the link absent.
    UrlDefault();
    typeInto(child<QLineEdit>(urlDefaultDialog(), "1010"), QString());
    QTest::mouseClick(child<QPushButton>(urlDefaultDialog(), "1"), Qt::LeftButton);
    QCOMPARE(defaultUrl, nullptr);
    Undo(1);
    QCOMPARE(QString::fromLatin1(defaultUrl), QStringLiteral("new default.html"));

    // Delete removes it without an undo step.
    undoPurge();
    changed = 0;
    UrlDefault();
    QCOMPARE(child<QPushButton>(urlDefaultDialog(), "1012")->text(), QStringLiteral("Delete"));
    QTest::mouseClick(child<QPushButton>(urlDefaultDialog(), "1012"), Qt::LeftButton);
    QCOMPARE(defaultUrl, nullptr);
    QCOMPARE(undoLast, nullptr);
    QCOMPARE(changed, 1);
    QCOMPARE(urlDefaultDialog(), nullptr);
  }

  void aLeftPressInTestEditHidesBothDialogs() {
    int i = addRect(0, 0, 5, 5, "a.html");
    lastObjectSelected = i;
    Url(i, 1);
    UrlDefault();
    QVERIFY(urlDialog()->isVisible() && urlDefaultDialog());
    UrlDismissWithUndo();
    QVERIFY(!urlDialog()->isVisible());
    QCOMPARE(urlDefaultDialog(), nullptr);
    QCOMPARE(defaultCreating, 0);
  }
};

QTEST_MAIN(PropsDialogTest)
#include "propsdialog_test.moc"
