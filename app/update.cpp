// update.cpp: the update check, its schedule and the day numbers. Owns months,
// checkingForUpdates, checkingForUpdatesForeground, updateResultHook.
#include "app/update.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/browser.h"
#include "app/prefs.h"
#include "platform/settings.h"
#include "platform/strhack.h"
#include "platform/platform.h"

const int months[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::atomic<int> checkingForUpdates{0};
std::atomic<int> checkingForUpdatesForeground{0};

void (*updateResultHook)(int code) = nullptr;

const char updateAgent[] = "Tilvane 4.05 for Windows";

namespace {

// The update server the build names (empty: none, and no check runs).
const char defaultUpdateServer[] = TILVANE_UPDATE_SERVER;
const char updatePathAndQuery[] = "/tilvane/version.php?version=4.05 for Windows";

// How long a request may go without any data before it counts as failed; the
// whole request is given up this much later again at the most.
const int updateTimeoutMs = 10000;

QThread *worker = nullptr;

void post(int code) {
  if (updateResultHook) updateResultHook(code);
}

// The server's base address without a trailing "/".
void updateServer(char *out, int size) {
  const char *env = getenv("TILVANE_UPDATE_URL");
  strcpyMax(out, size, env && *env ? env : defaultUpdateServer);
  size_t n = strlen(out);
  while (n > 0 && out[n - 1] == '/') out[--n] = 0;
}

int today(void) {
  int month, day, year, hour, minute, second;
  getLocalDateAndTime(&month, &day, &year, &hour, &minute, &second);
  return dateToDay(month, day, year);
}

// Fetches address; 1 with up to 1023 bytes of the body in body (zero-ended),
// 0 when the request failed or the reply was empty.
int fetch(const char *address, char *body, int size) {
  body[0] = 0;
  if (!QCoreApplication::instance()) return 0;
  QNetworkAccessManager manager;
  // The query keeps its spaces as written; the URL sends them as %20.
  QUrl url(QString::fromUtf8(address), QUrl::TolerantMode);
  if (!url.isValid() || url.scheme().isEmpty()) return 0;
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(updateAgent));
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setTransferTimeout(updateTimeoutMs);
  QNetworkReply *reply = manager.get(request);
  QByteArray got;
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&]() {
    got += reply->read(size - 1 - got.size());
    if (got.size() >= size - 1) reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, reply, &QNetworkReply::abort);
  guard.start(2 * updateTimeoutMs);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (got.size() < size - 1) got += reply->read(size - 1 - got.size());
  bool failed = reply->error() != QNetworkReply::NoError &&
                reply->error() != QNetworkReply::OperationCanceledError;
  if (reply->error() == QNetworkReply::OperationCanceledError && got.size() < size - 1)
    failed = true;  // stopped by the time limit, not because the buffer was full
  delete reply;
  if (failed || got.isEmpty()) return 0;
  memcpy(body, got.constData(), (size_t)got.size());
  body[got.size()] = 0;
  return 1;
}

}  // namespace

const char *updateNewsAddress(void) {
  static thread_local char address[1200];
  char server[1024];
  updateServer(server, sizeof server);
  sprintfMax(address, sizeof address, "%s/tilvane/news.html", server);
  return address;
}

const char *updateCheckAddress(void) {
  static thread_local char address[1200];
  char server[1024];
  updateServer(server, sizeof server);
  sprintfMax(address, sizeof address, "%s%s", server, updatePathAndQuery);
  return address;
}

int dateToDay(int month, int day, int year) {
  if (month < 1) month = 1;
  if (month > 12) month = 12;
  int c = (month == 1 || month == 2) ? year - 1 : year;
  int days = 365 * year + c / 4 + c / 400 - c / 100 - 719892;
  for (int m = 1; m < month; m++) days += months[m];
  return days + day - 1;
}

void getLocalDateAndTime(int *month, int *day, int *year, int *hour, int *minute, int *second) {
  struct tm t;
  memset(&t, 0, sizeof t);
  platform->localTime(&t);
  if (month) *month = t.tm_mon + 1;
  if (day) *day = t.tm_mday;
  if (year) *year = t.tm_year + 1900;
  if (hour) *hour = t.tm_hour;
  if (minute) *minute = t.tm_min;
  if (second) *second = t.tm_sec;
}

int updateCheckDue(int frequency, int last, int today) {
  switch (frequency) {
    case udaily: return today != last;
    case uweekly: return today >= last + 7;
    case umonthly: return today >= last + 30;
    case uquarterly: return today >= last + 90;
    case uannually: return today >= last + 365;
    default: return 0;
  }
}

int updateCheckAvailable(void) {
  char server[1024];
  updateServer(server, sizeof server);
  return server[0] != 0;
}

void updateCheckTimer(void) {
  if (!updateCheckAvailable()) return;
  if (updateCheckDue(updateFrequency, lastUpdateCheck, today())) checkForUpdatesBackground();
}

void checkForUpdatesBody(void) {
  checkingForUpdates = 1;
  post(ustarted);
  char address[1200];
  strcpyMax(address, sizeof address, updateCheckAddress());
  char body[1024];
  int ok = fetch(address, body, sizeof body);
  // The day of this attempt is recorded before the result is posted, so the
  // frame window saves it when it handles the result.
  __atomic_store_n(&lastUpdateCheck, today(), __ATOMIC_RELEASE);
  post(!ok ? ufailed : strstr(body, "updated=1") ? uupdated : ucurrent);
  checkingForUpdates = 0;
}

void checkForUpdatesBackground(void) {
  if (!updateCheckAvailable()) return;
  int expected = 0;
  if (!checkingForUpdates.compare_exchange_strong(expected, 1)) return;
  if (worker) {
    worker->wait();
    delete worker;
  }
  worker = QThread::create(checkForUpdatesBody);
  worker->start();
}

void checkForUpdatesForeground(void) {
  if (!updateCheckAvailable()) return;
  checkingForUpdatesForeground = 1;
  if (checkingForUpdates) return;
  checkForUpdatesBody();
}

int updateCheckWait(int ms) {
  if (!worker) return checkingForUpdates ? 0 : 1;
  if (!worker->wait(QDeadlineTimer(ms))) return 0;
  return checkingForUpdates ? 0 : 1;
}

void updateResultReceived(int code) {
  if (code == ustarted) return;
  saveConfig();
  if (code == uupdated) {
    int a = platformMessageBox(
        nullptr,
        "An updated version of Tilvane is available. Would you like more information about the "
        "updated version now?\r\n\r\nIf you say no, you can still learn about the updated "
        "version later by selecting \"Check For Updates\" from the Help menu.",
        "An Update Is Available", MB_YESNO | MB_ICONQUESTION);
    if (a == IDYES) AccessURL(nullptr, updateNewsAddress());
  } else if (code == ucurrent && checkingForUpdatesForeground) {
    platformMessageBox(nullptr, "Your version of Tilvane is fully up to date.",
                       "No New Updates Available", MB_OK | MB_ICONINFORMATION);
  } else if (code == ufailed && checkingForUpdatesForeground) {
    platformMessageBox(nullptr,
                       "Tilvane could not reach its update server. Check your connection to the "
                       "Internet, then choose \"Check For Updates\" from the Help menu again.",
                       "Can't Check For Updates", MB_OK | MB_ICONWARNING);
  }
  checkingForUpdatesForeground = 0;
}
