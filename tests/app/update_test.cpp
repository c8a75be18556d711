// Tests of the update check against a real HTTP server on 127.0.0.1, of its
// schedule for every frequency, of the frame window's reaction to the result,
// and of the day numbers.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/prefs.h"
#include "platform/settings.h"
#include "app/update.h"
#include "platform/platform_scripted.h"
#include "tests/app/shell_test_util.h"

namespace {

std::mutex resultsLock;
std::vector<int> results;

void recordResult(int code) {
  std::lock_guard<std::mutex> g(resultsLock);
  results.push_back(code);
}

std::vector<int> takeResults() {
  std::lock_guard<std::mutex> g(resultsLock);
  std::vector<int> r = results;
  results.clear();
  return r;
}

// A one-request HTTP server on 127.0.0.1. It records the request head, waits
// `delayMs`, sends `reply` and closes. It gives up by itself after a few seconds.
struct testServer {
  int fd = -1;
  int port = 0;
  std::string reply;
  int delayMs = 0;
  std::string request;
  std::thread thread;

  explicit testServer(std::string r, int delay = 0) : reply(std::move(r)), delayMs(delay) {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    struct sockaddr_in a;
    memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, (struct sockaddr *)&a, sizeof a);
    socklen_t n = sizeof a;
    getsockname(fd, (struct sockaddr *)&a, &n);
    port = ntohs(a.sin_port);
    listen(fd, 4);
    thread = std::thread([this]() { serve(); });
  }
  ~testServer() {
    if (thread.joinable()) thread.join();
    close(fd);
  }
  void serve() {
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) return;
    int c = accept(fd, nullptr, nullptr);
    if (c < 0) return;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
      struct pollfd q = {c, POLLIN, 0};
      if (poll(&q, 1, 5000) <= 0) break;
      ssize_t r = read(c, buf, sizeof buf);
      if (r <= 0) break;
      request.append(buf, (size_t)r);
    }
    if (delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
    close(c);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port); }
};

std::string okReply(const std::string &body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// Seconds at noon (UTC) of a day number.
long long noonOfDay(int day) { return ((long long)day + 365) * 86400 + 12 * 3600; }

// A port on 127.0.0.1 with nobody listening.
int closedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, (struct sockaddr *)&a, sizeof a);
  socklen_t n = sizeof a;
  getsockname(fd, (struct sockaddr *)&a, &n);
  close(fd);
  return ntohs(a.sin_port);
}

class Update : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override {
    scriptedInstall();
    settingsDefaults();
    scripted.nowSeconds = noonOfDay(13149);
    takeResults();
    updateResultHook = recordResult;
    checkingForUpdatesForeground = 0;
  }
  void TearDown() override {
    EXPECT_EQ(updateCheckWait(20000), 1);
    updateResultHook = nullptr;
    unsetenv("TILVANE_UPDATE_URL");
  }
};

TEST_F(Update, ReplyWithUpdatedAfterOtherText) {
  testServer server(okReply("product=Tilvane\nversion=4.06\nupdated=1\n"));
  setenv("TILVANE_UPDATE_URL", (server.url() + "/").c_str(), 1);
  checkForUpdatesForeground();
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, uupdated}));
  EXPECT_EQ(lastUpdateCheck, 13149);
  EXPECT_EQ(checkingForUpdates, 0);
  EXPECT_EQ(checkingForUpdatesForeground, 1);
  server.thread.join();
  // The request is valid HTTP: the query's spaces go as %20, with our agent.
  EXPECT_EQ(server.request.substr(0, server.request.find("\r\n")),
            "GET /tilvane/version.php?version=4.05%20for%20Windows HTTP/1.1");
  EXPECT_NE(server.request.find("\r\nUser-Agent: Tilvane 4.05 for Windows\r\n"),
            std::string::npos);
}

TEST_F(Update, ReplyWithoutUpdatedIsCurrent) {
  testServer server(okReply("updated=0 version=4.05"));
  setenv("TILVANE_UPDATE_URL", server.url().c_str(), 1);
  checkForUpdatesForeground();
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ucurrent}));
}

TEST_F(Update, OnlyTheFirst1023BytesCount) {
  testServer server(okReply(std::string(1023, 'x') + "updated=1"));
  setenv("TILVANE_UPDATE_URL", server.url().c_str(), 1);
  checkForUpdatesForeground();
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ucurrent}));
}

