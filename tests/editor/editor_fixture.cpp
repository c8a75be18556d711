// editor_fixture.cpp: the shared set-up of the editor tests.
#include "tests/editor/editor_fixture.h"

#include <algorithm>

#include "platform/settings.h"
#include "editor/editops.h"
#include "editor/modes.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "html/document.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"

std::vector<std::string> seamLog;

namespace {

void note(const std::string &s) { seamLog.push_back(s); }

void installRecordingHooks() {
  seamsClear();
  seams.repaint = [](int f) { note("repaint " + std::to_string(f)); };
  seams.sensitivity = [](int s) { note("sensitivity " + std::to_string(s)); };
  seams.firstHint = [](int i, void *) { note("hint " + std::to_string(i)); };
  seams.url = [](int i, int) { note("url " + std::to_string(i)); };
  seams.urlDismiss = [] { note("urlDismiss"); };
  seams.urlDefault = [] { note("urlDefault"); };
  seams.urlDefaultDismiss = [] { note("urlDefaultDismiss"); };
  seams.commandCheck = [](int id, int c) { note("check " + std::to_string(id) + " " + std::to_string(c)); };
  seams.commandEnable = [](int id, int e) {
    note("enable " + std::to_string(id) + " " + std::to_string(e));
  };
  seams.toolbarRedraw = [] { note("toolbar"); };
  seams.zoomout = [](int m) { note("zoomout " + std::to_string(m)); };
}

}  // namespace

void EditorTest::SetUp() {
  scriptedInstall();
  settingsDefaults();
  installRecordingHooks();
  seamLog.clear();
  undoPurge();
  redoPurge();
  ReleaseObjects();
  objectsSetup();
  objectsEnsure(0);
  rfactorx = rfactory = 1.0;
  mfactorx = mfactory = 0;
  scale = 1.0;
  hoffs = voffs = 0;
  displayWidth = displayHeight = -1;
  state = nostate;
  changed = 0;
  keyShift = keyCtrl = 0;
  lastObjectSelected = -1;
  editingState = editingNone;
  editingSelectionDrag = 0;
  ovx = ovy = 0;
  urlIsVisible = 0;
  pointSelectionFree(&psel);
  pointSelectionSetup(&psel);
}

void EditorTest::TearDown() {
  undoPurge();
  redoPurge();
  ReleaseObjects();
  myfreeImpl(trailingComments);
  trailingComments = nullptr;
  pointSelectionFree(&psel);
  seamsClear();
}

int EditorTest::addShape(int t, std::initializer_list<FPOINT> pts, const char *url) {
  int i = objectsTotal;
  objectsEnsure(i);
  object *o = &objects[i];
  o->t = t;
  o->pointsTotal = 0;
  pointsEnsure(o, static_cast<int>(pts.size()));
  for (const FPOINT &p : pts) o->points[o->pointsTotal++] = p;
  o->complete = 1;
  o->selected = 0;
  if (url) o->url = mystrdupImpl("test", url);
  objectsTotal++;
  objectsEnsure(objectsTotal);
  return i;
}

void EditorTest::selectOnly(std::initializer_list<int> indices) {
  for (int i = 0; i < objectsTotal; i++) objects[i].selected = 0;
  lastObjectSelected = -1;
  for (int i : indices) {
    objects[i].selected = 1;
    lastObjectSelected = i;
  }
  pointsDeselect(&psel);
}

int EditorTest::logged(const std::string &entry) {
  return static_cast<int>(std::count(seamLog.begin(), seamLog.end(), entry));
}
