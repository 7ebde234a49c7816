/*
 * Test-only view into the simulated camera: what the most recent streaming
 * was started with and what the most recent stereo preparation wrote.
 * stereo_brimlet itself never calls this; tests use it to check the
 * streaming geometry and the prepared buffer.
 */
#ifndef SIMCAM_QUERY_H
#define SIMCAM_QUERY_H

#include <stddef.h>
#include <stdint.h>

#include "pgrflycapture.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SimcamStreaming {
  int32_t started;  /* 0 until the first successful flycaptureStartCustomImage in this process */
  uint32_t mode;
  uint32_t left;
  uint32_t top;
  uint32_t width;
  uint32_t height;
  float bandwidth;
  int32_t pixelFormat;
} SimcamStreaming;

typedef struct SimcamPreparation {
  int32_t prepared;     /* 0 until the first successful flycapturePrepareStereoImage */
  int32_t numImages;
  size_t bytesWritten;  /* bytes written from pImageColor->pData on */
} SimcamPreparation;

FLYCAPTURE_API void simcamLastStreaming(SimcamStreaming* pStreaming);
FLYCAPTURE_API void simcamLastPreparation(SimcamPreparation* pPreparation);

#ifdef __cplusplus
}
#endif

#endif
