# Resources kept as readable text and compiled into binary component streams at build time.
#
#   roadsum_compile_stream(VAR TEXT_FILE [NAME STEM])
#       compiles TEXT_FILE with roadsum-streamc into ${CMAKE_CURRENT_BINARY_DIR}/STEM.bin
#       (STEM defaults to the text file's name without extension) and sets VAR to that path.
#       Add the path to the target's sources and name it in the target's .rc file.
function(roadsum_compile_stream var text)
  cmake_parse_arguments(S "" "NAME" "" ${ARGN})
  get_filename_component(text ${text} ABSOLUTE)
  if(S_NAME)
    set(stem ${S_NAME})
  else()
    get_filename_component(stem ${text} NAME_WE)
  endif()
  roadsum_host_tool(streamc roadsum-streamc)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${stem}.bin)
  set(deps ${streamc} ${text})
  if(NOT CMAKE_CROSSCOMPILING)
    list(APPEND deps roadsum-streamc)
  endif()
  add_custom_command(OUTPUT ${out}
                     COMMAND ${streamc} compile ${text} -o ${out}
                     DEPENDS ${deps}
                     COMMENT "Compiling the component stream ${stem}.bin"
                     VERBATIM)
  set(${var} ${out} PARENT_SCOPE)
endfunction()
