// clientmap.cpp: the client-side map: the <area> reader, the <map> writer and
// the page rewrite around the map. Owns tokenstr.
#include "editor/clientmap.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/settings.h"
#include "platform/seams.h"
#include "editor/undo.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/strhack.h"
#include "platform/platform.h"

const char tokenstr[] = " ,()\r\t\n";

namespace {

// While LoadClientMap reads a map, the messages of its areas are counted so
// that a map of many bad areas shows only the first few.
bool readingMap = false;
messageRun missingY, missingRadius;
// The number of the area being read, from 1 in page order, while a map is
// read; 0 otherwise (a paste).
int areaNumber = 0;

void setString(char **field, const char *value) {
  myfreeImpl(*field);
  *field = value ? mystrdupImpl("object", value) : nullptr;
}

// An attribute copied into a hotspot field, every white-space byte a space.
void copyAttribute(char **field, htmlTagPtr area, const char *name) {
  setString(field, htmlTagAttr(area, name));
  normalizeSpaces(*field);
}

bool nonEmpty(const char *s) { return s && *s; }

// Appends the bytes of a stored name or value; a zero byte in one is left out,
// since the result is kept as a C string.
void appendBytes(std::string &out, const char *s, int length) {
  if (!s) return;
  if (length <= 0) length = static_cast<int>(std::strlen(s));
  for (int i = 0; i < length; i++)
    if (s[i]) out += s[i];
}

bool isNamed(htmlAttrPtr a, const char *const *names) {
  for (const char *const *n = names; *n; n++)
    if (htmlEq(a->name, *n)) return true;
  return false;
}

// The attributes of an entry other than those named, as markup in their order:
// each a space, its name as written, and its value as read ("=\"v\"" when it
// was double-quoted, "=v" otherwise). A nameless bare attribute has nothing to
// write, and one the page ended in is left out. Null when none remain.
char *otherAttributesOf(htmlTagPtr tag, const char *const *modelled) {
  std::string out;
  for (htmlAttrPtr a = htmlTagAttrFirst(tag); a; a = a->n) {
    if (!a->name || a->openAtEnd || isNamed(a, modelled)) continue;
    // A name or value holding a zero byte cannot be written as it was read;
    // without the zero it could read back as another attribute ("COOR\0DS" as
    // coords), or an unquoted value as a quoted one that runs on ("\0"a<%...").
    if (std::memchr(a->name, 0, static_cast<size_t>(a->nameLength))) continue;
    if (a->value && std::memchr(a->value, 0, static_cast<size_t>(a->valueLength))) continue;
    // Nor can a value without a name ("<area ='x'>"): after a bare attribute
    // it would read back as that attribute's value.
    if (a->nameLength == 0) continue;
    std::string name;
    appendBytes(name, a->name, a->nameLength);
    out += ' ';
    out += name;
    if (!a->value) continue;
    out += '=';
    if (a->quoted) out += '"';
    appendBytes(out, a->value, a->valueLength);
    if (a->quoted) out += '"';
  }
  if (out.empty()) return nullptr;
  return mystrdupImpl("object", out.c_str());
}

int blockNesting(const char *s);
bool blocksClose(const char *s);
std::string valueText(const char *s, bool spaces);

// Whether an unquoted value reads back as itself when written bare: the reader
// takes a bare word up to white space or '>', except inside angle brackets
// ('<' opens one, '>' closes it), so the brackets must close within the word.
bool bareWordReadsBack(const char *s) {
  if (!*s) return false;
  int nesting = 0;
  for (const char *p = s; *p; p++) {
    if (*p == '<') {
      nesting++;
    } else if (*p == '>') {
      if (nesting == 0) return false;
      nesting--;
    } else if (nesting == 0 && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')) {
      return false;
    }
  }
  return nesting == 0;
}

// The tag rebuilt from its attributes as the reader took them: each name and
// value up to a zero byte (the reader's strings end there), so that the markup
// reads back the same. An unquoted value goes back unquoted when the reader
// takes it back as the same word (a '"' in it stays a plain byte). Any other
// value is written double-quoted as the map writer writes it, the only
// quotation mark the reader knows: a value cut inside a server-side block
// ("<?= $a" of "<?= $a ?>") has its "<?" as "&#60;?", so that the block does
// not swallow the rest of the page. A server-side block among the attributes
// that the zero byte cut is closed where it was cut, for the same reason.
std::string tagFromAttributes(htmlTagPtr tag) {
  std::string out = "<";
  out += tag->name ? tag->name : "";
  for (htmlAttrPtr a = htmlTagAttrFirst(tag); a; a = a->n) {
    if (!a->name || !*a->name) continue;
    out += ' ';
    out += a->name;
    if (a->name[0] == '<' && (a->name[1] == '%' || a->name[1] == '?')) {
      for (int open = blockNesting(a->name); open > 0; open--) out += a->name[1] == '%' ? " %>" : " ?>";
    }
    if (!a->value) continue;
    out += '=';
    if (!a->quoted && bareWordReadsBack(a->value)) {
      out += a->value;
    } else {
      out += '"';
      out += valueText(a->value, false);
      out += '"';
    }
  }
  out += '>';
  return out;
}

// The markup with LF line ends, the map's own, which the page's then replace:
// a CR before LF goes, and so does a run of them ("\r\r\n"), so that the next
// save finds no CR LF pair left to drop and writes the same bytes.
std::string withLineFeeds(const std::string &markup) {
  std::string out;
  out.reserve(markup.size());
  for (size_t i = 0; i < markup.size(); i++) {
    if (markup[i] == '\r') {
      size_t j = i + 1;
      while (j < markup.size() && markup[j] == '\r') j++;
      if (j < markup.size() && markup[j] == '\n') {
        i = j - 1;
        continue;
      }
    }
    out += markup[i];
  }
  return out;
}

// The markup of an entry's tag, '<' to '>', as it stands in the page's source
// (its line ends as LF), or as the writer writes it when the source is not
// kept. A tag with a zero byte is rebuilt from its attributes
// (tagFromAttributes).
std::string tagMarkup(htmlTagPtr tag) {
  std::string out;
  htmlPtr d = tag->parent;
  if (d && htmlSourceComplete(d) && tag->sourceStart >= 0 && tag->sourceTagEnd > tag->sourceStart &&
      tag->sourceTagEnd <= d->sourceLength) {
    const char *from = d->source + tag->sourceStart;
    const size_t length = static_cast<size_t>(tag->sourceTagEnd - tag->sourceStart);
    if (std::memchr(from, 0, length)) return withLineFeeds(tagFromAttributes(tag));
    return withLineFeeds(std::string(from, length));
  }
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  if (!mem) return out;
  htmlTagWrite(tag, mem);
  std::fclose(mem);
  const char *text = htmlTagText(tag);
  size_t textLength = text ? (tag->textLength > 0 ? static_cast<size_t>(tag->textLength) : std::strlen(text)) : 0;
  if (data && textLength <= size) appendBytes(out, data, static_cast<int>(size - textLength));
  std::free(data);
  return out;
}

// Shows a reading message about one area: the message, then which area it is,
// as read; a map's area is also said to stay in the page.
void areaMessage(const char *message, htmlTagPtr area) {
  std::string markup = tagMarkup(area);
  for (char &c : markup)
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  if (markup.size() > 300) markup = markup.substr(0, 300) + "...";
  std::string text = message;
  if (areaNumber > 0) {
    text += "\r\nArea " + std::to_string(areaNumber) + " of the map: " + markup;
    text += "\r\nTilvane keeps this area in the page as it is.";
  } else {
    text += "\r\nThe area: " + markup;
  }
  modalPopup(text.c_str(), 0, nullptr, nullptr);
}

const char *const areaModelled[] = {"shape", "coords", "href", "nohref", "alt", "title",
                                    "target", "onmouseover", "onmouseout", "onclick", nullptr};
const char *const mapModelled[] = {"id", "name", nullptr};

// How many server-side blocks of a value are left open, as the reader counts
// them: "<%" or "<?" opens one, "%>" or "?>" closes it.
int blockNesting(const char *s) {
  int nesting = 0;
  for (const char *p = s; *p; p++) {
    if ((*p == '%' || *p == '?') && p > s && p[-1] == '<')
      nesting++;
    else if (*p == '>' && nesting > 0 && p > s && (p[-1] == '%' || p[-1] == '?'))
      nesting--;
  }
  return nesting;
}

bool blocksClose(const char *s) { return blockNesting(s) == 0; }

// Writes an attribute value for double quotation marks (links included, which
// otherwise go out as they are: a '"' in one, read from an unquoted value,
// would end the attribute early) so that the reader takes it back whole: each
// '"' becomes "&#34;", except inside a server-side block ("<%= f("a") %>",
// "<?= $a["b"] ?>"), where the quotation marks belong to the code. A value
// whose blocks do not close (typed, or cut at a zero byte) would swallow the
// closing quotation mark: there every '"' is encoded, and a '<' that would open
// a block is written as "&#60;". With `spaces`, every white-space byte is
// written as a space.
std::string valueText(const char *s, bool spaces) {
  std::string out;
  if (!s) return out;
  bool keepBlocks = blocksClose(s);
  int nesting = 0;
  for (const char *p = s; *p; p++) {
    char c = *p;
    if ((c == '%' || c == '?') && p > s && p[-1] == '<')
      nesting++;
    else if (c == '>' && nesting > 0 && p > s && (p[-1] == '%' || p[-1] == '?'))
      nesting--;
    if (c == '"' && (nesting == 0 || !keepBlocks)) {
      out += "&#34;";
    } else if (c == '<' && !keepBlocks && (p[1] == '%' || p[1] == '?')) {
      out += "&#60;";
    } else if (spaces && (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r')) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

void writeValue(FILE *out, const char *s, bool spaces) {
  const std::string text = valueText(s, spaces);
  std::fwrite(text.data(), 1, text.size(), out);
}

void writeAttribute(FILE *out, const char *name, const char *value) {
  std::fprintf(out, " %s=\"", name);
  writeValue(out, value, false);
  std::fputc('"', out);
}

// Writes the text that followed an old </map>: the new map already ends its
// last line, so one line feed at the start of the text is not repeated.
void writeTextAfterMap(FILE *out, htmlTagPtr endTag) {
  const char *text = htmlTagText(endTag);
  if (!text) return;
  int length = endTag->textLength > 0 ? endTag->textLength : static_cast<int>(std::strlen(text));
  if (length > 0 && text[0] == '\n') {
    text++;
    length--;
  }
  if (length > 0) std::fwrite(text, 1, static_cast<size_t>(length), out);
}

bool endsWithLineFeed(htmlPtr page) {
  if (page->last) {
    htmlTagPtr t = page->last;
    const char *text = htmlTagText(t);
    int n = t->textLength;
    return text && n > 0 && text[n - 1] == '\n';
  }
  int n = page->leadingCommentsLength;
  return n == 0 || page->leadingComments[n - 1] == '\n';
}

}  // namespace

std::vector<std::string> mapTokens(const std::string &s) {
  std::vector<std::string> words;
  size_t i = 0, n = s.size();
  while (i < n) {
    while (i < n && std::strchr(tokenstr, s[i]) && s[i]) i++;
    size_t start = i;
    while (i < n && !(s[i] && std::strchr(tokenstr, s[i]))) i++;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

int mapNumber(const std::string &word) {
  const char *s = word.c_str();
  while (*s == ' ' || *s == '\t') s++;
  errno = 0;
  char *end = nullptr;
  long long v = std::strtoll(s, &end, 10);
  if (end == s) return 0;
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

htmlTagPtr clientMapFind(htmlPtr page, const char *name) {
  if (!page) return nullptr;
  if (!name) name = "";
  for (htmlTagPtr t = page->first; t; t = t->n) {
    if (!htmlEq(t->name, "map")) continue;
    if (htmlEq(htmlTagAttr(t, "id"), name) || htmlEq(htmlTagAttr(t, "name"), name)) return t;
  }
  return nullptr;
}

void areaReadingBegin(void) { readingMap = true; }

void areaReadingEnd(void) {
  readingMap = false;
  messageRunEnd(&missingY, "areas with a y coordinate missing");
  messageRunEnd(&missingRadius, "circles with the radius missing");
}

int LoadClientMap(htmlPtr page, const char *name) {
  ReleaseObjects();
  objectsSetup();
  htmlTagPtr map = clientMapFind(page, name);
  if (!map) {
    objectsEnsure(objectsTotal);
    return 1;
  }
  mapAttributes = otherAttributesOf(map, mapModelled);
  if (htmlTagAttrQuery(map, "id")) mapId = mystrdupImpl("map", htmlTagAttr(map, "id"));
  areaReadingBegin();
  int result = 0;
  areaNumber = 0;
  for (htmlTagPtr t = map->n; t; t = t->n) {
    if (htmlEq(t->name, "area")) {
      areaNumber++;
      // An area that cannot be a hotspot stays in the map as it was read.
      if (!areaToObject(t) && !htmlBeginsWith(htmlTagAttr(t, "shape"), "def")) {
        std::string markup = tagMarkup(t);
        if (!markup.empty()) keptAreas.push_back({objectsTotal, mystrdupImpl("map", markup.c_str())});
      }
    } else if (htmlEq(t->name, "/map")) {
      objectsEnsure(objectsTotal);
      result = 1;
      break;
    }
  }
  areaNumber = 0;
  areaReadingEnd();
  if (!result) modalPopup("No closing </map> element in HTML document!", 0, nullptr, nullptr);
  return result;
}

int areaToObject(htmlTagPtr area) {
  if (!area) return 0;
  objectsEnsure(objectsTotal);
  object *o = &objects[objectsTotal];
  setString(&o->otherAttributes, nullptr);

  // An area with no shape, or one that names none of these, is a rectangle,
  // as browsers take it.
  const char *shape = htmlTagAttr(area, "shape");
  o->t = rectangle;
  if (htmlBeginsWith(shape, "poly")) {
    o->t = polygon;
  } else if (htmlBeginsWith(shape, "rect")) {
    o->t = rectangle;
  } else if (htmlBeginsWith(shape, "circ")) {
    o->t = circle;
  } else if (htmlBeginsWith(shape, "def")) {
    o->t = notype;
    setString(&defaultUrl, htmlTagAttr(area, "href"));
    return 0;
  }

  o->complete = 1;
  o->pointsTotal = 0;
  copyAttribute(&o->comments, area, "alt");
  copyAttribute(&o->title, area, "title");
  copyAttribute(&o->target, area, "target");
  copyAttribute(&o->onMouseOver, area, "onmouseover");
  copyAttribute(&o->onMouseOut, area, "onmouseout");
  copyAttribute(&o->onClick, area, "onclick");

  std::vector<std::string> words = mapTokens(htmlTagAttr(area, "coords"));
  size_t k = 0;
  while (k < words.size()) {
    double x = mapNumber(words[k++]);
    if (k >= words.size()) {
      if (!readingMap || messageRunCount(&missingY)) areaMessage("Y coordinate missing from shape.", area);
      o->t = notype;
      o->pointsTotal = 0;
      return 0;
    }
    double y = mapNumber(words[k++]);
    pointsEnsure(o, o->pointsTotal);
    o->points[o->pointsTotal++] = {x, y};
    if (o->t == rectangle && o->pointsTotal == 2) break;
    if (o->t == circle) {
      if (k >= words.size()) {
        if (!readingMap || messageRunCount(&missingRadius)) areaMessage("Radius missing from circle.", area);
        o->t = notype;
        o->pointsTotal = 0;
        return 0;
      }
      double r = mapNumber(words[k++]);
      pointsEnsure(o, 1);
      o->points[1] = {x + r, y};
      o->pointsTotal = 2;
      break;
    }
  }

  setString(&o->url, htmlTagAttr(area, "href"));
  o->otherAttributes = otherAttributesOf(area, areaModelled);
  objectsTotal++;
  objectsEnsure(objectsTotal);
  return 1;
}

void orderRectangle(object *o) {
  if (!o || o->t != rectangle || o->pointsTotal < 2) return;
  if (o->points[0].x > o->points[1].x) {
    double first = o->points[0].x;
    o->points[0].x = o->points[1].x;
    o->points[1].x = truncToInt(first);
  }
  if (o->points[0].y > o->points[1].y) {
    double first = o->points[0].y;
    o->points[0].y = o->points[1].y;
    o->points[1].y = truncToInt(first);
  }
}

void writeComments(FILE *out, const char *text, int kind) {
  if (!out || !text) return;
  if (kind == mapClient) {
    std::fputs(" alt=\"", out);
    writeValue(out, text, true);
    std::fputc('"', out);
  } else if (kind == mapNCSA) {
    // One "#" line per line of the text; an empty piece after the last line
    // break is not a line.
    const char *p = text;
    while (*p) {
      const char *lf = std::strchr(p, '\n');
      size_t n = lf ? static_cast<size_t>(lf - p) : std::strlen(p);
      size_t keep = (n > 0 && p[n - 1] == '\r') ? n - 1 : n;
      std::fputc('#', out);
      std::fwrite(p, 1, keep, out);
      std::fputs("\r\n", out);
      if (!lf) break;
      p = lf + 1;
    }
  }
}

const char *areaTitle(const object *o) {
  if (!o) return "";
  if (nonEmpty(o->title)) return o->title;
  return o->comments ? o->comments : "";
}

const char *areaOnClick(const object *o) {
  if (!o) return "";
  if (nonEmpty(o->onClick)) return o->onClick;
  if (clickAsMouseOut && nonEmpty(o->onMouseOut)) return o->onMouseOut;
  return "";
}

namespace {

// The kept areas that stand before hotspot index (all that remain, at the end).
void writeKeptAreas(FILE *out, int index) {
  for (const keptArea &k : keptAreas) {
    if (k.before != index && !(index == objectsTotal && k.before > objectsTotal)) continue;
    std::fputs(k.markup, out);
    std::fputc('\n', out);
  }
}

}  // namespace

void WriteClientAreaTags(FILE *out, int selected) {
  if (!out) return;
  for (int i = 0; i < objectsTotal; i++) {
    if (!selected) writeKeptAreas(out, i);
    object *o = &objects[i];
    if (selected && !o->selected) continue;
    const char *shape = o->t == polygon ? "poly" : o->t == circle ? "circle" : o->t == rectangle ? "rect" : nullptr;
    if (!shape) continue;
    std::fprintf(out, "<area shape=\"%s\"", shape);
    writeComments(out, o->comments, mapClient);
    orderRectangle(o);
    if (o->pointsTotal > 0) {
      std::fputs(" coords=\"", out);
      if (o->t == circle) {
        std::fprintf(out, "%d,%d", truncToInt(o->points[0].x), truncToInt(o->points[0].y));
        if (o->pointsTotal >= 2) std::fprintf(out, ",%d", objectRadius(o));
      } else {
        for (int k = 0; k < o->pointsTotal; k++)
          std::fprintf(out, "%s%d,%d", k ? "," : "", truncToInt(o->points[k].x), truncToInt(o->points[k].y));
      }
      std::fputc('"', out);
    }
    if (nonEmpty(o->url))
      writeAttribute(out, "href", o->url);
    else
      std::fputs(" nohref", out);
    writeAttribute(out, "title", areaTitle(o));
    if (nonEmpty(o->target)) writeAttribute(out, "target", o->target);
    if (nonEmpty(o->onMouseOver)) writeAttribute(out, "onMouseOver", o->onMouseOver);
    if (nonEmpty(o->onMouseOut)) writeAttribute(out, "onMouseOut", o->onMouseOut);
    const char *click = areaOnClick(o);
    if (nonEmpty(click)) writeAttribute(out, "onClick", click);
    if (o->otherAttributes) std::fputs(o->otherAttributes, out);
    std::fputs(" />\n", out);
  }
  if (!selected) {
    writeKeptAreas(out, objectsTotal);
    if (nonEmpty(defaultUrl)) {
      std::fputs("<area shape=\"default\"", out);
      writeAttribute(out, "href", defaultUrl);
      std::fputs(" alt=\"\" />\n", out);
    } else
      std::fputs("<area shape=\"default\" nohref=\"nohref\" alt=\"\" />\n", out);
  }
}

void WriteClientMapTags(FILE *out, const char *name) {
  if (!out) return;
  if (!name) name = "";
  std::fputs("<map id=\"", out);
  writeValue(out, mapId ? mapId : name, false);
  std::fputs("\" name=\"", out);
  writeValue(out, name, false);
  std::fputc('"', out);
  if (mapAttributes) std::fputs(mapAttributes, out);
  std::fputs(">\n", out);
  WriteClientAreaTags(out, 0);
  std::fputs("</map>\n", out);
}

void clientMapWritePage(FILE *out, htmlPtr page, const char *name) {
  if (!out || !page) return;
  if (!name) name = "";
  htmlTagPtr found = clientMapFind(page, name);
  if (page->leadingCommentsLength > 0)
    std::fwrite(page->leadingComments, 1, static_cast<size_t>(page->leadingCommentsLength), out);
  int written = 0;
  for (htmlTagPtr t = page->first; t; t = t->n) {
    if (t == found) {
      // The map that was read is replaced here: everything up to its </map>
      // goes, except the text after that end tag. A later map of the same name
      // is left as it is (it may stand in another branch of server code).
      WriteClientMapTags(out, name);
      written = 1;
      while (t->n && !htmlEq(t->n->name, "/map")) t = t->n;
      if (!t->n) break;
      t = t->n;
      writeTextAfterMap(out, t);
      continue;
    }
    if (!written && !found && (htmlEq(t->name, "/body") || htmlEq(t->name, "/html"))) {
      std::fputs("<div>\n", out);
      WriteClientMapTags(out, name);
      std::fputs("</div>\n", out);
      written = 1;
    }
    htmlTagWrite(t, out);
  }
  if (!written) {
    if (!endsWithLineFeed(page)) std::fputc('\n', out);
    std::fputs("<div>\n", out);
    WriteClientMapTags(out, name);
    std::fputs("</div>\n", out);
  }
}

namespace {

// Writes what a writer produces, its line ends as the page's (CR LF when crlf).
// false when memory ran out.
bool writeConverted(FILE *out, int crlf, void (*write)(FILE *, const char *), const char *name) {
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  if (!mem) return false;
  write(mem, name);
  bool ok = !std::ferror(mem);
  if (std::fclose(mem) != 0) ok = false;
  if (ok) pageWriteBuffer(out, data, size, crlf);
  std::free(data);
  return ok;
}

void writeMap(FILE *out, const char *name) { WriteClientMapTags(out, name); }

void writeMapInDiv(FILE *out, const char *name) {
  std::fputs("<div>\n", out);
  WriteClientMapTags(out, name);
  std::fputs("</div>\n", out);
}

}  // namespace

int clientMapWritePageExact(FILE *out, htmlPtr page, const char *name, int crlf) {
  if (!out || !page || !htmlSourceComplete(page)) return 0;
  if (!name) name = "";
  htmlTagPtr found = clientMapFind(page, name);
  bool ok = htmlLeadingWriteExact(page, out) == htmlSuccess;
  int written = 0;
  for (htmlTagPtr t = page->first; t && ok; t = t->n) {
    if (t == found) {
      ok = writeConverted(out, crlf, writeMap, name);
      written = 1;
      while (t->n && !htmlEq(t->n->name, "/map")) t = t->n;
      if (!t->n) break;
      t = t->n;
      // The text after the old </map>, as read; the new map already ends its
      // last line.
      const char *text = nullptr;
      long long length = 0;
      htmlTagTextExact(t, &text, &length);
      if (length > 1 && text[0] == '\r' && text[1] == '\n' && crlf) {
        text += 2;
        length -= 2;
      } else if (length > 0 && text[0] == '\n') {
        text++;
        length--;
      }
      if (length > 0) std::fwrite(text, 1, static_cast<size_t>(length), out);
      continue;
    }
    if (!written && !found && (htmlEq(t->name, "/body") || htmlEq(t->name, "/html"))) {
      ok = writeConverted(out, crlf, writeMapInDiv, name);
      written = 1;
    }
    if (ok) ok = htmlTagWriteExact(t, out) == htmlSuccess;
  }
  if (ok && !written) {
    if (page->sourceLength > 0 && page->source[page->sourceLength - 1] != '\n') std::fputs(crlf ? "\r\n" : "\n", out);
    ok = writeConverted(out, crlf, writeMapInDiv, name);
  }
  return ok ? 1 : 0;
}
