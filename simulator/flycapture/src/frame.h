// Turning the scene into raw frames and raw frames into the prepared
// 4-byte stereo layout.
#ifndef SIMCAM_FRAME_H
#define SIMCAM_FRAME_H

#include <cstdint>

#include "simcam/lens.h"
#include "simcam/ppm.h"

namespace simcam {

struct FrameFormat {
  int width;
  int height;
  int images;
  int32_t pixelFormat;  // FLYCAPTURE_PIXEL_FORMAT_MONO16 or _RAW16
};

// Renders what each sensor sees of `scene` through its lens into `out`
// (width x height x images bytes, images interleaved pixel by pixel).
// RAW16 gives an RGGB mosaic per sensor, MONO16 gives luma.  RAW16 needs
// even sizes.
void renderFrame(const RgbImage& scene, const LensModel* lenses, const FrameFormat& format, uint8_t* out);

// Writes a raw frame as rows of 4-byte pixels (blue, green, red, 255), each
// output row holding that row of image 0, then of image 1, ...  RAW16 is
// demosaiced bilinearly; MONO16 gives blue = green = red = grey.
void prepareFrame(const uint8_t* raw, int rowInc, const FrameFormat& format, uint8_t* out);

}  // namespace simcam

#endif
