# Sources compiled on their own, outside the unity batches (CMAKE_UNITY_BUILD):
# each defines a file-local helper whose name another source of its target
# uses too. Keep this list short: every file on it costs a compile of all the
# headers it includes, in every build. Included at the end of the top
# CMakeLists.txt, once every directory that makes targets is known. Patterns
# are globbed.
set(OSTREL_UNITY_ALONE
    src/displays/comparator_gauge.cpp
    src/import/session_decoder.cpp
    src/import/ui/import_files.cpp)
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
