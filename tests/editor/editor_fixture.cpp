// editor_fixture.cpp: the shared set-up of the editor tests.
#include "tests/editor/editor_fixture.h"

#include "editor/modes.h"
#include "editor/seams.h"
#include "editor/view.h"
#include "html/document.h"
#include "html/strhack.h"
#include "platform/platform_scripted.h"

void EditorTest::SetUp() {
  scriptedInstall();
  seamsClear();
  ReleaseObjects();
  objectsSetup();
  objectsEnsure(0);
  rfactorx = rfactory = 1.0;
  mfactorx = mfactory = 0;
  scale = 1.0;
  state = nostate;
  changed = 0;
}

void EditorTest::TearDown() {
  ReleaseObjects();
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
