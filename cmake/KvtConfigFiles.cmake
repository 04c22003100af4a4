# The data files of config/ (Alarm.txt, BlackList.txt, WhiteList.txt) go beside every program that reads
# them: the program forms their paths from its own directory ("config\Alarm.txt").
function(kvt_copy_config target)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/config/*.txt)
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    get_target_property(dir ${target} BINARY_DIR)
  endif()
  set(copies "")
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${dir}/config/${name}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/config
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${dir}/config/${name}
                       DEPENDS ${source}
                       COMMENT "Copying config/${name} beside ${target}")
    list(APPEND copies ${dir}/config/${name})
  endforeach()
  add_custom_target(${target}_config DEPENDS ${copies})
  add_dependencies(${target} ${target}_config)
endfunction()
