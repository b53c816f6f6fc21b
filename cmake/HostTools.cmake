# Build-time tools (resource generators and the like) run on the build machine. The native tree
# builds them as ordinary targets; the cross tree builds them in a nested host build under
# build/win32/host, since its own compiler makes Windows programs.
#
# The tools are named once, in ROADSUM_HOST_TOOL_NAMES (top CMakeLists.txt); tools/CMakeLists.txt
# defines them and the ROADSUM_HOST_TOOLS build makes only them.
#
#   roadsum_host_tool(VAR name)   sets VAR to the tool's path, for add_custom_command as both
#                                 its COMMAND and a DEPENDS entry.

if(CMAKE_CROSSCOMPILING AND NOT ROADSUM_HOST_TOOLS AND ROADSUM_HOST_TOOL_NAMES)
  include(ExternalProject)
  set(byproducts)
  foreach(tool IN LISTS ROADSUM_HOST_TOOL_NAMES)
    list(APPEND byproducts ${CMAKE_BINARY_DIR}/host/bin/${tool})
  endforeach()
  ExternalProject_Add(host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/host
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DROADSUM_HOST_TOOLS=ON -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
               -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
               -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${byproducts}
    INSTALL_COMMAND "")
endif()

function(roadsum_host_tool var name)
  if(NOT name IN_LIST ROADSUM_HOST_TOOL_NAMES)
    message(FATAL_ERROR "${name} is not in ROADSUM_HOST_TOOL_NAMES")
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(${var} ${CMAKE_BINARY_DIR}/host/bin/${name} PARENT_SCOPE)
  else()
    set(${var} $<TARGET_FILE:${name}> PARENT_SCOPE)
  endif()
endfunction()
