#ifndef BRIMLET_CAPTURE_STEP_FAILURE_H
#define BRIMLET_CAPTURE_STEP_FAILURE_H

namespace brimlet {

// The one way a failing camera or stereo step is reported: prints
// "ERROR: <label> reported <errorText>." on standard output and ends the
// process with status 1.  Callers (and the Java side) rely on that exact line.
[[noreturn]] void reportStepFailure(const char* label, const char* errorText) noexcept;

}  // namespace brimlet

#endif
