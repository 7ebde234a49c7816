#include "simcam/calibration.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <vector>

namespace simcam {

namespace {

// Limits well beyond any lens we generate; past them the file is nonsense.
constexpr double kMaxAbsK1 = 0.25;
constexpr double kMaxAbsOffset = 0.1;
constexpr double kMaxAbsDisparity = 0.5;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

bool parseDouble(std::string_view text, double& value) {
  // from_chars ignores the locale, which a JVM may have changed; it accepts no
  // leading '+' or blanks, which suits a strict reader.
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value);
}

bool parseSmallInt(std::string_view text, int& value) {
  if (text.empty() || text.size() > 3) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && text[0] != '-';
}

void appendNumber(std::string& out, double value) {
  char buffer[64];
  // Shortest text that reads back to the same double.
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

Calibration builtinCalibration(int32_t model, int sensors) {
  Calibration calibration;
  calibration.sensors = sensors;
  for (int i = 0; i < sensors; ++i) calibration.lens[static_cast<size_t>(i)] = builtinLens(model, i);
  return calibration;
}

std::string formatCalibration(const Calibration& calibration) {
  std::string text(kCalibrationMagic);
  text += "\nsensors " + std::to_string(calibration.sensors) + "\n";
  for (int i = 0; i < calibration.sensors; ++i) {
    const LensModel& lens = calibration.lens[static_cast<size_t>(i)];
    text += "sensor " + std::to_string(i);
    for (double value : {lens.k1, lens.offsetX, lens.offsetY, lens.disparity}) {
      text += ' ';
      appendNumber(text, value);
    }
    text += '\n';
  }
  return text;
}

CalibrationProblem parseCalibration(std::string_view text, Calibration& out) {
  if (text.size() > kMaxCalibrationBytes) return CalibrationProblem::Malformed;
  std::vector<std::string_view> lines = split(text, '\n');
  if (lines.front() != kCalibrationMagic) return CalibrationProblem::BadMagic;
  // The last line must be terminated, which leaves an empty piece after it.
  if (lines.size() < 2 || !lines.back().empty()) return CalibrationProblem::Malformed;
  lines.pop_back();

  const std::vector<std::string_view> header = split(lines[1], ' ');
  int sensors = 0;
  if (header.size() != 2 || header[0] != "sensors" || !parseSmallInt(header[1], sensors)) {
    return CalibrationProblem::Malformed;
  }
  if (sensors < 2 || sensors > 3) return CalibrationProblem::OutOfRange;
  if (lines.size() != 2 + static_cast<size_t>(sensors)) return CalibrationProblem::Malformed;

  Calibration calibration;
  calibration.sensors = sensors;
  for (int i = 0; i < sensors; ++i) {
    const std::vector<std::string_view> fields = split(lines[2 + static_cast<size_t>(i)], ' ');
    int index = -1;
    if (fields.size() != 6 || fields[0] != "sensor" || !parseSmallInt(fields[1], index) || index != i) {
      return CalibrationProblem::Malformed;
    }
    LensModel& lens = calibration.lens[static_cast<size_t>(i)];
    double* values[] = {&lens.k1, &lens.offsetX, &lens.offsetY, &lens.disparity};
    for (size_t f = 0; f < 4; ++f) {
      if (!parseDouble(fields[2 + f], *values[f])) return CalibrationProblem::Malformed;
    }
    if (std::fabs(lens.k1) > kMaxAbsK1 || std::fabs(lens.offsetX) > kMaxAbsOffset ||
        std::fabs(lens.offsetY) > kMaxAbsOffset || std::fabs(lens.disparity) > kMaxAbsDisparity) {
      return CalibrationProblem::OutOfRange;
    }
  }
  out = calibration;
  return CalibrationProblem::None;
}

std::string calibrationPath(const std::string& folder, int32_t model, int sensors) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += "simcam-" + std::to_string(::getuid()) + "-model" + std::to_string(model) + "-" + std::to_string(sensors) +
          ".cal";
  return path;
}

}  // namespace simcam
