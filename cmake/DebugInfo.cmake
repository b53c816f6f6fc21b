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
#       object library with its own code). The first link, with RC_FILE and the full DWARF,
#       goes to first_link/NAME.exe; everything about the program's code is made from it:
#       NAME.map and NAME.nox (nox-debuginfo), the settings resource STREAM with MinDebugInfo
#       set to the container's identification (NAME_settings.bin), and NAME.exe.debug, its
#       DWARF alone (objcopy --only-keep-debug). The second link is the shipped program: with
#       DEBUG_RC_FILE, which adds the packed debug information as the resource "NOX"/"EXCEPT"
#       and the marked settings, linked --strip-all so that it carries neither DWARF nor a
#       COFF symbol table but a .gnu_debuglink to NAME.exe.debug (cmake/debuglink.ld), which
#       holds both and through which gdb, addr2line and objdump find them. The linker itself writes the header checksum of the
#       stripped file. Resources and the link lie after code and data, so the code stays
#       where the first link put it; the build checks that byte for byte, checks the
#       checksum and the link to the side file, and puts NAME.map, NAME.nox and
#       NAME.exe.debug beside the program. RESOURCES are further generated files that the
#       resource scripts include (the icon), made before either link.

function(roadsum_debuginfo_tool var)
  roadsum_host_tool(tool nox-debuginfo)
  set(${var} ${tool} PARENT_SCOPE)
endfunction()

# The build waits for the tool itself, also where it runs after a link; a changed tool links
# the program again, so that what it wrote after the link is written anew.
function(roadsum_depend_on_debuginfo_tool target)
  if(CMAKE_CROSSCOMPILING)
    add_dependencies(${target} host_tools)
  else()
    add_dependencies(${target} nox-debuginfo)
  endif()
  roadsum_debuginfo_tool(tool)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${tool})
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

  # The DWARF of the first link into the side file, and an object whose only section links
  # to it: made by objcopy from an empty object, which computes the CRC-32 as gdb checks it.
  # The section is renamed and made ordinary data since the strip drops debugging input
  # sections; cmake/debuglink.ld names it .gnu_debuglink again in the program.
  set(debug_file ${name}${CMAKE_EXECUTABLE_SUFFIX}.debug)
  set(link_object ${dir}/${name}_debuglink.obj)
  add_custom_command(
    OUTPUT ${dir}/${debug_file} ${link_object}
    BYPRODUCTS ${link_object}.empty ${link_object}.section
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${name}_first_link> ${dir}/${debug_file}
    COMMAND ${CMAKE_C_COMPILER} -c -x assembler /dev/null -o ${link_object}.empty
    COMMAND ${CMAKE_OBJCOPY} -R .text -R .data -R .bss --add-gnu-debuglink=${dir}/${debug_file}
            ${link_object}.empty ${link_object}.section
    COMMAND ${CMAKE_OBJCOPY} --rename-section .gnu_debuglink=.roadsum_debuglink,contents,alloc,load,readonly,data
            ${link_object}.section ${link_object}
    DEPENDS ${name}_first_link
    COMMENT "Moving the DWARF of ${name} into ${debug_file}"
    VERBATIM)
  set_source_files_properties(${link_object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)

  add_executable(${name} ${kind} ${D_DEBUG_RC_FILE} ${dir}/${name}.nox ${dir}/${name}_settings.bin ${D_RESOURCES}
                 ${link_object})
  target_link_libraries(${name} PRIVATE ${D_LIBS})
  target_include_directories(${name} PRIVATE ${dir})
  # Long section names are kept although the link strips (.eh_frame would become .eh_fram).
  set(link_script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/debuglink.ld)
  target_link_options(${name} PRIVATE -Wl,--strip-all -Wl,--enable-long-section-names -Wl,-T,${link_script})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${link_script})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${tool} compare $<TARGET_FILE:${name}_first_link> $<TARGET_FILE:${name}> --debug-file ${dir}/${debug_file}
    COMMAND ${CMAKE_COMMAND} -E copy ${dir}/${name}.map ${dir}/${name}.nox ${dir}/${debug_file} $<TARGET_FILE_DIR:${name}>
    COMMENT "Checking that ${name} holds the code of its first link and links to its DWARF"
    VERBATIM)
  roadsum_depend_on_debuginfo_tool(${name})
endfunction()
