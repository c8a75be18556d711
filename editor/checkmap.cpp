// checkmap.cpp: Check Map: the findings about a map's hotspots (text, target
// size, covering, shape, links) and about the picture tag and the page's maps.
// Owns nothing.
#include "editor/checkmap.h"

#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "editor/clientmap.h"
#include "html/pageio.h"

namespace {

// --- pixel runs ---------------------------------------------------------------

struct run {
  int x1, x2;  // inclusive
};

long long sq(long long v) { return v * v; }

// Clips the columns xs..xe (doubles, possibly huge or NaN) to lo..hi and adds
// the run when something is left.
void addRun(double xs, double xe, int lo, int hi, std::vector<run> &runs) {
  if (std::isnan(xs) || std::isnan(xe)) return;
  if (xs < lo) xs = lo;
  if (xe > hi) xe = hi;
  if (xs > xe) return;
  runs.push_back(run{static_cast<int>(xs), static_cast<int>(xe)});
}

// The pixels of o on row y within columns lo..hi, as sorted runs that do not
// touch, by the rule of objectContainsPoint.
void rowRuns(const object *o, int y, int lo, int hi, std::vector<run> &runs) {
  runs.clear();
  if (!o || !o->points) return;
  switch (o->t) {
    case rectangle: {
      if (o->pointsTotal < 2) return;
      const FPOINT &a = o->points[0], &b = o->points[1];
      double py = y;
      if (!(std::fmin(a.y, b.y) <= py && py <= std::fmax(a.y, b.y))) return;
      addRun(std::ceil(std::fmin(a.x, b.x)), std::floor(std::fmax(a.x, b.x)), lo, hi, runs);
      return;
    }
    case circle: {
      if (o->pointsTotal < 2) return;
      const double cx = o->points[0].x, cy = o->points[0].y;
      long long rx = truncToInt(o->points[1].x - cx);
      long long ry = truncToInt(o->points[1].y - cy);
      long long r2 = sq(rx) + sq(ry);
      long long g = truncToInt(y - cy);
      if (sq(g) > r2) return;
      long long m = isqrt(r2 - sq(g));
      // The rule takes each column's distance as an int, at most INT_MAX either
      // way: a circle that wide holds the whole row (and the search below would
      // never find its ends).
      if (m >= INT_MAX) {
        addRun(lo, hi, lo, hi, runs);
        return;
      }
      // Column x is inside when -m <= trunc(x - cx) <= m.
      auto h = [&](long long x) -> long long { return truncToInt(static_cast<double>(x) - cx); };
      double base = std::floor(cx);
      if (std::isnan(base) || base < -1e12 || base > 1e12) return;
      long long xs = static_cast<long long>(base) - m - 1;
      while (h(xs) < -m) xs++;
      while (h(xs - 1) >= -m) xs--;
      long long xe = static_cast<long long>(base) + m + 1;
      while (h(xe) > m) xe--;
      while (h(xe + 1) <= m) xe++;
      addRun(static_cast<double>(xs), static_cast<double>(xe), lo, hi, runs);
      return;
    }
    case polygon: {
      const int n = o->pointsTotal;
      if (n < 1) return;
      const double py = y;
      std::vector<double> cross;
      for (int i = 0, j = n - 1; i < n; j = i++) {
        const FPOINT &a = o->points[i], &b = o->points[j];
        if ((a.y <= py && py < b.y) || (b.y <= py && py < a.y)) {
          double c = a.x + (b.x - a.x) * (py - a.y) / (b.y - a.y);
          if (!std::isnan(c)) cross.push_back(c);
        }
      }
      std::sort(cross.begin(), cross.end());
      // Column x is inside when an odd number of crossings lie beyond it.
      const long long nc = static_cast<long long>(cross.size());
      for (long long k = 0; k < nc; k++) {
        if (((nc - k) & 1) == 0) continue;
        double xs = k > 0 ? std::ceil(cross[static_cast<size_t>(k - 1)]) : -1e300;
        double xe = std::ceil(cross[static_cast<size_t>(k)]) - 1;
        addRun(xs, xe, lo, hi, runs);
      }
      // Runs may touch where crossings repeat; join them.
      size_t keep = 0;
      for (size_t i = 0; i < runs.size(); i++) {
        if (keep > 0 && runs[i].x1 <= runs[keep - 1].x2 + 1)
          runs[keep - 1].x2 = std::max(runs[keep - 1].x2, runs[i].x2);
        else
          runs[keep++] = runs[i];
      }
      runs.resize(keep);
      return;
    }
    default:
      return;
  }
}

// Takes the runs cut out of rest (sorted, apart); the pixels taken are added to
// taken (when given). Returns how many pixels were taken.
long long cutRuns(std::vector<run> &rest, const std::vector<run> &cut, std::vector<run> *taken) {
  if (rest.empty() || cut.empty()) return 0;
  std::vector<run> left;
  long long removed = 0;
  size_t c = 0;
  for (const run &r : rest) {
    int from = r.x1;
    while (c < cut.size() && cut[c].x2 < from) c++;
    size_t k = c;
    while (from <= r.x2 && k < cut.size() && cut[k].x1 <= r.x2) {
      if (cut[k].x1 > from) left.push_back(run{from, cut[k].x1 - 1});
      int a = std::max(from, cut[k].x1), b = std::min(r.x2, cut[k].x2);
      if (a <= b) {
        removed += static_cast<long long>(b) - a + 1;
        if (taken) taken->push_back(run{a, b});
      }
      if (cut[k].x2 >= r.x2) {
        from = r.x2 + 1;
        break;
      }
      from = cut[k].x2 + 1;
      k++;
    }
    if (from <= r.x2) left.push_back(run{from, r.x2});
  }
  rest.swap(left);
  return removed;
}

long long runsLength(const std::vector<run> &runs) {
  long long n = 0;
  for (const run &r : runs) n += static_cast<long long>(r.x2) - r.x1 + 1;
  return n;
}

// The rows and columns a hotspot's pixels can lie in: its bounds widened by one
// (a centre off the pixel grid can reach one further), clipped to the box.
bool pixelBox(const object *o, int w, int h, bounds *b) {
  bounds r = objectGetBounds(o);
  long long x1 = static_cast<long long>(r.x1) - 1, x2 = static_cast<long long>(r.x2) + 1;
  long long y1 = static_cast<long long>(r.y1) - 1, y2 = static_cast<long long>(r.y2) + 1;
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x2 > w - 1) x2 = w - 1;
  if (y2 > h - 1) y2 = h - 1;
  if (x1 > x2 || y1 > y2) return false;
  *b = bounds{static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2)};
  return true;
}

