// toolbaricons.cpp: draws the toolbar pictograms pixel by pixel into 16 by 16
// images: a few shared shapes (a page, a box, a disc, an arc) and character
// maps for the rest, all from one small palette so the strip looks of a piece.
// Disabled pictures are the grayed twins of the normal ones. Owns
// toolbarIconIds, toolbarIconPairs.
#include "app/toolbaricons.h"

#include <QImage>
#include <cmath>
#include <cstring>
#include <new>

namespace {

const int N = toolbarIconSize;

// The palette of the character maps; '.' and ' ' leave a pixel as it is.
QRgb paletteColor(char c) {
  switch (c) {
    case 'k': return qRgb(0x20, 0x20, 0x20);  // outline
    case 'K': return qRgb(0x55, 0x55, 0x55);  // dark gray
    case 'G': return qRgb(0x8c, 0x8c, 0x8c);  // gray
    case 'g': return qRgb(0xc4, 0xc4, 0xc4);  // light gray
    case 'h': return qRgb(0xe4, 0xe4, 0xe4);  // very light gray
    case 'w': return qRgb(0xff, 0xff, 0xff);  // white
    case 'b': return qRgb(0x1f, 0x5a, 0xb8);  // blue
    case 'B': return qRgb(0x6f, 0xa4, 0xe8);  // light blue
    case 'c': return qRgb(0xc8, 0xdd, 0xf7);  // pale blue (shape fill)
    case 'r': return qRgb(0xcc, 0x24, 0x1a);  // red
    case 'R': return qRgb(0xf2, 0x8c, 0x7c);  // light red
    case 'n': return qRgb(0x2b, 0x8f, 0x34);  // green
    case 'N': return qRgb(0x8c, 0xd4, 0x7e);  // light green
    case 'y': return qRgb(0xf8, 0xd0, 0x48);  // yellow
    case 'Y': return qRgb(0xd9, 0x9a, 0x1e);  // dark yellow
    case 'o': return qRgb(0xf0, 0xb4, 0x3c);  // folder
    case 'm': return qRgb(0x8a, 0x58, 0x2c);  // brown
    case 'M': return qRgb(0xc2, 0x8a, 0x4e);  // light brown
  }
  return 0;
}

void put(QImage &img, int x, int y, char c) {
  if (x < 0 || y < 0 || x >= N || y >= N) return;
  if (c == '.' || c == ' ') return;
  if (c == '_') {
    img.setPixel(x, y, 0);  // punch back to transparent
    return;
  }
  img.setPixel(x, y, paletteColor(c));
}

// Lays a map of up to 16 rows of up to 16 characters at (x0, y0).
void overlay(QImage &img, const char *const *rows, int count, int x0 = 0, int y0 = 0) {
  for (int r = 0; r < count; r++) {
    const char *row = rows[r];
    for (int c = 0; row[c]; c++) put(img, x0 + c, y0 + r, row[c]);
  }
}

void hline(QImage &img, int x1, int x2, int y, char c) {
  for (int x = x1; x <= x2; x++) put(img, x, y, c);
}
void vline(QImage &img, int x, int y1, int y2, char c) {
  for (int y = y1; y <= y2; y++) put(img, x, y, c);
}

// A box with an outline and a fill (fill '.' leaves the inside alone).
void box(QImage &img, int x1, int y1, int x2, int y2, char outline, char fill) {
  for (int y = y1; y <= y2; y++)
    for (int x = x1; x <= x2; x++)
      put(img, x, y, (x == x1 || x == x2 || y == y1 || y == y2) ? outline : fill);
}

// A box whose outline is dotted.
void dottedBox(QImage &img, int x1, int y1, int x2, int y2, char outline) {
  for (int y = y1; y <= y2; y++)
    for (int x = x1; x <= x2; x++)
      if ((x == x1 || x == x2 || y == y1 || y == y2) && ((x + y) % 2 == 0)) put(img, x, y, outline);
}

// A line between two pixel centres, one pixel wide.
void line(QImage &img, int x1, int y1, int x2, int y2, char c) {
  int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    put(img, x1, y1, c);
    if (x1 == x2 && y1 == y2) break;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x1 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y1 += sy;
    }
  }
}

// A disc centred on (cx, cy) (pixel corners at integers) of radius r with an
// outline `thick` pixels wide.
void disc(QImage &img, double cx, double cy, double r, double thick, char outline, char fill) {
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d <= r) put(img, x, y, d > r - thick ? outline : fill);
    }
}

