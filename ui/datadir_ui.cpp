// datadir_ui.cpp: the "Choose a Folder" dialog.
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/datadir.h"
#include "ui/shell_ui.h"
#include "platform/platform.h"

int dirBoxRun(QWidget *parent) {
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("choosefolder"));
  dlg.setWindowTitle(QStringLiteral("Choose a Folder"));
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  QLabel *intro = new QLabel(
      QStringLiteral("This application requires a folder in which to store its data files. The "
                     "location below is recommended and should work fine for most users. If you "
                     "wish to select a different parent folder, however, you may locate one by "
                     "clicking on the Browse button."),
      &dlg);
  intro->setWordWrap(true);
  top->addWidget(intro);

  char parentText[1024], nameText[1024];
  dirBoxSplit(dataDir, parentText, sizeof parentText, nameText, sizeof nameText);
  QGridLayout *grid = new QGridLayout;
  QLineEdit *parentEdit = new QLineEdit(QString::fromLocal8Bit(parentText), &dlg);
  parentEdit->setObjectName(QStringLiteral("24001"));
  parentEdit->setMaxLength(259);
  QLineEdit *nameEdit = new QLineEdit(QString::fromLocal8Bit(nameText), &dlg);
  nameEdit->setObjectName(QStringLiteral("24002"));
  nameEdit->setMaxLength(259);
  QPushButton *browse = new QPushButton(QStringLiteral("Browse..."), &dlg);
  browse->setObjectName(QStringLiteral("24003"));
  browse->setAutoDefault(false);
  QLabel *parentLabel = new QLabel(QStringLiteral("Parent Folder"), &dlg);
  parentLabel->setBuddy(parentEdit);  // names the field to assistive tools
  grid->addWidget(parentLabel, 0, 0);
  grid->addWidget(parentEdit, 0, 1);
  grid->addWidget(browse, 0, 2);
  QLabel *nameLabel = new QLabel(QStringLiteral("Folder Name"), &dlg);
  nameLabel->setBuddy(nameEdit);
  grid->addWidget(nameLabel, 1, 0);
  grid->addWidget(nameEdit, 1, 1);
  top->addLayout(grid);

  QDialogButtonBox *buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  top->addWidget(buttons);
  QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
  ok->setDefault(true);

  QObject::connect(browse, &QPushButton::clicked, &dlg, [&]() {
    char chosen[1024];
    if (platform->chooseFolder(&dlg, "Select a Folder", parentEdit->text().toLocal8Bit().constData(),
                               chosen, sizeof chosen))
      parentEdit->setText(QString::fromLocal8Bit(chosen));
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&]() {
    if (dirBoxOK(&dlg, parentEdit->text().toLocal8Bit().constData(),
                 nameEdit->text().toLocal8Bit().constData()))
      dlg.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  dlg.setMinimumWidth(520);
  ok->setFocus();
  return dlg.exec() == QDialog::Accepted ? 1 : 0;
}
