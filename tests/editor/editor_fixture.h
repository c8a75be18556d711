// editor_fixture.h: a fresh hotspot table, scripted dialogs and empty window
// hooks for every editor test, and helpers that add hotspots to the map.
#ifndef TILVANE_TESTS_EDITOR_FIXTURE_H
#define TILVANE_TESTS_EDITOR_FIXTURE_H

#include <gtest/gtest.h>

#include <initializer_list>

#include "editor/objects.h"

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
};

#endif
