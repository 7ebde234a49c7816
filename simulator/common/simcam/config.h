// The simulated camera's configuration, read from SIMCAM_* variables when a
// camera context is created.  Problems are recorded rather than thrown so
// that flycaptureInitialize can report the first one as its error.
#ifndef SIMCAM_CONFIG_H
#define SIMCAM_CONFIG_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "simcam/operations.h"
#include "simcam/ppm.h"

namespace simcam {

enum class ConfigProblem {
  None,
  FailUnknown,
  ModelInvalid,
  TypeInvalid,
  RegisterInvalid,
  ImagesInvalid,
  SceneUnreadable,
  SceneMalformed,
  SceneTruncated,
  SceneOversized,
};

struct CameraConfig {
  int32_t model = 12;
  bool color = true;
  uint32_t register1F28 = 0;
  int images = 2;
  FailInjection fail;
  // The ideal rectified view of camera 0; never null once `problem` is None.
  // Shared: the built-in scene is made once, and cached frames keep theirs.
  std::shared_ptr<const RgbImage> scene;
  std::string tempFolder;  // where the calibration file goes
  ConfigProblem problem = ConfigProblem::None;
};

// getenv, except that an empty value counts as unset.
const char* environmentValue(const char* name);

// Strict parsers: digits only, no sign, no surrounding blanks.
std::optional<int32_t> parseModel(std::string_view text);
std::optional<uint32_t> parseRegisterValue(std::string_view text);  // decimal or 0x hex
std::optional<int> parseImageCount(std::string_view text);          // 2 or 3
std::optional<bool> parseCameraTypeIsColor(std::string_view text);  // "color" / "mono"

// Reads every SIMCAM_* variable (and TMPDIR) and loads the scene.  The first
// problem found, in the order of the fields above, is kept in `problem`.
CameraConfig readCameraConfig();

// Sensor size of a model: model 11 has a 1024 x 768 sensor, the others 1280 x 960.
int sensorWidth(int32_t model);
int sensorHeight(int32_t model);

}  // namespace simcam

#endif
