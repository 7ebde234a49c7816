#include "snapshot/rectified_snapshot.h"

#include <cstdio>

namespace brimlet {

void saveRectifiedSnapshot(bool requested, TriclopsPackedColorImage* colorImage) noexcept {
  // Every snapshot overwrites the same file: the counter never moves.
  const int snapshotCounter = 0;
  char number[10];
  char fileName[25];
  std::snprintf(number, sizeof number, "%d", snapshotCounter);
  std::snprintf(fileName, sizeof fileName, "%s%s%s", "logging/pic", number, ".ppm");
  if (requested) {
    (void)triclopsSavePackedColorImage(colorImage, fileName);
  }
}

}  // namespace brimlet
