// Replays the fuzzing corpus (fuzz/corpus, seeds and every input that once
// broke a reader) through the simulated camera's file readers in the normal
// build, with the same properties the fuzz targets check.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "parser_properties.h"

namespace {

using Check = const char* (*)(const uint8_t*, size_t);

struct Target {
  const char* folder;
  Check check;
};

class FuzzCorpusTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzCorpusTest, EveryInputIsReadOrRefusedCleanly) {
  const std::filesystem::path folder = std::filesystem::path(BRIMLET_FUZZ_CORPUS_DIR) / GetParam().folder;
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_TRUE(file.good() || file.eof()) << entry.path();
    const char* wrong = GetParam().check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(wrong, nullptr) << entry.path() << ": " << wrong;
    ++inputs;
  }
  EXPECT_GT(inputs, 0) << "no corpus in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzCorpusTest,
                         ::testing::Values(Target{"ppm", &brimlet_fuzz::checkPpm},
                                           Target{"calibration", &brimlet_fuzz::checkCalibration}),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.folder); });

}  // namespace
