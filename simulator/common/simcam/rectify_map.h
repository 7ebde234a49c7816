// Rectification: each rectified pixel is the raw image sampled where the
// sensor's lens puts it.  Where that is depends only on the lens and the two
// image geometries, so it can be worked out once into a map of integer taps
// and then applied to any number of frames by a plain gather.
#ifndef SIMCAM_RECTIFY_MAP_H
#define SIMCAM_RECTIFY_MAP_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simcam/lens.h"

namespace simcam {

// A packed input of inRows x inCols 4-byte pixels, rows inRowBytes apart,
// rectified to outRows x outCols.
struct RectifyGeometry {
  int inRows;
  int inCols;
  size_t inRowBytes;
  int outRows;
  int outCols;

  bool operator==(const RectifyGeometry& other) const {
    return inRows == other.inRows && inCols == other.inCols && inRowBytes == other.inRowBytes &&
           outRows == other.outRows && outCols == other.outCols;
  }
};

// One entry per rectified pixel, row by row: the byte offset of the input
// pixel at its top left, and the weights of its right and lower neighbours
// in 1/256 (wx | wy << 16, each 0..256).  Both neighbours always lie inside
// the input: a sample clamped to the last column or row is taken from the
// pixel before it with weight 0, which gives the same sums.
struct RectifyMap {
  std::vector<uint32_t> offsets;
  std::vector<uint32_t> weights;
};

// Whether a map can serve this geometry: every offset must fit the signed
// 32-bit indices of a vector gather, and the input needs a neighbour in
// each direction.
bool mappable(const RectifyGeometry& geometry);

// Needs mappable(geometry).
RectifyMap buildRectifyMap(const LensModel& lens, const RectifyGeometry& geometry);

// Writes one 4-byte pixel (blue, green, red, 255) per map entry, exactly the
// values rectifyDirect gives.  Uses the widest vector unit the CPU has.
void applyRectifyMap(const uint8_t* input, size_t inRowBytes, const RectifyMap& map, uint8_t* out);
// The same without vector units, for any CPU; also what the tests hold the
// vector version to.
void applyRectifyMapPortable(const uint8_t* input, size_t inRowBytes, const RectifyMap& map, uint8_t* out);

// The pixels worked out one at a time, without a map: for geometries too
// large to keep a map of, or that a map cannot serve.
void rectifyDirect(const LensModel& lens, const RectifyGeometry& geometry, const uint8_t* input, uint8_t* out);

}  // namespace simcam

#endif
