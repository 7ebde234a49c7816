/*
 * Stand-in for the Triclops stereo library: the rectification operations
 * stereo_brimlet uses, reading the calibration file the simulated camera
 * writes.  A build against the vendor library uses the vendor's header
 * instead; only the names and the behaviour the library relies on are shared.
 */
#ifndef TRICLOPS_H
#define TRICLOPS_H

#include <stdint.h>

#if defined(__GNUC__)
#define TRICLOPS_API __attribute__((visibility("default")))
#else
#define TRICLOPS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result code of every operation; TriclopsErrorOk (0) is success. */
typedef int32_t TriclopsError;
#define TriclopsErrorOk 0
/* The camera is not a stereo model this library knows. */
#define TriclopsErrorInvalidCamera 4

typedef struct TriclopsRectifier* TriclopsContext;

/* Which image of the stereo frame: 0 is the first (reference) camera. */
typedef int32_t TriclopsCamera;

/* Packed input: rows of 4-byte pixels (blue, green, red, unused). */
typedef struct TriclopsInput {
  int32_t nrows;
  int32_t ncols;
  int32_t rowinc;  /* bytes from one row to the next */
  uint32_t timeStampSec;
  uint32_t timeStampUsec;
  void* data;      /* not owned */
} TriclopsInput;

typedef struct TriclopsPackedColorPixel {
  unsigned char value[4];  /* blue, green, red, unused */
} TriclopsPackedColorPixel;

typedef struct TriclopsPackedColorImage {
  int32_t nrows;
  int32_t ncols;
  int32_t rowinc;  /* bytes from one row to the next: ncols x 4 */
  TriclopsPackedColorPixel* data;  /* owned by the context */
} TriclopsPackedColorImage;

TRICLOPS_API TriclopsError triclopsGetDefaultContextFromFile(TriclopsContext* pContext, const char* fileName);
/* Rows first; later rectified images have rows x cols pixels. */
TRICLOPS_API TriclopsError triclopsSetResolution(TriclopsContext context, int32_t rows, int32_t cols);
TRICLOPS_API TriclopsError triclopsBuildPackedTriclopsInput(int32_t cols, int32_t rows, int32_t rowinc,
                                                            uint32_t timeStampSec, uint32_t timeStampUsec,
                                                            void* data, TriclopsInput* pInput);
/* The output pixels stay owned by the context until it is destroyed. */
TRICLOPS_API TriclopsError triclopsRectifyPackedColorImage(TriclopsContext context, TriclopsCamera camera,
                                                           TriclopsInput* pInput,
                                                           TriclopsPackedColorImage* pOutput);
/* Writes a binary PPM (P6, maxval 255); a reader never sees half a file. */
TRICLOPS_API TriclopsError triclopsSavePackedColorImage(TriclopsPackedColorImage* pImage, const char* fileName);
TRICLOPS_API TriclopsError triclopsDestroyContext(TriclopsContext context);
/* A constant text for any code; never null. */
TRICLOPS_API const char* triclopsErrorToString(TriclopsError error);

#ifdef __cplusplus
}
#endif

#endif