// A sheet of paper with a folded top-right corner, x1..x2, y1..y2.
void page(QImage &img, int x1, int y1, int x2, int y2, int fold = 4) {
  for (int y = y1; y <= y2; y++)
    for (int x = x1; x <= x2; x++) {
      int fx = x - (x2 - fold), fy = y - y1;  // position in the fold's square
      if (fx > 0 && fy < fold) {
        // Above the diagonal the corner is cut away; on it runs the edge.
        if (fx > fy + 1) continue;
        put(img, x, y, (fx == fy + 1 || x == x2) ? 'k' : 'h');
        continue;
      }
      if (fx == 0 && fy <= fold) {
        put(img, x, y, 'k');  // the fold's inner edge
        continue;
      }
      if (fy == fold && fx > 0) {
        put(img, x, y, 'k');
        continue;
      }
      bool edge = x == x1 || x == x2 || y == y1 || y == y2;
      put(img, x, y, edge ? 'k' : 'w');
    }
}

// Text lines on a page.
void pageLines(QImage &img, int x1, int x2, int y1, int y2, char c) {
  for (int y = y1; y <= y2; y += 2) hline(img, x1, x2, y, c);
}

QImage blank() {
  QImage img(N, N, QImage::Format_ARGB32);
  img.fill(0);
  return img;
}

QImage transposed(const QImage &src) {
  QImage out = blank();
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++) out.setPixel(y, x, src.pixel(x, y));
  return out;
}

QImage flippedV(const QImage &src) { return src.mirrored(false, true); }
QImage flippedH(const QImage &src) { return src.mirrored(true, false); }

// --- the pictograms ----------------------------------------------------------

// New page from a picture: a page holding a small landscape, and a spark.
QImage iconNew() {
  QImage img = blank();
  page(img, 1, 0, 11, 15);
  static const char *const pic[] = {
      "BBBByyB",
      "BBBByyB",
      "BBNBBBB",
      "BNnNBNB",
      "NnnnNnN",
      "nnnnnnn",
  };
  overlay(img, pic, 6, 3, 7);
  box(img, 2, 6, 10, 13, 'G', '.');
  static const char *const spark[] = {
      "..y..",
      "..y..",
      "yyYyy",
      "..y..",
      "..y..",
  };
  overlay(img, spark, 5, 11, 0);
  return img;
}

// Open: a folder with its front flap opened towards the viewer.
QImage iconOpen() {
  QImage img = blank();
  static const char *const rows[] = {
      "................",
      "................",
      ".kkkkk..........",
      "kYYYYYk.........",
      "kYYYYYYkkkkkkk..",
      "kYYYYYYYYYYYYk..",
      "kYYYYYYYYYYYYk..",
      "kYYkkkkkkkkkkkkk",
      "kYYkyyyyyyyyyyyk",
      "kYkyyyyyyyyyyyk.",
      "kYkyyyyyyyyyyyk.",
      "kkyyyyyyyyyyyk..",
      "kkyyyyyyyyyyyk..",
      "kkkkkkkkkkkkk...",
      "................",
      "................",
  };
  overlay(img, rows, 16);
  return img;
}

// Show the map markup: a page with markup brackets.
QImage iconShowTags() {
  QImage img = blank();
  page(img, 2, 0, 13, 15);
  hline(img, 4, 7, 3, 'G');
  static const char *const lt[] = {
      "..b",
      ".bb",
      "bb.",
      ".bb",
      "..b",
  };
  static const char *const gt[] = {
      "b..",
      "bb.",
      ".bb",
      "bb.",
      "b..",
  };
  static const char *const slash[] = {
      "..r",
      "..r",
      ".r.",
      "r..",
      "r..",
  };
  overlay(img, lt, 5, 3, 7);
  overlay(img, slash, 5, 6, 7);
  overlay(img, gt, 5, 10, 7);
  hline(img, 4, 11, 13, 'G');
  return img;
}

// Close: a page with a red cross.
QImage iconClose() {
  QImage img = blank();
  page(img, 1, 0, 11, 15);
  pageLines(img, 3, 6, 3, 7, 'G');
  static const char *const cross[] = {
      "_rr___rr_",
      "rrrr_rrrr",
      "_rrrrrrr_",
      "__rrrrr__",
      "_rrrrrrr_",
      "rrrr_rrrr",
      "_rr___rr_",
  };
  // A white ground keeps the cross apart from the page's lines.
  for (int y = 8; y <= 15; y++)
    for (int x = 6; x <= 15; x++) {
      QRgb p = img.pixel(x, y);
      if (qAlpha(p) && x < 11 && y < 15) img.setPixel(x, y, paletteColor('w'));
    }
  overlay(img, cross, 7, 7, 8);
  // Cut the transparent corners of the cross map back to the page beneath.
  for (int y = 8; y < 15; y++)
    for (int x = 7; x < 16; x++) {
      if (qAlpha(img.pixel(x, y))) continue;
      if (x <= 11 && y <= 15) img.setPixel(x, y, paletteColor(x == 11 ? 'k' : 'w'));
    }
  return img;
}

