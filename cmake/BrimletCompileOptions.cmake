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

# What a JVM needs to load a sanitized library (BRIMLET_SANITIZER_ENVIRONMENT,
# a list of VAR=value for a test's ENVIRONMENT; empty when not sanitizing):
# the runtime preloaded, since it must come first; use_tls=0, without which
# LeakSanitizer crashes on the JVM's threads; malloc_context_size=4, which
# keeps the JVM's suppressions off the library's own stacks; and an exit code
# of its own, apart from the library's documented exit(1).  Processes the
# JVM starts inherit it.
set(BRIMLET_SANITIZER_ENVIRONMENT "")
if(BRIMLET_SANITIZE)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(runtimeName libclang_rt.asan-x86_64.so)
  else()
    set(runtimeName libasan.so)
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtimeName}
    OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${runtime}" OR NOT EXISTS "${runtime}")
    message(FATAL_ERROR "BRIMLET_SANITIZE: ${CMAKE_CXX_COMPILER} does not know where ${runtimeName} is")
  endif()
  set(BRIMLET_SANITIZER_ENVIRONMENT
    "LD_PRELOAD=${runtime}"
    "ASAN_OPTIONS=detect_leaks=1:malloc_context_size=4:handle_segv=0:exitcode=86"
    "LSAN_OPTIONS=use_tls=0:exitcode=86:suppressions=${CMAKE_CURRENT_LIST_DIR}/../tests/lsan-jvm.supp"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  unset(runtime)
  unset(runtimeName)
endif()
