// profile.h: private profile files (sections of key=value lines, such as
// tilvane2.ini) and the safe replacement of a whole file. A profile file named
// without a folder lives in the configuration folder (configFolderGet).
// Section and key names compare without regard to case; values keep theirs.
// Every write rewrites the file through a temporary file and a rename, under
// an exclusive lock, so several processes never leave it half-written.
#ifndef TILVANE_PROFILE_H
#define TILVANE_PROFILE_H

#include <cstddef>

// Reads key of section into out (size bytes); def (may be null) when absent.
// Returns the length of the result.
int profileGetString(const char *section, const char *key, const char *def, char *out, int size,
                     const char *file);

// Sets key of section to value (null removes the key); 1 on success.
int profileWriteString(const char *section, const char *key, const char *value, const char *file);

// Sets count keys of one section at once (a null value removes that key).
int profileWriteStrings(const char *section, const char *const *keys, const char *const *values,
                        int count, const char *file);

// The full path of a profile file (a bare name goes to the configuration folder).
void profilePath(const char *file, char *out, int size);

// Replaces the file at path with data as a page is replaced (pageSaveFile): a
// temporary file in the same folder, flushed, synced and renamed over the old
// one, keeping its permissions; a symbolic link is followed and its target
// replaced. 1 on success; on failure the old file is untouched.
int safeWriteFile(const char *path, const char *data, size_t length);

#endif
