// prefs.h: the settings file Tilvane.ini, the first-time hints, and the logic
// of the Preferences, "Server Side Map Type" and "Magic Wand Settings" dialogs
// (their windows are in ui/prefs_ui.cpp). Owns updateFrequencies, firstText,
// hint, preferencesHook.
#ifndef TILVANE_PREFS_H
#define TILVANE_PREFS_H

#include <cstdio>

// The schedule labels, index = updateFrequency, ended by a null entry.
extern const char *const updateFrequencies[7];

// Builds the settings path into path (size bytes); returns whether the file exists.
int getIniFile(char *path, int size, int forWriting);

// Reads Tilvane.ini into the settings (defaults stay for what is missing), then
// rebuilds the pens and checks the grid settings' commands.
void readConfig(void);

// Applies one line of Tilvane.ini to the settings (what readConfig does per line).
void readConfigLine(const char *line);

// The text saveConfig writes, into out (size bytes); returns its length.
int configText(char *out, int size);

// Writes Tilvane.ini and tells the other running processes to reload it.
// 1 when the file was written.
int saveConfig(void);

// First-time hints: the texts, the hint being shown.
extern const char *const firstText[13];
extern int hint;

// Whether hint index is to be shown now (not seen, hints wanted, a text exists);
// when it is, hint becomes index.
int firstHintWanted(int index);

// The hint dialog's two ends: opening marks hint as seen; "No Hints, Please"
// stops all hints.
void firstHintOpened(void);
void firstHintNoMore(void);

// The hint state of one settings line (lines starting with "first"); the hint
// lines of the settings file written to file.
void FirstLoad(const char *line);
void FirstSave(FILE *file);

// The Preferences dialog (its window is installed into preferencesHook).
// preferencesAccept takes the dialog's answers on OK: the globals, the pens,
// and the settings file.
extern void (*preferencesHook)(void);
void Preferences(void);
void preferencesAccept(int blueBorder, int strict, int urlDialog, int frequency);

// The "Magic Wand Settings" dialog on OK: the three fields' texts read as
// unsigned decimal numbers (unsignedField), then clamped
// (magicWandClampSettings).
void magicWandSettingsAccept(const char *points, const char *tolerance, const char *feather, const char *simplify,
                             int outerOnly);

// The value of a number field as the dialogs read it: decimal digits with
// optional blanks around them. Anything else (letters, a sign, an empty field,
// a number beyond 32 bits) reads as 0; values beyond the int range are capped.
int unsignedField(const char *text);

// The reaction to reloadConfigMessage (3025): readConfig(), the recent
// documents' menu entries from the profile file, then repaint(0).
void reloadConfigReceived(void);

#endif
