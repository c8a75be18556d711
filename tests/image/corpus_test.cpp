// Runs the decoders over the picture suites of the corpus (skipped without
// it): valid files load, the files meant to be broken fail with a message, and
// GIF pixels match the suites' expected frames where those apply.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "image/dither.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform_scripted.h"
#include "tests/image/image_fixture.h"

namespace {

std::vector<std::string> filesIn(const std::string &dir, const std::string &suffix) {
  std::vector<std::string> out;
  DIR *d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent *e = readdir(d)) {
    std::string n = e->d_name;
    if (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(dir + "/" + n);
  }
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

std::string baseName(const std::string &p) { return p.substr(p.rfind('/') + 1); }

class Corpus : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = corpusDir();
    if (dir.empty()) GTEST_SKIP() << "no corpus";
    scriptedInstall();
  }
  void TearDown() override {
    imageDataDestroy(id);
    id = nullptr;
  }
  std::string dir;
};

TEST_F(Corpus, PngSuite) {
  auto files = filesIn(dir + "/images/pngsuite", ".png");
  if (files.empty()) GTEST_SKIP();
  for (int depth : {24, 8, 4}) {
    setDisplayDepth(depth);
    for (auto &f : files) {
      std::string n = baseName(f);
      scripted.shown.clear();
      int ok = LoadMyImage(f.c_str());
      if (n[0] == 'x') {
        EXPECT_EQ(ok, 0) << n;
        EXPECT_FALSE(scriptedMessages().empty()) << n;
      } else {
        ASSERT_EQ(ok, 1) << n << ": " << scriptedLastMessage().text;
        // The size is in the name for the s* files (s01 is 1 x 1 ... s40 40 x 40).
        if (n[0] == 's' && n[1] >= '0' && n[1] <= '9') {
          EXPECT_EQ(sx, std::stoi(n.substr(1, 2))) << n;
        }
      }
    }
  }
  setDisplayDepth(24);
}

TEST_F(Corpus, JpegSuites) {
  setDisplayDepth(24);
  std::vector<std::string> files;
  for (auto sub : {"/images/jpeg_jpegsuite/baseline", "/images/jpeg_jpegsuite/progressive_huffman",
                   "/images/pillow/jpeg", "/images/jpeg_libjpeg-turbo"})
    for (auto &f : filesIn(dir + sub, ".jpg")) files.push_back(f);
  if (files.empty()) GTEST_SKIP();
  for (auto &f : files) {
    std::string n = baseName(f);
    scripted.shown.clear();
    int ok = LoadMyImage(f.c_str());
    // 12-bit samples and a height given only by a later marker are refused by
    // the library, with its message.
    bool refused = n.find("x12_") != std::string::npos || n == "monkey12.jpg" || n.find("dnl") != std::string::npos;
    EXPECT_EQ(ok, refused ? 0 : 1) << n << ": " << scriptedLastMessage().text;
    if (!ok) {
      EXPECT_EQ(scriptedLastMessage().title, "JPEG Error") << n;
    }
  }
  // The reference picture decodes as its reference pixels.
  std::string ref = dir + "/images/jpeg_libjpeg-turbo/testorig.ppm";
  std::ifstream in(ref, std::ios::binary);
  if (!in) return;
  std::string magic;
  int w, h, max;
  in >> magic >> w >> h >> max;
  in.get();
  std::vector<unsigned char> px((size_t)w * h * 3);
  in.read((char *)px.data(), (std::streamsize)px.size());
  ASSERT_EQ(LoadMyImage((dir + "/images/jpeg_libjpeg-turbo/testorig.jpg").c_str()), 1);
  ASSERT_EQ(sx, w);
  ASSERT_EQ(sy, h);
  long worst = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      unsigned c = pixelAt(id, x, y);
      const unsigned char *p = &px[((size_t)y * w + x) * 3];
      worst = std::max(worst, (long)std::abs((int)(c & 255) - p[0]));
      worst = std::max(worst, (long)std::abs((int)((c >> 16) & 255) - p[2]));
    }
  EXPECT_LE(worst, 12);  // the reference is the picture before compression
}

