// update.h: the update check and the day numbers it is scheduled by. A check
// asks the update server whether a newer version exists: automatically at
// start-up by the user's schedule (on a worker thread), or when the user asks
// (on the main thread). Results reach the frame window through
// updateResultHook, which posts updateResultMessage (3026) to it.
// Owns months, checkingForUpdates, checkingForUpdatesForeground,
// updateResultHook.
#ifndef TILVANE_UPDATE_H
#define TILVANE_UPDATE_H

#include <atomic>

// The schedule values (updateFrequency) and the result codes share one list.
enum updateCode {
  udaily = 0,
  uweekly = 1,
  umonthly = 2,
  uquarterly = 3,
  uannually = 4,
  unever = 5,
  ustarted = 6,
  uupdated = 7,
  ucurrent = 8,
  ufailed = 9   // the server could not be reached or gave no answer
};

#include "app/commands.h"  // updateResultMessage (3026)

// Month lengths of a common year at indexes 1-12 (index 0 is 0).
extern const int months[13];

// 1 while a check runs (on either thread); 1 when the user asked for the check.
// Shared with the worker thread, hence atomic.
extern std::atomic<int> checkingForUpdates;
extern std::atomic<int> checkingForUpdatesForeground;

// Where results go, called on the thread that runs the check; the frame window
// installs a hook that posts updateResultMessage with the code. Null: dropped.
extern void (*updateResultHook)(int code);

// The update server's address with path and query: TILVANE_UPDATE_URL when set,
// else the one the build names (TILVANE_UPDATE_SERVER).
const char *updateCheckAddress(void);

// 1 when there is an update server to ask; without one no check runs, and
// neither the Help menu nor the preferences offer one.
int updateCheckAvailable(void);

// The agent string sent with the request.
extern const char updateAgent[];

// Days since 1 January 1971 (day 0), Gregorian calendar; month 1-12.
int dateToDay(int month, int day, int year);

// The local date and time (month 1-12, four-digit year).
void getLocalDateAndTime(int *month, int *day, int *year, int *hour, int *minute, int *second);

// Whether a check is due today under the schedule.
int updateCheckDue(int frequency, int last, int today);

// At start-up: starts a background check when one is due.
void updateCheckTimer(void);

// Starts a check on a new thread unless one is running.
void checkForUpdatesBackground(void);

// Help, Check For Updates: marks the check as asked for and runs it here
// unless one is already running.
void checkForUpdatesForeground(void);

// One check (see update.cpp).
void checkForUpdatesBody(void);

// Waits for a background check to end (at most ms milliseconds); 1 when none
// runs any more.
int updateCheckWait(int ms);

// The frame window's reaction to updateResultMessage with code. A failed check
// tells the user only when the user asked for it.
void updateResultReceived(int code);

// The news page opened when an update is available, on the same server as the
// check (TILVANE_UPDATE_URL when set).
const char *updateNewsAddress(void);

#endif
