# Bitmap resources made at build time from text pixmaps (tools/pixmap), for the win32 tree.
#
#   roadsum_pixmap_resources(LIBRARY RESOURCE_TARGET RC_FILE PIXMAP_NAME...)
# makes NAME.bmp from NAME.pixmap of the current source folder for each name, compiles RC_FILE
# (which names the .bmp files) into the OBJECT library RESOURCE_TARGET, and gives its object to
# every program that links LIBRARY: linked from an archive, the linker would drop resources.
function(roadsum_pixmap_resources library resource_target rc)
  roadsum_host_tool(pixmap_tool roadsum-pixmap)
  set(bitmaps)
  foreach(name ${ARGN})
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.bmp
      COMMAND ${pixmap_tool} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.pixmap ${CMAKE_CURRENT_BINARY_DIR}/${name}.bmp
      DEPENDS ${pixmap_tool} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.pixmap)
    list(APPEND bitmaps ${CMAKE_CURRENT_BINARY_DIR}/${name}.bmp)
  endforeach()
  add_library(${resource_target} OBJECT ${rc})
  target_include_directories(${resource_target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${bitmaps}")
  target_sources(${library} INTERFACE $<TARGET_OBJECTS:${resource_target}>)
  add_dependencies(${library} ${resource_target})
endfunction()
