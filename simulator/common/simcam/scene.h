// The scene camera 0 sees when SIMCAM_SCENE is not set.
#ifndef SIMCAM_SCENE_H
#define SIMCAM_SCENE_H

#include <array>
#include <cstdint>

#include "simcam/ppm.h"

namespace simcam {

// 320 x 240, a grid of 4 x 3 uniform patches of 80 x 80 pixels, as
// {red, green, blue}, row by row from the top left:
//   row 0: ( 30, 20, 10) dark brown   (255,  0,  0) red      (  0,255,  0) green   (  0,  0,255) blue
//   row 1: (255,255,  0) yellow       (  0,255,255) cyan     (255,  0,255) magenta (255,255,255) white
//   row 2: (  0,  0,  0) black        (128,128,128) mid grey (255,128,  0) orange  ( 64, 64, 64) dark grey
inline constexpr int kSceneWidth = 320;
inline constexpr int kSceneHeight = 240;
inline constexpr int kScenePatchColumns = 4;
inline constexpr int kScenePatchRows = 3;
inline constexpr std::array<std::array<uint8_t, 3>, kScenePatchColumns* kScenePatchRows> kScenePatchColours = {{
    {30, 20, 10},
    {255, 0, 0},
    {0, 255, 0},
    {0, 0, 255},
    {255, 255, 0},
    {0, 255, 255},
    {255, 0, 255},
    {255, 255, 255},
    {0, 0, 0},
    {128, 128, 128},
    {255, 128, 0},
    {64, 64, 64},
}};

RgbImage builtinScene();

}  // namespace simcam

#endif