bool boxesMeet(const bounds &a, const bounds &b) {
  return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

// The most covered runs kept for drawing: a map of thousands of hotspots
// stacked on one another would otherwise hold hundreds of megabytes of them.
const size_t checkHiddenLimit = 1u << 20;

// The covering of hotspot i by the candidates (earlier hotspots whose boxes
// meet its box): its pixels, those left clickable, and which candidates took
// some. Rows are looked at one in step, each standing for the step rows from
// it. The work (edges of the outlines read) is added to *work; once it passes
// budget the count is given up and -1 returned.
long long coverOne(const object *objs, int i, const bounds &box, const std::vector<int> &candidates,
                   const std::vector<bounds> &boxes, long long *total, std::vector<int> *by,
                   std::vector<checkSpan> *hidden, int step = 1, long long budget = LLONG_MAX,
                   long long *work = nullptr) {
  std::vector<run> rest, cut, taken;
  std::vector<char> used(candidates.size(), 0);
  long long all = 0, left = 0, spent = 0;
  auto cost = [](const object &o) { return static_cast<long long>(o.pointsTotal > 0 ? o.pointsTotal : 0) + 1; };
  for (long long y = box.y1; y <= box.y2; y += step) {
    const long long rows = std::min<long long>(step, box.y2 - y + 1);
    const int row = static_cast<int>(y);
    rowRuns(&objs[i], row, box.x1, box.x2, rest);
    spent += cost(objs[i]);
    if (!rest.empty()) {
      all += runsLength(rest) * rows;
      for (size_t c = 0; c < candidates.size() && !rest.empty(); c++) {
        const bounds &cb = boxes[static_cast<size_t>(candidates[c])];
        if (row < cb.y1 || row > cb.y2) continue;
        rowRuns(&objs[candidates[c]], row, box.x1, box.x2, cut);
        spent += cost(objs[candidates[c]]);
        taken.clear();
        if (cutRuns(rest, cut, hidden ? &taken : nullptr) > 0) used[c] = 1;
        if (hidden)
          for (const run &r : taken)
            for (long long k = 0; k < rows; k++)
              if (hidden->size() < checkHiddenLimit) hidden->push_back(checkSpan{static_cast<int>(y + k), r.x1, r.x2});
      }
      left += runsLength(rest) * rows;
    }
    if (spent > budget) {
      if (work) *work += spent;
      return -1;
    }
  }
  if (work) *work += spent;
  if (by)
    for (size_t c = 0; c < candidates.size(); c++)
      if (used[c]) by->push_back(candidates[c]);
  *total = all;
  return left;
}

// --- words ---------------------------------------------------------------------

std::string trim(const std::string &s) {
  size_t a = 0, b = s.size();
  while (a < b && std::strchr(" \t\r\n\f\v", s[a])) a++;
  while (b > a && std::strchr(" \t\r\n\f\v", s[b - 1])) b--;
  return s.substr(a, b - a);
}

std::string lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The scheme of a link ("http", "javascript"), "" when it has none.
std::string scheme(const std::string &url) {
  size_t i = 0;
  while (i < url.size() && (std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' ||
                            url[i] == '-' || url[i] == '.'))
    i++;
  if (i == 0 || i >= url.size() || url[i] != ':' || !std::isalpha(static_cast<unsigned char>(url[0])))
    return "";
  return lower(url.substr(0, i));
}

// Whether text looks like the name of a file: one word ending in a dot and
// two to four letters or digits ("photo.jpg", "index.html").
bool fileName(const std::string &text) {
  if (text.find_first_of(" \t") != std::string::npos) return false;
  size_t dot = text.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  size_t n = text.size() - dot - 1;
  if (n < 2 || n > 4) return false;
  bool letter = false;
  for (size_t i = dot + 1; i < text.size(); i++) {
    if (!std::isalnum(static_cast<unsigned char>(text[i]))) return false;
    if (std::isalpha(static_cast<unsigned char>(text[i]))) letter = true;
  }
  return letter;
}

// Texts that say nothing about where a link leads.
bool emptyWords(const std::string &text) {
  std::string t = lower(text);
  while (!t.empty() && std::strchr(".!:;,", t.back())) t.pop_back();
  t = trim(t);
  static const char *const words[] = {"click here", "click", "here", "link", "image", "picture",
                                      "more",       "click here to", "this link", "image map", "imagemap"};
  for (const char *w : words)
    if (t == w) return true;
  return false;
}

// The last step of a link's path ("b.html" of "x/b.html?q#f").
std::string lastStep(const std::string &url) {
  std::string p = url.substr(0, url.find_first_of("?#"));
  while (!p.empty() && p.back() == '/') p.pop_back();
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// A link's path with %XX escapes decoded.
std::string decodePath(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Whether the area leads somewhere when clicked.
bool linked(const checkArea &a) {
  if (!a.hasHref || a.nohref) return false;
  std::string u = trim(a.url);
  return !u.empty() && u != "#";
}

const char *shapeName(int t) {
  return t == polygon ? "poly" : t == circle ? "circle" : t == rectangle ? "rect" : "default";
}

std::string numberList(const std::vector<int> &by) {
  std::string s;
  for (size_t k = 0; k < by.size(); k++) {
    if (k > 0) s += k + 1 == by.size() ? " and " : ", ";
    s += std::to_string(by[k] + 1);
  }
  return s;
}

int distinctPoints(const checkArea &a) {
  std::vector<std::pair<double, double>> p;
  for (const FPOINT &q : a.points) p.push_back({q.x, q.y});
  std::sort(p.begin(), p.end());
  return static_cast<int>(std::unique(p.begin(), p.end()) - p.begin());
}

double orient(const FPOINT &a, const FPOINT &b, const FPOINT &c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Whether two edges of a polygon that share no end cross each other.
bool edgesCross(const FPOINT &a, const FPOINT &b, const FPOINT &c, const FPOINT &d) {
  double d1 = orient(a, b, c), d2 = orient(a, b, d), d3 = orient(c, d, a), d4 = orient(c, d, b);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
  // A vertex lying on the other edge.
  auto on = [](const FPOINT &p, const FPOINT &q, const FPOINT &r, double o) {
    return o == 0 && std::fmin(p.x, q.x) <= r.x && r.x <= std::fmax(p.x, q.x) && std::fmin(p.y, q.y) <= r.y &&
           r.y <= std::fmax(p.y, q.y);
  };
  return on(a, b, c, d1) || on(a, b, d, d2) || on(c, d, a, d3) || on(c, d, b, d4);
}

// Whether a polygon's outline crosses itself. Outlines of very many points are
// taken as they are rather than compared edge by edge.
bool selfCrossing(const checkArea &a) {
  std::vector<FPOINT> p;
  for (const FPOINT &q : a.points)
    if (p.empty() || q.x != p.back().x || q.y != p.back().y) p.push_back(q);
  while (p.size() > 1 && p.front().x == p.back().x && p.front().y == p.back().y) p.pop_back();
  const size_t n = p.size();
  if (n < 4 || n > 2000) return false;
  for (size_t i = 0; i < n; i++) {
    for (size_t k = i + 2; k < n; k++) {
      if (i == 0 && k == n - 1) continue;  // neighbours through the closing edge
      if (edgesCross(p[i], p[(i + 1) % n], p[k], p[(k + 1) % n])) return true;
    }
  }
  return false;
}

void setObject(object &o, const checkArea &a) {
  o = object();
  o.t = a.t;
  o.points = const_cast<FPOINT *>(a.points.data());
  o.pointsTotal = static_cast<int>(a.points.size());
  o.pointsSpace = o.pointsTotal;
  if (o.t == rectangle && o.pointsTotal > 2) o.pointsTotal = 2;
  if (!o.points) o.pointsTotal = 0;
}

// Whether a file is there (a folder when the link ends in '/').
bool exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Reads an area's shape and coords as the editor reads them (whole numbers;
// a rectangle's first four, a circle's centre and radius, a polygon's pairs),
// the shape as browsers name it. Sets a.fault when the area cannot be a hotspot.
void readShape(const std::string &shapeValue, const std::string &coords, checkArea &a) {
  const std::string shape = lower(trim(shapeValue));
  std::vector<int> v;
  for (const std::string &w : mapTokens(coords)) v.push_back(mapNumber(w));
  const size_t n = v.size();
  a.points.clear();
  if (shape.empty() || shape == "rect" || shape == "rectangle") {
    a.t = rectangle;
    if (n < 4) {
      a.fault = "the rectangle needs four numbers, it has " + std::to_string(n) + ": browsers give it no area";
      return;
    }
    a.points = {{double(v[0]), double(v[1])}, {double(v[2]), double(v[3])}};
  } else if (shape == "circle" || shape == "circ") {
    a.t = circle;
    if (n < 3) {
      a.fault = "a circle without a radius: browsers give it no area";
      return;
    }
    a.points = {{double(v[0]), double(v[1])}, {double(v[0]) + v[2], double(v[1])}};
  } else if (shape == "poly" || shape == "polygon") {
    a.t = polygon;
    if (n % 2) {
      a.fault = "an odd number of coordinates (" + std::to_string(n) + "): the last has no partner";
      return;
    }
    for (size_t k = 0; k + 1 < n; k += 2) a.points.push_back({double(v[k]), double(v[k + 1])});
  } else {
    a.t = rectangle;
    a.fault = "the shape \"" + trim(shapeValue) +
              "\" is none of rect, circle, poly and default: browsers take it for a rectangle";
  }
}

// Reads a kept area of the table from its markup; one that reads as a hotspot
// there still has its fault, as the editor could not take it.
void readArea(const std::string &markup, checkArea &a) {
  a.t = notype;
  htmlPtr doc = pageDocumentCreate();
  int crlf = 0;
  if (doc && pageFeedBuffer(doc, markup.data(), markup.size(), &crlf) == htmlSuccess)
    for (htmlTagPtr t = doc->first; t; t = t->n)
      if (htmlEq(t->name, "area")) {
        readShape(htmlTagAttr(t, "shape"), htmlTagAttr(t, "coords"), a);
        break;
      }
  if (doc) htmlDestroy(doc);
  if (a.fault.empty()) a.fault = "the editor cannot take this area as a hotspot";
}

// Whether an area has a shape with room in it (the shape findings' test).
bool hasArea(const checkArea &a, const object &o) {
  if (!a.fault.empty()) return false;
  const bounds b = objectGetBounds(&o);
  if (a.t == polygon) return distinctPoints(a) >= 3;
  if (a.t == rectangle) return a.points.size() >= 2 && b.x2 != b.x1 && b.y2 != b.y1;
  if (a.t == circle) return a.points.size() >= 2 && objectRadius(&o) != 0;
  return false;
}

// The centre of a hotspot's box.
void boxCentre(const object &o, double *x, double *y) {
  const bounds b = objectGetBounds(&o);
  *x = (static_cast<double>(b.x1) + b.x2) / 2;
  *y = (static_cast<double>(b.y1) + b.y2) / 2;
}

// Whether the circle of radius r around (x, y) meets hotspot o.
bool circleMeets(double x, double y, double r, const object &o) {
  if (o.t == circle && o.pointsTotal >= 2) {
    const double d = std::hypot(x - o.points[0].x, y - o.points[0].y);
    return d < r + objectRadius(&o);
  }
  const bounds b = objectGetBounds(&o);
  const double dx = std::max({static_cast<double>(b.x1) - x, 0.0, x - b.x2});
  const double dy = std::max({static_cast<double>(b.y1) - y, 0.0, y - b.y2});
  if (std::hypot(dx, dy) >= r) return false;
  if (o.t != polygon) return true;
  // A polygon: the centre inside it, or one of its edges nearer than r.
  const int n = o.pointsTotal;
  bool in = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    const FPOINT &p = o.points[i], &q = o.points[j];
    if ((p.y <= y && y < q.y) || (q.y <= y && y < p.y))
      if (x < p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y)) in = !in;
    const double ex = q.x - p.x, ey = q.y - p.y, len = ex * ex + ey * ey;
    double t = len > 0 ? ((x - p.x) * ex + (y - p.y) * ey) / len : 0;
    t = std::min(1.0, std::max(0.0, t));
    if (std::hypot(p.x + t * ex - x, p.y + t * ey - y) < r) return true;
  }
  return in;
}

}  // namespace

// --- the hotspots -----------------------------------------------------------------

long long checkClickable(const object *o, const object *before, int n, int w, int h, long long *total) {
  std::vector<object> all(before, before + n);
  all.push_back(*o);
  std::vector<bounds> boxes(all.size());
  std::vector<char> inside(all.size());
  for (size_t k = 0; k < all.size(); k++) inside[k] = pixelBox(&all[k], w, h, &boxes[k]);
  long long t = 0;
  if (!inside[static_cast<size_t>(n)]) {
    if (total) *total = 0;
    return 0;
  }
  std::vector<int> candidates;
  for (int k = 0; k < n; k++)
    if (inside[static_cast<size_t>(k)] && boxesMeet(boxes[static_cast<size_t>(k)], boxes[static_cast<size_t>(n)]))
      candidates.push_back(k);
  long long left = coverOne(all.data(), n, boxes[static_cast<size_t>(n)], candidates, boxes, &t, nullptr, nullptr);
  if (total) *total = t;
  return left;
}

void checkAreas(const checkInput &in, std::vector<checkFinding> &out, std::vector<checkSpan> *hidden) {
  const int n = static_cast<int>(in.areas.size());
  std::vector<object> objs(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) setObject(objs[static_cast<size_t>(i)], in.areas[static_cast<size_t>(i)]);

  // The box the covering is counted in: the picture, or when its size is not
  // known, the hotspots' joint box from 0, at most 16384 rows and columns.
  int W = in.width, H = in.height;
  if (W <= 0 || H <= 0) {
    long long right = 0, bottom = 0;
    for (int i = 0; i < n; i++) {
      const bounds b = objectGetBounds(&objs[static_cast<size_t>(i)]);
      right = std::max(right, static_cast<long long>(b.x2) + 2);
      bottom = std::max(bottom, static_cast<long long>(b.y2) + 2);
    }
    W = static_cast<int>(std::min<long long>(right, 16384));
    H = static_cast<int>(std::min<long long>(bottom, 16384));
  }
  std::vector<bounds> boxes(static_cast<size_t>(n));
  std::vector<char> inside(static_cast<size_t>(n));
  for (int i = 0; i < n; i++)
    inside[static_cast<size_t>(i)] = in.areas[static_cast<size_t>(i)].fault.empty() &&
                                     pixelBox(&objs[static_cast<size_t>(i)], W, H, &boxes[static_cast<size_t>(i)]);
  // Findings name an area by its place among the map's <area>s.
  auto place = [&](int i) {
    const int number = in.areas[static_cast<size_t>(i)].number;
    return number > 0 ? number - 1 : i;
  };

  // Earlier hotspots whose boxes meet, found through the boxes sorted by their
  // left edge.
  std::vector<int> byLeft;
  for (int i = 0; i < n; i++)
    if (inside[static_cast<size_t>(i)]) byLeft.push_back(i);
  std::sort(byLeft.begin(), byLeft.end(), [&](int a, int b) {
    return boxes[static_cast<size_t>(a)].x1 < boxes[static_cast<size_t>(b)].x1;
  });
  std::vector<int> widest(byLeft.size());  // the largest right edge up to each place
  for (size_t k = 0; k < byLeft.size(); k++)
    widest[k] = std::max(k ? widest[k - 1] : INT_MIN, boxes[static_cast<size_t>(byLeft[k])].x2);

  // The targets a finger aims at: hotspots with an href and room in them. One
  // smaller than 24 x 24 is spaced well enough when the 24-pixel circle around
  // the centre of its box meets no other target nor the circle of another
  // small one.
  std::vector<char> target(static_cast<size_t>(n)), small(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) {
    const checkArea &a = in.areas[static_cast<size_t>(i)];
    const object &o = objs[static_cast<size_t>(i)];
    const bounds b = objectGetBounds(&o);
    target[static_cast<size_t>(i)] = a.hasHref && !a.nohref && hasArea(a, o);
    small[static_cast<size_t>(i)] = target[static_cast<size_t>(i)] &&
                                    (static_cast<long long>(b.x2) - b.x1 < 24 || static_cast<long long>(b.y2) - b.y1 < 24);
  }
  // The targets by the left edge of their boxes, with the largest right edge up
  // to each place, so that only those near a centre are looked at.
  std::vector<int> targets;
  std::vector<bounds> targetBoxes(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) {
    targetBoxes[static_cast<size_t>(i)] = objectGetBounds(&objs[static_cast<size_t>(i)]);
    if (target[static_cast<size_t>(i)]) targets.push_back(i);
  }
  std::sort(targets.begin(), targets.end(), [&](int a, int b) {
    return targetBoxes[static_cast<size_t>(a)].x1 < targetBoxes[static_cast<size_t>(b)].x1;
  });
  std::vector<double> targetReach(targets.size());
  for (size_t k = 0; k < targets.size(); k++)
    targetReach[k] = std::max(k ? targetReach[k - 1] : -1e300,
                              static_cast<double>(targetBoxes[static_cast<size_t>(targets[k])].x2));
  auto spaced = [&](int i) {
    double x, y;
    boxCentre(objs[static_cast<size_t>(i)], &x, &y);
    size_t reach = static_cast<size_t>(
        std::upper_bound(targets.begin(), targets.end(), x + 24,
                         [&](double v, int k) { return v < targetBoxes[static_cast<size_t>(k)].x1; }) -
        targets.begin());
    for (size_t k = reach; k-- > 0;) {
      if (targetReach[k] < x - 24) break;
      const int j = targets[k];
      if (j == i) continue;
      if (circleMeets(x, y, 12, objs[static_cast<size_t>(j)])) return false;
      if (small[static_cast<size_t>(j)]) {
        double jx, jy;
        boxCentre(objs[static_cast<size_t>(j)], &jx, &jy);
        if (std::hypot(x - jx, y - jy) < 24) return false;
      }
    }
    return true;
  };

  // The work of counting covered pixels is bounded: each hotspot may read
  // about 1e8 / n outline edges (at least 1e6) before its rows are thinned.
  long long work = 0;
  const long long share = std::max<long long>(1000000, 100000000LL / std::max(1, n));

  std::map<std::string, int> firstAlt;  // alternative text -> first linked hotspot with it
  for (int i = 0; i < n; i++) {
    const checkArea &a = in.areas[static_cast<size_t>(i)];
    const object &o = objs[static_cast<size_t>(i)];
    const bool link = linked(a);
    auto add = [&](int severity, int kind, const std::string &message) -> checkFinding & {
      checkFinding f;
      f.severity = severity;
      f.kind = kind;
      f.hotspot = place(i);
      f.shape = a.t;
      f.link = link ? trim(a.url) : "";
      f.message = message;
      out.push_back(f);
      return out.back();
    };

    // An area that cannot be a hotspot: its fault alone.
    if (!a.fault.empty()) {
      add(checkError, checkKindGeometry, a.fault).broken = 1;
      continue;
    }

    // Alternative text.
    const std::string alt = trim(a.alt);
    if (link) {
      const std::string url = trim(a.url);
      if (alt.empty()) {
        add(checkError, checkKindText, "no alternative text");
      } else if (lower(alt) == lower(url) || lower(alt) == lower(lastStep(url))) {
        add(checkWarning, checkKindText, "the alternative text is just the link");
      } else if (fileName(alt)) {
        add(checkWarning, checkKindText, "the alternative text \"" + alt + "\" is a file name");
      } else if (emptyWords(alt)) {
        add(checkWarning, checkKindText,
            "the alternative text \"" + alt + "\" does not say where the link leads");
      }
      if (!alt.empty()) {
        auto it = firstAlt.find(lower(alt));
        if (it == firstAlt.end()) {
          firstAlt[lower(alt)] = i;
        } else if (trim(in.areas[static_cast<size_t>(it->second)].url) != url) {
          add(checkWarning, checkKindText,
              "the same alternative text as hotspot " + std::to_string(place(it->second) + 1) +
                  ", which leads elsewhere");
        }
      }
    }

    // Shape.
    const bounds b = objectGetBounds(&o);
    const long long bw = static_cast<long long>(b.x2) - b.x1, bh = static_cast<long long>(b.y2) - b.y1;
    bool broken = false;
    if (a.t == polygon) {
      if (distinctPoints(a) < 3) {
        add(checkError, checkKindGeometry, "a polygon needs at least three different points");
        broken = true;
      } else if (selfCrossing(a)) {
        add(checkWarning, checkKindGeometry, "the outline crosses itself");
      }
    } else if (a.t == rectangle) {
      if (a.points.size() < 2 || bw == 0 || bh == 0) {
        add(checkError, checkKindGeometry, "the rectangle has no area: its width or height is 0");
        broken = true;
      }
    } else if (a.t == circle) {
      if (a.points.size() < 2 || objectRadius(&o) == 0) {
        add(checkError, checkKindGeometry, "the circle has no area: its radius is 0");
        broken = true;
      }
    }
    if (!broken && in.width > 0 && in.height > 0) {
      if (b.x2 <= 0 || b.y2 <= 0 || b.x1 >= in.width || b.y1 >= in.height)
        add(checkError, checkKindGeometry, "wholly outside the picture");
      else if (b.x1 < 0 || b.y1 < 0 || b.x2 > in.width || b.y2 > in.height)
        add(checkWarning, checkKindGeometry, "partly outside the picture");
    }

    // Target size.
    if (link && !broken) {
      const std::string size = std::to_string(bw) + " x " + std::to_string(bh);
      if ((bw < 24 || bh < 24) && !spaced(i))
        add(checkWarning, checkKindSize, size + " pixels, smaller than the 24 x 24 a finger needs, and other targets are near");
      else if (bw < 44 || bh < 44)
        add(checkNotice, checkKindSize, size + " pixels, smaller than the 44 x 44 that is easy to hit");
    }

    // Covering.
    if (!broken && inside[static_cast<size_t>(i)]) {
      const bounds &box = boxes[static_cast<size_t>(i)];
      std::vector<int> candidates;
      size_t reach = static_cast<size_t>(
          std::upper_bound(byLeft.begin(), byLeft.end(), box.x2,
                           [&](int x, int k) { return x < boxes[static_cast<size_t>(k)].x1; }) -
          byLeft.begin());
      for (size_t k = reach; k-- > 0;) {
        if (widest[k] < box.x1) break;
        int j = byLeft[k];
        if (j < i && boxesMeet(boxes[static_cast<size_t>(j)], box)) candidates.push_back(j);
      }
      std::sort(candidates.begin(), candidates.end());
      long long total = 0;
      std::vector<int> by;
      // Each hotspot has its share of the work; past it, rows are counted one
      // in 4, 16, ... and the finding says so.
      int step = 1;
      long long left = 0;
      while (!candidates.empty()) {
        by.clear();
        left = coverOne(objs.data(), i, box, candidates, boxes, &total, &by, hidden, step, share, &work);
        if (left >= 0) break;
        step *= 4;
      }
      if (left < 0) left = 0;
      for (int &j : by) j = place(j);
      const std::string counted =
          step > 1 ? " (counted on one row in " + std::to_string(step) + ")" : std::string();
      if (!candidates.empty() && total > 0) {
        if (left == 0) {
          checkFinding &f = add(checkWarning, checkKindOverlap,
                                std::string("can never be clicked, ") + (by.size() == 1 ? "hotspot " : "hotspots ") +
                                    numberList(by) + (by.size() == 1 ? " covers it" : " cover it") + counted);
          f.by = by;
          f.clickable = 0;
        } else if (left * 2 < total) {
          int percent = static_cast<int>(left * 100 / total);
          checkFinding &f =
              add(checkNotice, checkKindOverlap,
                  (percent == 0 ? std::string("less than 1%") : "only " + std::to_string(percent) + "%") +
                      " of it can be clicked, " + (by.size() == 1 ? "hotspot " : "hotspots ") + numberList(by) +
                      (by.size() == 1 ? " covers the rest" : " cover the rest") + counted);
          f.by = by;
          f.clickable = percent;
        }
      }
    }

    // The link.
    if (a.hasHref && !a.nohref && !link) {
      if (trim(a.url) == "#")
        add(checkWarning, checkKindLink,
            "a link to \"#\": a click jumps to the top of the page (nohref makes a hotspot without a link)");
      else
        add(checkWarning, checkKindLink, "an empty link: a click reloads the page (nohref makes a hotspot without a link)");
    } else if (link && trim(a.url)[0] == '#') {
      // Browsers look for the id, then for an a element's name, as written and
      // then with its %XX decoded; "#top" without either goes to the top.
      const std::string target = trim(a.url).substr(1);
      const std::string decoded = decodePath(target);
      bool found = !in.anchorsKnown || lower(target) == "top";
      for (const std::string &name : in.anchors) found = found || name == target || name == decoded;
      if (!found)
        add(checkWarning, checkKindLink, "no element of the page has the id \"" + target + "\": a click goes nowhere");
    } else if (link) {
      const std::string url = trim(a.url);
      const std::string s = scheme(url);
      if (s == "javascript") {
        add(checkWarning, checkKindLink, "a javascript: link, which does nothing where scripts do not run");
      } else if (s.empty() && !in.folder.empty() && url[0] != '/' && url[0] != '#' && url[0] != '?' &&
                 url.compare(0, 2, "//") != 0) {
        std::string path = decodePath(url.substr(0, url.find_first_of("?#")));
        if (!path.empty() && !exists(in.folder + "/" + path))
          add(checkWarning, checkKindLink, "the linked file " + path + " is not beside the page");
      }
    }
  }

  // The default area.
  if (!trim(in.defaultUrl).empty() && trim(in.defaultUrl) != "#" && !in.defaultText) {
    checkFinding f;
    f.severity = checkWarning;
    f.kind = checkKindText;
    f.hotspot = checkDefaultArea;
    f.link = trim(in.defaultUrl);
    f.message = "a link but no text to tell where it leads";
    out.push_back(f);
  }
}

// --- the page ---------------------------------------------------------------------

int checkUsemapName(const char *usemap, std::string *name) {
  const char *hash = usemap ? std::strchr(usemap, '#') : nullptr;
  if (!hash) return 0;
  if (name) *name = hash + 1;
  return hash == usemap ? 1 : 2;
}

namespace {
// Whether img's usemap names the map.
bool usesMap(htmlTagPtr img, const char *name) {
  std::string n;
  return htmlEq(img->name, "img") && checkUsemapName(htmlTagAttr(img, "usemap"), &n) && !n.empty() && n == name;
}

// Whether a map element is named so: browsers take its name or its id,
// compared exactly.
bool mapNamed(htmlTagPtr map, const char *name) {
  return htmlEq(map->name, "map") && *name &&
         ((htmlTagAttrQuery(map, "name") && std::strcmp(htmlTagAttr(map, "name"), name) == 0) ||
          (htmlTagAttrQuery(map, "id") && std::strcmp(htmlTagAttr(map, "id"), name) == 0));
}

// The map a browser takes for that name: the first so named.
htmlTagPtr findMap(htmlPtr page, const char *name) {
  if (!page || !name) return nullptr;
  for (htmlTagPtr t = page->first; t; t = t->n)
    if (mapNamed(t, name)) return t;
  return nullptr;
}
}  // namespace

htmlTagPtr checkPicture(htmlPtr page, const char *name) {
  if (!page || !name) return nullptr;
  for (htmlTagPtr t = page->first; t; t = t->n)
    if (usesMap(t, name)) return t;
  return nullptr;
}

namespace {
// A width or height attribute in pixels; 0 when missing or not a plain number.
int dimension(htmlTagPtr img, const char *name) {
  if (!htmlTagAttrQuery(img, name)) return 0;
  std::string v = trim(htmlTagAttr(img, name));
  if (v.size() > 2 && lower(v.substr(v.size() - 2)) == "px") v.resize(v.size() - 2);
  if (v.empty() || v.size() > 9 || v.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::atoi(v.c_str());
}
}  // namespace

std::string checkImgName(htmlTagPtr img, checkImgPlace *place) {
  if (!img) return "img";
  // The line the reader counted; the column of the '<' in the page's source,
  // in characters from the start of its line (without the source, where the
  // reader made the entry).
  long long line = img->row, column = img->col + 1;
  htmlPtr d = img->parent;
  if (d && htmlSourceComplete(d) && img->sourceStart >= 0 && img->sourceStart < d->sourceLength) {
    long long from = img->sourceStart;
    if (place && place->source == d->source && place->offset >= 0 && place->offset <= img->sourceStart) {
      // On from the last one named.
      from = place->offset;
      column = place->column;
    } else {
      while (from > 0 && d->source[from - 1] != '\n') from--;
      column = 1;
      // A byte order mark is no character of the line.
      if (from == 0 && d->sourceLength >= 3 && std::memcmp(d->source, "\xEF\xBB\xBF", 3) == 0) column = 0;
    }
    for (long long i = from; i < img->sourceStart; i++) {
      const unsigned char c = static_cast<unsigned char>(d->source[i]);
      if (c == '\n')
        column = 1;
      else if ((c & 0xC0) != 0x80)
        column++;
    }
    if (place) {
      place->source = d->source;
      place->offset = img->sourceStart;
      place->column = column;
    }
  }
  std::string s = "img at line " + std::to_string(line) + ", column " + std::to_string(column);
  const std::string src = htmlTagAttr(img, "src");
  return src.empty() ? s + " (without src)" : s + " (" + src + ")";
}

int checkShownSize(htmlTagPtr img, int naturalW, int naturalH, int *w, int *h) {
  if (!img) return 0;
  int aw = dimension(img, "width"), ah = dimension(img, "height");
  if ((htmlTagAttrQuery(img, "width") && !aw) || (htmlTagAttrQuery(img, "height") && !ah)) return 0;
  if (aw && ah) {
    *w = aw;
    *h = ah;
  } else if (naturalW <= 0 || naturalH <= 0) {
    return 0;
  } else if (aw) {
    *w = aw;
    *h = static_cast<int>(static_cast<long long>(naturalH) * aw / naturalW);
  } else if (ah) {
    *h = ah;
    *w = static_cast<int>(static_cast<long long>(naturalW) * ah / naturalH);
  } else {
    *w = naturalW;
    *h = naturalH;
  }
  return 1;
}

void checkPage(htmlPtr page, const char *name, int naturalW, int naturalH, int mapWritten,
               std::vector<checkFinding> &out) {
  htmlTagPtr img = checkPicture(page, name);
  if (!img) return;
  const std::string src = htmlTagAttr(img, "src");
  auto add = [&](int severity, const std::string &subject, const std::string &message) {
    checkFinding f;
    f.severity = severity;
    f.kind = checkKindPage;
    f.subject = subject;
    f.message = message;
    out.push_back(f);
  };
  const std::string picture = checkImgName(img);
  if (!htmlTagAttrQuery(img, "alt")) add(checkError, picture, "the img tag has no alt attribute");

  int maps = 0;
  for (htmlTagPtr t = page->first; t; t = t->n)
    if (mapNamed(t, name)) maps++;
  const std::string map = std::string("map ") + name;
  if (maps == 0 && !mapWritten)
    add(checkError, picture, std::string("usemap names the map \"") + name + "\", which the page does not have");
  if (maps > 1)
    add(checkWarning, map, std::to_string(maps) + " maps have this name; browsers use the first");
  htmlTagPtr used = findMap(page, name);
  if (used && htmlTagAttrQuery(used, "id") && htmlTagAttrQuery(used, "name") &&
      std::strcmp(htmlTagAttr(used, "id"), htmlTagAttr(used, "name")) != 0)
    add(checkWarning, map,
        std::string("its id \"") + htmlTagAttr(used, "id") + "\" differs from its name \"" + htmlTagAttr(used, "name") +
            "\": browsers and style sheets may take it for different maps");

  // A picture that scales with the page: its map's coordinates do not.
  std::string scaled;
  const std::string width = trim(htmlTagAttr(img, "width")), height = trim(htmlTagAttr(img, "height"));
  const std::string style = lower(htmlTagAttr(img, "style"));
  if (width.find('%') != std::string::npos || height.find('%') != std::string::npos)
    scaled = "its size is a percentage";
  else if (style.find("width") != std::string::npos || style.find("height") != std::string::npos)
    scaled = "its style sets its size";
  else if (htmlTagAttrQuery(img, "srcset") || htmlTagAttrQuery(img, "sizes"))
    scaled = "srcset or sizes chooses its picture";
  else
    for (htmlTagPtr t = img->p; t && !htmlEq(t->name, "/picture"); t = t->p) {
      if (htmlEq(t->name, "picture")) break;
      if (htmlEq(t->name, "source")) {
        scaled = "the picture element around it offers other sources";
        break;
      }
    }
  if (!scaled.empty())
    add(checkWarning, picture,
        scaled + ": the picture can be shown at other sizes, but the map's coordinates do not scale with it");

  int w = 0, h = 0;
  const bool known = checkShownSize(img, naturalW, naturalH, &w, &h);
  if (known && naturalW > 0 && naturalH > 0 && dimension(img, "width") && dimension(img, "height")) {
    // The proportion differs by more than one percent.
    double shown = static_cast<double>(w) / h, own = static_cast<double>(naturalW) / naturalH;
    if (std::fabs(shown - own) > own * 0.01)
      add(checkWarning, picture,
          "shown at " + std::to_string(w) + " x " + std::to_string(h) + " although the picture is " +
              std::to_string(naturalW) + " x " + std::to_string(naturalH) +
              ": the map lies on a stretched picture");
  }
  if (!known) return;
  checkImgPlace place;
  for (htmlTagPtr t = img->n; t; t = t->n) {
    if (!usesMap(t, name)) continue;
    const std::string other = htmlTagAttr(t, "src");
    int ow = 0, oh = 0;
    bool same = other == src;
    if (!checkShownSize(t, same ? naturalW : 0, same ? naturalH : 0, &ow, &oh)) continue;
    if (ow != w || oh != h)
      add(checkWarning, checkImgName(t, &place),
          "uses the same map at " + std::to_string(ow) + " x " + std::to_string(oh) + ", but the map fits " +
              std::to_string(w) + " x " + std::to_string(h));
  }
}

void checkInputAnchors(htmlPtr page, checkInput &in) {
  in.anchors.clear();
  in.anchorsKnown = page != nullptr;
  for (htmlTagPtr t = page ? page->first : nullptr; t; t = t->n) {
    if (htmlTagAttrQuery(t, "id")) in.anchors.push_back(htmlTagAttr(t, "id"));
    if (htmlEq(t->name, "a") && htmlTagAttrQuery(t, "name")) in.anchors.push_back(htmlTagAttr(t, "name"));
  }
}

// --- the inputs -------------------------------------------------------------------

void checkInputFromTable(checkInput &in) {
  in.areas.clear();
  size_t kept = 0;
  auto keep = [&](int before) {
    for (; kept < keptAreas.size() && keptAreas[kept].before <= before; kept++) {
      checkArea a;
      a.markup = keptAreas[kept].markup ? keptAreas[kept].markup : "";
      readArea(a.markup, a);
      in.areas.push_back(a);
    }
  };
  for (int i = 0; objects && i < objectsTotal; i++) {
    keep(i);
    const object &o = objects[i];
    checkArea a;
    a.t = o.t;
    if (o.points) a.points.assign(o.points, o.points + (o.pointsTotal > 0 ? o.pointsTotal : 0));
    a.url = o.url ? o.url : "";
    a.hasHref = !a.url.empty();
    a.nohref = a.url.empty();
    a.alt = o.comments ? o.comments : "";
    a.object = i;
    in.areas.push_back(a);
  }
  keep(INT_MAX);
  in.defaultUrl = defaultUrl ? defaultUrl : "";
  in.defaultText = 0;  // the default area is written with an empty alt
}

int checkInputFromPage(htmlPtr page, const char *name, checkInput &in) {
  in.areas.clear();
  in.defaultUrl.clear();
  in.defaultText = 0;
  htmlTagPtr map = findMap(page, name);
  if (!map) return 0;
  int number = 0;
  for (htmlTagPtr t = map->n; t; t = t->n) {
    if (htmlEq(t->name, "/map")) break;
    if (!htmlEq(t->name, "area")) continue;
    number++;
    const std::string shape = lower(trim(htmlTagAttr(t, "shape")));
    if (shape == "default") {
      if (!htmlTagAttrQuery(t, "nohref")) in.defaultUrl = htmlTagAttr(t, "href");
      in.defaultText = !trim(htmlTagAttr(t, "alt")).empty() || !trim(htmlTagAttr(t, "title")).empty();
      continue;
    }
    checkArea a;
    a.number = number;
    readShape(htmlTagAttr(t, "shape"), htmlTagAttr(t, "coords"), a);
    a.hasHref = htmlTagAttrQuery(t, "href");
    a.nohref = htmlTagAttrQuery(t, "nohref");
    a.url = htmlTagAttr(t, "href");
    a.alt = htmlTagAttr(t, "alt");
    in.areas.push_back(a);
  }
  return 1;
}

// --- the page's charset ------------------------------------------------------------

std::string checkPageCharset(htmlPtr page) {
  if (!page) return "";
  for (htmlTagPtr t = page->first; t; t = t->n) {
    if (!htmlEq(t->name, "meta")) continue;
    if (htmlTagAttrQuery(t, "charset")) {
      const std::string c = lower(trim(htmlTagAttr(t, "charset")));
      if (!c.empty()) return c;
    }
    if (lower(trim(htmlTagAttr(t, "http-equiv"))) != "content-type") continue;
    const std::string content = lower(htmlTagAttr(t, "content"));
    size_t at = content.find("charset");
    if (at == std::string::npos) continue;
    at = content.find_first_not_of(" \t", at + 7);
    if (at == std::string::npos || content[at] != '=') continue;
    at = content.find_first_not_of(" \t\"'", at + 1);
    if (at == std::string::npos) continue;
    const size_t end = content.find_first_of(" \t;\"'", at);
    return content.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }
  return "";
}

namespace {

// The length of the UTF-8 sequence at p (at most n bytes), 0 when it is not
// one (overlong forms, surrogates and values beyond U+10FFFF included).
size_t utf8Length(const unsigned char *p, size_t n) {
  const unsigned c = p[0];
  if (c < 0x80) return 1;
  size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (len == 0 || len > n) return 0;
  for (size_t k = 1; k < len; k++)
    if ((p[k] & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && p[1] < 0xA0) return 0;
  if (c == 0xED && p[1] > 0x9F) return 0;
  if (c == 0xF0 && p[1] < 0x90) return 0;
  if (c == 0xF4 && p[1] > 0x8F) return 0;
  return len;
}

void appendUtf8(std::string &out, unsigned v) {
  if (v < 0x80) {
    out += static_cast<char>(v);
  } else if (v < 0x800) {
    out += static_cast<char>(0xC0 | (v >> 6));
    out += static_cast<char>(0x80 | (v & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (v >> 12));
    out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (v & 0x3F));
  }
}

// One byte read as Windows-1252 (the five bytes it leaves open as the C1
// controls of the same number).
void append1252(std::string &out, unsigned char c) {
  static const unsigned short high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  appendUtf8(out, c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c);
}

// UTF-8 kept, every byte that is not part of it read as Windows-1252.
std::string fromUtf8(const std::string &text) {
  std::string out;
  const unsigned char *p = reinterpret_cast<const unsigned char *>(text.data());
  for (size_t i = 0, n = text.size(); i < n;) {
    size_t len = utf8Length(p + i, n - i);
    if (len == 0) {
      append1252(out, p[i++]);
    } else {
      out.append(text, i, len);
      i += len;
    }
  }
  return out;
}

std::string from1252(const std::string &text) {
  std::string out;
  for (unsigned char c : text) append1252(out, c);
  return out;
}

}  // namespace

int checkValidUtf8(const std::string &bytes) {
  const unsigned char *p = reinterpret_cast<const unsigned char *>(bytes.data());
  for (size_t i = 0, n = bytes.size(); i < n;) {
    size_t len = utf8Length(p + i, n - i);
    if (len == 0) return 0;
    i += len;
  }
  return 1;
}

std::string checkTextUtf8(const std::string &text, const std::string &charset) {
  const std::string c = lower(trim(charset));
  if (c == "utf-8" || c == "utf8" || c == "unicode-1-1-utf-8") return fromUtf8(text);
  // The labels browsers read as Windows-1252.
  static const char *const latin[] = {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso_8859-1",
                                      "latin1", "l1", "us-ascii", "ascii", "cp819", "ibm819", "csisolatin1",
                                      "iso-ir-100", "iso_8859-1:1987", "ansi_x3.4-1968"};
  for (const char *l : latin)
    if (c == l) return from1252(text);
  iconv_t cd = c.empty() ? reinterpret_cast<iconv_t>(-1) : iconv_open("UTF-8", c.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return checkValidUtf8(text) ? text : from1252(text);
  std::string out;
  std::vector<char> in(text.begin(), text.end());
  char *src = in.data();
  size_t left = in.size();
  char buf[1024];
  while (left > 0) {
    char *dst = buf;
    size_t room = sizeof buf;
    const size_t before = left;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    if ((r == static_cast<size_t>(-1) && errno != E2BIG) || (left == before && dst == buf)) {
      // A byte the charset cannot read.
      append1252(out, static_cast<unsigned char>(*src));
      src++;
      left--;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char *dst = buf;
  size_t room = sizeof buf;
  iconv(cd, nullptr, nullptr, &dst, &room);
  out.append(buf, static_cast<size_t>(dst - buf));
  iconv_close(cd);
  // Whatever the converter gave, the result is UTF-8.
  return checkValidUtf8(out) ? out : fromUtf8(out);
}

// --- words for the user -------------------------------------------------------------

const char *checkSeverityName(int severity) {
  return severity == checkError ? "error" : severity == checkWarning ? "warning" : "notice";
}

std::string checkSubject(const checkFinding &f) {
  if (f.hotspot == checkPageLevel) return f.subject;
  std::string s = f.hotspot == checkDefaultArea ? "default area"
                  : f.broken                      ? "area " + std::to_string(f.hotspot + 1)
                                                  : "hotspot " + std::to_string(f.hotspot + 1);
  if (f.hotspot == checkDefaultArea)
    s += " (" + f.link + ")";
  else if (f.broken && f.shape == notype)
    ;
  else
    s += std::string(" (") + shapeName(f.shape) + (f.link.empty() ? "" : ", " + f.link) + ")";
  return s;
}

std::string checkLine(const checkFinding &f) {
  return std::string(checkSeverityName(f.severity)) + ": " + checkSubject(f) + ": " + f.message;
}

namespace {
std::string jsonString(const std::string &text) {
  const std::string s = checkValidUtf8(text) ? text : fromUtf8(text);
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}
}  // namespace

std::string checkJson(const checkFinding &f, const char *map) {
  std::string s = "{\"severity\": " + jsonString(checkSeverityName(f.severity));
  s += ", \"map\": " + jsonString(map ? map : "");
  if (f.hotspot >= 0)
    s += ", \"hotspot\": " + std::to_string(f.hotspot + 1) + ", \"shape\": " + jsonString(shapeName(f.shape));
  else if (f.hotspot == checkDefaultArea)
    s += ", \"hotspot\": \"default\"";
  else
    s += ", \"hotspot\": null";
  if (f.broken) s += ", \"notHotspot\": true";
  if (f.hotspot != checkPageLevel) s += ", \"link\": " + jsonString(f.link);
  s += ", \"subject\": " + jsonString(checkSubject(f));
  s += ", \"message\": " + jsonString(f.message);
  if (!f.by.empty()) {
    s += ", \"coveredBy\": [";
    for (size_t k = 0; k < f.by.size(); k++) s += (k ? ", " : "") + std::to_string(f.by[k] + 1);
    s += "]";
  }
  if (f.clickable >= 0) s += ", \"clickablePercent\": " + std::to_string(f.clickable);
  return s + "}";
}
