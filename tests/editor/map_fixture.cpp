// map_fixture.cpp: the fixture of map_fixture.h.
#include "tests/editor/map_fixture.h"

#include <cstdlib>
#include <cstring>

#include "platform/settings.h"
#include "platform/seams.h"
#include "editor/clientmap.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/strhack.h"
#include "platform/platform_scripted.h"

void MapTest::SetUp() {
  scriptedInstall();
  seamsClear();
  settingsDefaults();
  pageFaultStep = pageFaultNone;
  ReleaseObjects();
  objectsSetup();
  objectsEnsure(0);
  changed = 0;
  maptype = mapClient;
}

void MapTest::TearDown() {
  pageFaultStep = pageFaultNone;
  if (htmlFilePtr) std::fclose(htmlFilePtr);
  htmlFilePtr = nullptr;
  if (hdoc) htmlDestroy(hdoc);
  hdoc = nullptr;
  htmlFileCRLF = 0;
  setGlobal(&mapfilename, nullptr);
  setGlobal(&maplocalname, nullptr);
  setGlobal(&trailingComments, nullptr);
  ReleaseObjects();
  changed = 0;
}

void MapTest::setGlobal(char **field, const char *value) {
  myfreeImpl(*field);
  *field = value ? mystrdupImpl("test", value) : nullptr;
}

int MapTest::loadPage(const std::string &page, const char *name) {
  if (hdoc) htmlDestroy(hdoc);
  hdoc = pageDocumentCreate();
  hdoc->LogError = nullptr;
  int crlf = 0;
  EXPECT_EQ(pageFeedBuffer(hdoc, page.data(), page.size(), &crlf), htmlSuccess);
  htmlFileCRLF = crlf;
  setGlobal(&maplocalname, name);
  return LoadClientMap(hdoc, name);
}

std::string MapTest::capture(const std::function<void(FILE *)> &write) {
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  write(mem);
  std::fclose(mem);
  std::string out(data, size);
  std::free(data);
  return out;
}

int MapTest::addShape(int t, std::initializer_list<FPOINT> pts, const char *url, const char *alt) {
  int i = objectsTotal;
  objectsEnsure(i);
  object *o = &objects[i];
  o->t = t;
  o->complete = 1;
  o->pointsTotal = 0;
  for (const FPOINT &p : pts) {
    pointsEnsure(o, o->pointsTotal);
    o->points[o->pointsTotal++] = p;
  }
  setGlobal(&o->url, url);
  setGlobal(&o->comments, alt);
  objectsTotal++;
  objectsEnsure(objectsTotal);
  return i;
}

std::vector<std::string> MapTest::shownTexts() {
  std::vector<std::string> out;
  for (const scriptedShown &s : scripted.shown) out.push_back(s.text);
  return out;
}

void MapTest::forgetShown() { scripted.shown.clear(); }
