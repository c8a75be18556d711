// docdialogs_ui.cpp: the start dialog and the "Select Inline Image" list.
#include "ui/docdialogs_ui.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/seams.h"
#include "workflow/docflow.h"

namespace {

QPointer<QWidget> dialogOwner;

QWidget *ownerOr(QWidget *parent) {
  if (parent) return parent;
  if (dialogOwner) return dialogOwner;
  return QApplication::activeWindow();
}

QLabel *wrapped(const char *text, QWidget *parent) {
  QLabel *l = new QLabel(QString::fromLocal8Bit(text), parent);
  l->setWordWrap(true);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

int hookWebPageOrImage(void) { return webPageOrImageBox(nullptr); }

int listDialog(const std::vector<std::string> &list, void *) { return imageListBox(list, nullptr); }
int hookImageListSelect(void) { return imageListRun(listDialog, nullptr); }

// Dialog results beyond Accepted and Rejected.
enum { choseWebPage = 2, choseImage = 3 };

}  // namespace

int webPageOrImageBox(QWidget *parent) {
  QDialog dlg(ownerOr(parent));
  dlg.setObjectName(QStringLiteral("webPageOrImage"));
  dlg.setWindowTitle(QStringLiteral("What Do You Want To Do?"));
  QVBoxLayout *top = new QVBoxLayout(&dlg);

  QLabel *heading = new QLabel(QStringLiteral("How Do You Want To Create Your Imagemap?"), &dlg);
  QFont f = heading->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.2);
  heading->setFont(f);
  top->addWidget(heading);

  auto group = [&](const char *title, const char *text, const char *button, const char *name, int result) {
    QGroupBox *box = new QGroupBox(QString::fromLocal8Bit(title), &dlg);
    QHBoxLayout *row = new QHBoxLayout(box);
    row->addWidget(wrapped(text, box), 1);
    QPushButton *b = new QPushButton(QString::fromLocal8Bit(button), box);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(b->sizeHint().width() + 16);
    QObject::connect(b, &QPushButton::clicked, &dlg, [&dlg, result] { dlg.done(result); });
    row->addWidget(b, 0, Qt::AlignVCenter);
    top->addWidget(box);
    return b;
  };
  QPushButton *web = group("When You Already Have A Web Page",
                           "Use this button to add an imagemap to an existing web page, or to re-open and "
                           "modify an imagemap you have already saved. Tilvane can automatically add the "
                           "HTML tags for your imagemap to your web page; there is no need to edit your "
                           "HTML manually.",
                           "Open A Web Page", "openWebPage", choseWebPage);
  group("When You Only Have An Image",
        "Use this button to create a simple page containing only an image of your choice and an "
        "imagemap. You can also display the HTML tags for the imagemap by selecting Show HTML "
        "Tags from the View menu.",
        "Open An Image", "openImage", choseImage);
  web->setDefault(true);
  dlg.resize(dlg.sizeHint().expandedTo(QSize(520, 0)));

  switch (dlg.exec()) {
    case choseWebPage: return 1;
    case choseImage: return 0;
    default: return -1;
  }
}

int imageListBox(const std::vector<std::string> &list, QWidget *parent) {
  QDialog dlg(ownerOr(parent));
  dlg.setObjectName(QStringLiteral("imageList"));
  dlg.setWindowTitle(QStringLiteral("Select Inline Image"));
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  top->addWidget(wrapped("Select the image to be mapped. You can create a map corresponding to any "
                         "inline image mentioned in the HTML document.",
                         &dlg));
  QListWidget *entries = new QListWidget(&dlg);
  entries->setObjectName(QStringLiteral("imageListEntries"));
  for (const std::string &s : list) entries->addItem(QString::fromLocal8Bit(s.c_str()));
  top->addWidget(entries, 1);

  QHBoxLayout *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton *ok = new QPushButton(QStringLiteral("OK"), &dlg);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  QPushButton *cancel = new QPushButton(QStringLiteral("Cancel"), &dlg);
  cancel->setObjectName(QStringLiteral("2"));
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  top->addLayout(buttons);

  int result = 0;
  auto take = [&] {
    const int row = entries->currentItem() && entries->currentItem()->isSelected() ? entries->currentRow() : -1;
    const std::string text =
        row >= 0 && row < static_cast<int>(list.size()) ? list[static_cast<size_t>(row)] : std::string();
    int r = ImageListOK(text.c_str(), row);
    if (r < 0) return;  // nothing selected: the dialog stays
    result = r;
    dlg.accept();
  };
  QObject::connect(ok, &QPushButton::clicked, &dlg, take);
  QObject::connect(entries, &QListWidget::itemDoubleClicked, &dlg, [&](QListWidgetItem *) { take(); });
  QObject::connect(cancel, &QPushButton::clicked, &dlg, [&] { dlg.reject(); });
  dlg.resize(dlg.sizeHint().expandedTo(QSize(420, 300)));
  if (dlg.exec() != QDialog::Accepted) return 0;
  return result;
}

void docDialogsInstall(QWidget *owner) {
  dialogOwner = owner;
  webPageOrImageHook = hookWebPageOrImage;
  seams.imageListSelect = hookImageListSelect;
  docflowInstall();
}
