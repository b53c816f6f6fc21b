include(GoogleTest)
enable_testing()

# GoogleTest: Debian's prebuilt library natively; the cross build compiles the sources that
# Debian's googletest package installs.
macro(roadsum_find_gtest)
  if(CMAKE_CROSSCOMPILING)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endmacro()

# roadsum_test(NAME SOURCES ... LIBS ... [PROPERTIES name value ...]): a GoogleTest program whose
# cases become ctest tests; PROPERTIES are given to every case (a ctest fixture, for example).
function(roadsum_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  # Under Wine the list is taken when ctest starts, so the build needs no Wine.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 120 ${T_PROPERTIES})
endfunction()
