// checkmap_ui.cpp: the "Check Map" window: the findings of the open document
// in a list of three columns (kind, where, what), checked again whenever the
// map, its picture or its page changes; the hatching of the covered parts of
// hotspots drawn over the view.
#include "ui/checkmap_ui.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/checkmap.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/view.h"
#include "html/document.h"
#include "workflow/loadimg.h"
#include "editor/commandids.h"

void frameCommand(unsigned id);

namespace {

QPointer<QDialog> window;
QTreeWidget *list = nullptr;
QLabel *summary = nullptr;
uint64_t lastKey = 0;
std::vector<std::string> shownLines;  // the lines the list shows
QLabel *markupLabel = nullptr;        // the markup of a chosen area that is no hotspot
// The map's areas as last checked, in their order: the hotspot each is (-1
// none) and the markup of one that cannot be a hotspot.
std::vector<int> areaObjects;
std::vector<std::string> areaMarkups;

// The covered parts as rectangles of picture pixels (runs of equal columns on
// following rows joined).
struct hatchRect {
  int x1, y1, x2, y2;
};
std::vector<hatchRect> hatched;

QString fromText(const std::string &s) { return QString::fromLocal8Bit(s.c_str()); }

// A fingerprint of everything the findings depend on, so that the list is
// checked again only when one of them changed.
uint64_t documentKey(void) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&](const void *data, size_t n) {
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < n; i++) h = (h ^ p[i]) * 1099511628211ull;
  };
  auto mixInt = [&](long long v) { mix(&v, sizeof v); };
  auto mixText = [&](const char *s) {
    if (s) mix(s, std::char_traits<char>::length(s));
    mixInt(s ? 1 : 0);
  };
  mixInt(objects ? objectsTotal : -1);
  for (int i = 0; objects && i < objectsTotal; i++) {
    const object &o = objects[i];
    mixInt(o.t);
    if (o.points && o.pointsTotal > 0) mix(o.points, sizeof(FPOINT) * static_cast<size_t>(o.pointsTotal));
    mixInt(o.pointsTotal);
    mixText(o.url);
    mixText(o.comments);
  }
  mixInt(static_cast<long long>(keptAreas.size()));
  for (const keptArea &k : keptAreas) {
    mixInt(k.before);
    mixText(k.markup);
  }
  mixText(defaultUrl);
  mixText(mapfilename);
  mixText(maplocalname);
  mixInt(sx);
  mixInt(sy);
  mixInt(displayWidth);
  mixInt(displayHeight);
  mixInt(reinterpret_cast<intptr_t>(hdoc));
  return h;
}

void drawHatching(QPainter *p) {
  if (hatched.empty()) return;
  p->save();
  QColor c(sketchR, sketchG, sketchB);
  p->setPen(Qt::NoPen);
  p->setBrush(QBrush(c, Qt::BDiagPattern));
  const QRect visible(hoffs, voffs, winwidth, winheight);
  for (const hatchRect &r : hatched) {
    const double x1 = r.x1 * scale, y1 = r.y1 * scale, x2 = (r.x2 + 1) * scale, y2 = (r.y2 + 1) * scale;
    if (x2 < visible.left() || y2 < visible.top() || x1 > visible.right() + 1 || y1 > visible.bottom() + 1)
      continue;
    const int l = static_cast<int>(x1), t = static_cast<int>(y1);
    const int w = std::max(1, static_cast<int>(x2) - l), h = std::max(1, static_cast<int>(y2) - t);
    p->drawRect(QRect(l, t, w, h));
  }
  p->restore();
}

// "1 error", "3 errors".
QString counted(int n, const char *what) {
  return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(what)).arg(n == 1 ? "" : "s");
}

