// platform_scripted.h: the platform table for tests. A test queues the answers
// that message boxes and dialogs will give, runs the code, and reads back every
// box and dialog that was shown, in order. Owns `scripted`.
#ifndef TILVANE_PLATFORM_SCRIPTED_H
#define TILVANE_PLATFORM_SCRIPTED_H

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

// One thing the code showed: kind is "message", "open", "save", "folder",
// "color", "choose", "progress".
struct scriptedShown {
  std::string kind;
  std::string title;
  std::string text;     // message text; for file dialogs the filter names joined by "|"
  unsigned flags = 0;   // message box flags or file dialog options
  std::string initial;  // start path of a file or folder dialog
};

struct scriptedPlatform {
  // Answers, taken from the front. An empty queue gives the default button of
  // the box (platformDefaultAnswer) and a cancelled dialog.
  std::deque<int> answers;          // message boxes
  std::deque<std::string> files;    // open and save dialogs; "" cancels
  std::deque<std::string> folders;  // folder chooser; "" cancels
  std::deque<long> colors;          // colour chooser; -1 cancels
  std::deque<int> choices;          // choose(); -1 cancels

  std::vector<scriptedShown> shown;

  // The clipboard as plain text; `clipboardHasText` is false until something is set.
  std::string clipboard;
  bool clipboardHasText = false;

  // Processes started (program first, then arguments) and addresses opened.
  std::vector<std::vector<std::string>> processes;
  std::vector<std::string> addresses;
  bool processesStart = true;   // what startProcess answers
  bool addressesOpen = true;    // what openAddress answers

  // The clock; `nowSeconds` < 0 means the real clock.
  long long nowSeconds = -1;

  // Progress percentages reported while a progress window was open.
  std::vector<int> progress;
  int progressOpen = 0;  // windows currently open
  // The progress window's Cancel: pressed once progressCancelAt polls have
  // been answered (-1: never); progressPolls counts the polls.
  int progressCancelAt = -1;
  int progressPolls = 0;
};

extern scriptedPlatform scripted;

// Clears `scripted` and installs the scripted table.
void scriptedInstall();

// The message boxes shown so far (kind "message"), and the number of them.
std::vector<scriptedShown> scriptedMessages();

// The last message box shown, or an empty record.
scriptedShown scriptedLastMessage();

#endif
