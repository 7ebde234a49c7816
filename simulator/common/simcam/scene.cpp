#include "simcam/scene.h"

namespace simcam {

RgbImage builtinScene() {
  RgbImage scene;
  scene.width = kSceneWidth;
  scene.height = kSceneHeight;
  scene.pixels.resize(static_cast<size_t>(kSceneWidth) * kSceneHeight * 3);
  const int patchWidth = kSceneWidth / kScenePatchColumns;
  const int patchHeight = kSceneHeight / kScenePatchRows;
  uint8_t* out = scene.pixels.data();
  for (int y = 0; y < kSceneHeight; ++y) {
    for (int x = 0; x < kSceneWidth; ++x) {
      const auto& colour =
          kScenePatchColours[static_cast<size_t>((y / patchHeight) * kScenePatchColumns + x / patchWidth)];
      *out++ = colour[0];
      *out++ = colour[1];
      *out++ = colour[2];
    }
  }
  return scene;
}

}  // namespace simcam
