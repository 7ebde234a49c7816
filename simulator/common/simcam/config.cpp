#include "simcam/config.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <string>

#include "simcam/cache.h"
#include "simcam/files.h"
#include "simcam/scene.h"

namespace simcam {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits in the given base, no sign; nullopt past `limit`.
std::optional<uint64_t> parseUnsigned(std::string_view text, unsigned base, uint64_t limit) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    const int digit = base == 16 ? hexValue(c) : (isDigit(c) ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<uint64_t>(digit);
    if (value > limit) return std::nullopt;
  }
  return value;
}

ConfigProblem sceneProblem(PpmProblem problem) {
  switch (problem) {
    case PpmProblem::None:
      return ConfigProblem::None;
    case PpmProblem::Unreadable:
      return ConfigProblem::SceneUnreadable;
    case PpmProblem::Malformed:
      return ConfigProblem::SceneMalformed;
    case PpmProblem::Truncated:
      return ConfigProblem::SceneTruncated;
    case PpmProblem::Oversized:
      return ConfigProblem::SceneOversized;
  }
  return ConfigProblem::SceneMalformed;
}

std::shared_ptr<const RgbImage> sharedBuiltinScene() {
  static const std::shared_ptr<const RgbImage> scene = std::make_shared<const RgbImage>(builtinScene());
  return scene;
}

// A scene file as it was when read.
struct SceneFile {
  FileStamp stamp;
  std::shared_ptr<const RgbImage> scene;
};

// Longer than any file system's timestamp step: a file whose times are
// this much older than the moment we started reading it cannot change
// afterwards without its change time moving on.
constexpr int64_t kSettledNs = int64_t{2} * 1000 * 1000 * 1000;

LruCache<std::string, SceneFile>& sceneFiles() {
  // Never destroyed, like the other caches: contexts may outlive static destruction.
  static auto* cache = new LruCache<std::string, SceneFile>(kSceneFileCacheCapacity);
  return *cache;
}

// The scene in the file at `path`.  Replay tests rewrite scene files, in
// place and quickly, so the file is read again unless it is exactly as it was
// and was already settled when it was read: a rewrite within one timestamp
// tick of that read cannot then go unnoticed.
std::shared_ptr<const RgbImage> sceneFromFile(const char* path, PpmProblem& problem) {
  FileStamp now;
  if (stampFile(path, now)) {
    if (const std::shared_ptr<SceneFile> known = sceneFiles().find(path); known && known->stamp == now) {
      problem = PpmProblem::None;
      return known->scene;
    }
  }
  const int64_t readFrom = wallClockNs();
  auto scene = std::make_shared<RgbImage>();
  FileStamp stamp;
  problem = readPpmFile(path, *scene, &stamp);
  if (problem != PpmProblem::None) return nullptr;
  if (std::max(stamp.modifiedNs, stamp.changedNs) < readFrom - kSettledNs) {
    sceneFiles().put(path, std::make_shared<SceneFile>(SceneFile{stamp, scene}));
  }
  return scene;
}

}  // namespace

const char* environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return (value == nullptr || *value == '\0') ? nullptr : value;
}

std::optional<int32_t> parseModel(std::string_view text) {
  const auto value = parseUnsigned(text, 10, std::numeric_limits<int32_t>::max());
  if (!value) return std::nullopt;
  return static_cast<int32_t>(*value);
}

std::optional<uint32_t> parseRegisterValue(std::string_view text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const auto value = hex ? parseUnsigned(text.substr(2), 16, std::numeric_limits<uint32_t>::max())
                         : parseUnsigned(text, 10, std::numeric_limits<uint32_t>::max());
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

std::optional<int> parseImageCount(std::string_view text) {
  if (text == "2") return 2;
  if (text == "3") return 3;
  return std::nullopt;
}

std::optional<bool> parseCameraTypeIsColor(std::string_view text) {
  if (text == "color") return true;
  if (text == "mono") return false;
  return std::nullopt;
}

CameraConfig readCameraConfig() {
  CameraConfig config;
  auto note = [&config](ConfigProblem problem) {
    if (config.problem == ConfigProblem::None) config.problem = problem;
  };

  config.fail = readFailInjection();
  if (config.fail.unknown) note(ConfigProblem::FailUnknown);

  if (const char* text = environmentValue("SIMCAM_MODEL")) {
    if (auto model = parseModel(text)) {
      config.model = *model;
    } else {
      note(ConfigProblem::ModelInvalid);
    }
  }
  if (const char* text = environmentValue("SIMCAM_TYPE")) {
    if (auto color = parseCameraTypeIsColor(text)) {
      config.color = *color;
    } else {
      note(ConfigProblem::TypeInvalid);
    }
  }
  if (const char* text = environmentValue("SIMCAM_REGISTER_1F28")) {
    if (auto value = parseRegisterValue(text)) {
      config.register1F28 = *value;
    } else {
      note(ConfigProblem::RegisterInvalid);
    }
  }
  if (const char* text = environmentValue("SIMCAM_IMAGES")) {
    if (auto images = parseImageCount(text)) {
      config.images = *images;
    } else {
      note(ConfigProblem::ImagesInvalid);
    }
  }

  // Loading a scene that will never be used would only delay the report.
  if (config.problem == ConfigProblem::None) {
    if (const char* path = environmentValue("SIMCAM_SCENE")) {
      PpmProblem problem = PpmProblem::None;
      config.scene = sceneFromFile(path, problem);
      note(sceneProblem(problem));
    } else {
      config.scene = sharedBuiltinScene();
    }
  }

  const char* tmp = environmentValue("TMPDIR");
  config.tempFolder = tmp != nullptr ? tmp : "/tmp";
  return config;
}

int sensorWidth(int32_t model) {
  return model == 11 ? 1024 : 1280;
}
int sensorHeight(int32_t model) {
  return model == 11 ? 768 : 960;
}

}  // namespace simcam
