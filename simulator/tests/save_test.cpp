#include <sys/stat.h>

#include <string>
#include <vector>

#include "support.h"
#include "triclops_errors.h"

namespace {

namespace tc = simcam::tc;

class Save : public simtest::SimcamTest {
 protected:
  // 3 x 2 pixels in rows of 4 pixels: the fourth pixel of each row is padding
  // that must not reach the file.
  std::vector<unsigned char> pixels = {
      1,  2,  3,  255, 4,  5,  6,  255, 7,  8,  9,  255, 99, 99, 99, 99,
      10, 11, 12, 255, 13, 14, 15, 255, 16, 17, 18, 0,   99, 99, 99, 99,
  };
  TriclopsPackedColorImage image{2, 3, 16, reinterpret_cast<TriclopsPackedColorPixel*>(pixels.data())};
  // The same pixels as a PPM: red, green, blue.
  const std::string expected =
      std::string("P6\n3 2\n255\n") + "\x03\x02\x01\x06\x05\x04\x09\x08\x07\x0c\x0b\x0a\x0f\x0e\x0d\x12\x11\x10";
};

TEST_F(Save, WritesTheImageAsRgbAndLeavesNothingElse) {
  const std::string path = tmp_.file("frame.ppm");
  simtest::writeFile(path, "an older frame");
  ASSERT_EQ(triclopsSavePackedColorImage(&image, path.c_str()), TriclopsErrorOk);
  EXPECT_EQ(simtest::readFile(path), expected);
  EXPECT_EQ(tmp_.entries(), std::vector<std::string>{"frame.ppm"});
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(Save, RectifiedFrameIsSavedWhole) {
  const simtest::PipelineResult result = simtest::runPipeline({}, tmp_.path());
  ASSERT_TRUE(result.allSucceeded());
  const std::string file = simtest::readFile(tmp_.file("rectified.ppm"));
  const std::string header = "P6\n320 240\n255\n";
  ASSERT_EQ(file.size(), header.size() + 320u * 240u * 3u);
  EXPECT_EQ(file.substr(0, header.size()), header);
  size_t mismatches = 0;
  for (size_t i = 0; i < 320u * 240u; ++i) {
    for (size_t c = 0; c < 3; ++c) {
      mismatches += static_cast<uint8_t>(file[header.size() + i * 3 + c]) != result.rectified.pixels[i * 4 + 2 - c];
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST_F(Save, FailureLeavesNoFileAndNoTemporary) {
  ::mkdir(tmp_.file("folder.ppm").c_str(), 0755);
  for (const std::string& target : {tmp_.file("missing/frame.ppm"), tmp_.file("folder.ppm")}) {
    EXPECT_EQ(triclopsSavePackedColorImage(&image, target.c_str()), tc::kSaveFailed) << target;
    EXPECT_EQ(tmp_.entries(), std::vector<std::string>{"folder.ppm"}) << target;
  }
  EXPECT_TRUE(tmp_.entries().size() == 1 && ::rmdir(tmp_.file("folder.ppm").c_str()) == 0);  // still empty
}

TEST_F(Save, RejectsImpossibleImages) {
  const std::string path = tmp_.file("frame.ppm");
  struct Case {
    TriclopsPackedColorImage image;
    const char* name;
    TriclopsError code;
  };
  auto* data = image.data;
  const Case cases[] = {
      {{2, 3, 16, nullptr}, path.c_str(), tc::kNullPointer},
      {{2, 3, 16, data}, nullptr, tc::kNullPointer},
      {{2, 3, 16, data}, "", tc::kBadImage},
      {{0, 3, 16, data}, path.c_str(), tc::kBadImage},
      {{2, -3, 16, data}, path.c_str(), tc::kBadImage},
      {{2, 3, 11, data}, path.c_str(), tc::kBadImage},
      {{9000, 3, 16, data}, path.c_str(), tc::kBadImage},
  };
  for (Case c : cases) {
    EXPECT_EQ(triclopsSavePackedColorImage(&c.image, c.name), c.code)
        << c.image.nrows << " x " << c.image.ncols << " rowinc " << c.image.rowinc;
  }
  EXPECT_EQ(triclopsSavePackedColorImage(nullptr, path.c_str()), tc::kNullPointer);
  EXPECT_TRUE(tmp_.entries().empty());
}

}  // namespace
