#ifndef BRIMLET_JNI_BUILD_VARIANT_H
#define BRIMLET_JNI_BUILD_VARIANT_H

// The variant is fixed when the library is built (CMake option
// BRIMLET_VARIANT): A rectifies to 240 x 320 and honours the snapshot flag,
// B rectifies to 120 x 160 and has no snapshot code at all.
#if !defined(BRIMLET_RECT_ROWS) || !defined(BRIMLET_RECT_COLS) || !defined(BRIMLET_SNAPSHOT)
#error "BRIMLET_RECT_ROWS, BRIMLET_RECT_COLS and BRIMLET_SNAPSHOT come from the build"
#endif

namespace brimlet {

constexpr int rectRows = BRIMLET_RECT_ROWS;
constexpr int rectCols = BRIMLET_RECT_COLS;
constexpr bool snapshotHonoured = BRIMLET_SNAPSHOT != 0;

}  // namespace brimlet

#endif