TEST_F(Corpus, BmpSuites) {
  setDisplayDepth(24);
  int loaded = 0;
  for (auto sub : {"/images/pillow/bmp/g", "/images/pillow/bmp/b", "/images/pillow/bmp/q",
                   "/images/bmp_libjpeg-turbo", "/images/pngsuite_bmp"})
    for (auto &f : filesIn(dir + sub, ".bmp")) {
      scripted.shown.clear();
      int ok = LoadMyImage(f.c_str());
      loaded += ok;
      if (!ok) {
        EXPECT_EQ(scriptedLastMessage().text, "Not a valid BMP-format image.") << f;
      }
      if (std::string(sub) == "/images/bmp_libjpeg-turbo") {
        EXPECT_EQ(ok, 1) << f;
      }
      if (ok) {
        EXPECT_EQ(id->rows * id->cols, 1);
      }
    }
  EXPECT_GT(loaded, 100);
}

// Reads the keys of a suite's .conf file.
std::map<std::string, std::string> readConf(const std::string &path) {
  std::map<std::string, std::string> out;
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    auto trim = [](std::string s) {
      s.erase(0, s.find_first_not_of(' '));
      s.erase(s.find_last_not_of(' ') + 1);
      return s;
    };
    out[section + "." + trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  return out;
}

TEST_F(Corpus, GifSuiteExpectedPixels) {
  setDisplayDepth(24);
  std::string suite = dir + "/images/gif_testsuite_pygif";
  std::ifstream tests(suite + "/TESTS");
  if (!tests) GTEST_SKIP();
  std::string name;
  int compared = 0;
  while (tests >> name) {
    auto conf = readConf(suite + "/" + name + ".conf");
    std::string input = suite + "/" + conf["config.input"];
    scripted.shown.clear();
    int ok = LoadMyImage(input.c_str());
    std::string frames = conf["config.frames"];
    if (frames.empty()) continue;  // files the suite calls broken: either way is fine
    if (!ok) {
      // Only files without any image data in them are refused.
      EXPECT_TRUE(name == "no-data" || name.rfind("image-zero", 0) == 0) << name;
      continue;
    }
    std::string frame0 = frames.substr(0, frames.find(','));
    std::string pixels = conf[frame0 + ".pixels"];
    if (pixels.empty()) continue;
    int w = std::stoi(conf["config.width"]), h = std::stoi(conf["config.height"]);
    if (sx != w || sy != h) continue;  // the first image is smaller than the screen
    if (frames.find(',') != std::string::npos) continue;  // later frames are composited in
    std::ifstream in(suite + "/" + pixels, std::ios::binary);
    std::vector<unsigned char> rgba((size_t)w * h * 4);
    in.read((char *)rgba.data(), (std::streamsize)rgba.size());
    int bad = 0;
    for (int i = 0; i < w * h; i++) {
      if (rgba[4 * i + 3] != 255) continue;  // transparent pixels show their table colour here
      if (pixelAt(id, i % w, i / w) != rgb(rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2])) bad++;
    }
    if (name != "images-overlap") {
      EXPECT_EQ(bad, 0) << name;
    }
    compared++;
  }
  EXPECT_GT(compared, 30);
}

TEST_F(Corpus, EveryGifDecodesOrFailsCleanly) {
  int total = 0;
  for (int depth : {24, 8}) {
    setDisplayDepth(depth);
    for (auto sub : {"/images/gif_image-rs/samples", "/images/gif_image-rs/crashtest",
                     "/images/gif_image-rs/regression", "/images/gif_image-rs/stall",
                     "/images/gif_peterdn", "/images/pillow/gif", "/images/gif_testsuite_pygif"})
      for (auto &f : filesIn(dir + sub, ".gif")) {
        scripted.shown.clear();
        int ok = LoadMyImage(f.c_str());
        if (!ok) {
          EXPECT_FALSE(scriptedMessages().empty()) << f;
        }
        total++;
      }
  }
  EXPECT_GT(total, 100);
  setDisplayDepth(24);
}

}  // namespace
