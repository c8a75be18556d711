// about_ui.cpp: the About box. Owns aboutText, aboutW, aboutH, aboutFont.
#include "ui/about_ui.h"

#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/browser.h"
#include "app/commands.h"
#include "platform/strhack.h"

char aboutText[1024] = "";
int aboutW = 0, aboutH = 0;
QFont *aboutFont = nullptr;

namespace {

const int buttonStrip = 40;  // room below the text for the buttons
const int gradientRows = 500;

class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(aboutProductName)));
    QPushButton *home = new QPushButton(QStringLiteral("%1 Home Page").arg(QString::fromUtf8(aboutProductName)));
    home->setObjectName(QStringLiteral("homePage"));
    home->setAutoDefault(false);
    QPushButton *close = new QPushButton(QStringLiteral("Close Window"));
    close->setObjectName(QStringLiteral("closeWindow"));
    close->setDefault(true);
    connect(home, &QPushButton::clicked, this, [this]() { AccessURL(this, aboutHomeAddress); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    QHBoxLayout *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(home);
    row->addWidget(close);
    QVBoxLayout *v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 6);
    v->addStretch(1);
    v->addLayout(row);
    setMinimumSize(420, 300);
    resize(440, 320);

    if (!aboutFont) {
      aboutFont = new QFont(QStringLiteral("Arial"));
      aboutFont->setPixelSize(16);
      aboutFont->setWeight(QFont::Normal);
      aboutFont->setStyleHint(QFont::SansSerif);
    }
    row_ = row;
    layoutText();
  }

  void done(int r) override {
    delete aboutFont;
    aboutFont = nullptr;
    QDialog::done(r);
  }

 protected:
  void resizeEvent(QResizeEvent *e) override {
    QDialog::resizeEvent(e);
    layoutText();
  }

  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    const int h = height();
    for (int i = 0; i < h && i < gradientRows; i++) {
      const int c = aboutGradientColor(i, h);
      if (c < 0) break;
      p.fillRect(QRect(0, i, width(), 1), QColor::fromRgb((QRgb)c));
    }
    p.setPen(QColor(0, 0, 0));
    if (aboutFont) p.setFont(*aboutFont);
    QString text = QString::fromUtf8(aboutText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect area(25, 25, aboutW - 50, aboutH - 50);
    if (area.width() > 0 && area.height() > 0)
      p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
  }

 private:
  // The text area: the client width, and the client height less the button
  // strip (more when large fonts make the buttons taller).
  void layoutText() {
    aboutW = width();
    int strip = buttonStrip;
    if (row_) {
      const int needed = row_->sizeHint().height() + 16;
      if (needed > strip) strip = needed;
    }
    aboutH = height() - strip;
  }

  QHBoxLayout *row_ = nullptr;
};

}  // namespace

int aboutGradientColor(int i, int h) {
  if (h <= 0 || i < 0 || i >= h || i >= gradientRows) return -1;
  const int green = 255 - 64 * i / h;
  return (192 << 16) | (green << 8) | 192;
}

QDialog *aboutCreate(QWidget *owner, const char *text) {
  strcpyMax(aboutText, (int)sizeof aboutText, text ? text : "");
  return new AboutBox(owner);
}

void about(void *owner, const char *text) {
  QDialog *box = aboutCreate(static_cast<QWidget *>(owner), text);
  box->exec();
  delete box;
}

void helpWindowShow(const char *path, const char *anchor) {
  static QPointer<QDialog> window;
  static QTextBrowser *text = nullptr;
  if (!window) {
    window = new QDialog(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("helpWindow"));
    window->setWindowTitle(QStringLiteral("Tilvane Help"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    QVBoxLayout *layout = new QVBoxLayout(window);
    text = new QTextBrowser(window);
    text->setObjectName(QStringLiteral("helpText"));
    text->setAccessibleName(QStringLiteral("Help"));
    // Links that leave the help page go to the desktop's programs for them.
    text->setOpenExternalLinks(true);
    layout->addWidget(text);
    window->resize(760, 640);
  }
  QUrl url = QUrl::fromLocalFile(QString::fromLocal8Bit(path ? path : ""));
  if (anchor && *anchor) url.setFragment(QString::fromLocal8Bit(anchor));
  text->setSource(url);
  window->show();
  window->raise();
  window->activateWindow();
}
