# GoogleTest: Debian's package natively, its sources for the cross build.
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Newer GoogleTest sources define the GTest:: names themselves.
  foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()

# zipbuilder_add_test(NAME [MAPS_DRIVES] SOURCES sources... LIBRARIES libs...)
#
# MAPS_DRIVES: the tests define drive letters. Under Wine that goes through the
# mount manager, which redefines the drives of the whole prefix: while it does,
# another program may find even C: undefined. In the Windows builds such tests run
# alone; natively each test has a scratch prefix of its own.
function(zipbuilder_add_test name)
  cmake_parse_arguments(ARG "MAPS_DRIVES" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main zipbuilder_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set(properties "")
  if(ARG_MAPS_DRIVES AND WIN32)
    set(properties PROPERTIES RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST
    ${properties})
endfunction()
