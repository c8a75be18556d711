// platform_qt.cpp: message boxes, file, folder and colour dialogs, the clipboard,
// processes, addresses and the loading window, carried out with Qt Widgets.
#include "platform/platform_qt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Texts written for the other platform end their lines with CR LF; Qt wants LF.
QString uiText(const char *s) {
  QString t = QString::fromLocal8Bit(s ? s : "");
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

// Without an owner a dialog belongs to the active window, or else to the
// program's main window, so that it opens over the editor.
QWidget *ownerWidget(void *owner) {
  if (owner) return static_cast<QWidget *>(owner);
  if (QWidget *active = QApplication::activeWindow()) return active;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->inherits("QMainWindow")) return w;
  return nullptr;
}

void copyOut(const QString &s, char *out, int outSize) {
  if (!out || outSize <= 0) return;
  std::snprintf(out, (size_t)outSize, "%s", s.toLocal8Bit().constData());
}

int qtMessageBox(void *owner, const char *text, const char *title, unsigned flags) {
  QMessageBox box(ownerWidget(owner));
  box.setWindowTitle(uiText(title));
  box.setTextFormat(Qt::PlainText);  // texts such as <img src=...> are shown as written
  box.setText(uiText(text));
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  const bool second = (flags & MB_DEFMASK) == MB_DEFBUTTON2;
  switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(second ? QMessageBox::Cancel : QMessageBox::Ok);
      break;
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(second ? QMessageBox::No : QMessageBox::Yes);
      break;
    case MB_YESNOCANCEL:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(second ? QMessageBox::No : QMessageBox::Yes);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  int r = box.exec();
  switch (r) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default:
      // The close box: No for a Yes/No question, Cancel otherwise.
      if ((flags & MB_BUTTONMASK) == MB_YESNO) return IDNO;
      return (flags & MB_BUTTONMASK) == MB_OK ? IDOK : IDCANCEL;
  }
}

// "Name (*.A;*.B)" with patterns "*.a;*.b" becomes "Name (*.A;*.B) (*.a *.A *.b *.B)":
// Qt reads the last parenthesised group as the patterns, and Linux names are
// case-sensitive, so each pattern is offered in both cases.
QString qtFilters(const platformFileFilter *filters, int count) {
  QStringList list;
  for (int i = 0; i < count; i++) {
    QStringList pats;
    for (const QString &p : QString::fromLatin1(filters[i].patterns ? filters[i].patterns : "*")
                                .split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      QString t = p.trimmed();
      if (t == QLatin1String("*.*")) t = QStringLiteral("*");
      if (!pats.contains(t)) pats << t;
      if (!pats.contains(t.toUpper())) pats << t.toUpper();
      if (!pats.contains(t.toLower())) pats << t.toLower();
    }
    list << QStringLiteral("%1 (%2)").arg(uiText(filters[i].name), pats.join(QLatin1Char(' ')));
  }
  return list.join(QStringLiteral(";;"));
}

// Where a file dialog opens: the caller's start when it names a folder, else
// the program's start folder (with the caller's bare file name in it).
QString dialogStart(const char *initial) {
  QString start = uiText(initial);
  if (start.contains(QLatin1Char('/')) || !platformDialogStartHook) return start;
  char folder[1024];
  folder[0] = 0;
  platformDialogStartHook(folder, sizeof folder);
  if (!folder[0]) return start;
  QString f = QString::fromLocal8Bit(folder);
  return start.isEmpty() ? f : f + QLatin1Char('/') + start;
}

void dialogUsed(const QString &path) {
  if (platformDialogUsedHook) platformDialogUsedHook(path.toLocal8Bit().constData());
}

