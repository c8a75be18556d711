// Qt Test of the start dialog and the "Select Inline Image" list on the
// offscreen platform, driven through the Open command as a user meets them.
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <string>

#include "platform/seams.h"
#include "ui/docdialogs_ui.h"
#include "workflow/docflow.h"
#include "html/document.h"
#include "platform/platform_scripted.h"
#include "tests/workflow/doc_fixture.h"

namespace {

// Runs f on the next modal dialog once it is shown.
void whenModal(std::function<void(QDialog *)> f) {
  QTimer *t = new QTimer;
  t->setInterval(10);
  QObject::connect(t, &QTimer::timeout, [t, f]() {
    QDialog *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!d || !d->isVisible()) return;
    t->stop();
    t->deleteLater();
    f(d);
  });
  t->start();
}

template <class T>
T *child(QWidget *w, const char *name) {
  return w->findChild<T *>(QString::fromLatin1(name));
}

}  // namespace

class DocDialogsTest : public QObject {
  Q_OBJECT

  docScratch s;

  std::string twoImagePage() {
    s.picture("site/a.png");
    s.picture("site/b.png");
    return s.write("site/page.html",
                   "<html><body><img src=\"a.png\" usemap=\"#first\">\n<img alt=\"none\">\n"
                   "<img src=\"b.png\" usemap=\"#second\"></body></html>\n");
  }

 private slots:
  void init() {
    s.setUp();
    docDialogsInstall(nullptr);
  }
  void cleanup() { s.tearDown(); }

  void startDialogOffersBothRoads() {
    struct {
      const char *button;  // null: the dialog is closed
      int result;
    } cases[] = {{"openWebPage", 1}, {"openImage", 0}, {nullptr, -1}};
    for (const auto &c : cases) {
      QString heading, webText, imageText, groups;
      whenModal([&](QDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("What Do You Want To Do?"));
        for (QGroupBox *g : d->findChildren<QGroupBox *>()) groups += g->title() + QLatin1Char('|');
        for (QLabel *l : d->findChildren<QLabel *>())
          if (l->text().startsWith(QStringLiteral("How Do"))) heading = l->text();
        QCOMPARE(child<QPushButton>(d, "openWebPage")->text(), QStringLiteral("Open A Web Page"));
        QCOMPARE(child<QPushButton>(d, "openImage")->text(), QStringLiteral("Open An Image"));
        if (c.button)
          QTest::mouseClick(child<QPushButton>(d, c.button), Qt::LeftButton);
        else
          d->reject();
      });
      QCOMPARE(webPageOrImageBox(nullptr), c.result);
      QCOMPARE(heading, QStringLiteral("How Do You Want To Create Your Imagemap?"));
      QCOMPARE(groups, QStringLiteral("When You Already Have A Web Page|When You Only Have An Image|"));
    }
  }

  void startDialogOpensAPictureAsANewPage() {
    std::string pic = s.picture("pics/photo.png");
    scripted.files.push_back(pic);
    whenModal([](QDialog *d) { QTest::mouseClick(child<QPushButton>(d, "openImage"), Qt::LeftButton); });
    QCOMPARE(WebPageOrImage(), 1);
    QVERIFY(hdoc != nullptr);
    QCOMPARE(std::string(imagefilename), pic);
    QCOMPARE(webPageFlag, 0);
  }

  void imageListTakesTheChosenEntry() {
    std::string path = twoImagePage();
    scripted.files.push_back(path);
    QStringList entries;
    int messagesWhileEmpty = -1;
    whenModal([&](QDialog *d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Select Inline Image"));
      QListWidget *list = child<QListWidget>(d, "imageListEntries");
      for (int i = 0; i < list->count(); i++) entries << list->item(i)->text();
      // OK with nothing selected keeps the dialog open.
      QTest::mouseClick(child<QPushButton>(d, "1"), Qt::LeftButton);
      QVERIFY(d->isVisible());
      messagesWhileEmpty = static_cast<int>(scriptedMessages().size());
      QListWidgetItem *second = list->item(1);
      const QPoint at = list->visualItemRect(second).center();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      if (d->isVisible()) {
        qWarning("double click at %d,%d did not take the entry (row %d)", at.x(), at.y(), list->currentRow());
        d->reject();
      }
    });
    QCOMPARE(OpenLaunch(), 1);
    QCOMPARE(entries, (QStringList{QStringLiteral("a.png"), QStringLiteral("b.png")}));
    // The bad-IMG warning, then "No Image Selected".
    QCOMPARE(messagesWhileEmpty, 2);
    QCOMPARE(scriptedMessages()[0].title, std::string("Warning: Bad IMG Element Found"));
    QCOMPARE(scriptedMessages()[1].title, std::string("No Image Selected"));
    QCOMPARE(std::string(maplocalname), std::string("second"));
    QCOMPARE(std::string(imagefilename), s.root + "/site/b.png");
  }

  void imageListOkAfterSelecting() {
    std::string path = twoImagePage();
    scripted.files.push_back(path);
    whenModal([](QDialog *d) {
      QListWidget *list = child<QListWidget>(d, "imageListEntries");
      list->setCurrentRow(0);
      QTest::mouseClick(child<QPushButton>(d, "1"), Qt::LeftButton);
    });
    QCOMPARE(OpenLaunch(), 1);
    QCOMPARE(std::string(maplocalname), std::string("first"));
  }

  void imageListCancelClosesTheDocument() {
    std::string path = twoImagePage();
    scripted.files.push_back(path);
    whenModal([](QDialog *d) { QTest::mouseClick(child<QPushButton>(d, "2"), Qt::LeftButton); });
    QCOMPARE(OpenLaunch(), 0);
    QVERIFY(hdoc == nullptr);
    QVERIFY(htmlFilePtr == nullptr);
    QVERIFY(lockableElsewhere(path));
  }
};

QTEST_MAIN(DocDialogsTest)
#include "docdialogs_test.moc"
