// map_fixture.h: a fresh home folder, scripted dialogs, default settings, an
// empty hotspot table and no open document for every map test, with helpers
// that read a page, add hotspots and capture what the writers produce.
#ifndef TILVANE_TESTS_HTML_MAP_FIXTURE_H
#define TILVANE_TESTS_HTML_MAP_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "editor/objects.h"
#include "tests/app/shell_test_util.h"

class MapTest : public ::testing::Test {
 protected:
  tempHome home;
  void SetUp() override;
  void TearDown() override;

  // Reads a page into hdoc (as the editor does) and its map into the table.
  int loadPage(const std::string &page, const char *name);

  // Everything a writer puts on a stream.
  static std::string capture(const std::function<void(FILE *)> &write);

  // Appends a complete hotspot.
  int addShape(int t, std::initializer_list<FPOINT> pts, const char *url = nullptr,
               const char *alt = nullptr);

  // The messages shown so far, and forgetting them.
  static std::vector<std::string> shownTexts();
  static void forgetShown();

  // A file in the home folder.
  std::string file(const char *name) const { return home.root + "/" + name; }
  static void setGlobal(char **field, const char *value);
};

#endif
