option(BRIMLET_SANITIZE
  "Build every target with AddressSanitizer (LeakSanitizer included) and UndefinedBehaviorSanitizer, stopping at the first report; the Java tests then run their JVM with the sanitizer runtime preloaded"
  OFF)

# Settings every target of the project takes through brimlet_compile_options().
function(brimlet_compile_options target)
  target_compile_features(${target} PRIVATE cxx_std_17)
  set_target_properties(${target} PROPERTIES
    CXX_EXTENSIONS OFF
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE -Wall -Wextra
    $<$<BOOL:${BRIMLET_WARNINGS_AS_ERRORS}>:-Werror>)
  if(BRIMLET_SANITIZE)
    # float-cast-overflow and float-divide-by-zero are not part of
    # "undefined"; a NaN cast to int is otherwise silent on x86.
    set(sanitizers -fsanitize=address,undefined,float-cast-overflow,float-divide-by-zero
      -fno-sanitize-recover=all)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      # The JVM can only preload a shared runtime; clang links a static one by default.
      list(APPEND sanitizers -shared-libsan)
    endif()
    target_compile_options(${target} PRIVATE ${sanitizers} -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE ${sanitizers})
  endif()
endfunction()

# The sanitizer runtime a JVM must preload to load a sanitized library
# (BRIMLET_SANITIZER_RUNTIME, empty when not sanitizing).
set(BRIMLET_SANITIZER_RUNTIME "")
if(BRIMLET_SANITIZE)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(runtimeName libclang_rt.asan-x86_64.so)
  else()
    set(runtimeName libasan.so)
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtimeName}
    OUTPUT_VARIABLE BRIMLET_SANITIZER_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${BRIMLET_SANITIZER_RUNTIME}" OR NOT EXISTS "${BRIMLET_SANITIZER_RUNTIME}")
    message(FATAL_ERROR "BRIMLET_SANITIZE: ${CMAKE_CXX_COMPILER} does not know where ${runtimeName} is")
  endif()
  unset(runtimeName)
endif()