TEST_F(Update, FailuresPostFailedAndTheDayAdvances) {
  setenv("TILVANE_UPDATE_URL", ("http://127.0.0.1:" + std::to_string(closedPort())).c_str(), 1);
  lastUpdateCheck = 100;
  checkForUpdatesForeground();
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));
  EXPECT_EQ(lastUpdateCheck, 13149);
  EXPECT_TRUE(scripted.shown.empty());

  // An empty reply body, a server error and a malformed address also fail.
  {
    testServer empty(okReply(""));
    setenv("TILVANE_UPDATE_URL", empty.url().c_str(), 1);
    checkForUpdatesForeground();
    EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));
  }
  {
    testServer error("HTTP/1.1 500 Oops\r\nContent-Length: 9\r\n\r\nupdated=1");
    setenv("TILVANE_UPDATE_URL", error.url().c_str(), 1);
    checkForUpdatesForeground();
    EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));
  }
  {
    testServer garbage("this is not HTTP at all\r\n\r\n");
    setenv("TILVANE_UPDATE_URL", garbage.url().c_str(), 1);
    checkForUpdatesForeground();
    std::vector<int> r = takeResults();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0], ustarted);
    EXPECT_EQ(std::count(r.begin(), r.end(), uupdated), 0);
  }
  setenv("TILVANE_UPDATE_URL", "::not a url::", 1);
  checkForUpdatesForeground();
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));
  EXPECT_EQ(checkingForUpdates, 0);
}

TEST_F(Update, BackgroundCheckAndAForegroundRequestMeanwhile) {
  testServer server(okReply("updated=1"), 800);
  setenv("TILVANE_UPDATE_URL", server.url().c_str(), 1);
  checkForUpdatesBackground();
  EXPECT_EQ(checkingForUpdates, 1);
  // While it runs, a second background check does not start and a foreground
  // request only marks the running check as asked for.
  checkForUpdatesBackground();
  checkForUpdatesForeground();
  EXPECT_EQ(checkingForUpdatesForeground, 1);
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, uupdated}));
  EXPECT_EQ(lastUpdateCheck, 13149);
}

TEST_F(Update, ScheduleForEveryFrequency) {
  const struct {
    int frequency, last, today, due;
  } cases[] = {
      {udaily, 13000, 13000, 0},     {udaily, 13000, 13001, 1},    {udaily, 13001, 13000, 1},
      {uweekly, 13000, 13006, 0},    {uweekly, 13000, 13007, 1},   {umonthly, 13000, 13029, 0},
      {umonthly, 13000, 13030, 1},   {uquarterly, 13000, 13089, 0}, {uquarterly, 13000, 13090, 1},
      {uannually, 13000, 13364, 0},  {uannually, 13000, 13365, 1}, {unever, 0, 13000, 0},
      {unever, 13000, 99999, 0},     {6, 0, 13000, 0},             {-1, 0, 13000, 0},
      {uweekly, 0, 13000, 1},        {uannually, 0, 13000, 1},
  };
  for (const auto &c : cases)
    EXPECT_EQ(updateCheckDue(c.frequency, c.last, c.today), c.due)
        << c.frequency << " " << c.last << " " << c.today;
}

TEST_F(Update, TimerStartsABackgroundCheckOnlyWhenDue) {
  setenv("TILVANE_UPDATE_URL", ("http://127.0.0.1:" + std::to_string(closedPort())).c_str(), 1);
  updateFrequency = udaily;
  lastUpdateCheck = 0;
  updateCheckTimer();
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));
  EXPECT_EQ(lastUpdateCheck, 13149);
  // Started again the same day: nothing.
  updateCheckTimer();
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_TRUE(takeResults().empty());
  // The next day: a check.
  scripted.nowSeconds = noonOfDay(13150);
  updateCheckTimer();
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));

  updateFrequency = uweekly;
  lastUpdateCheck = 13000;
  scripted.nowSeconds = noonOfDay(13006);
  updateCheckTimer();
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_TRUE(takeResults().empty());
  scripted.nowSeconds = noonOfDay(13007);
  updateCheckTimer();
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_EQ(takeResults(), (std::vector<int>{ustarted, ufailed}));
}

