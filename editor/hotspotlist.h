// hotspotlist.h: the rows of the hotspot list, without the window: one row
// per hotspot in map order (which is click order) with its number, shape,
// link, alternative text and title, the mark of a row that Check Map reports,
// and the selection carried both ways between the rows and the hotspots. The
// list window (ui/hotspotlist_ui.cpp) shows these rows. Owns hotspotListMarks.
#ifndef TILVANE_HOTSPOTLIST_H
#define TILVANE_HOTSPOTLIST_H

#include <string>
#include <vector>

enum hotspotListColumn {
  hotspotListNumber = 0,  // "1", "2"... its place in the map
  hotspotListShape = 1,   // "rect", "circle", "poly", as the page names it
  hotspotListLink = 2,
  hotspotListAlt = 3,
  hotspotListTitle = 4,
  hotspotListColumns = 5
};

// The column headings.
extern const char *const hotspotListTitles[hotspotListColumns];

// What Check Map says about each hotspot: per hotspot index, its findings
// joined by "; " ("" for none). Filled by hotspotListCheck; rows past its end
// carry no mark.
extern std::vector<std::string> hotspotListMarks;

// The number of rows: the counted hotspots.
int hotspotListRows(void);

// The text of a cell; "" for a row or column out of range.
std::string hotspotListCell(int row, int column);

// The mark of a row: the findings of Check Map about it, "" for none.
const std::string &hotspotListMark(int row);

// Runs Check Map over the hotspot table (as the Check Map window does) and
// fills hotspotListMarks. Findings about the page or the default area mark no
// row.
void hotspotListCheck(void);

// The rows that are selected: the selected hotspots, in map order.
std::vector<int> hotspotListSelectedRows(void);

// Rows chosen in the list: exactly those hotspots become selected, current the
// current one (-1: the last of rows), its points unselected. Outside the
// Test+Edit state the tool becomes Test+Edit first. The picture scrolls the
// first of them into view. 1 when the selection changed.
int hotspotListSelectRows(const std::vector<int> &rows, int current);

// Scrolls the picture so that hotspot index is in view (centred when it was
// not); nothing when it is in view already.
void hotspotListScrollTo(int index);

#endif