// Save: a diskette.
QImage iconSave() {
  QImage img = blank();
  static const char *const rows[] = {
      "................",
      ".kkkkkkkkkkkkk..",
      ".kbbhhhhhhhhbbk.",
      ".kbbhhhhhKKhbbbk",
      ".kbbhhhhhKKhbbbk",
      ".kbbhhhhhhhhbbbk",
      ".kbbbbbbbbbbbbbk",
      ".kbbbbbbbbbbbbbk",
      ".kbbwwwwwwwwwbbk",
      ".kbbwwwwwwwwwbbk",
      ".kbbwGGGGGGGwbbk",
      ".kbbwwwwwwwwwbbk",
      ".kbbwGGGGGGGwbbk",
      ".kbbwwwwwwwwwbbk",
      ".kkkkkkkkkkkkkkk",
      "................",
  };
  overlay(img, rows, 16);
  return img;
}

// The three drawing tools: a shape outlined in blue over a pale fill.
QImage iconRectangle() {
  QImage img = blank();
  box(img, 1, 3, 14, 12, 'b', 'c');
  box(img, 2, 4, 13, 11, 'b', 'c');
  return img;
}

QImage iconCircle() {
  QImage img = blank();
  disc(img, 8, 8, 7.2, 1.9, 'b', 'c');
  return img;
}

QImage iconPolygon() {
  QImage img = blank();
  // An irregular pentagon with a double outline.
  const int px[] = {2, 7, 14, 12, 4};
  const int py[] = {6, 1, 4, 14, 12};
  // Fill: scan each pixel centre against the polygon.
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++) {
      double cx = x + 0.5, cy = y + 0.5;
      bool in = false;
      for (int i = 0, j = 4; i < 5; j = i++) {
        double xi = px[i] + 0.5, yi = py[i] + 0.5, xj = px[j] + 0.5, yj = py[j] + 0.5;
        if (((yi > cy) != (yj > cy)) && (cx < (xj - xi) * (cy - yi) / (yj - yi) + xi)) in = !in;
      }
      if (in) put(img, x, y, 'c');
    }
  for (int i = 0, j = 4; i < 5; j = i++) line(img, px[j], py[j], px[i], py[i], 'b');
  // Vertex handles.
  for (int i = 0; i < 5; i++) box(img, px[i] - 1, py[i] - 1, px[i] + 1, py[i] + 1, 'k', 'w');
  return img;
}

// Magic wand: a black wand with a white tip and sparks.
QImage iconMagicWand() {
  QImage img = blank();
  static const char *const rows[] = {
      "...........y....",
      "....y......y....",
      "...........y....",
      "........yyyYyyy.",
      "...........y....",
      "..........kyk.y.",
      ".........kwwk...",
      "........kwwk....",
      ".......kkkk.....",
      "......kkKk......",
      ".....kkKk.......",
      "....kkKk......y.",
      "...kkKk.........",
      "..kkKk..........",
      "..kKk...........",
      "..kk............",
  };
  overlay(img, rows, 16);
  return img;
}

// Test and edit: the pointer over a selected hotspot.
QImage iconTestEdit() {
  QImage img = blank();
  dottedBox(img, 6, 5, 15, 13, 'b');
  static const char *const rows[] = {
      "k.........",
      "kk........",
      "kwk.......",
      "kwwk......",
      "kwwwk.....",
      "kwwwwk....",
      "kwwwwwk...",
      "kwwwwwwk..",
      "kwwwwwwwk.",
      "kwwwwwkkkk",
      "kwwkwwk...",
      "kwk_kwwk..",
      "kk__kwwk..",
      "k____kwwk.",
      ".____kwwk.",
      "......kk..",
  };
  overlay(img, rows, 16, 2, 0);
  return img;
}

// Cut: open scissors.
QImage iconCut() {
  QImage img = blank();
  static const char *const rows[] = {
      "....g......g....",
      "....Kg....gK....",
      "....Kg....gK....",
      ".....Kg..gK.....",
      ".....Kg..gK.....",
      "......KggK......",
      "......KgGK......",
      ".......kk.......",
      "......rkkr......",
      ".....rr..rr.....",
      "..rrrr....rrrr..",
      ".rr..rr..rr..rr.",
      ".r....r..r....r.",
      ".rr..rr..rr..rr.",
      "..rrrr....rrrr..",
      "................",
  };
  overlay(img, rows, 16);
  return img;
}