TEST_F(Update, ResultReactions) {
  setenv("TILVANE_UPDATE_URL", "http://127.0.0.1:8080/base/", 1);
  // A scheduled check that found nothing new: saved quietly.
  lastUpdateCheck = 13149;
  updateResultReceived(ucurrent);
  EXPECT_TRUE(scripted.shown.empty());
  EXPECT_NE(readFile(home.iniFile()).find("lastupdatecheck=13149\n"), std::string::npos);

  // Asked for: the up-to-date message, and the flag is cleared.
  checkingForUpdatesForeground = 1;
  updateResultReceived(ucurrent);
  EXPECT_EQ(scriptedLastMessage().title, "No New Updates Available");
  EXPECT_EQ(scriptedLastMessage().text, "Your version of Tilvane is fully up to date.");
  EXPECT_EQ(checkingForUpdatesForeground, 0);

  // An update: Yes opens the news page, No does not.
  scripted.shown.clear();
  scripted.answers = {IDYES, IDNO};
  updateResultReceived(uupdated);
  updateResultReceived(uupdated);
  auto m = scriptedMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].title, "An Update Is Available");
  EXPECT_EQ(m[0].flags & MB_BUTTONMASK, (unsigned)MB_YESNO);
  EXPECT_EQ(m[0].text,
            "An updated version of Tilvane is available. Would you like more information about "
            "the updated version now?\r\n\r\nIf you say no, you can still learn about the "
            "updated version later by selecting \"Check For Updates\" from the Help menu.");
  // The news page is on the server the check asks.
  ASSERT_EQ(scripted.addresses.size(), 1u);
  EXPECT_EQ(scripted.addresses[0], "http://127.0.0.1:8080/base/tilvane/news.html");
  EXPECT_EQ(std::string(updateNewsAddress()), "http://127.0.0.1:8080/base/tilvane/news.html");

  // A failed check: silent in the background, a message when asked for.
  scripted.shown.clear();
  updateResultReceived(ufailed);
  EXPECT_TRUE(scripted.shown.empty());
  checkingForUpdatesForeground = 1;
  updateResultReceived(ufailed);
  EXPECT_EQ(scriptedLastMessage().title, "Can't Check For Updates");
  EXPECT_EQ(checkingForUpdatesForeground, 0);

  // The start of a check changes nothing.
  scripted.shown.clear();
  unlink(home.iniFile().c_str());
  updateResultReceived(ustarted);
  EXPECT_TRUE(scripted.shown.empty());
  EXPECT_FALSE(exists(home.iniFile()));
}

TEST_F(Update, WithoutAServerNoCheckRuns) {
  unsetenv("TILVANE_UPDATE_URL");
  ASSERT_EQ(updateCheckAvailable(), 0);  // the test build names no server
  updateFrequency = udaily;
  lastUpdateCheck = 0;
  updateCheckTimer();
  checkForUpdatesBackground();
  checkForUpdatesForeground();
  ASSERT_EQ(updateCheckWait(20000), 1);
  EXPECT_TRUE(takeResults().empty());
  EXPECT_EQ(lastUpdateCheck, 0);
  EXPECT_EQ(checkingForUpdatesForeground, 0);
}

TEST(DayNumbers, KnownDaysAndLeapYears) {
  EXPECT_EQ(dateToDay(1, 1, 1971), 0);
  EXPECT_EQ(dateToDay(3, 1, 1972), 425);
  EXPECT_EQ(dateToDay(1, 1, 2007), 13149);
  EXPECT_EQ(dateToDay(2, 29, 2000) + 1, dateToDay(3, 1, 2000));
  EXPECT_EQ(dateToDay(2, 28, 1900) + 1, dateToDay(3, 1, 1900));
  EXPECT_EQ(dateToDay(2, 28, 2001) + 1, dateToDay(3, 1, 2001));
  EXPECT_EQ(dateToDay(12, 31, 2006) + 1, dateToDay(1, 1, 2007));
  // Consecutive days over a span of centuries, against the C library's calendar.
  for (long long t = 0; t < 140LL * 365 * 86400; t += 86400 * 13) {
    time_t tt = (time_t)t + 365LL * 86400;  // 1971 onwards
    struct tm g;
    gmtime_r(&tt, &g);
    ASSERT_EQ(dateToDay(g.tm_mon + 1, g.tm_mday, g.tm_year + 1900), (int)(t / 86400));
  }
  EXPECT_EQ(months[0], 0);
  EXPECT_EQ(months[2], 28);
  int sum = 0;
  for (int m = 1; m <= 12; m++) sum += months[m];
  EXPECT_EQ(sum, 365);
  // Out-of-range months are held to the calendar rather than read past it.
  EXPECT_EQ(dateToDay(0, 1, 2000), dateToDay(1, 1, 2000));
  EXPECT_EQ(dateToDay(13, 1, 2000), dateToDay(12, 1, 2000));
}

TEST(DayNumbers, LocalDateFromTheClock) {
  scriptedInstall();
  scripted.nowSeconds = noonOfDay(425) + 3600 + 2 * 60 + 3;
  int mo, d, y, h, mi, s;
  getLocalDateAndTime(&mo, &d, &y, &h, &mi, &s);
  EXPECT_EQ(mo, 3);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(y, 1972);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(mi, 2);
  EXPECT_EQ(s, 3);
}

}  // namespace

int main(int argc, char **argv) {
  setenv("TZ", "UTC", 1);
  tzset();
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
