// What the stand-ins keep between calls: always what the current settings
// and scene give, and never more than a few entries.
#include "simcam/cache.h"

#include <dirent.h>

#include <array>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "simcam/ppm.h"
#include "support.h"

namespace {

using simtest::PipelineOptions;
using simtest::PipelineResult;
using simtest::SimcamTest;
using Colour = std::array<uint8_t, 3>;  // red, green, blue

TEST(LruCache, KeepsTheMostRecentlyUsedEntriesAndLetsHoldersKeepTheirs) {
  simcam::LruCache<int, std::string> cache(2);
  auto make = [](const char* text) { return [text] { return std::make_shared<std::string>(text); }; };
  const std::shared_ptr<std::string> one = cache.get(1, make("one"));
  cache.get(2, make("two"));
  EXPECT_EQ(*cache.get(1, make("not made")), "one");  // 1 is now the most recent
  cache.get(3, make("three"));                        // so 2 goes
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(cache.find(2), nullptr);
  EXPECT_EQ(*cache.find(1), "one");
  cache.get(4, make("four"));
  cache.get(5, make("five"));
  EXPECT_EQ(cache.find(1), nullptr);
  EXPECT_EQ(*one, "one");  // dropped from the cache, still held here
  cache.put(5, std::make_shared<std::string>("five again"));
  EXPECT_EQ(*cache.find(5), "five again");
  EXPECT_EQ(cache.size(), 2u);
}

// A scene of one colour: every rectified pixel shows it exactly.
std::string uniformScene(int width, int height, Colour colour) {
  std::string file = simcam::ppmHeader(width, height);
  for (int i = 0; i < width * height; ++i) file.append(colour.begin(), colour.end());
  return file;
}

// How many pixels of the rectified frame differ from `colour`.
size_t pixelsNotShowing(const PipelineResult& result, Colour colour) {
  size_t wrong = 0;
  const simtest::Rectified& rect = result.rectified;
  for (int y = 0; y < rect.rows; ++y) {
    for (int x = 0; x < rect.cols; ++x) {
      const uint8_t* p = rect.at(x, y);
      wrong += p[2] != colour[0] || p[1] != colour[1] || p[0] != colour[2];
    }
  }
  return wrong;
}

class SceneChanges : public SimcamTest {
 protected:
  PipelineResult call() {
    PipelineOptions options;
    options.width = 320;
    options.height = 240;
    return simtest::runPipeline(options, tmp_.path());
  }
};

TEST_F(SceneChanges, SwitchingSimcamSceneBetweenCallsShowsTheNewScene) {
  const Colour red{200, 10, 20};
  const Colour blue{5, 40, 220};
  simtest::writeFile(tmp_.file("red.ppm"), uniformScene(64, 48, red));
  simtest::writeFile(tmp_.file("blue.ppm"), uniformScene(64, 48, blue));
  for (const auto& [file, colour] :
       {std::pair{"red.ppm", red}, std::pair{"blue.ppm", blue}, std::pair{"red.ppm", red}}) {
    SCOPED_TRACE(file);
    env_.set("SIMCAM_SCENE", tmp_.file(file));
    const PipelineResult result = call();
    ASSERT_TRUE(result.allSucceeded());
    EXPECT_EQ(pixelsNotShowing(result, colour), 0u);
  }
  env_.unset("SIMCAM_SCENE");
  const PipelineResult builtin = call();
  ASSERT_TRUE(builtin.allSucceeded());
  EXPECT_GT(pixelsNotShowing(builtin, red), 0u);
}

TEST_F(SceneChanges, RewritingTheSceneFileShowsItsNewContent) {
  const std::string path = tmp_.file("scene.ppm");
  env_.set("SIMCAM_SCENE", path);
  // Rewritten in place right after each call, as fast as a test can: the
  // same file, often the same size and timestamp.
  const std::vector<std::pair<std::string, Colour>> versions = {
      {uniformScene(64, 48, {10, 20, 30}), {10, 20, 30}},
      {uniformScene(64, 48, {11, 20, 30}), {11, 20, 30}},
      {uniformScene(32, 24, {90, 80, 70}), {90, 80, 70}},
      {uniformScene(64, 48, {10, 20, 30}), {10, 20, 30}},
  };
  for (size_t i = 0; i < versions.size(); ++i) {
    SCOPED_TRACE("version " + std::to_string(i));
    simtest::writeFile(path, versions[i].first);
    const PipelineResult result = call();
    ASSERT_TRUE(result.allSucceeded());
    EXPECT_EQ(pixelsNotShowing(result, versions[i].second), 0u);
  }
}

size_t openDescriptors() {
  size_t count = 0;
  if (DIR* folder = ::opendir("/proc/self/fd")) {
    while (::readdir(folder) != nullptr) ++count;
    ::closedir(folder);
  }
  return count;
}

TEST_F(SceneChanges, ManyCallsOverAFewSettingsKeepTheCachesBoundedAndCloseEveryFile) {
  simtest::writeFile(tmp_.file("scene.ppm"), uniformScene(64, 48, {1, 2, 3}));
  const size_t descriptors = openDescriptors();
  size_t calls = 0;
  for (int round = 0; round < 2; ++round) {
    for (const char* model : {"11", "12"}) {
      for (const char* images : {"2", "3"}) {
        for (int32_t format : {FLYCAPTURE_PIXEL_FORMAT_RAW16, FLYCAPTURE_PIXEL_FORMAT_MONO16}) {
          for (const auto& [rows, cols] : {std::pair{24, 32}, std::pair{12, 16}, std::pair{48, 64}}) {
            env_.set("SIMCAM_MODEL", model);
            env_.set("SIMCAM_IMAGES", images);
            if (round == 1) env_.set("SIMCAM_SCENE", tmp_.file("scene.ppm"));
            PipelineOptions options;
            options.width = 64;
            options.height = 48;
            options.pixelFormat = format;
            options.rectRows = rows;
            options.rectCols = cols;
            ASSERT_TRUE(simtest::runPipeline(options, tmp_.path()).allSucceeded());
            ++calls;
            ASSERT_LE(simcamCachedFrameCount(), simcam::kFrameCacheCapacity);
            ASSERT_LE(simcamCachedRectifyMapCount(), simcam::kRectifyMapCacheCapacity);
          }
        }
      }
    }
  }
  EXPECT_EQ(calls, 48u);
  // Far more settings than entries went through; the caches are full, not grown.
  EXPECT_EQ(simcamCachedFrameCount(), simcam::kFrameCacheCapacity);
  EXPECT_EQ(simcamCachedRectifyMapCount(), simcam::kRectifyMapCacheCapacity);
  EXPECT_EQ(openDescriptors(), descriptors);
}

TEST_F(SceneChanges, ThreadsStreamingDifferentSizesShareTheCachesSafely) {
  // More frame sizes and rectified sizes than the caches hold, so entries are
  // made, shared and dropped while other threads use them.
  std::vector<PipelineOptions> settings;
  for (uint32_t width : {64u, 96u, 128u, 160u, 192u, 224u}) {
    for (const auto& [rows, cols] : {std::pair{24, 32}, std::pair{12, 16}}) {
      PipelineOptions options;
      options.width = width;
      options.height = 48;
      options.rectRows = rows;
      options.rectCols = cols;
      settings.push_back(options);
    }
  }
  std::vector<std::vector<uint8_t>> alone;
  for (const PipelineOptions& options : settings) {
    const PipelineResult result = simtest::runPipeline(options, tmp_.path());
    ASSERT_TRUE(result.allSucceeded());
    alone.push_back(result.rectified.pixels);
  }
  std::array<size_t, 4> mismatches{};
  std::vector<std::thread> threads;
  for (size_t t = 0; t < mismatches.size(); ++t) {
    threads.emplace_back([&, t] {
      for (size_t k = 0; k < settings.size(); ++k) {
        const size_t which = (k * 5 + t * 3) % settings.size();
        PipelineOptions options = settings[which];
        options.savePath = tmp_.file("thread" + std::to_string(t) + ".ppm");  // a file of its own
        const PipelineResult result = simtest::runPipeline(options, tmp_.path());
        mismatches[t] += !result.allSucceeded() || result.rectified.pixels != alone[which];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < mismatches.size(); ++t) EXPECT_EQ(mismatches[t], 0u) << "thread " << t;
  EXPECT_LE(simcamCachedFrameCount(), simcam::kFrameCacheCapacity);
  EXPECT_LE(simcamCachedRectifyMapCount(), simcam::kRectifyMapCacheCapacity);
}

}  // namespace
