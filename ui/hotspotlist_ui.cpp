// hotspotlist_ui.cpp: the hotspot list dock: a table over the rows of
// editor/hotspotlist.h, the selection carried both ways, the keys, the
// dragging of rows, and the place and visibility kept in the settings. Owns
// hotspotListDock.
#include "ui/hotspotlist_ui.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QPointer>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <vector>

#include "app/commands.h"
#include "editor/clipboard.h"
#include "editor/editops.h"
#include "editor/hotspotlist.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "editor/selection.h"
#include "platform/seams.h"
#include "platform/settings.h"

QDockWidget *hotspotListDock = nullptr;

namespace {

const char rowsMime[] = "application/x-tilvane-hotspot-rows";

class HotspotModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows; }
  int columnCount(const QModelIndex &parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : hotspotListColumns;
  }

  QVariant data(const QModelIndex &index, int role) const override {
    if (!index.isValid() || index.row() >= hotspotListRows()) return QVariant();
    switch (role) {
      case Qt::DisplayRole:
        return QString::fromLocal8Bit(hotspotListCell(index.row(), index.column()).c_str());
      case Qt::DecorationRole:
        if (index.column() == hotspotListNumber && !hotspotListMark(index.row()).empty()) return warning();
        return QVariant();
      case Qt::ToolTipRole: {
        const std::string &mark = hotspotListMark(index.row());
        if (!mark.empty()) return QString::fromUtf8(mark.c_str());
        if (index.column() != hotspotListNumber && index.column() != hotspotListShape)
          return QString::fromLocal8Bit(hotspotListCell(index.row(), index.column()).c_str());
        return QVariant();
      }
      case Qt::TextAlignmentRole:
        if (index.column() == hotspotListNumber) return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }
    return QVariant();
  }

  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < hotspotListColumns)
      return QString::fromLatin1(hotspotListTitles[section]);
    return QVariant();
  }

  Qt::ItemFlags flags(const QModelIndex &index) const override {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  }

  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override { return {QString::fromLatin1(rowsMime)}; }
  QMimeData *mimeData(const QModelIndexList &) const override {
    QMimeData *m = new QMimeData;
    m->setData(QString::fromLatin1(rowsMime), QByteArray());
    return m;
  }

  // The dragged rows are the selected hotspots: they move, in their order,
  // before the row dropped on (or to the end).
  bool dropMimeData(const QMimeData *data, Qt::DropAction, int row, int, const QModelIndex &parent) override {
    if (!data || !data->hasFormat(QString::fromLatin1(rowsMime))) return false;
    const int before = row >= 0 ? row : parent.isValid() ? parent.row() : hotspotListRows();
    arrangeMoveSelectionBefore(before);
    // The rows have moved already: nothing is for the view to remove.
    return false;
  }

  // Follows the table: a new number of rows resets the model, else the cells
  // are announced as changed (the view repaints only the rows it shows).
  void follow() {
    const int now = hotspotListRows();
    if (now != rows) {
      beginResetModel();
      rows = now;
      endResetModel();
    } else if (rows > 0) {
      emit dataChanged(index(0, 0), index(rows - 1, hotspotListColumns - 1));
    }
  }

  void marksChanged() {
    if (rows > 0) emit dataChanged(index(0, hotspotListNumber), index(rows - 1, hotspotListNumber));
  }

 private:
  static QVariant warning() {
    static QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon;
  }
  int rows = 0;
};

// Enter and Delete reach the list also while it floats on its own.
class HotspotTable : public QTableView {
 public:
  using QTableView::QTableView;

 protected:
  void keyPressEvent(QKeyEvent *e) override {
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
      if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (singleSelection() && lastObjectSelected != -1) Url(lastObjectSelected, 1);
        return;
      }
      if (e->key() == Qt::Key_Delete) {
        Cut();
        return;
      }
    }
    QTableView::keyPressEvent(e);
  }
};

class HotspotDock : public QDockWidget {
 public:
  using QDockWidget::QDockWidget;