// The file dialogs are the desktop's own (a portal, GTK or KDE dialog, as the
// platform theme offers), else Qt's.
int qtOpenFile(void *owner, const char *title, const platformFileFilter *filters, int count,
               const char *initial, unsigned options, char *out, int outSize) {
  QString start = dialogStart(initial);
  for (;;) {
    QString f = QFileDialog::getOpenFileName(ownerWidget(owner), uiText(title), start,
                                             qtFilters(filters, count));
    if (f.isEmpty()) return 0;
    if ((options & PLATFORM_FILE_MUST_EXIST) && !QFileInfo::exists(f)) {
      start = f;
      continue;
    }
    dialogUsed(f);
    copyOut(f, out, outSize);
    return 1;
  }
}

int qtSaveFile(void *owner, const char *title, const platformFileFilter *filters, int count,
               const char *initial, const char *defaultExt, unsigned options, char *out,
               int outSize) {
  const QString start = dialogStart(initial);
  QFileDialog dlg(ownerWidget(owner), uiText(title), start, qtFilters(filters, count));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  if (!(options & PLATFORM_OVERWRITE_PROMPT)) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (defaultExt && *defaultExt) dlg.setDefaultSuffix(QString::fromLatin1(defaultExt));
  if (!start.isEmpty() && !QFileInfo(start).isDir()) dlg.selectFile(start);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return 0;
  dialogUsed(dlg.selectedFiles().first());
  copyOut(dlg.selectedFiles().first(), out, outSize);
  return 1;
}

int qtChooseFolder(void *owner, const char *title, const char *start, char *out, int outSize) {
  QString d = QFileDialog::getExistingDirectory(
      ownerWidget(owner), uiText(title), dialogStart(start), QFileDialog::ShowDirsOnly);
  if (d.isEmpty()) return 0;
  copyOut(d, out, outSize);
  return 1;
}

