#ifndef BRIMLET_CAPTURE_STEREO_CAPTURE_H
#define BRIMLET_CAPTURE_STEREO_CAPTURE_H

#include <cstddef>

#include <pgrflycapture.h>
#include <triclops.h>

namespace brimlet {

// A rectified frame and the stereo context that owns its pixels.
struct RectifiedFrame {
  TriclopsContext triclops;
  TriclopsPackedColorImage colorImage;
};

// Opens camera 0, downloads its calibration, grabs one frame and rectifies
// the first image to rectRows x rectCols.  The camera is stopped and closed
// again before this returns; the pixels stay valid until releaseRectifier().
// Any failing step ends the process (see reportStepFailure), so this only
// ever returns a valid frame.
RectifiedFrame captureRectifiedFrame(int rectRows, int rectCols) noexcept;

// Destroys the stereo context and with it the rectified pixels.
void releaseRectifier(TriclopsContext triclops) noexcept;

// Bytes the prepared frame needs: cols x rows x images x 4, or 0 when the
// grabbed frame's description is not positive or the size does not fit.
std::size_t rowBufferBytes(const FlyCaptureImage& flycaptureImage) noexcept;

}  // namespace brimlet

#endif
