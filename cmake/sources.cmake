# ostrel_collect(VAR DIR REGEX): every .cpp below DIR whose path relative to the
# project root matches REGEX. Globbing keeps new files from needing a CMake edit.
function(ostrel_collect var dir regex)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  set(out)
  foreach(f IN LISTS all)
    if(f MATCHES "${regex}")
      list(APPEND out ${CMAKE_SOURCE_DIR}/${f})
    endif()
  endforeach()
  set(${var} ${out} PARENT_SCOPE)
endfunction()
