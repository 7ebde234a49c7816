/*
 * Stand-in for the FlyCapture camera library: the operations stereo_brimlet
 * uses, backed by a simulated stereo camera (see simcam_query.h and the
 * README for how the simulated camera is chosen through SIMCAM_* variables).
 *
 * A build against the vendor library uses the vendor's header instead; only
 * the names and the behaviour the library relies on are shared.
 */
#ifndef PGRFLYCAPTURE_H
#define PGRFLYCAPTURE_H

#include <stdint.h>

#if defined(__GNUC__)
#define FLYCAPTURE_API __attribute__((visibility("default")))
#else
#define FLYCAPTURE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result code of every operation; FLYCAPTURE_OK (0) is success. */
typedef int32_t FlyCaptureError;
#define FLYCAPTURE_OK 0

/* Opaque camera context. */
typedef struct FlyCaptureCameraContext* FlyCaptureContext;

/* Camera types. */
#define FLYCAPTURE_CAMERA_TYPE_MONO 0
#define FLYCAPTURE_CAMERA_TYPE_COLOR 1

/* Pixel formats accepted by flycaptureStartCustomImage. */
#define FLYCAPTURE_PIXEL_FORMAT_MONO16 32   /* one grey byte per image per pixel */
#define FLYCAPTURE_PIXEL_FORMAT_RAW16 1024  /* one Bayer (RGGB) byte per image per pixel */

typedef struct FlyCaptureInfo {
  int32_t cameraType;   /* FLYCAPTURE_CAMERA_TYPE_* */
  int32_t cameraModel;  /* model number, e.g. 11 or 12 */
  uint32_t serialNumber;
  char modelName[32];
} FlyCaptureInfo;

typedef struct FlyCaptureTimestamp {
  uint32_t ulSeconds;
  uint32_t ulMicroSeconds;
} FlyCaptureTimestamp;

/*
 * A frame.  A grabbed frame holds iNumImages side-by-side images, one byte
 * per image per pixel, interleaved pixel by pixel: a row is iRowInc bytes
 * (iCols x iNumImages).  A prepared stereo image holds 4-byte colour pixels
 * (blue, green, red, unused) with each buffer row carrying the same row of
 * every image one after another, so one row spans iRowInc x 4 bytes.
 */
typedef struct FlyCaptureImage {
  int32_t iRows;
  int32_t iCols;
  int32_t iRowInc;
  int32_t iNumImages;
  int32_t pixelFormat;
  unsigned char* pData;
  FlyCaptureTimestamp timeStamp;
} FlyCaptureImage;

FLYCAPTURE_API FlyCaptureError flycaptureCreateContext(FlyCaptureContext* pContext);
FLYCAPTURE_API FlyCaptureError flycaptureInitialize(FlyCaptureContext context, uint32_t busIndex);
/* *pszCalFile stays owned by the context and valid until it is destroyed. */
FLYCAPTURE_API FlyCaptureError flycaptureGetCalibrationFileFromCamera(FlyCaptureContext context,
                                                                      char** pszCalFile);
FLYCAPTURE_API FlyCaptureError flycaptureGetCameraInfo(FlyCaptureContext context, FlyCaptureInfo* pInfo);
FLYCAPTURE_API FlyCaptureError flycaptureGetCameraRegister(FlyCaptureContext context, uint32_t ulRegister,
                                                           uint32_t* pulValue);
FLYCAPTURE_API FlyCaptureError flycaptureStartCustomImage(FlyCaptureContext context, uint32_t uiMode,
                                                          uint32_t uiImagePosLeft, uint32_t uiImagePosTop,
                                                          uint32_t uiWidth, uint32_t uiHeight,
                                                          float fBandwidth, int32_t pixelFormat);
/*
 * pImage->pData stays owned by the context until the next grab, stop or
 * destroy.  It is read-only: the simulated camera shares one frame between
 * every context streaming the same, and writing into it faults.
 */
FLYCAPTURE_API FlyCaptureError flycaptureGrabImage2(FlyCaptureContext context, FlyCaptureImage* pImage);
/*
 * Converts a grabbed frame into the prepared 4-byte layout.  The caller sets
 * pImageColor->pData to a buffer of iCols x iRows x iNumImages x 4 bytes; the
 * rest of *pImageColor is filled in.  pImageMono may be null.
 */
FLYCAPTURE_API FlyCaptureError flycapturePrepareStereoImage(FlyCaptureContext context, FlyCaptureImage image,
                                                            FlyCaptureImage* pImageMono,
                                                            FlyCaptureImage* pImageColor);
FLYCAPTURE_API FlyCaptureError flycaptureStop(FlyCaptureContext context);
FLYCAPTURE_API FlyCaptureError flycaptureDestroyContext(FlyCaptureContext context);
/* A constant text for any code; never null. */
FLYCAPTURE_API const char* flycaptureErrorToString(FlyCaptureError error);

#ifdef __cplusplus
}
#endif

#endif
