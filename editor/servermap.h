// servermap.h: server-side map files in the NCSA and CERN syntaxes: reading
// one into the hotspot table, writing the table as one, and the Import and
// Export commands around them. Owns no globals.
#ifndef TILVANE_SERVERMAP_H
#define TILVANE_SERVERMAP_H

#include <cstdio>

// Reads a map file into the hotspot table (its syntax goes to maptype; the
// comments after the last hotspot to trailingComments). Lines end at LF, the
// CRs before it are dropped, and a line is cut at 1023 bytes (the rest of it
// is skipped). 1 on success, also after "WARNING: Map file not found ..." when
// it cannot be opened, or after a message of its own when it is not a regular
// file; 0 after a "Line %d: %s" message, with an empty table. *opened (when
// given) tells whether the file could be opened.
int LoadServerMap(const char *filename);
int serverMapRead(const char *filename, int *opened);

// Replaces the hotspot table by the hotspots of a map file and marks the page
// changed; one Undo brings back the table, defaultUrl and trailingComments it
// replaced, and nothing is selected afterwards. When the file cannot be read
// or holds an error, the message is shown and the table, defaultUrl,
// trailingComments, maptype and changed stay exactly as they were. 1 when
// imported.
int serverMapImport(const char *filename);

// Writes every hotspot, the default line and (NCSA) the trailing comments, in
// the syntax of kind (mapNCSA or mapCERN), with CR LF line ends.
void WriteServerMap(FILE *out, int kind);

// The "Server Side Map Type" dialog on OK: cern 1 for "CERN Format (IIS)".
// The choice goes to serverMapType (the document's maptype stays); the
// settings are saved when it changed. Returns 1.
int mapTypeBoxAccept(int cern);

// The "Server Side Map Type" choice through the platform's choose dialog,
// used when the window's own dialog is not installed; it starts at the stored
// choice. 1 on OK (serverMapType then holds the choice and the settings are
// saved when it changed).
int mapTypeChoose(void);

// The Import and Export commands of the File menu. Export offers, and writes
// in, the stored server-side syntax (serverMapType).
void Import(void);
void Export(void);

#endif
