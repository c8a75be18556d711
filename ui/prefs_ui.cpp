// prefs_ui.cpp: the Preferences, "Server Side Map Type", "First Time Hints" and
// "Magic Wand Settings" dialogs, and shellUiInstall.
#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QPalette>
#include <QTextDocument>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/datadir.h"
#include "ui/frame_ui.h"
#include "app/prefs.h"
#include "editor/servermap.h"
#include "platform/settings.h"
#include "ui/shell_ui.h"
#include "app/update.h"
#include "platform/seams.h"
#include "editor/view.h"
#include "editor/magicwand.h"
#include "platform/platform.h"

namespace {

QString uiText(const char *s) {
  QString t = QString::fromUtf8(s ? s : "");
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return t;
}

QLabel *wrapped(const char *text, QWidget *parent) {
  QLabel *l = new QLabel(uiText(text), parent);
  l->setWordWrap(true);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

// A dialog asked for without an owner belongs to the active window, or else
// to the frame window, so that it opens over the editor and not at random.
QWidget *ownerOf(void *parent) {
  if (parent) return static_cast<QWidget *>(parent);
  if (QWidget *active = QApplication::activeWindow()) return active;
  return baseWin;
}

// The sketch colour chooser used until the view installs its own.
void defaultChooseSketchColor(void) {
  unsigned c = (unsigned)(sketchR & 255) | ((unsigned)(sketchG & 255) << 8) |
               ((unsigned)(sketchB & 255) << 16);
  if (!platform->chooseColor(nullptr, &c, customColors)) return;
  sketchR = (int)(c & 255);
  sketchG = (int)((c >> 8) & 255);
  sketchB = (int)((c >> 16) & 255);
  recreatePens();
  repaint(0);
}

void hookPreferences(void) { preferencesBox(QApplication::activeWindow()); }
int hookMapTypeBox(void) { return mapTypeBox(QApplication::activeWindow()); }
void hookFirstHint(int index, void *parent) { firstHintBox(index, ownerOf(parent)); }
void hookMagicWandSettings(void) { magicWandSettingsBox(ownerOf(nullptr)); }
int hookDirBox(void *parent) { return dirBoxRun(ownerOf(parent)); }
int hookUrlBrowse(const char *title, char *buffer, int size) {
  return urlBrowseRun(title, buffer, size);
}

}  // namespace

int preferencesBox(QWidget *parent) {
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("preferences"));
  dlg.setWindowTitle(QStringLiteral("Preferences"));
  QGridLayout *grid = new QGridLayout;
  grid->setColumnStretch(1, 1);

  QPushButton *color = new QPushButton(QStringLiteral("Hotspot Color"), &dlg);
  color->setObjectName(QStringLiteral("1074"));
  color->setAutoDefault(false);
  grid->addWidget(color, 0, 0, Qt::AlignTop);
  grid->addWidget(wrapped("If you have trouble seeing hotspots on your image background, click "
                          "here to change the hotspot color.",
                          &dlg),
                  0, 1);

  QCheckBox *strict = new QCheckBox(QStringLiteral("Strict XHTML Compliance"), &dlg);
  strict->setObjectName(QStringLiteral("1076"));
  strict->setChecked(strictXHTML != 0);
  grid->addWidget(strict, 1, 0, Qt::AlignTop);
  grid->addWidget(wrapped("When checked, all code produced by Tilvane will be strictly "
                          "XHTML-compliant. This refers to code added by Tilvane, not to your own "
                          "code. Very, very old web browsers may work better without this option "
                          "selected.",
                          &dlg),
                  1, 1);

  QCheckBox *blue = new QCheckBox(QStringLiteral("Suppress Blue Border"), &dlg);
  blue->setObjectName(QStringLiteral("1078"));
  blue->setChecked(defeatBlueBorder != 0);
  grid->addWidget(blue, 2, 0, Qt::AlignTop);
  grid->addWidget(wrapped("By default, web browsers display a blue border around images that "
                          "contain imagemaps. Most designers don't want these. Check this box to "
                          "eliminate the blue border.",
                          &dlg),
                  2, 1);

  QPushButton *wand = new QPushButton(QStringLiteral("Magic Wand Settings"), &dlg);
  wand->setObjectName(QStringLiteral("1077"));
  wand->setAutoDefault(false);
  grid->addWidget(wand, 3, 0, Qt::AlignTop);
  grid->addWidget(wrapped("These options affect the behavior of Tilvane's \"magic wand\" "
                          "feature. If you don't succeed at first with the magic wand tool, try "
                          "experimenting with these settings.",
                          &dlg),
                  3, 1);

