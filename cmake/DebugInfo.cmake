# Debug information that the crash reporter reads (a text map and the packed container), made
# by nox-debuginfo from a linked program's symbols and DWARF line tables.
#
#   roadsum_debug_info_side_files(TARGET)
#       after each link writes NAME.map and NAME.nox beside the program, where the reporter
#       finds them when the program carries no debug information of its own.
#
#   roadsum_executable_with_debug_info(NAME RC_FILE DEBUG_RC_FILE SETTINGS STREAM
#                                      LIBS ... [RESOURCES FILE...] [WIN32])
#       links the program twice from the same objects (the libraries in LIBS, one of them an
#       object library with its own code): first with RC_FILE, then with DEBUG_RC_FILE, which
#       adds the packed debug information of the first link as the resource "NOX"/"EXCEPT"
#       (file NAME.nox) and the settings resource STREAM with MinDebugInfo set to its
#       identification (file NAME_settings.bin). The resource section lies after code and
#       data, so the second link holds the same code at the same addresses; the build checks
#       that byte for byte, and the linker writes the header checksum of the final file. The
#       first link goes to first_link/NAME.exe; NAME.map and NAME.nox are also put beside
#       the final program. RESOURCES are further generated files that the resource scripts
#       include (the icon), made before either link.

function(roadsum_debuginfo_tool var)
  roadsum_host_tool(tool nox-debuginfo)
  set(${var} ${tool} PARENT_SCOPE)
endfunction()

# The build waits for the tool itself, also where it runs after a link.
function(roadsum_depend_on_debuginfo_tool target)
  if(CMAKE_CROSSCOMPILING)
    add_dependencies(${target} host_tools)
  else()
    add_dependencies(${target} nox-debuginfo)
  endif()
endfunction()

function(roadsum_debug_info_side_files target)
  roadsum_debuginfo_tool(tool)
  set(stem $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${tool} build $<TARGET_FILE:${target}> --map ${stem}.map --nox ${stem}.nox
    COMMENT "Writing the debug information of ${target}"
    VERBATIM)
  roadsum_depend_on_debuginfo_tool(${target})
endfunction()

function(roadsum_executable_with_debug_info name)
  cmake_parse_arguments(D "WIN32" "RC_FILE;DEBUG_RC_FILE;SETTINGS" "LIBS;RESOURCES" ${ARGN})
  set(kind)
  if(D_WIN32)
    set(kind WIN32)
  endif()
  roadsum_debuginfo_tool(tool)
  set(dir ${CMAKE_CURRENT_BINARY_DIR})

  set_source_files_properties(${D_RC_FILE} PROPERTIES OBJECT_DEPENDS "${D_SETTINGS};${D_RESOURCES}")
  add_executable(${name}_first_link ${kind} ${D_RC_FILE} ${D_SETTINGS} ${D_RESOURCES})
  target_link_libraries(${name}_first_link PRIVATE ${D_LIBS})
  target_include_directories(${name}_first_link PRIVATE ${dir})
  set_target_properties(${name}_first_link PROPERTIES OUTPUT_NAME ${name} RUNTIME_OUTPUT_DIRECTORY ${dir}/first_link)

  set(depends ${name}_first_link ${D_SETTINGS} ${tool})
  if(NOT CMAKE_CROSSCOMPILING)
    list(APPEND depends nox-debuginfo)
  endif()
  add_custom_command(
    OUTPUT ${dir}/${name}.map ${dir}/${name}.nox ${dir}/${name}_settings.bin
    COMMAND ${tool} build $<TARGET_FILE:${name}_first_link> --map ${dir}/${name}.map --nox ${dir}/${name}.nox
            --settings ${D_SETTINGS} --settings-out ${dir}/${name}_settings.bin
    DEPENDS ${depends}
    COMMENT "Making the debug information of ${name}"
    VERBATIM)
  set_source_files_properties(${D_DEBUG_RC_FILE} PROPERTIES
    OBJECT_DEPENDS "${dir}/${name}.nox;${dir}/${name}_settings.bin;${D_RESOURCES}")

  add_executable(${name} ${kind} ${D_DEBUG_RC_FILE} ${dir}/${name}.nox ${dir}/${name}_settings.bin ${D_RESOURCES})
  target_link_libraries(${name} PRIVATE ${D_LIBS})
  target_include_directories(${name} PRIVATE ${dir})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${tool} compare $<TARGET_FILE:${name}_first_link> $<TARGET_FILE:${name}>
    COMMAND ${CMAKE_COMMAND} -E copy ${dir}/${name}.map ${dir}/${name}.nox $<TARGET_FILE_DIR:${name}>
    COMMENT "Checking that ${name} holds the code of its first link"
    VERBATIM)
  roadsum_depend_on_debuginfo_tool(${name})
endfunction()
