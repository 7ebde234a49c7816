// Every fill kernel this CPU runs, against per-pixel expectations built here
// from rgbToHsv and the channel bytes, on every colour and on every tail.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "channels/fill_kernels.h"
#include "channels/rgb_to_hsv.h"

namespace {

using brimlet::FillKernels;
using brimlet::PlaneFill;

// Not a possible output: every plane element is in 0..360.
constexpr int32_t sentinel = -7777777;
// Elements watched before and after the planes: wider than any vector.
constexpr std::size_t guard = 64;

// The planes a fill must write for one frame.
struct Expected {
  std::vector<int32_t> rgb, hsv;
  explicit Expected(std::size_t pixelCount) : rgb(3 * pixelCount), hsv(3 * pixelCount) {}
  void set(std::size_t i, int32_t r, int32_t g, int32_t b) {
    const std::size_t n = rgb.size() / 3;
    rgb[i] = r;
    rgb[n + i] = g;
    rgb[2 * n + i] = b;
    const brimlet::hsv converted = brimlet::rgbToHsv(r, g, b);
    hsv[i] = converted.h;
    hsv[n + i] = converted.s;
    hsv[2 * n + i] = converted.v;
  }
};

// Runs fill into a sentinel-filled buffer whose planes start `shift`
// elements past a guard, and checks every plane element and both guards.
::testing::AssertionResult fillsExactly(PlaneFill fill, const TriclopsPackedColorImage& image,
                                        const std::vector<int32_t>& expected, std::size_t shift) {
  std::vector<int32_t> buffer(guard + shift + expected.size() + guard, sentinel);
  int32_t* planes = buffer.data() + guard + shift;
  fill(image, planes);
  if (!std::equal(expected.begin(), expected.end(), planes)) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (planes[i] != expected[i]) {
        const std::size_t n = expected.size() / 3;
        const unsigned char* pixel = image.data[i % n].value;
        return ::testing::AssertionFailure()
               << "plane " << i / n << " pixel " << i % n << " (r,g,b " << int{pixel[2]} << "," << int{pixel[1]}
               << "," << int{pixel[0]} << ") of " << image.nrows << " x " << image.ncols << ": got " << planes[i]
               << ", expected " << expected[i];
      }
    }
  }
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    const bool inPlanes = i >= guard + shift && i < guard + shift + expected.size();
    if (!inPlanes && buffer[i] != sentinel) {
      return ::testing::AssertionFailure()
             << "wrote element " << static_cast<long>(i) - static_cast<long>(guard + shift) << " outside the planes of "
             << image.nrows << " x " << image.ncols;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(FillKernelsTest, TheReferenceComesFirstAndDispatchTakesTheLast) {
  const std::vector<FillKernels> kernels = brimlet::supportedFillKernels();
  ASSERT_FALSE(kernels.empty());
  EXPECT_STREQ(kernels.front().name, "reference");
  const FillKernels& selected = brimlet::selectedFillKernels();
  EXPECT_STREQ(selected.name, kernels.back().name);
  EXPECT_EQ(selected.rgb, kernels.back().rgb);
  EXPECT_EQ(selected.hsv, kernels.back().hsv);
#if BRIMLET_X86_KERNELS
  // Every instruction set this CPU has must be offered, or dispatch would
  // settle for a slower kernel.
  std::set<std::string> names;
  for (const FillKernels& kernel : kernels) {
    names.insert(kernel.name);
  }
  __builtin_cpu_init();
  EXPECT_EQ(names.count("sse4.1"), __builtin_cpu_supports("sse4.1") ? 1u : 0u);
  EXPECT_EQ(names.count("avx2"), __builtin_cpu_supports("avx2") ? 1u : 0u);
  const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                      __builtin_cpu_supports("avx512vl");
  EXPECT_EQ(names.count("avx512"), avx512 ? 1u : 0u);
#else
  EXPECT_EQ(kernels.size(), 1u);
#endif
}

TEST(FillKernelsTest, EveryKernelMatchesOnAllColours) {
  // One 256 x 256 frame per red level, green down the rows and blue along
  // them: all 2^24 colours, the unused byte never the same twice in a row.
  constexpr int side = 256;
  constexpr std::size_t pixelCount = side * side;
  std::vector<TriclopsPackedColorPixel> pixels(pixelCount);
  const TriclopsPackedColorImage image{side, side, side * 4, pixels.data()};
  Expected expected(pixelCount);
  const std::vector<FillKernels> kernels = brimlet::supportedFillKernels();
  for (int red = 0; red < 256; ++red) {
    for (int green = 0; green < side; ++green) {
      for (int blue = 0; blue < side; ++blue) {
        const std::size_t i = static_cast<std::size_t>(green * side + blue);
        unsigned char* pixel = pixels[i].value;
        pixel[0] = static_cast<unsigned char>(blue);
        pixel[1] = static_cast<unsigned char>(green);
        pixel[2] = static_cast<unsigned char>(red);
        pixel[3] = static_cast<unsigned char>(i * 37 + static_cast<std::size_t>(red) * 11);
        expected.set(i, red, green, blue);
      }
    }
    // The planes' alignment cycles too, through every offset of a vector.
    const std::size_t shift = static_cast<std::size_t>(red) % 17;
    for (const FillKernels& kernel : kernels) {
      ASSERT_TRUE(fillsExactly(kernel.rgb, image, expected.rgb, shift)) << kernel.name << " rgb";
      ASSERT_TRUE(fillsExactly(kernel.hsv, image, expected.hsv, shift)) << kernel.name << " hsv";
    }
  }
}

// Packed pixels ending exactly where a page that cannot be read begins, so
// reading past the frame faults.
class FrameAtPageEnd {
 public:
  explicit FrameAtPageEnd(std::size_t pixelCount) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t bytes = 4 * pixelCount;
    length_ = (bytes + page - 1) / page * page + page;
    void* mapped = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
      throw std::bad_alloc();
    }
    base_ = static_cast<unsigned char*>(mapped);
    if (mprotect(base_ + length_ - page, page, PROT_NONE) != 0) {
      munmap(base_, length_);
      throw std::bad_alloc();
    }
    pixels_ = reinterpret_cast<TriclopsPackedColorPixel*>(base_ + length_ - page - bytes);
  }
  ~FrameAtPageEnd() { munmap(base_, length_); }
  FrameAtPageEnd(const FrameAtPageEnd&) = delete;
  FrameAtPageEnd& operator=(const FrameAtPageEnd&) = delete;

  TriclopsPackedColorPixel* pixels() const { return pixels_; }

 private:
  unsigned char* base_;
  std::size_t length_;
  TriclopsPackedColorPixel* pixels_;
};

