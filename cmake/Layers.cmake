# One static library per layer of the code, each with an include root of its own and linked
# only against the layers below it, so that neither an include nor a call can go up:
# - the include root holds a forwarding header for each header of the layer's folder and
#   nothing else, so "model/../build/x.h" finds no file through any layer's root;
# - the link check links the whole layer into a program with only the layers below it, so a
#   hand-written declaration of a function of a layer above is an undefined reference.
# Used by the top-level CMakeLists.txt and by the layer tests' own small tree.

# Makes the include root of a layer: <binary dir>/include/<name>/<name>/X.h for every X.h of
# the folder, each including the real header by its full path, so that the compiler reports
# errors at the real file. The root is added to the target's public include folders.
function(pinwright_include_root target name folder)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
  set(made "")
  foreach(header IN LISTS headers)
    get_filename_component(file_name ${header} NAME)
    set(forward ${root}/${name}/${file_name})
    set(text "// Made by the build: this layer's include root holds its own headers only.\n")
    string(APPEND text "#pragma once\n#include \"${header}\"\n")
    set(old "")
    if(EXISTS ${forward})
      file(READ ${forward} old)
    endif()
    if(NOT old STREQUAL text)
      file(WRITE ${forward} "${text}")
    endif()
    list(APPEND made ${forward})
  endforeach()
  file(GLOB stale ${root}/${name}/*.h)
  foreach(file IN LISTS stale)
    if(NOT file IN_LIST made)
      file(REMOVE ${file})
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# pinwright_add_layer(<name> <folder> [SOURCES <file>...] [BELOW <layer>...])
# The library pinwright_<name> of the folder's .cpp files (or the SOURCES given), with its
# include root, linking the libraries of the layers BELOW it. Where PINWRIGHT_LAYER_LINK_CHECK
# is on, pinwright_<name>_links links every object of the layer with nothing above it.
function(pinwright_add_layer name folder)
  cmake_parse_arguments(arg "" "" "SOURCES;BELOW" ${ARGN})
  if(arg_SOURCES)
    set(sources ${arg_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  endif()
  add_library(pinwright_${name} STATIC ${sources})
  pinwright_include_root(pinwright_${name} ${name} ${folder})
  foreach(below IN LISTS arg_BELOW)
    target_link_libraries(pinwright_${name} PUBLIC pinwright_${below})
  endforeach()
  if(PINWRIGHT_LAYER_LINK_CHECK)
    set(stub ${CMAKE_BINARY_DIR}/layer_link_check.cpp)
    if(NOT EXISTS ${stub})
      file(WRITE ${stub} "int main() { return 0; }\n")
    endif()
    add_executable(pinwright_${name}_links ${stub})
    target_link_libraries(pinwright_${name}_links
                          PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,pinwright_${name}>")
    # Every section stays, so that a reference from code no program calls yet is refused too.
    target_link_options(pinwright_${name}_links PRIVATE -Wl,--no-gc-sections)
  endif()
endfunction()
