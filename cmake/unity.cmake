# Sources compiled on their own, outside the unity batches (CMAKE_UNITY_BUILD):
# each defines a file-local helper whose name another source of its target
# uses too (every command of ostrel-cli has its own registrar). Included at
# the end of the top CMakeLists.txt, once every directory that makes targets
# is known. Patterns are globbed.
set(OSTREL_UNITY_ALONE
    src/base/config_file.cpp
    src/cli/cmd_*.cpp
    src/displays/comparator_gauge.cpp
    src/graph/ui/save_file_chooser.cpp
    src/import/session_decoder.cpp
    src/import/ui/import_files.cpp
    src/mqtt/reading_message.cpp
    src/recorder/temporary_files.cpp
    src/recorder/text_export.cpp
    src/recorder/ui/graphical_form_files.cpp
    src/recorder/ui/leftover_dialog.cpp
    src/recorder/ui/trigger_dialog.cpp
    tests/cli/decode_frame_cli_test.cpp
    tests/desktop/recording_options_journeys_test.cpp
    tests/link/reading_test.cpp
    tests/recorder/atomic_file_test.cpp
    tests/recorder/convert_cli_test.cpp
    tests/ui/import_files_test.cpp)
list(TRANSFORM OSTREL_UNITY_ALONE PREPEND ${CMAKE_SOURCE_DIR}/)
file(GLOB OSTREL_UNITY_ALONE RELATIVE ${CMAKE_SOURCE_DIR} ${OSTREL_UNITY_ALONE})
# A file below tests/, bench/ or fuzz/ belongs to that directory's targets,
# which exist only when the build has that directory.
get_property(OSTREL_SUBDIRS DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
foreach(f IN LISTS OSTREL_UNITY_ALONE)
  set(dir ${CMAKE_SOURCE_DIR})
  if(f MATCHES "^(tests|bench|fuzz)/")
    set(dir ${CMAKE_SOURCE_DIR}/${CMAKE_MATCH_1})
    if(NOT dir IN_LIST OSTREL_SUBDIRS)
      continue()
    endif()
  endif()
  set_source_files_properties(${CMAKE_SOURCE_DIR}/${f} DIRECTORY ${dir}
                              PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endforeach()
