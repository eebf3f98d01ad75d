# windows.h is most of what a Win32 source file costs to compile with
# MinGW-w64 (1.4 s of some 2 s): the targets of many such files take it
# precompiled. Only the compile time changes, not the objects. Every file of
# such a target sees windows.h, so NOMINMAX keeps its min and max macros away
# from std::min and std::max in files that never asked for it.
if(WIN32)
  add_compile_definitions(NOMINMAX)
endif()

# tavirel_precompile_windows(TARGET [LIKE OTHER]): TARGET takes windows.h
# precompiled, its own or, with LIKE, the one OTHER made. GCC takes a
# precompiled header only into a file compiled with the same options
# (-fexceptions among them), so LIKE is for targets with OTHER's flags;
# -Winvalid-pch says when that no longer holds.
function(tavirel_precompile_windows target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LIKE" "")
  if(arg_LIKE)
    target_precompile_headers(${target} REUSE_FROM ${arg_LIKE})
  else()
    target_precompile_headers(${target} PRIVATE <windows.h>)
  endif()
  target_compile_options(${target} PRIVATE -Winvalid-pch)
endfunction()