// Checks the open document again and fills the list.
void refresh(bool force) {
  if (!window || !list) return;
  const uint64_t key = documentKey();
  if (!force && key == lastKey) return;
  lastKey = key;

  std::vector<checkFinding> findings;
  std::vector<checkSpan> spans;
  const bool open = objects && (hdoc || sx > 0);
  if (open) {
    checkInput in;
    checkInputFromTable(in);
    areaObjects.clear();
    areaMarkups.clear();
    for (const checkArea &a : in.areas) {
      areaObjects.push_back(a.object);
      areaMarkups.push_back(a.markup);
    }
    in.width = sx;
    in.height = sy;
    htmlTagPtr img = hdoc && maplocalname ? checkPicture(hdoc, maplocalname) : nullptr;
    if (img) checkShownSize(img, sx, sy, &in.width, &in.height);
    if (mapfilename && *mapfilename) {
      std::string page = mapfilename;
      size_t slash = page.rfind('/');
      in.folder = slash == std::string::npos ? "." : page.substr(0, slash ? slash : 1);
    }
    if (hdoc) checkInputAnchors(hdoc, in);
    if (hdoc && maplocalname) checkPage(hdoc, maplocalname, sx, sy, 1, findings);
    checkAreas(in, findings, &spans);
  }

  // Runs sorted by columns, then rows, so that a block of equal runs on
  // following rows becomes one rectangle.
  std::sort(spans.begin(), spans.end(), [](const checkSpan &a, const checkSpan &b) {
    if (a.x1 != b.x1) return a.x1 < b.x1;
    if (a.x2 != b.x2) return a.x2 < b.x2;
    return a.y < b.y;
  });
  hatched.clear();
  for (const checkSpan &s : spans) {
    if (!hatched.empty()) {
      hatchRect &r = hatched.back();
      if (r.x1 == s.x1 && r.x2 == s.x2 && s.y <= r.y2 + 1) {
        r.y2 = std::max(r.y2, s.y);
        continue;
      }
    }
    hatched.push_back(hatchRect{s.x1, s.y, s.x2, s.y});
  }

  // The list is filled anew only when its lines changed, so that the current
  // line stays where it is.
  std::vector<std::string> lines(1, open ? "open" : "closed");
  for (const checkFinding &f : findings) lines.push_back(checkLine(f));
  viewRepaint(0);
  if (lines == shownLines) return;
  shownLines = lines;
  list->clear();
  int counts[3] = {0, 0, 0};
  static const char *const severityTitles[3] = {"Error", "Warning", "Notice"};
  for (const checkFinding &f : findings) {
    counts[f.severity]++;
    std::string text = f.message;
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    text += ".";
    std::string where = checkSubject(f);
    where[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(where[0])));
    auto *item = new QTreeWidgetItem(list, QStringList{severityTitles[f.severity], fromText(where), fromText(text)});
    item->setData(0, Qt::UserRole, f.hotspot);
    item->setToolTip(2, fromText(text));
  }
  if (!open)
    summary->setText(QStringLiteral("No map is open."));
  else if (findings.empty())
    summary->setText(QStringLiteral("Tilvane found no faults in this map."));
  else
    summary->setText(QStringLiteral("%1, %2, %3.")
                         .arg(counted(counts[0], "error"), counted(counts[1], "warning"), counted(counts[2], "notice")));
}

// Brings hotspot i into the window, centred when it was not wholly in view.
void scrollTo(int i) {
  const bounds b = objectGetBounds(&objects[i]);
  auto place = [](int vertical, double lo, double hi, int offset, int page, int limit) {
    if (lo >= offset && hi <= offset + page) return;
    double target = (lo + hi) / 2 - page / 2.0;
    if (target > limit) target = limit;
    if (target < 0) target = 0;
    viewScroll(vertical, scrollThumb, static_cast<int>(target));
  };
  place(0, b.x1 * scale, (b.x2 + 1) * scale, hoffs, winwidth, scrollLimitH());
  place(1, b.y1 * scale, (b.y2 + 1) * scale, voffs, winheight, scrollLimitV());
}

