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
endfunction()
