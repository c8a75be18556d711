// doc_fixture.h: a scratch folder (the current folder and the user's folders
// below it), scripted dialogs, an empty document, and helpers that write pages
// and pictures, answer the image list, and hold a page's lock from another
// process.
#ifndef TILVANE_TESTS_DOC_FIXTURE_H
#define TILVANE_TESTS_DOC_FIXTURE_H

#include <deque>
#include <string>
#include <vector>

#include <sys/types.h>

// The image list's answers: the list position to take, -1 for Cancel. An
// empty queue cancels. imageListShown records every list that was offered.
extern std::deque<int> imageListAnswers;
extern std::vector<std::vector<std::string>> imageListShown;

// The window titles set so far.
extern std::vector<std::string> titles;

// Holds an exclusive lock on a file in a child process until released.
struct lockHolder {
  pid_t pid = -1;
  int release = -1;  // closing this pipe end lets the child end
};
lockHolder holdLock(const std::string &path);
void releaseLock(lockHolder &h);

// Whether another process could take the exclusive lock on path now.
bool lockableElsewhere(const std::string &path);

struct docScratch {
  std::string root;  // the scratch folder
  std::string cwd;   // the current folder while a test runs

  void setUp();
  void tearDown();

  // Writes a file (bytes as given) and returns its path; rel is below root.
  std::string write(const std::string &rel, const std::string &bytes) const;
  std::string read(const std::string &path) const;
  // Writes a w x h PNG picture and returns its path.
  std::string picture(const std::string &rel, int w = 40, int h = 30) const;
  bool exists(const std::string &rel) const;
};

// Resets the document globals, the hotspot table, undo, settings and seams,
// and installs the scripted platform and the image list answers.
void docReset();

#endif