 protected:
  void closeEvent(QCloseEvent *e) override {
    QDockWidget::closeEvent(e);
    hotspotListShown = 0;
    commandCheck(cmdHotspotList, 0);
  }
};

QPointer<QMainWindow> frameWindow;
HotspotModel *model = nullptr;
HotspotTable *table = nullptr;
QTimer *refreshTimer = nullptr;  // one refresh per turn of the event loop
QTimer *marksTimer = nullptr;    // Check Map a moment after the last change
bool syncing = false;            // the list's selection is being set from the table
std::vector<char> shownSelection;
int shownCurrent = -2;

// The picture's selection into the rows; the current row scrolls into view
// when the selection changed.
void syncSelection(void) {
  if (!table) return;
  const int total = hotspotListRows();
  std::vector<char> now(static_cast<size_t>(total), 0);
  for (int i = 0; i < total; i++) now[i] = objects[i].selected ? 1 : 0;
  const int current = lastObjectSelected;
  if (now == shownSelection && current == shownCurrent) return;
  shownSelection = now;
  shownCurrent = current;
  QItemSelection selection;
  for (int i = 0; i < total;) {
    if (!now[i]) {
      i++;
      continue;
    }
    int j = i;
    while (j + 1 < total && now[j + 1]) j++;
    selection.select(model->index(i, 0), model->index(j, hotspotListColumns - 1));
    i = j + 1;
  }
  syncing = true;
  QItemSelectionModel *s = table->selectionModel();
  s->select(selection, QItemSelectionModel::ClearAndSelect);
  if (current >= 0 && current < total) {
    s->setCurrentIndex(model->index(current, 0), QItemSelectionModel::NoUpdate);
    table->scrollTo(model->index(current, 0));
  }
  syncing = false;
}

// The rows chosen into the hotspots.
void rowsChosen(void) {
  if (syncing || !table) return;
  std::vector<int> rows;
  for (const QModelIndex &i : table->selectionModel()->selectedRows()) rows.push_back(i.row());
  const QModelIndex current = table->selectionModel()->currentIndex();
  hotspotListSelectRows(rows, current.isValid() ? current.row() : -1);
}

void placeFromSettings(void) {
  if (!frameWindow || !hotspotListDock) return;
  Qt::DockWidgetArea area = Qt::RightDockWidgetArea;
  switch (hotspotListArea) {
    case 1: area = Qt::LeftDockWidgetArea; break;
    case 4: area = Qt::TopDockWidgetArea; break;
    case 8: area = Qt::BottomDockWidgetArea; break;
    default: break;
  }
  frameWindow->addDockWidget(area, hotspotListDock);
  hotspotListDock->setFloating(hotspotListArea == 0);
  if (hotspotListSize > 0) {
    const Qt::Orientation o =
        (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea) ? Qt::Vertical : Qt::Horizontal;
    frameWindow->resizeDocks({hotspotListDock}, {hotspotListSize}, o);
  }
  hotspotListDock->setVisible(hotspotListShown != 0);
}

}  // namespace

