# The version resource of a Windows program: product name, version and
# copyright from here and project(), the description given.
#   rebrander_add_version_resource(TARGET "What the program does")
set(REBRANDER_PRODUCT_NAME "Rebrander")
set(REBRANDER_COPYRIGHT "Copyright (C) 2026 the rebrander developers")

function(rebrander_add_version_resource target description)
  get_target_property(VERSION_NAME ${target} OUTPUT_NAME)
  if(NOT VERSION_NAME)
    set(VERSION_NAME ${target})
  endif()
  set(VERSION_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
