#include "support.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "simcam/operations.h"

namespace simtest {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "simcam-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

Environment::~Environment() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->second) {
      ::setenv(it->first.c_str(), it->second->c_str(), 1);
    } else {
      ::unsetenv(it->first.c_str());
    }
  }
}

void Environment::remember(const char* name) {
  const char* old = std::getenv(name);
  saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
}

void Environment::set(const char* name, const std::string& value) {
  remember(name);
  ::setenv(name, value.c_str(), 1);
}

void Environment::unset(const char* name) {
  remember(name);
  ::unsetenv(name);
}

SimcamTest::SimcamTest() {
  for (const char* name :
       {"SIMCAM_MODEL", "SIMCAM_TYPE", "SIMCAM_REGISTER_1F28", "SIMCAM_IMAGES", "SIMCAM_SCENE", "SIMCAM_FAIL"}) {
    env_.unset(name);
  }
  env_.set("TMPDIR", tmp_.path());
}

std::string testName(std::string_view description) {
  std::string name;
  for (char c : description) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<int32_t> PipelineResult::code(std::string_view operation) const {
  for (const auto& [name, value] : codes) {
    if (name == operation) return value;
  }
  return std::nullopt;
}

bool PipelineResult::allSucceeded() const {
  return codes.size() == simcam::kOperationNames.size() &&
         std::all_of(codes.begin(), codes.end(), [](const auto& entry) { return entry.second == 0; });
}

PipelineResult runPipeline(const PipelineOptions& options, const std::string& saveFolder) {
  PipelineResult result;
  auto record = [&result](const char* operation, int32_t code) {
    result.codes.emplace_back(operation, code);
    return code == 0;
  };

  FlyCaptureContext camera = nullptr;
  TriclopsContext stereo = nullptr;
  bool streaming = false;
  if (!record("flycaptureCreateContext", flycaptureCreateContext(&camera))) return result;

  // The caller's sequence; returns at the first failure.
  [&] {
    char* calFile = nullptr;
    if (!record("flycaptureInitialize", flycaptureInitialize(camera, 0))) return;
    if (!record("flycaptureGetCalibrationFileFromCamera", flycaptureGetCalibrationFileFromCamera(camera, &calFile)))
      return;
    result.calFile = calFile;
    if (!record("triclopsGetDefaultContextFromFile", triclopsGetDefaultContextFromFile(&stereo, calFile))) return;
    if (!record("flycaptureGetCameraInfo", flycaptureGetCameraInfo(camera, &result.info))) return;
    if (!record("flycaptureGetCameraRegister", flycaptureGetCameraRegister(camera, 0x1F28, &result.register1F28)))
      return;
    if (!record("flycaptureStartCustomImage", flycaptureStartCustomImage(camera, 3, 0, 0, options.width, options.height,
                                                                         100.0f, options.pixelFormat))) {
      return;
    }
    streaming = true;
    if (!record("triclopsSetResolution", triclopsSetResolution(stereo, options.rectRows, options.rectCols))) return;
    if (!record("flycaptureGrabImage2", flycaptureGrabImage2(camera, &result.grabbed))) return;

    const FlyCaptureImage& grabbed = result.grabbed;
    result.raw.assign(grabbed.pData,
                      grabbed.pData + static_cast<size_t>(grabbed.iRowInc) * static_cast<size_t>(grabbed.iRows));
    // Zeroed, so a byte prepare forgets to write shows up as a 0 in the unused slot.
    result.buffer.assign(static_cast<size_t>(grabbed.iCols) * static_cast<size_t>(grabbed.iRows) *
                             static_cast<size_t>(grabbed.iNumImages) * 4,
                         0);
    result.prepared.pData = result.buffer.data();
    if (!record("flycapturePrepareStereoImage",
                flycapturePrepareStereoImage(camera, grabbed, nullptr, &result.prepared))) {
      return;
    }

    TriclopsInput input{};
    if (!record("triclopsBuildPackedTriclopsInput",
                triclopsBuildPackedTriclopsInput(
                    grabbed.iCols, grabbed.iRows, result.prepared.iRowInc * 4, result.prepared.timeStamp.ulSeconds,
                    result.prepared.timeStamp.ulMicroSeconds, result.buffer.data(), &input))) {
      return;
    }
    TriclopsPackedColorImage image{};
    if (!record("triclopsRectifyPackedColorImage", triclopsRectifyPackedColorImage(stereo, 0, &input, &image))) return;
    result.rectified.rows = image.nrows;
    result.rectified.cols = image.ncols;
    result.rectified.rowinc = image.rowinc;
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.data);
    result.rectified.pixels.assign(bytes, bytes + static_cast<size_t>(image.nrows) * static_cast<size_t>(image.rowinc));

    const std::string target = options.savePath.empty() ? saveFolder + "/rectified.ppm" : options.savePath;
    record("triclopsSavePackedColorImage", triclopsSavePackedColorImage(&image, target.c_str()));
  }();

  if (streaming) record("flycaptureStop", flycaptureStop(camera));
  record("flycaptureDestroyContext", flycaptureDestroyContext(camera));
  if (stereo != nullptr) record("triclopsDestroyContext", triclopsDestroyContext(stereo));
  return result;
}

Rectified rectify(const std::string& calFile, const FlyCaptureImage& prepared, std::vector<uint8_t>& buffer, int image,
                  TriclopsCamera camera, int32_t rows, int32_t cols) {
  Rectified out;
  TriclopsContext stereo = nullptr;
  out.code = triclopsGetDefaultContextFromFile(&stereo, calFile.c_str());
  if (out.code != TriclopsErrorOk) return out;
  TriclopsInput input{};
  TriclopsPackedColorImage result{};
  unsigned char* first = buffer.data() + static_cast<size_t>(image) * static_cast<size_t>(prepared.iCols) * 4;
  if ((out.code = triclopsSetResolution(stereo, rows, cols)) == TriclopsErrorOk &&
      (out.code = triclopsBuildPackedTriclopsInput(prepared.iCols, prepared.iRows, prepared.iRowInc * 4, 0, 0, first,
                                                   &input)) == TriclopsErrorOk &&
      (out.code = triclopsRectifyPackedColorImage(stereo, camera, &input, &result)) == TriclopsErrorOk) {
    out.rows = result.nrows;
    out.cols = result.ncols;
    out.rowinc = result.rowinc;
    const auto* bytes = reinterpret_cast<const uint8_t*>(result.data);
    out.pixels.assign(bytes, bytes + static_cast<size_t>(result.nrows) * static_cast<size_t>(result.rowinc));
  }
  triclopsDestroyContext(stereo);
  return out;
}

}  // namespace simtest
