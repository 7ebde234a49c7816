// Speed of the planar channel fills at both rectified sizes, next to what
// bounds and frames them: a memcpy of the same output bytes, the plain
// per-pixel loops, and OpenCV's colour conversion (when built with it).
// bench/compare.py turns the JSON output into the ratio table.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "channels/fill_kernels.h"
#include "channels/hsv_fill.h"
#include "channels/rgb_fill.h"

#if BRIMLET_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

struct FrameSize {
  int rows, cols;
  std::size_t pixels() const { return static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols); }
  std::size_t outputBytes() const { return 3 * pixels() * sizeof(int32_t); }
  std::string label() const { return std::to_string(rows) + "x" + std::to_string(cols); }
};

constexpr FrameSize frameSizes[] = {{240, 320}, {120, 160}};

// Heap memory from malloc, as the rectifier's frame and the channel buffer
// come: the same alignment the library meets in use.
class MallocBlock {
 public:
  explicit MallocBlock(std::size_t bytes) : data_(std::malloc(bytes)) {
    if (data_ == nullptr) {
      throw std::bad_alloc();
    }
  }
  ~MallocBlock() { std::free(data_); }
  MallocBlock(const MallocBlock&) = delete;
  MallocBlock& operator=(const MallocBlock&) = delete;
  template <typename T>
  T* as() const {
    return static_cast<T*>(data_);
  }

 private:
  void* data_;
};

// A rectified frame stand-in: smooth colour gradients with a little noise,
// and a black border where rectification leaves no source pixels.  The same
// every run.
class Frame {
 public:
  explicit Frame(FrameSize size)
      : size_(size), pixels_(4 * size.pixels()), planes_(size.outputBytes()) {
    uint32_t random = 2024;
    auto noisy = [&random](int level) {
      random = random * 1664525u + 1013904223u;
      const int value = level + static_cast<int>(random >> 28) - 8;
      return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
    };
    auto* pixel = pixels_.as<unsigned char>();
    for (int y = 0; y < size.rows; ++y) {
      for (int x = 0; x < size.cols; ++x, pixel += 4) {
        const bool border = x < size.cols / 40 || y < size.rows / 60;
        pixel[0] = border ? 0 : noisy(200 - 150 * (x + y) / (size.rows + size.cols));
        pixel[1] = border ? 0 : noisy(30 + 170 * y / size.rows);
        pixel[2] = border ? 0 : noisy(40 + 190 * x / size.cols);
        pixel[3] = 0;
      }
    }
    std::memset(planes_.as<void>(), 0, size.outputBytes());
  }

  TriclopsPackedColorImage image() const {
    return {size_.rows, size_.cols, 4 * size_.cols, pixels_.as<TriclopsPackedColorPixel>()};
  }
  unsigned char* pixels() const { return pixels_.as<unsigned char>(); }
  int32_t* planes() const { return planes_.as<int32_t>(); }

 private:
  FrameSize size_;
  MallocBlock pixels_;
  MallocBlock planes_;
};

void countOutputBytes(benchmark::State& state, FrameSize size) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size.outputBytes()));
}

void memcpyOutputBytes(benchmark::State& state, FrameSize size) {
  MallocBlock source(size.outputBytes());
  MallocBlock destination(size.outputBytes());
  std::memset(source.as<void>(), 1, size.outputBytes());
  std::memset(destination.as<void>(), 0, size.outputBytes());
  for (auto _ : state) {
    std::memcpy(destination.as<void>(), source.as<void>(), size.outputBytes());
    benchmark::ClobberMemory();
  }
  countOutputBytes(state, size);
}

void fill(benchmark::State& state, FrameSize size, brimlet::PlaneFill planeFill) {
  const Frame frame(size);
  const TriclopsPackedColorImage image = frame.image();
  for (auto _ : state) {
    planeFill(image, frame.planes());
    benchmark::ClobberMemory();
  }
  countOutputBytes(state, size);
}

#if BRIMLET_BENCH_OPENCV
// OpenCV's 8-bit HSV is not these numbers (hue 0..180, rounded division);
// it stands only as a speed reference.  "cvtColor" is the conversion alone
// (BGRA in, interleaved bytes out); "planar" carries on to the same planar
// int32 output as the fills.
void openCvHsv(benchmark::State& state, FrameSize size, bool planar) {
  cv::setNumThreads(1);
  const Frame frame(size);
  const cv::Mat bgra(size.rows, size.cols, CV_8UC4, frame.pixels());
  cv::Mat hsv;
  std::vector<cv::Mat> bytePlanes(3);
  std::vector<cv::Mat> intPlanes;
  for (std::size_t plane = 0; plane < 3; ++plane) {
    intPlanes.emplace_back(size.rows, size.cols, CV_32S, frame.planes() + plane * size.pixels());
  }
  for (auto _ : state) {
    // BGR2HSV takes the 4-channel frame directly, skipping a BGRA2BGR pass.
    cv::cvtColor(bgra, hsv, cv::COLOR_BGR2HSV);
    if (planar) {
      cv::split(hsv, bytePlanes);
      for (std::size_t plane = 0; plane < 3; ++plane) {
        bytePlanes[plane].convertTo(intPlanes[plane], CV_32S);
      }
    }
    benchmark::ClobberMemory();
  }
  countOutputBytes(state, size);
}
#endif

void registerAll() {
  const std::vector<brimlet::FillKernels> kernels = brimlet::supportedFillKernels();
  for (const FrameSize size : frameSizes) {
    const std::string prefix = size.label() + "/";
    benchmark::RegisterBenchmark((prefix + "memcpy").c_str(), memcpyOutputBytes, size);
    benchmark::RegisterBenchmark((prefix + "rgb/dispatched").c_str(), fill, size, brimlet::fillRgbPlanes);
    for (const brimlet::FillKernels& kernel : kernels) {
      benchmark::RegisterBenchmark((prefix + "rgb/" + kernel.name).c_str(), fill, size, kernel.rgb);
    }
    benchmark::RegisterBenchmark((prefix + "hsv/dispatched").c_str(), fill, size, brimlet::fillHsvPlanes);
    for (const brimlet::FillKernels& kernel : kernels) {
      benchmark::RegisterBenchmark((prefix + "hsv/" + kernel.name).c_str(), fill, size, kernel.hsv);
    }
#if BRIMLET_BENCH_OPENCV
    benchmark::RegisterBenchmark((prefix + "opencv/cvtColor").c_str(), openCvHsv, size, false);
    benchmark::RegisterBenchmark((prefix + "opencv/planar").c_str(), openCvHsv, size, true);
#endif
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  registerAll();
  benchmark::AddCustomContext("dispatched kernel", brimlet::selectedFillKernels().name);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
