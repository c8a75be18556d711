// editor_fixture.h: a fresh hotspot table, empty undo lists, scripted dialogs
// and recording window hooks for every editor test, and helpers that add
// hotspots to the map.
#ifndef TILVANE_TESTS_EDITOR_FIXTURE_H
#define TILVANE_TESTS_EDITOR_FIXTURE_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "editor/objects.h"

// Every call the logic made into the windows, as "repaint 0", "url 3",
// "check ID 1", "enable ID 0" (ID a command's number), "hint 5", "zoomout 2",
// "sensitivity 1", "urlDismiss", "urlDefault", "urlDefaultDismiss", "toolbar".
extern std::vector<std::string> seamLog;

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Appends a complete hotspot to the map and returns its index.
  int addShape(int t, std::initializer_list<FPOINT> pts, const char *url = nullptr);
  int addRect(double x1, double y1, double x2, double y2, const char *url = nullptr) {
    return addShape(rectangle, {{x1, y1}, {x2, y2}}, url);
  }
  int addCircle(double cx, double cy, double rx, double ry, const char *url = nullptr) {
    return addShape(circle, {{cx, cy}, {rx, ry}}, url);
  }

  // Makes exactly these hotspots selected, the last one current.
  void selectOnly(std::initializer_list<int> indices);

  // Whether the log holds an entry, and how many times.
  static int logged(const std::string &entry);
  static void clearLog() { seamLog.clear(); }

  // The log entries of a command's check mark and of its enabled state.
  static std::string checkEntry(unsigned id, int checked) {
    return "check " + std::to_string(id) + " " + std::to_string(checked);
  }
  static std::string enableEntry(unsigned id, int enabled) {
    return "enable " + std::to_string(id) + " " + std::to_string(enabled);
  }
};

#endif
