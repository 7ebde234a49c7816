#include "simcam/ppm.h"

#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace {

simcam::PpmProblem parse(const std::string& bytes, simcam::RgbImage& image) {
  return simcam::parsePpm(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image);
}

TEST(PpmParser, ReadsPixelsAfterCommentsAndMixedWhitespace) {
  const std::string pixels("\x01\x02\x03\x0a\x20\x23\xff\x00\x7f\x10\x11\x12", 12);  // pixels may look like separators
  const std::string file = "P6 # made by hand\n2\t# width\n\n 2 #height\r\n255\n" + pixels;
  simcam::RgbImage image;
  ASSERT_EQ(parse(file, image), simcam::PpmProblem::None);
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(std::string(image.pixels.begin(), image.pixels.end()), pixels);
  EXPECT_EQ(image.pixel(1, 1)[0], 0x10);
}

TEST(PpmParser, HeaderWeWriteReadsBack) {
  simcam::RgbImage image;
  ASSERT_EQ(parse(simcam::ppmHeader(3, 1) + std::string(9, '\x42'), image), simcam::PpmProblem::None);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 1);
}

struct BadPpm {
  const char* what;
  std::string bytes;
  simcam::PpmProblem problem;
  friend void PrintTo(const BadPpm& row, std::ostream* out) { *out << row.what; }
};

class PpmRejects : public ::testing::TestWithParam<BadPpm> {};

TEST_P(PpmRejects, Input) {
  simcam::RgbImage image;
  image.width = 7;  // must stay untouched on failure
  EXPECT_EQ(parse(GetParam().bytes, image), GetParam().problem) << GetParam().what;
  EXPECT_EQ(image.width, 7);
}

using P = simcam::PpmProblem;
INSTANTIATE_TEST_SUITE_P(
    Table, PpmRejects,
    ::testing::Values(BadPpm{"empty", "", P::Truncated}, BadPpm{"ascii ppm", "P3\n1 1\n255\n1 2 3\n", P::Malformed},
                      BadPpm{"grey pgm", "P5\n1 1\n255\nx", P::Malformed},
                      BadPpm{"not an image", "hello world", P::Malformed},
                      BadPpm{"no separator after magic", "P61 1\n255\nabc", P::Malformed},
                      BadPpm{"maxval 65535", "P6\n1 1\n65535\nabcdef", P::Malformed},
                      BadPpm{"maxval 254", "P6\n1 1\n254\nabc", P::Malformed},
                      BadPpm{"huge maxval", "P6\n1 1\n99999999999999999999\nabc", P::Malformed},
                      BadPpm{"letters in a number", "P6\n1a 1\n255\nabc", P::Malformed},
                      BadPpm{"negative width", "P6\n-1 1\n255\nabc", P::Malformed},
                      BadPpm{"zero height", "P6\n1 0\n255\n", P::Malformed},
                      BadPpm{"comment right after maxval", "P6\n1 1\n255#x\nabc", P::Malformed},
                      BadPpm{"bytes after the pixels", "P6\n1 1\n255\nabcd", P::Malformed},
                      BadPpm{"two separators after maxval", "P6\n1 1\n255\n\nabc", P::Malformed},
                      BadPpm{"header cut short", "P6\n1 1", P::Truncated},
                      BadPpm{"comment runs to the end", "P6\n1 1 # no end", P::Truncated},
                      BadPpm{"no pixels", "P6\n1 1\n255\n", P::Truncated},
                      BadPpm{"pixels cut short", "P6\n2 1\n255\nabcde", P::Truncated},
                      BadPpm{"width past 8192", "P6\n8193 1\n255\n", P::Oversized},
                      BadPpm{"absurd height", "P6\n1 123456789012345678901234567890\n255\n", P::Oversized},
                      BadPpm{"more than 32M pixels", "P6\n8192 8192\n255\n", P::Oversized}),
    simtest::NameFromWhat());

}  // namespace