  QCheckBox *urlDialog = new QCheckBox(QStringLiteral("Suppress URL Dialog"), &dlg);
  urlDialog->setObjectName(QStringLiteral("1080"));
  urlDialog->setChecked(defeatUrlDialog != 0);
  grid->addWidget(urlDialog, 4, 0, Qt::AlignTop);
  grid->addWidget(wrapped("Every time you add a new hotspot, Tilvane displays the \"Object URL\" "
                          "dialog. Some designers don't want this. Click here to suppress the URL "
                          "dialog. You can access it later via the Test+Edit tool.",
                          &dlg),
                  4, 1);

  QComboBox *frequency = new QComboBox(&dlg);
  frequency->setObjectName(QStringLiteral("1079"));
  for (int i = 0; updateFrequencies[i]; i++) frequency->addItem(uiText(updateFrequencies[i]));
  // A stored value beyond the list (a hand-edited file) shows as the nearest
  // entry, and is kept unless the user picks an entry.
  frequency->setCurrentIndex(updateFrequency < 0 ? 0 : std::min(updateFrequency, frequency->count() - 1));
  bool frequencyChosen = false;
  QObject::connect(frequency, &QComboBox::currentIndexChanged, &dlg, [&frequencyChosen]() { frequencyChosen = true; });
  QObject::connect(frequency, &QComboBox::activated, &dlg, [&frequencyChosen]() { frequencyChosen = true; });
  grid->addWidget(frequency, 5, 0, Qt::AlignTop);
  QWidget *frequencyText = wrapped("We often update Tilvane to address issues and make new features "
                                   "available to you. Tilvane can check for upgrades automatically. How "
                                   "often should Tilvane check our web site for updates?",
                                   &dlg);
  grid->addWidget(frequencyText, 5, 1);
  // Without an update server there is nothing to schedule.
  if (!updateCheckAvailable()) {
    frequency->hide();
    frequencyText->hide();
  }

  QCheckBox *exact = new QCheckBox(QStringLiteral("Leave the rest of the page exactly as it was"), &dlg);
  exact->setObjectName(QStringLiteral("exactpage"));
  exact->setChecked(exactPage != 0);
  grid->addWidget(exact, 6, 0, Qt::AlignTop);
  grid->addWidget(wrapped("When checked, saving a page rewrites only its map (and the border "
                          "attribute of the mapped image): everything else keeps the bytes it was "
                          "read with, spacing inside tags included.",
                          &dlg),
                  6, 1);

  QSpinBox *spacing = new QSpinBox(&dlg);
  spacing->setObjectName(QStringLiteral("gridspacing"));
  spacing->setRange(2, 1000);
  spacing->setValue(gridSpacing);
  spacing->setSuffix(QStringLiteral(" px"));
  spacing->setAccessibleName(QStringLiteral("Grid spacing"));
  grid->addWidget(spacing, 7, 0, Qt::AlignTop);
  QLabel *spacingText = new QLabel(QStringLiteral("Grid spacing: the distance in picture pixels between the "
                                                  "lines of the grid (View > Show Grid) and the points "
                                                  "hotspots snap to (View > Snap to Grid)."),
                                   &dlg);
  spacingText->setWordWrap(true);
  spacingText->setBuddy(spacing);
  grid->addWidget(spacingText, 7, 1);

  QDialogButtonBox *buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  top->addLayout(grid);
  top->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  QObject::connect(color, &QPushButton::clicked, &dlg, []() { chooseSketchColor(); });
  QObject::connect(wand, &QPushButton::clicked, &dlg, []() { MagicWandSettings(); });
  dlg.setMinimumWidth(560);
  if (dlg.exec() != QDialog::Accepted) return 0;
  exactPage = exact->isChecked() ? 1 : 0;
  gridSpacing = spacing->value();
  preferencesAccept(blue->isChecked(), strict->isChecked(), urlDialog->isChecked(),
                    frequencyChosen ? frequency->currentIndex() : updateFrequency);
  return 1;
}

int mapTypeBox(QWidget *parent) {
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("maptype"));
  dlg.setWindowTitle(QStringLiteral("Server Side Map Type"));
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  top->addWidget(wrapped("What type of server side imagemap would you like to export? Most "
                         "servers expect NCSA format. A few servers, including Microsoft IIS, "
                         "expect CERN format.",
                         &dlg));
  QRadioButton *ncsa = new QRadioButton(QStringLiteral("NCSA Format (Apache)"), &dlg);
  ncsa->setObjectName(QStringLiteral("1064"));
  QRadioButton *cern = new QRadioButton(QStringLiteral("CERN Format (IIS)"), &dlg);
  cern->setObjectName(QStringLiteral("1065"));
  QButtonGroup group(&dlg);
  group.addButton(ncsa);
  group.addButton(cern);
  (serverMapType == mapCERN ? cern : ncsa)->setChecked(true);
  top->addWidget(ncsa);
  top->addWidget(cern);
  QDialogButtonBox *buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  top->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  dlg.setMinimumWidth(380);
  if (dlg.exec() != QDialog::Accepted) return 0;
  return mapTypeBoxAccept(cern->isChecked() ? 1 : 0);
}

