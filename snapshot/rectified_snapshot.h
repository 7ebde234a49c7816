#ifndef BRIMLET_SNAPSHOT_RECTIFIED_SNAPSHOT_H
#define BRIMLET_SNAPSHOT_RECTIFIED_SNAPSHOT_H

#include <triclops.h>

namespace brimlet {

// When requested, writes the rectified frame to "logging/pic0.ppm" under the
// current directory (the folder must already exist).  A failed save is
// deliberately silent: the frame still goes back to Java.
void saveRectifiedSnapshot(bool requested, TriclopsPackedColorImage* colorImage) noexcept;

}  // namespace brimlet

#endif