// Copy: two pages, one over the other.
QImage iconCopy() {
  QImage img = blank();
  page(img, 0, 0, 9, 11, 3);
  pageLines(img, 2, 5, 4, 8, 'B');
  page(img, 6, 4, 15, 15, 3);
  pageLines(img, 8, 12, 8, 14, 'B');
  return img;
}

// Paste: a clipboard with a page on it.
QImage iconPaste() {
  QImage img = blank();
  box(img, 1, 2, 12, 15, 'k', 'M');
  box(img, 4, 0, 9, 3, 'k', 'g');
  hline(img, 5, 8, 2, 'G');
  page(img, 6, 5, 15, 15, 3);
  pageLines(img, 8, 12, 9, 13, 'G');
  return img;
}

// A selected point: a filled square with a dark rim.
void handle(QImage &img, int cx, int cy, char fill) { box(img, cx - 1, cy - 1, cx + 1, cy + 1, 'k', fill); }

// Remove points: an outline with its selected middle point and a minus sign.
QImage iconRemovePoints() {
  QImage img = blank();
  line(img, 2, 12, 7, 4, 'b');
  line(img, 7, 4, 13, 9, 'b');
  handle(img, 2, 12, 'w');
  handle(img, 13, 9, 'w');
  box(img, 5, 2, 9, 6, 'k', 'r');
  // The minus sign.
  box(img, 7, 12, 15, 15, 'k', 'r');
  return img;
}

// Add point: two selected points and a new one between them.
QImage iconAddPoint() {
  QImage img = blank();
  line(img, 2, 13, 13, 2, 'b');
  box(img, 0, 11, 4, 15, 'k', 'r');
  box(img, 11, 0, 15, 4, 'k', 'r');
  // The new point: a green plus on the line.
  static const char *const plus[] = {
      "..kkk..",
      "..knk..",
      "kkknkkk",
      "knnnnnk",
      "kkknkkk",
      "..knk..",
      "..kkk..",
  };
  overlay(img, plus, 7, 4, 4);
  return img;
}

// Align to the top edge: two boxes of different height hanging from a red line.
QImage iconAlignTop() {
  QImage img = blank();
  hline(img, 0, 15, 1, 'r');
  box(img, 2, 3, 6, 14, 'b', 'c');
  box(img, 9, 3, 13, 9, 'b', 'c');
  return img;
}

// Expand to the top edge: one box reaches the line, the other grows up to it.
QImage iconExpandTop() {
  QImage img = blank();
  hline(img, 0, 15, 1, 'r');
  box(img, 2, 3, 6, 14, 'b', 'c');
  box(img, 9, 10, 13, 14, 'b', 'c');
  dottedBox(img, 9, 3, 13, 10, 'b');
  static const char *const arrow[] = {
      ".k.",
      "kkk",
      ".k.",
      ".k.",
  };
  overlay(img, arrow, 4, 10, 5);
  return img;
}

// Zoom: a magnifying glass with a plus or a minus in the lens.
QImage iconZoom(bool in) {
  QImage img = blank();
  disc(img, 6.5, 6.5, 6.2, 1.6, 'k', 'c');
  // A gleam on the glass.
  put(img, 3, 4, 'w');
  put(img, 4, 3, 'w');
  // The handle.
  for (int i = 0; i < 5; i++) {
    put(img, 10 + i, 11 + i, 'm');
    put(img, 11 + i, 10 + i, 'm');
    put(img, 11 + i, 11 + i, 'M');
  }
  put(img, 11, 11, 'k');
  put(img, 10, 11, 'k');
  put(img, 11, 10, 'k');
  hline(img, 4, 9, 6, 'b');
  hline(img, 4, 9, 7, 'b');
  if (in) {
    vline(img, 6, 4, 9, 'b');
    vline(img, 7, 4, 9, 'b');
  }
  return img;
}

// Undo: an arrow bending back over to the left and down.
QImage iconUndo() {
  QImage img = blank();
  static const char *const rows[] = {
      "................",
      "................",
      "................",
      "......bbbb......",
      "....bbbbbbbb....",
      "...bbb....bbb...",
      "..bbb......bbb..",
      "..bb........bb..",
      "bbbbbb......bb..",
      ".bbbb.......bb..",
      "..bb.......bbb..",
      "..........bbb...",
      ".........bbb....",
      "................",
      "................",
      "................",
  };
  overlay(img, rows, 16);
  return img;
}

