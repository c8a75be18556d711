// clientmap.h: the image map as a client-side <map> element of the page:
// reading its <area> entries into the hotspot table, writing the table as a
// <map> element, and writing the page around it. Owns tokenstr.
#ifndef TILVANE_CLIENTMAP_H
#define TILVANE_CLIENTMAP_H

#include <cstdio>
#include <string>
#include <vector>

#include "editor/objects.h"
#include "html/html.h"

// The bytes that separate the words of coords values and of map-file lines:
// space, comma, '(', ')', CR, tab and LF.
extern const char tokenstr[];

// The words of s, split at any run of tokenstr bytes.
std::vector<std::string> mapTokens(const std::string &s);

// A word read as a decimal integer: an optional sign and the digits that
// follow; what cannot be read counts as 0, and values beyond the int range
// are held at its ends.
int mapNumber(const std::string &word);

// Fills the hotspot table from the map of that name (the first "map" entry
// whose id, or else whose name attribute, equals it, ignoring case), keeping
// the map's id (mapId) and the areas that cannot be hotspots (keptAreas). 1 on
// success, also when the page has no such map; 0 after "No closing </map>
// element in HTML document!". Of each kind of area message the first
// readingMessagesShown (html/document.h) are shown, then one box tells how
// many more there were.
int LoadClientMap(htmlPtr page, const char *name);

// The map entry LoadClientMap reads for that name, or null.
htmlTagPtr clientMapFind(htmlPtr page, const char *name);

// Appends the hotspot of one <area> entry (or, for shape="default", sets
// defaultUrl). 1 when a hotspot was added, 0 otherwise.
int areaToObject(htmlTagPtr area);

// Between these two, areaToObject shows the first readingMessagesShown
// messages of each kind, and the end tells how many more there were; a reader
// of many areas (a map, a paste) brackets its loop with them.
void areaReadingBegin(void);
void areaReadingEnd(void);

// Writes the whole <map> element with every hotspot and the default area.
void WriteClientMapTags(FILE *out, const char *name);

// Writes one <area> line per hotspot (only the selected ones when selected is
// set); then, when it is not set, the default area. The whole map also has its
// kept areas (keptAreas), each where it stood among the hotspots.
void WriteClientAreaTags(FILE *out, int selected);

// What a hotspot's title and onClick attributes are written as: its own text
// when it has one; otherwise the alternative text for the title, and, with
// clickAsMouseOut, the onMouseOut handler for onClick ("" when none).
const char *areaTitle(const object *o);
const char *areaOnClick(const object *o);

// Writes a hotspot's comment text in the form of the map kind: mapClient the
// alt attribute (nothing when text is null), mapNCSA "#" lines, mapCERN nothing.
void writeComments(FILE *out, const char *text, int kind);

// Puts a rectangle's corners in order (smaller x and y first), in the record.
void orderRectangle(object *o);

// Writes the page with the current map: leadingComments and every entry, the
// map LoadClientMap reads for that name replaced where it stands (the text
// after its </map> kept, later maps of the same name untouched), or, when the
// page has none, the map inserted before </body> or </html>, or appended.
void clientMapWritePage(FILE *out, htmlPtr page, const char *name);

// The same, but every entry outside the replaced map is written with the bytes
// it was read from (html.h, exact writing) and the new map with the page's line
// ends (CR LF when crlf), so that the result is written as it is. 0, writing
// nothing, when the page was not read by pageFeed (htmlSourceComplete); 0 too
// when memory ran out on the way.
int clientMapWritePageExact(FILE *out, htmlPtr page, const char *name, int crlf);

#endif