QColor fromBgr(unsigned c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
unsigned toBgr(const QColor &c) {
  return (unsigned)c.red() | ((unsigned)c.green() << 8) | ((unsigned)c.blue() << 16);
}

int qtChooseColor(void *owner, unsigned *color, unsigned customColors[16]) {
  for (int i = 0; i < 16 && i < QColorDialog::customCount(); i++)
    QColorDialog::setCustomColor(i, fromBgr(customColors[i]));
  QColorDialog dlg(fromBgr(*color), ownerWidget(owner));
  dlg.setOption(QColorDialog::DontUseNativeDialog, true);
  int r = dlg.exec();
  for (int i = 0; i < 16 && i < QColorDialog::customCount(); i++)
    customColors[i] = toBgr(QColorDialog::customColor(i));
  if (r != QDialog::Accepted) return 0;
  *color = toBgr(dlg.selectedColor());
  return 1;
}

int qtChoose(void *owner, const char *title, const char *text, const char *const *options,
             int count, int *selected) {
  QDialog dlg(ownerWidget(owner));
  dlg.setWindowTitle(uiText(title));
  auto *layout = new QVBoxLayout(&dlg);
  auto *label = new QLabel(uiText(text), &dlg);
  label->setWordWrap(true);
  layout->addWidget(label);
  QButtonGroup group(&dlg);
  for (int i = 0; i < count; i++) {
    auto *b = new QRadioButton(uiText(options[i]), &dlg);
    group.addButton(b, i);
    layout->addWidget(b);
    if (selected && *selected == i) b->setChecked(true);
  }
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  layout->addWidget(buttons);
  if (dlg.exec() != QDialog::Accepted) return 0;
  if (selected && group.checkedId() >= 0) *selected = group.checkedId();
  return 1;
}

int qtClipboardSetText(const char *text) {
  QGuiApplication::clipboard()->setText(QString::fromLocal8Bit(text ? text : ""));
  return 1;
}

char *qtClipboardGetText(void) {
  const QMimeData *m = QGuiApplication::clipboard()->mimeData();
  if (!m || !m->hasText()) return nullptr;
  return strdup(m->text().toLocal8Bit().constData());
}

int qtClipboardHasText(void) {
  const QMimeData *m = QGuiApplication::clipboard()->mimeData();
  return (m && m->hasText()) ? 1 : 0;
}

int qtStartProcess(const char *program, const char *const *args) {
  QStringList a;
  for (int i = 0; args && args[i]; i++) a << QString::fromLocal8Bit(args[i]);
  return QProcess::startDetached(QString::fromLocal8Bit(program), a) ? 1 : 0;
}

int qtOpenAddress(const char *address) {
  QString a = QString::fromLocal8Bit(address ? address : "");
  QUrl url = a.contains(QLatin1String("://")) || a.startsWith(QLatin1String("mailto:"))
                 ? QUrl(a)
                 : QUrl::fromLocalFile(a);
  // A local page goes to a web browser, not to the program that takes HTML
  // files, which may be this editor.
  const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
  if (path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
      path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
    const std::vector<std::string> command = browserCommand(url.toString(QUrl::FullyEncoded).toUtf8().constData());
    if (command.empty()) return 0;
    QStringList args;
    for (size_t i = 1; i < command.size(); i++) args << QString::fromStdString(command[i]);
    return QProcess::startDetached(QString::fromStdString(command[0]), args) ? 1 : 0;
  }
  return QDesktopServices::openUrl(url) ? 1 : 0;
}

long long qtNow(void) { return (long long)std::time(nullptr); }

void qtLocalTime(struct tm *out) {
  std::time_t t = std::time(nullptr);
  localtime_r(&t, out);
}

struct progressWindow {
  QDialog *dialog;
  QLabel *line2;
  int percent;
  bool cancelled;
};

platformProgress qtProgressOpen(void *owner, const char *title, const char *line1,
                                const char *line2) {
  auto *p = new progressWindow;
  p->dialog = new QDialog(ownerWidget(owner));
  p->dialog->setWindowTitle(uiText(title));
  p->dialog->setModal(false);
  auto *layout = new QVBoxLayout(p->dialog);
  layout->addWidget(new QLabel(uiText(line1), p->dialog));
  p->line2 = new QLabel(uiText(line2), p->dialog);
  layout->addWidget(p->line2);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, p->dialog);
  layout->addWidget(buttons);
  p->percent = 0;
  p->cancelled = false;
  QObject::connect(buttons, &QDialogButtonBox::rejected, p->dialog, [p]() { p->cancelled = true; });
  QObject::connect(p->dialog, &QDialog::rejected, p->dialog, [p]() { p->cancelled = true; });
  // The window takes the input while the load runs: the others are drawn but
  // not used, so that nothing else starts in the middle of the load.
  p->dialog->setWindowModality(Qt::ApplicationModal);
  p->dialog->show();
  p->dialog->raise();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return p;
}

void qtProgressUpdate(platformProgress handle, int percent) {
  auto *p = static_cast<progressWindow *>(handle);
  if (!p || percent == p->percent) return;
  p->percent = percent;
  p->line2->setText(QStringLiteral("%1% Complete").arg(percent));
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int qtProgressPoll(platformProgress handle) {
  auto *p = static_cast<progressWindow *>(handle);
  if (!p) return 0;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return p->cancelled ? 1 : 0;
}

void qtProgressClose(platformProgress handle) {
  auto *p = static_cast<progressWindow *>(handle);
  if (!p) return;
  delete p->dialog;
  delete p;
}

const platformTable qtTable = {
    qtMessageBox,      qtOpenFile,         qtSaveFile,        qtChooseFolder,
    qtChooseColor,     qtChoose,           qtClipboardSetText, qtClipboardGetText,
    qtClipboardHasText, qtStartProcess,    qtOpenAddress,     qtNow,
    qtLocalTime,       qtProgressOpen,     qtProgressUpdate,  qtProgressClose,
    qtProgressPoll,
};

}  // namespace

void platformQtInstall() { platformInstall(&qtTable); }

const platformTable *platformQt() { return &qtTable; }