// Choosing a finding: Test+Edit, its hotspot selected alone and in view; for
// an area that cannot be a hotspot, its markup shown below the list.
void choose(int place) {
  if (place < 0 || static_cast<size_t>(place) >= areaObjects.size()) {
    if (markupLabel) markupLabel->hide();
    return;
  }
  const int i = areaObjects[static_cast<size_t>(place)];
  if (markupLabel) {
    const std::string &markup = areaMarkups[static_cast<size_t>(place)];
    markupLabel->setText(fromText(markup));
    markupLabel->setVisible(i < 0 && !markup.empty());
  }
  if (!objects || i < 0 || i >= objectsTotal) return;
  if (state != editing) frameCommand(cmdTestEdit);
  if (state != editing) return;
  for (int k = 0; k < objectsTotal; k++) objects[k].selected = 0;
  objects[i].selected = 1;
  lastObjectSelected = i;
  pointsDeselect(&psel);
  sensitivity(1);
  scrollTo(i);
  repaint(0);
}

}  // namespace

void checkMapOpen(QWidget *parent) {
  if (window) {
    refresh(true);
    window->show();
    window->raise();
    window->activateWindow();
    return;
  }
  auto *d = new QDialog(parent);
  d->setAttribute(Qt::WA_DeleteOnClose);
  d->setWindowTitle(QStringLiteral("Check Map"));
  d->setModal(false);
  auto *layout = new QVBoxLayout(d);
  list = new QTreeWidget(d);
  list->setColumnCount(3);
  list->setHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Where"), QStringLiteral("What")});
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->header()->setStretchLastSection(true);
  list->setColumnWidth(0, list->fontMetrics().horizontalAdvance(QStringLiteral("Warning")) + 24);
  list->setColumnWidth(1, list->fontMetrics().horizontalAdvance(QStringLiteral("Hotspot 12 (circle, products.html)")));
  layout->addWidget(list);
  markupLabel = new QLabel(d);
  markupLabel->setTextFormat(Qt::PlainText);
  markupLabel->setWordWrap(true);
  markupLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  markupLabel->hide();
  layout->addWidget(markupLabel);
  summary = new QLabel(d);
  auto *row = new QHBoxLayout;
  row->addWidget(summary, 1);
  auto *close = new QPushButton(QStringLiteral("Close"), d);
  row->addWidget(close);
  layout->addLayout(row);
  QObject::connect(close, &QPushButton::clicked, d, &QDialog::close);
  // The choice runs once the list's own handling of the click is over: Test+Edit
  // may show its first-time hint, during which the list can be filled anew.
  auto later = [d](QTreeWidgetItem *item, int) {
    if (!item) return;
    const int i = item->data(0, Qt::UserRole).toInt();
    QTimer::singleShot(0, d, [i] { choose(i); });
  };
  QObject::connect(list, &QTreeWidget::itemActivated, d, later);
  QObject::connect(list, &QTreeWidget::itemClicked, d, later);
  auto *timer = new QTimer(d);
  timer->setInterval(300);
  QObject::connect(timer, &QTimer::timeout, d, [] { refresh(false); });
  // Closing it (Close, Escape, the close box) takes the hatching away.
  QObject::connect(d, &QDialog::finished, d, [d] {
    hatched.clear();
    viewOverlay = nullptr;
    viewRepaint(0);
    d->deleteLater();
  });
  QObject::connect(d, &QObject::destroyed, [] {
    shownLines.clear();
    list = nullptr;
    summary = nullptr;
    markupLabel = nullptr;
    hatched.clear();
    viewOverlay = nullptr;
  });
  window = d;
  viewOverlay = drawHatching;
  d->resize(list->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 100, 320);
  refresh(true);
  timer->start();
  d->show();
  // Beside the frame, below or above it where the screen has room, so that
  // the picture stays in view.
  if (parent) {
    const QRect frame = parent->frameGeometry();
    const QRect screen = parent->screen() ? parent->screen()->availableGeometry() : QRect();
    if (frame.right() + d->width() + 16 <= screen.right())
      d->move(frame.right() + 8, frame.top());
    else if (frame.left() - d->width() - 16 >= screen.left())
      d->move(frame.left() - d->width() - 16, frame.top());
    else if (frame.bottom() + d->height() + 40 <= screen.bottom())
      d->move(frame.left(), frame.bottom() + 8);
    else if (frame.top() - d->height() - 40 >= screen.top())
      d->move(frame.left(), frame.top() - d->height() - 40);
  }
}

void checkMapClose(void) {
  viewOverlay = nullptr;
  delete window.data();
}