QDockWidget *hotspotListCreate(QMainWindow *frame) {
  if (hotspotListDock) return hotspotListDock;
  frameWindow = frame;
  HotspotDock *dock = new HotspotDock(QStringLiteral("Hotspots"), frame);
  dock->setObjectName(QStringLiteral("hotspotList"));
  dock->setAllowedAreas(Qt::AllDockWidgetAreas);
  hotspotListDock = dock;
  model = new HotspotModel(dock);
  table = new HotspotTable(dock);
  table->setObjectName(QStringLiteral("hotspotTable"));
  table->setModel(model);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setDragEnabled(true);
  table->setAcceptDrops(true);
  table->setDropIndicatorShown(true);
  table->setDragDropMode(QAbstractItemView::InternalMove);
  table->setDragDropOverwriteMode(false);
  table->setDefaultDropAction(Qt::MoveAction);
  table->setWordWrap(false);
  table->setAlternatingRowColors(true);
  table->verticalHeader()->hide();
  // Fixed row heights and column widths: nothing is measured over every row.
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  QHeaderView *h = table->horizontalHeader();
  h->setSectionResizeMode(QHeaderView::Interactive);
  h->setStretchLastSection(true);
  const int digit = table->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  const int widths[hotspotListColumns] = {digit * 5 + 24, digit * 7, digit * 16, digit * 14, digit * 10};
  for (int c = 0; c < hotspotListColumns; c++) table->setColumnWidth(c, widths[c]);
  dock->setWidget(table);

  QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, table,
                   [](const QItemSelection &, const QItemSelection &) { rowsChosen(); });
  QObject::connect(table, &QAbstractItemView::doubleClicked, table, [](const QModelIndex &i) {
    if (i.isValid() && singleSelection() && lastObjectSelected == i.row()) Url(i.row(), 1);
  });
  QObject::connect(dock, &QDockWidget::dockLocationChanged, dock, [](Qt::DockWidgetArea) { hotspotListRemember(); });
  QObject::connect(dock, &QDockWidget::topLevelChanged, dock, [](bool) { hotspotListRemember(); });

  refreshTimer = new QTimer(dock);
  refreshTimer->setSingleShot(true);
  QObject::connect(refreshTimer, &QTimer::timeout, dock, [] { hotspotListRefresh(0); });
  marksTimer = new QTimer(dock);
  marksTimer->setSingleShot(true);
  marksTimer->setInterval(400);
  QObject::connect(marksTimer, &QTimer::timeout, dock, [] {
    hotspotListCheck();
    if (model) model->marksChanged();
  });

  placeFromSettings();
  commandWindows.hotspotList = hotspotListToggle;
  commandCheck(cmdHotspotList, hotspotListShown != 0);
  hotspotListRefresh(0);
  return dock;
}

QTableView *hotspotListView(void) { return table; }

void hotspotListSchedule(void) {
  if (refreshTimer && !refreshTimer->isActive()) refreshTimer->start(0);
}

void hotspotListRefresh(int marksToo) {
  if (!model) return;
  if (refreshTimer) refreshTimer->stop();
  model->follow();
  syncSelection();
  if (marksToo) {
    hotspotListCheck();
    model->marksChanged();
  } else if (marksTimer && hotspotListDock && hotspotListDock->isVisible()) {
    // Check Map takes a while over a large map: it runs once the changes pause.
    marksTimer->start();
  }
}

void hotspotListToggle(void) {
  if (!hotspotListDock) return;
  hotspotListShown = hotspotListDock->isVisible() ? 0 : 1;
  hotspotListDock->setVisible(hotspotListShown != 0);
  commandCheck(cmdHotspotList, hotspotListShown);
  if (hotspotListShown) hotspotListRefresh(0);
}

void hotspotListRemember(void) {
  if (!hotspotListDock || !frameWindow) return;
  if (hotspotListDock->isFloating()) {
    hotspotListArea = 0;
    return;
  }
  switch (frameWindow->dockWidgetArea(hotspotListDock)) {
    case Qt::LeftDockWidgetArea: hotspotListArea = 1; break;
    case Qt::TopDockWidgetArea: hotspotListArea = 4; break;
    case Qt::BottomDockWidgetArea: hotspotListArea = 8; break;
    default: hotspotListArea = 2; break;
  }
  if (hotspotListDock->isVisible())
    hotspotListSize = (hotspotListArea == 4 || hotspotListArea == 8) ? hotspotListDock->height()
                                                                      : hotspotListDock->width();
}

void hotspotListDestroy(void) {
  commandWindows.hotspotList = nullptr;
  delete hotspotListDock;
  hotspotListDock = nullptr;
  model = nullptr;
  table = nullptr;
  refreshTimer = nullptr;
  marksTimer = nullptr;
  shownSelection.clear();
  shownCurrent = -2;
  syncing = false;
}