void firstHintBox(int index, QWidget *parent) {
  if (!firstHintWanted(index)) return;
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("firsthint"));
  dlg.setWindowTitle(QStringLiteral("First Time Hints"));
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  QPlainTextEdit *text = new QPlainTextEdit(uiText(firstText[hint]), &dlg);
  text->setObjectName(QStringLiteral("1000"));
  text->setReadOnly(true);
  // The box is as tall as its text: the hint reads as a message, with no
  // empty field below a one-line hint and no scroll bar.
  text->setFrameShape(QFrame::NoFrame);
  text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette look = text->palette();
  look.setColor(QPalette::Base, look.color(QPalette::Window));
  text->setPalette(look);
  const QFontMetrics metrics(text->font());
  const int margin = 2 * static_cast<int>(text->document()->documentMargin() + 1);
  const int width = qMax(360, metrics.averageCharWidth() * 64);
  const QRect needed = metrics.boundingRect(QRect(0, 0, width - margin, 100000),
                                            Qt::TextWordWrap, text->toPlainText());
  text->setFixedSize(width, needed.height() + margin + metrics.descent());
  top->addWidget(text);
  top->setSizeConstraint(QLayout::SetFixedSize);
  QDialogButtonBox *buttons = new QDialogButtonBox(&dlg);
  QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  QPushButton *never =
      buttons->addButton(QStringLiteral("No Hints, Please"), QDialogButtonBox::RejectRole);
  never->setObjectName(QStringLiteral("2"));
  top->addWidget(buttons);
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  QObject::connect(never, &QPushButton::clicked, &dlg, [&dlg]() {
    firstHintNoMore();
    dlg.done(2);
  });
  firstHintOpened();
  ok->setFocus();
  dlg.exec();
}

int magicWandSettingsBox(QWidget *parent) {
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("magicwandsettings"));
  dlg.setWindowTitle(QStringLiteral("Magic Wand Settings"));
  QFormLayout *form = new QFormLayout;
  QLineEdit *points = new QLineEdit(QString::number((unsigned)magicWandPoints), &dlg);
  points->setObjectName(QStringLiteral("1000"));
  QLineEdit *tolerance = new QLineEdit(QString::number((unsigned)magicWandTolerance), &dlg);
  tolerance->setObjectName(QStringLiteral("1001"));
  QLineEdit *feather = new QLineEdit(QString::number((unsigned)magicWandFeatherSteps), &dlg);
  feather->setObjectName(QStringLiteral("1002"));
  QLineEdit *simplify = new QLineEdit(QString::number((unsigned)magicWandSimplify), &dlg);
  simplify->setObjectName(QStringLiteral("1003"));
  QCheckBox *outer = new QCheckBox(QStringLiteral("Trace Outer Edge Only"), &dlg);
  outer->setObjectName(QStringLiteral("1004"));
  outer->setChecked(magicWandOuterOnly != 0);
  for (QLineEdit *e : {points, tolerance, feather, simplify}) e->setMaxLength(12);
  form->addRow(QStringLiteral("Polygon Points"), points);
  form->addRow(QStringLiteral("Maximum Color Difference"), tolerance);
  form->addRow(QStringLiteral("Feathering (0-3)"), feather);
  form->addRow(QStringLiteral("Simplify Outline (pixels)"), simplify);
  form->addRow(outer);
  QDialogButtonBox *buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  QVBoxLayout *top = new QVBoxLayout(&dlg);
  top->addLayout(form);
  top->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  magicWandSettings = 1;
  int r = dlg.exec();
  magicWandSettings = 0;
  if (r != QDialog::Accepted) return 0;
  magicWandSettingsAccept(points->text().toUtf8().constData(),
                          tolerance->text().toUtf8().constData(),
                          feather->text().toUtf8().constData(), simplify->text().toUtf8().constData(),
                          outer->isChecked() ? 1 : 0);
  return 1;
}

void shellUiInstall(void) {
  seams.mapTypeBox = hookMapTypeBox;
  seams.firstHint = hookFirstHint;
  seams.magicWandSettings = hookMagicWandSettings;
  seams.saveSettings = saveConfig;
  seams.urlBrowse = hookUrlBrowse;
  if (!seams.chooseSketchColor) seams.chooseSketchColor = defaultChooseSketchColor;
  preferencesHook = hookPreferences;
  dirBoxHook = hookDirBox;
}
