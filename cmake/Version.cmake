# The one version number of Roadsum is the project version in the top-level CMakeLists.txt
# (four numbers, as Windows' version resources hold them). It reaches the code through the
# generated header roadsum_version.h, which targets get by linking roadsum_version: the
# program's version resource (src/app/roadsum.rc), its manifest and the tools' --version.

if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "The project version must be four numbers, not '${PROJECT_VERSION}'")
endif()
foreach(part MAJOR MINOR PATCH TWEAK)
  if(PROJECT_VERSION_${part} GREATER 65535)
    message(FATAL_ERROR "Each number of the project version must fit 16 bits")
  endif()
endforeach()

set(ROADSUM_VERSION_HEADER ${CMAKE_BINARY_DIR}/generated/roadsum_version.h)
configure_file(${CMAKE_CURRENT_LIST_DIR}/roadsum_version.h.in ${ROADSUM_VERSION_HEADER} @ONLY)
add_library(roadsum_version INTERFACE)
target_include_directories(roadsum_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
