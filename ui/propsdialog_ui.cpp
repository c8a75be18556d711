// propsdialog_ui.cpp: the "Object URL" and "Default URL" dialogs.
#include "ui/propsdialog_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSizePolicy>
#include <QVBoxLayout>

#include "app/browser.h"
#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "ui/imagewindow_ui.h"
#include "editor/view.h"


namespace {

QPointer<QWidget> dialogOwner;

QString fromText(const char *s) { return QString::fromLocal8Bit(s ? s : ""); }

// A field's text as the dialog reads it: at most limit characters.
QByteArray fieldText(const QLineEdit *e, int limit) { return e->text().left(limit).toLocal8Bit(); }

// Cancel, Escape and the close box all cancel.
class cancellingDialog : public QDialog {
 public:
  explicit cancellingDialog(QWidget *parent, void (*onCancel)(void)) : QDialog(parent), cancel(onCancel) {}
  void reject() override {
    if (cancel) cancel();
  }

 private:
  void (*cancel)(void);
};

struct urlWindow {
  cancellingDialog *dlg = nullptr;
  QLineEdit *url = nullptr, *alt = nullptr, *title = nullptr, *target = nullptr;
  QLineEdit *onMouseOver = nullptr, *onMouseOut = nullptr, *onClick = nullptr;
  QLineEdit *coords = nullptr;
  QLabel *coordsLabel = nullptr;
  QCheckBox *sameAsAlt = nullptr, *sameAsMouseOut = nullptr;
  QPushButton *ok = nullptr, *cancel = nullptr, *remove = nullptr, *previous = nullptr;
  QPushButton *browseFiles = nullptr, *browseWeb = nullptr;
  QLabel *otherAttributes = nullptr;
  int index = -1;
  // The hotspot's own title and onClick while a "Same As" box is ticked and
  // its field shows the text that will be written instead.
  QString ownTitle, ownClick;
};
urlWindow uw;

QPointer<cancellingDialog> defaultDlg;

QPushButton *button(const char *text, const char *name, QWidget *parent) {
  QPushButton *b = new QPushButton(QString::fromLatin1(text), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

// The fields' width: 320 pixels, less on a screen too narrow for the dialog
// at that width (a small screen, or a large scale factor).
int fieldWidth = 320;

// A field's label, which also names the field to assistive tools.
QLabel *labelFor(const QString &text, QWidget *field, QWidget *parent) {
  QLabel *l = new QLabel(text, parent);
  l->setBuddy(field);
  return l;
}

QLineEdit *field(const char *name, int limit, QWidget *parent) {
  QLineEdit *e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  if (limit > 0) e->setMaxLength(limit);
  e->setMinimumWidth(fieldWidth);
  return e;
}

QPushButton *helpButton(const char *anchor, const char *name, QWidget *parent) {
  QPushButton *b = button("Help!", name, parent);
  QObject::connect(b, &QPushButton::clicked, [anchor] { helpOn(anchor); });
  return b;
}

void urlCancelled(void) { UrlCancel(); }

// A ticked "Same As" box greys its field and shows in it the text that will be
// written; unticked, the field holds the hotspot's own text again.
void applySameAsBoxes(void) {
  const bool altTicked = uw.sameAsAlt->isChecked(), outTicked = uw.sameAsMouseOut->isChecked();
  if (altTicked && uw.title->isEnabled()) uw.ownTitle = uw.title->text();
  if (!altTicked && !uw.title->isEnabled()) uw.title->setText(uw.ownTitle);
  if (altTicked) uw.title->setText(uw.alt->text());
  if (outTicked && uw.onClick->isEnabled()) uw.ownClick = uw.onClick->text();
  if (!outTicked && !uw.onClick->isEnabled()) uw.onClick->setText(uw.ownClick);
  if (outTicked) uw.onClick->setText(uw.onMouseOut->text());
  uw.title->setEnabled(!altTicked);
  uw.onClick->setEnabled(!outTicked);
}

void urlOK(void) {
  const QByteArray url = fieldText(uw.url, 254), alt = fieldText(uw.alt, 4096),
                   target = fieldText(uw.target, 254), over = fieldText(uw.onMouseOver, 254),
                   out = fieldText(uw.onMouseOut, 254);
  // A ticked box gives the hotspot the other field's text as its own.
  const QByteArray title = uw.sameAsAlt->isChecked() ? alt : fieldText(uw.title, 254);
  const QByteArray click = uw.sameAsMouseOut->isChecked() ? out : fieldText(uw.onClick, 254);
  // The boxes of a new hotspot are the stored options; for a hotspot of the
  // map they say what happens to that hotspot alone.
  if (state != editing) {
    titleAsAlt = uw.sameAsAlt->isChecked() ? 1 : 0;
    clickAsMouseOut = uw.sameAsMouseOut->isChecked() ? 1 : 0;
  }
  // Coordinates that are no such list keep the dialog open with nothing changed.
  const QByteArray coords = uw.coords->isEnabled() ? uw.coords->text().toLocal8Bit() : QByteArray();
  if (!UrlOKCoords(uw.coords->isEnabled() ? coords.constData() : nullptr, url.constData(), alt.constData(),
                   title.constData(), target.constData(), over.constData(), out.constData(), click.constData())) {
    uw.coords->setFocus();
    uw.coords->selectAll();
    return;
  }
  UrlDismiss();
}

void browseWeb(void) {
  char buffer[256];
  const QByteArray current = fieldText(uw.url, 255);
  qstrncpy(buffer, current.constData(), sizeof buffer);
  if (urlBrowse("Browse for URL (Select Web Page)", buffer, sizeof buffer) == 0) uw.url->setText(fromText(buffer));
  uw.dlg->show();
  uw.dlg->raise();
  uw.dlg->activateWindow();
}

void browseFiles(void) {
  char link[256];
  if (UrlBrowseFiles(link, sizeof link)) uw.url->setText(fromText(link));
}

void createUrlDialog(void) {
  QWidget *owner = dialogOwner ? dialogOwner->window() : nullptr;
  QScreen *screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  const int room = screen ? screen->availableGeometry().width() : 1024;
  // The dialog is about 560 pixels wider than one field.
  fieldWidth = qBound(160, room - 16 - 560, 320);
  uw.dlg = new cancellingDialog(dialogOwner ? dialogOwner.data() : QApplication::activeWindow(), urlCancelled);
  QDialog *d = uw.dlg;
  d->setObjectName(QStringLiteral("objectUrl"));
  d->setWindowTitle(QStringLiteral("Object URL"));
  d->setModal(false);
  QVBoxLayout *top = new QVBoxLayout(d);
  QGridLayout *grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  int row = 0;
  // One row of a grid: the field's label, the field, and its Help! button.
  auto fieldRow = [](QGridLayout *g, int r, const char *label, QLineEdit *f, const char *topic, const char *name,
                     QWidget *parent) {
    g->addWidget(labelFor(QString::fromUtf8(label), f, parent), r, 0);
    g->addWidget(f, r, 1);
    g->addWidget(helpButton(topic, name, parent), r, 3);
  };

  uw.url = field("1011", 255, d);
  fieldRow(grid, row++, "URL for clicks on this object:", uw.url, "help_urls", "helpUrl", d);
  QHBoxLayout *browse = new QHBoxLayout;
  uw.browseFiles = button("Browse Files...", "2003", d);
  uw.browseWeb = button("Browse Web...", "2004", d);
  browse->addWidget(uw.browseFiles);
  browse->addWidget(uw.browseWeb);
  browse->addStretch(1);
  grid->addLayout(browse, row, 1);
  row++;

  uw.alt = field("1000", 4096, d);
  fieldRow(grid, row++, "Alternate (ALT) Text", uw.alt, "help_altandtitle", "helpAlt", d);

  uw.title = field("1066", 256, d);
  uw.sameAsAlt = new QCheckBox(QStringLiteral("Same As ALT"), d);
  uw.sameAsAlt->setObjectName(QStringLiteral("1068"));
  grid->addWidget(uw.sameAsAlt, row, 2);
  fieldRow(grid, row++, "Mouse-Over (TITLE) Text", uw.title, "help_altandtitle", "helpTitle", d);

  uw.target = field("1001", 255, d);
  fieldRow(grid, row++, "TARGET (For frames; usually left blank!)", uw.target, "help_target", "helpTarget", d);

  // The label names the form of the shape's coordinates; it starts with the
  // longest so that the label column is wide enough for every shape.
  uw.coords = field("coords", 0, d);
  uw.coordsLabel = new QLabel(QStringLiteral("Coordinates (x1,y1,x2,y2,...)"), d);
  uw.coordsLabel->setObjectName(QStringLiteral("coordsLabel"));
  uw.coordsLabel->setBuddy(uw.coords);
  grid->addWidget(uw.coordsLabel, row, 0);
  grid->addWidget(uw.coords, row, 1);
  grid->addWidget(helpButton("help_coordinates", "helpCoords", d), row, 3);
  top->addLayout(grid);

  QGroupBox *scripts = new QGroupBox(QStringLiteral("JavaScript Attributes for Advanced Users"), d);
  QGridLayout *sg = new QGridLayout(scripts);
  sg->setColumnStretch(1, 1);
  uw.onMouseOver = field("1003", 255, scripts);
  uw.onMouseOut = field("1002", 255, scripts);
  uw.onClick = field("1076", 0, scripts);
  uw.sameAsMouseOut = new QCheckBox(QStringLiteral("Same As OnMouseOut"), scripts);
  uw.sameAsMouseOut->setObjectName(QStringLiteral("1077"));
  fieldRow(sg, 0, "OnMouseOver", uw.onMouseOver, "help_javascript", "helpOnMouseOver", scripts);
  fieldRow(sg, 1, "OnMouseOut", uw.onMouseOut, "help_javascript", "helpOnMouseOut", scripts);
  fieldRow(sg, 2, "OnClick", uw.onClick, "help_javascript", "helpOnClick", scripts);
  sg->addWidget(uw.sameAsMouseOut, 2, 2);
  top->addWidget(scripts);

  // The two grids share their columns: the same widths for the labels, the
  // check boxes and the Help! buttons, and the fields above are inset as far
  // as the group's frame insets those inside it, so every field and button
  // lines up with the one above it.
  scripts->ensurePolished();
  const QMargins frame = scripts->contentsMargins(), inner = sg->contentsMargins();
  grid->setContentsMargins(frame.left() + inner.left(), 0, frame.right() + inner.right(), 0);
  int labelWidth = 0, checkWidth = 0, helpWidth = 0;
  for (QGridLayout *g : {grid, sg}) {
    for (int i = 0; i < g->count(); i++) {
      int r, c, rs, cs;
      g->getItemPosition(i, &r, &c, &rs, &cs);
      QWidget *w = g->itemAt(i)->widget();
      if (!w) continue;
      const int width = w->sizeHint().width();
      if (c == 0) labelWidth = qMax(labelWidth, width);
      if (c == 2) checkWidth = qMax(checkWidth, width);
      if (c == 3) helpWidth = qMax(helpWidth, width);
    }
  }
  for (QGridLayout *g : {grid, sg}) {
    g->setColumnMinimumWidth(0, labelWidth);
    g->setColumnMinimumWidth(2, checkWidth);
    g->setColumnMinimumWidth(3, helpWidth);
    g->setHorizontalSpacing(grid->horizontalSpacing());
  }

  // The attributes of the hotspot's area that the fields above do not cover,
  // shown so that the user knows they are kept; one line that never widens
  // the dialog, the whole of it in the tooltip.
  uw.otherAttributes = new QLabel(d);
  uw.otherAttributes->setObjectName(QStringLiteral("otherAttributes"));
  uw.otherAttributes->setTextFormat(Qt::PlainText);
  uw.otherAttributes->setWordWrap(false);
  uw.otherAttributes->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  uw.otherAttributes->hide();
  top->addWidget(uw.otherAttributes);

  QHBoxLayout *buttons = new QHBoxLayout;
  uw.ok = button("OK", "1", d);
  uw.ok->setDefault(true);
  uw.ok->setAutoDefault(true);
  uw.cancel = button("Cancel", "2", d);
  uw.remove = button("Delete", "1014", d);
  uw.previous = button("Same As Previous", "2005", d);
  buttons->addWidget(uw.ok);
  buttons->addWidget(uw.cancel);
  buttons->addWidget(uw.remove);
  buttons->addStretch(1);
  buttons->addWidget(uw.previous);
  top->addLayout(buttons);

  QObject::connect(uw.ok, &QPushButton::clicked, d, [] { urlOK(); });
  QObject::connect(uw.cancel, &QPushButton::clicked, d, [] { UrlCancel(); });
  QObject::connect(uw.remove, &QPushButton::clicked, d, [] {
    UrlDelete(1);
    UrlDismiss();
    repaint(0);
    sensitivity(1);
  });
  QObject::connect(uw.previous, &QPushButton::clicked, d, [] {
    if (objectsTotal > 0) Url(objectsTotal - 1, 1);
  });
  QObject::connect(uw.browseWeb, &QPushButton::clicked, d, [] { browseWeb(); });
  QObject::connect(uw.browseFiles, &QPushButton::clicked, d, [] { browseFiles(); });
  QObject::connect(uw.sameAsAlt, &QCheckBox::toggled, d, [](bool) { applySameAsBoxes(); });
  QObject::connect(uw.sameAsMouseOut, &QCheckBox::toggled, d, [](bool) { applySameAsBoxes(); });
  QObject::connect(uw.alt, &QLineEdit::textChanged, d, [](const QString &text) {
    if (uw.sameAsAlt->isChecked()) uw.title->setText(text);
  });
  QObject::connect(uw.onMouseOut, &QLineEdit::textChanged, d, [](const QString &text) {
    if (uw.sameAsMouseOut->isChecked()) uw.onClick->setText(text);
  });

  // The keyboard goes through the texts first, then the buttons.
  QWidget *order[] = {uw.url, uw.alt, uw.title, uw.sameAsAlt, uw.target, uw.coords, uw.onMouseOver, uw.onMouseOut,
                      uw.onClick, uw.sameAsMouseOut, uw.ok, uw.cancel, uw.previous, uw.browseFiles, uw.browseWeb};
  for (size_t i = 1; i < sizeof order / sizeof order[0]; i++) QWidget::setTabOrder(order[i - 1], order[i]);

  uw.previous->setEnabled(urlSameAsPreviousEnabled(uw.index) != 0);
}


int placeable(int x, int y) {
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  const QRect v = screen->virtualGeometry();
  return x >= v.left() && y >= v.top() && x < v.left() + v.width() - 100 && y < v.top() + v.height() - 100;
}

// Where the dialog was last put beside the picture, and whether it was put
// there (rather than where the user had left it).
QPoint placedAt;
bool placedByDefault = false;

// The hotspot's rectangle on the screen: its image bounds through the zoom and
// the scroll offsets, from the view's corner (or the owner's, without a view).
QRect hotspotOnScreen(const object *o) {
  QWidget *view = imageView ? imageView : dialogOwner.data();
  if (!o || !view || o->pointsTotal < 1) return QRect();
  const bounds b = objectGetBounds(o);
  const QPoint a(static_cast<int>(b.x1 * scale) - hoffs, static_cast<int>(b.y1 * scale) - voffs);
  const QPoint z(static_cast<int>(b.x2 * scale) - hoffs, static_cast<int>(b.y2 * scale) - voffs);
  return QRect(view->mapToGlobal(a), view->mapToGlobal(z)).normalized().adjusted(-4, -4, 4, 4);
}

// Puts the dialog beside the frame: right of it when there is room, else
// below it, else left or above it; else the first of those places, pushed
// onto the screen, that leaves the hotspot being named in sight.
void placeBesideFrame(QDialog *d, const object *o) {
  QWidget *frame = dialogOwner ? dialogOwner->window() : nullptr;
  QScreen *screen = frame && frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
  if (!frame || !screen) return;
  const QRect desk = screen->availableGeometry(), f = frame->frameGeometry();
  // The size with the window manager's decoration, once it is known.
  QSize size = d->isVisible() ? d->frameGeometry().size() : d->sizeHint();
  if (!d->isVisible()) size += QSize(8, 32);
  const QRect hot = hotspotOnScreen(o);
  const int gap = 4;
  const QPoint tries[] = {QPoint(f.right() + 1 + gap, f.top()), QPoint(f.left(), f.bottom() + 1 + gap),
                          QPoint(f.left() - size.width() - gap, f.top()),
                          QPoint(f.left(), f.top() - size.height() - gap)};
  auto onScreen = [&](QPoint p) {
    p.setX(qMax(desk.left(), qMin(p.x(), desk.right() + 1 - size.width())));
    p.setY(qMax(desk.top(), qMin(p.y(), desk.bottom() + 1 - size.height())));
    return p;
  };
  QPoint chosen = onScreen(tries[0]);
  bool found = false;
  for (const QPoint &p : tries) {
    if (onScreen(p) == p && !QRect(p, size).intersects(hot)) {
      chosen = p;
      found = true;
      break;
    }
  }
  if (!found) {
    const QPoint corners[] = {desk.topRight() - QPoint(size.width() - 1, 0),
                              desk.bottomLeft() - QPoint(0, size.height() - 1),
                              desk.bottomRight() - QPoint(size.width() - 1, size.height() - 1), desk.topLeft()};
    QPoint candidates[8];
    int n = 0;
    for (const QPoint &p : tries) candidates[n++] = onScreen(p);
    for (const QPoint &p : corners) candidates[n++] = onScreen(p);
    for (int i = 0; i < n; i++) {
      if (!QRect(candidates[i], size).intersects(hot)) {
        chosen = candidates[i];
        break;
      }
    }
  }
  d->move(chosen);
}

}  // namespace

void urlDialogShow(int index, int) {
  const bool firstUse = uw.dlg == nullptr;
  uw.index = index;
  if (firstUse) createUrlDialog();
  const object *named = objects && index >= 0 && index < objectsSpace ? &objects[index] : nullptr;
  if (uw.dlg->isVisible() && (!placedByDefault || (uw.dlg->pos() - placedAt).manhattanLength() > 8)) {
    urlDialogX = uw.dlg->pos().x();
    urlDialogY = uw.dlg->pos().y();
  }
  // A place the user chose is kept; the first place is beside the picture.
  const bool chosenByUser = !(urlDialogX == 200 && urlDialogY == 0) && placeable(urlDialogX, urlDialogY);
  if (firstUse) uw.dlg->adjustSize();  // its size is known before it is placed
  if (chosenByUser) {
    uw.dlg->move(urlDialogX, urlDialogY);
    placedByDefault = false;
  } else {
    placeBesideFrame(uw.dlg, named);
    placedAt = uw.dlg->pos();
    placedByDefault = true;
  }

  const object *o = objects && index >= 0 && index < objectsSpace ? &objects[index] : nullptr;
  uw.url->setText(fromText(o ? o->url : nullptr));
  uw.alt->setText(fromText(o ? o->comments : nullptr));
  uw.title->setText(fromText(o ? o->title : nullptr));
  uw.target->setText(fromText(o ? o->target : nullptr));
  uw.onMouseOver->setText(fromText(o ? o->onMouseOver : nullptr));
  uw.onMouseOut->setText(fromText(o ? o->onMouseOut : nullptr));
  uw.onClick->setText(fromText(o ? o->onClick : nullptr));
  // The coordinates are always those of the hotspot that OK confirms or
  // changes: "Same As Previous" fills in the texts of the one before, never
  // its place.
  {
    const object *shape = state == editing ? o : objects ? &objects[objectsTotal] : nullptr;
    char text[4096];
    urlCoordsText(shape, text, sizeof text);
    const int t = shape ? shape->t : notype;
    uw.coordsLabel->setText(t == notype ? QStringLiteral("Coordinates")
                                        : QStringLiteral("Coordinates (%1)").arg(QLatin1String(urlCoordsForm(t))));
    uw.coords->setText(QString::fromLatin1(text));
    uw.coords->setEnabled(t != notype);
  }
  // Only a hotspot of the map has them: a new one gets none, not even through
  // "Same As Previous".
  const char *other = state == editing && o ? o->otherAttributes : nullptr;
  if (other && *other) {
    const QString line = QStringLiteral("Other attributes:") + fromText(other);
    uw.otherAttributes->setText(line);
    uw.otherAttributes->setToolTip(line);
    uw.otherAttributes->show();
  } else {
    uw.otherAttributes->clear();
    uw.otherAttributes->setToolTip(QString());
    uw.otherAttributes->hide();
  }
  // A new hotspot follows the stored options. A hotspot of the map shows what
  // is written for it: its own title and onClick, or the texts standing in.
  bool altBox = titleAsAlt != 0, outBox = clickAsMouseOut != 0;
  if (state == editing && o) {
    const QString title = uw.title->text(), click = uw.onClick->text();
    altBox = title.isEmpty() || title == uw.alt->text();
    outBox = click.isEmpty() ? (clickAsMouseOut && !uw.onMouseOut->text().isEmpty()) : click == uw.onMouseOut->text();
  }
  uw.ownTitle = uw.title->text();
  uw.ownClick = uw.onClick->text();
  uw.title->setEnabled(true);
  uw.onClick->setEnabled(true);
  {
    const QSignalBlocker a(uw.sameAsAlt), b(uw.sameAsMouseOut);
    uw.sameAsAlt->setChecked(altBox);
    uw.sameAsMouseOut->setChecked(outBox);
  }
  applySameAsBoxes();

  uw.remove->hide();
  const bool isNew = o && (index >= objectsTotal || !o->complete);
  if (state == editing)
    uw.previous->setEnabled(false);
  else if (isNew)
    uw.previous->setEnabled(urlSameAsPreviousEnabled(index) != 0);

  uw.dlg->show();
  uw.dlg->raise();
  uw.dlg->activateWindow();
  uw.url->setFocus();
}

void urlDialogDismiss(void) {
  if (!uw.dlg) return;
  if (uw.dlg->isVisible()) {
    // A dialog the user has not moved keeps coming up beside the picture.
    const QPoint p = uw.dlg->pos();
    if (!placedByDefault || (p - placedAt).manhattanLength() > 8) {
      urlDialogX = p.x();
      urlDialogY = p.y();
    }
  }
  uw.dlg->hide();
}

void urlDefaultDialogShow(void) {
  if (defaultDlg) {
    defaultDlg->raise();
    defaultDlg->activateWindow();
    return;
  }
  defaultCreating = 1;
  cancellingDialog *d =
      new cancellingDialog(dialogOwner ? dialogOwner.data() : QApplication::activeWindow(), UrlDefaultDismiss);
  defaultDlg = d;
  d->setObjectName(QStringLiteral("defaultUrl"));
  d->setWindowTitle(QStringLiteral("Default URL"));
  d->setModal(false);
  d->setAttribute(Qt::WA_DeleteOnClose, false);
  QVBoxLayout *top = new QVBoxLayout(d);
  QLineEdit *text = field("1010", 255, d);
  top->addWidget(labelFor(QStringLiteral("Default URL for outside clicks:"), text, d));
  text->setText(fromText(defaultUrl));
  top->addWidget(text);
  QHBoxLayout *buttons = new QHBoxLayout;
  QPushButton *ok = button("OK", "1", d);
  ok->setDefault(true);
  ok->setAutoDefault(true);
  QPushButton *cancel = button("Cancel", "2", d);
  QPushButton *remove = button("Delete", "1012", d);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  top->addLayout(buttons);
  QObject::connect(ok, &QPushButton::clicked, d, [text] {
    const QByteArray value = fieldText(text, 254);
    UrlDefaultOK(value.constData());
  });
  QObject::connect(cancel, &QPushButton::clicked, d, [] { UrlDefaultDismiss(); });
  QObject::connect(remove, &QPushButton::clicked, d, [] { UrlDefaultDelete(); });
  d->show();
  d->raise();
  d->activateWindow();
  text->setFocus();
}

void urlDefaultDialogDismiss(void) {
  defaultCreating = 0;
  if (!defaultDlg) return;
  QDialog *d = defaultDlg;
  defaultDlg = nullptr;
  d->hide();
  d->deleteLater();
}

QDialog *urlDialog(void) { return uw.dlg; }
QDialog *urlDefaultDialog(void) { return defaultDlg; }
int urlDialogIndex(void) { return uw.index; }

void propsDialogDestroy(void) {
  urlDefaultDialogDismiss();
  delete uw.dlg;
  uw = urlWindow();
}

void propsDialogInstall(QWidget *owner) {
  dialogOwner = owner;
  seams.url = urlDialogShow;
  seams.urlDismiss = urlDialogDismiss;
  seams.urlDefault = urlDefaultDialogShow;
  seams.urlDefaultDismiss = urlDefaultDialogDismiss;
}
