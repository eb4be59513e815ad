# zipbuilder_add_engine_library(FILE_NAME sources...)
#
# An engine library is loaded at run time by its exact file name, e.g. "unzdll.dll",
# so the output carries that name on both targets and lands in the bin folder next to
# the programs that load it. The CMake target is the name without its extension
# ("unzdll").
#
# Windows: a DLL whose __stdcall exports keep their plain names (UnzDllExec, not
#          _UnzDllExec@4), as the loader looks them up by those names.
# Linux:   an ELF shared object with the same file name, loaded through dlopen.
function(zipbuilder_add_engine_library file_name)
  get_filename_component(target ${file_name} NAME_WLE)
  get_filename_component(extension ${file_name} LAST_EXT)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${target}
    SUFFIX "${extension}"
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    # Nothing links against an engine, but the Windows linker still writes an import
    # library; named after the target, it stays unique when several targets give
    # their DLLs one file name in different folders.
    ARCHIVE_OUTPUT_NAME ${target})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE zipbuilder_warnings)
  if(WIN32)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
endfunction()