QImage iconRedo() { return flippedH(iconUndo()); }

// Help: a white question mark on a blue disc.
QImage iconHelp() {
  QImage img = blank();
  disc(img, 8, 8, 7.6, 7.6, 'b', 'b');
  static const char *const mark[] = {
      ".wwww.",
      "ww..ww",
      "....ww",
      "...ww.",
      "..ww..",
      "..ww..",
      "......",
      "..ww..",
      "..ww..",
  };
  overlay(img, mark, 9, 5, 3);
  return img;
}

typedef QImage (*iconFunction)(void);

QImage alignBottom() { return flippedV(iconAlignTop()); }
QImage alignLeft() { return transposed(iconAlignTop()); }
QImage alignRight() { return flippedH(transposed(iconAlignTop())); }
QImage expandBottom() { return flippedV(iconExpandTop()); }
QImage expandLeft() { return transposed(iconExpandTop()); }
QImage expandRight() { return flippedH(transposed(iconExpandTop())); }
QImage zoomIn() { return iconZoom(true); }
QImage zoomOut() { return iconZoom(false); }

struct iconRow {
  int id, disabledId;
  iconFunction draw;
};

const iconRow iconTable[] = {
    {2102, 2103, iconNew},         {119, 822, iconOpen},         {2104, 2105, iconShowTags},
    {128, 827, iconClose},         {120, 823, iconSave},         {111, 810, iconRectangle},
    {113, 812, iconCircle},        {112, 811, iconPolygon},      {802, 813, iconMagicWand},
    {114, 814, iconTestEdit},      {2129, 164, iconCut},         {135, 165, iconCopy},
    {2130, 166, iconPaste},        {117, 817, iconRemovePoints}, {116, 816, iconAddPoint},
    {149, 160, iconAlignTop},      {159, 163, alignBottom},      {157, 161, alignLeft},
    {158, 162, alignRight},        {136, 153, iconExpandTop},    {152, 156, expandBottom},
    {150, 154, expandLeft},        {151, 155, expandRight},      {800, 818, zoomIn},
    {801, 819, zoomOut},           {803, 820, iconUndo},         {804, 828, iconRedo},
    {118, 821, iconHelp},
};

}  // namespace

const int toolbarIconPairs = (int)(sizeof iconTable / sizeof iconTable[0]);

const int toolbarIconIds[][2] = {
    {2102, 2103}, {119, 822}, {2104, 2105}, {128, 827},  {120, 823},  {111, 810}, {113, 812},
    {112, 811},   {802, 813}, {114, 814},   {2129, 164}, {135, 165},  {2130, 166}, {117, 817},
    {116, 816},   {149, 160}, {159, 163},   {157, 161},  {158, 162},  {136, 153}, {152, 156},
    {150, 154},   {151, 155}, {800, 818},   {801, 819},  {803, 820},  {804, 828}, {118, 821},
};

QImage toolbarIconGrayed(const QImage &normal) {
  QImage out = normal.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); y++)
    for (int x = 0; x < out.width(); x++) {
      QRgb p = out.pixel(x, y);
      int a = qAlpha(p);
      if (!a) continue;
      int lum = (qRed(p) * 299 + qGreen(p) * 587 + qBlue(p) * 114) / 1000;
      // Dark parts become a mid gray, light parts nearly white.
      int v = 150 + lum * 100 / 255;
      out.setPixel(x, y, qRgba(v, v, v, a));
    }
  return out;
}

QImage toolbarIconAtScale(const QImage &picture, double ratio) {
  const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
  if (ratio <= 1.0 || src.isNull()) return src;
  const int side = static_cast<int>(std::lround(N * ratio));
  const int w = src.width() * side / N, h = src.height() * side / N;
  QImage out(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; y++) {
    const int sy = y * src.height() / h;
    const QRgb *from = reinterpret_cast<const QRgb *>(src.constScanLine(sy));
    QRgb *to = reinterpret_cast<QRgb *>(out.scanLine(y));
    for (int x = 0; x < w; x++) to[x] = from[x * src.width() / w];
  }
  out.setDevicePixelRatio(static_cast<double>(side) / N);
  return out;
}

QImage *toolbarIconLoad(int id) {
  for (const iconRow &row : iconTable) {
    if (row.id != id && row.disabledId != id) continue;
    QImage img = row.draw();
    if (id == row.disabledId) img = toolbarIconGrayed(img);
    return new (std::nothrow) QImage(img);
  }
  return nullptr;
}
