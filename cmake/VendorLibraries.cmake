# Building against the installed FlyCapture and Triclops libraries instead of
# the simulated camera.  Defines imported targets with the stand-ins' names,
# PGRFlyCapture and triclops, so the rest of the build links them unchanged.
find_path(FLYCAPTURE_INCLUDE_DIR pgrflycapture.h
  PATH_SUFFIXES flycapture include/flycapture
  DOC "Folder of the vendor's pgrflycapture.h")
find_library(FLYCAPTURE_LIBRARY PGRFlyCapture flycapture DOC "The vendor's FlyCapture library")
find_path(TRICLOPS_INCLUDE_DIR triclops.h
  PATH_SUFFIXES triclops include/triclops
  DOC "Folder of the vendor's triclops.h")
find_library(TRICLOPS_LIBRARY triclops DOC "The vendor's Triclops library")

foreach(required FLYCAPTURE_INCLUDE_DIR FLYCAPTURE_LIBRARY TRICLOPS_INCLUDE_DIR TRICLOPS_LIBRARY)
  if(NOT ${required})
    message(FATAL_ERROR "BRIMLET_USE_VENDOR_LIBRARIES is ON but ${required} was not found; "
      "set it with -D${required}=... or build with the simulated camera (the default)")
  endif()
endforeach()

add_library(PGRFlyCapture UNKNOWN IMPORTED GLOBAL)
set_target_properties(PGRFlyCapture PROPERTIES
  IMPORTED_LOCATION "${FLYCAPTURE_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${FLYCAPTURE_INCLUDE_DIR}")
add_library(triclops UNKNOWN IMPORTED GLOBAL)
set_target_properties(triclops PROPERTIES
  IMPORTED_LOCATION "${TRICLOPS_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${TRICLOPS_INCLUDE_DIR}")