TEST(FillKernelsTest, EveryKernelFillsEveryPixelCountToTheEndAndNoFurther) {
  struct Shape {
    int rows, cols;
  };
  std::vector<Shape> shapes;
  for (int cols = 0; cols <= 67; ++cols) {
    shapes.push_back({1, cols});
  }
  for (const Shape shape : {Shape{0, 320}, Shape{3, 5}, Shape{7, 9}, Shape{13, 17}, Shape{31, 33}, Shape{119, 161},
                            Shape{240, 321}, Shape{121, 159}}) {
    shapes.push_back(shape);
  }
  const std::vector<FillKernels> kernels = brimlet::supportedFillKernels();
  uint32_t random = 12345;
  for (const Shape shape : shapes) {
    const std::size_t pixelCount = static_cast<std::size_t>(shape.rows) * static_cast<std::size_t>(shape.cols);
    FrameAtPageEnd frame(pixelCount);
    const TriclopsPackedColorImage image{shape.rows, shape.cols, shape.cols * 4, frame.pixels()};
    Expected expected(pixelCount);
    for (std::size_t i = 0; i < pixelCount; ++i) {
      unsigned char* pixel = frame.pixels()[i].value;
      for (int byte = 0; byte < 4; ++byte) {
        random = random * 1664525u + 1013904223u;
        pixel[byte] = static_cast<unsigned char>(random >> 24);
      }
      // Some greys and zero channels among the colours.
      if (i % 11 == 3) {
        pixel[1] = pixel[0];
        pixel[2] = pixel[0];
      } else if (i % 7 == 2) {
        pixel[i % 3] = 0;
      }
      expected.set(i, pixel[2], pixel[1], pixel[0]);
    }
    for (const FillKernels& kernel : kernels) {
      for (const std::size_t shift : {0u, 1u, 5u, 15u}) {
        EXPECT_TRUE(fillsExactly(kernel.rgb, image, expected.rgb, shift)) << kernel.name << " rgb";
        EXPECT_TRUE(fillsExactly(kernel.hsv, image, expected.hsv, shift)) << kernel.name << " hsv";
      }
    }
  }
}

}  // namespace
