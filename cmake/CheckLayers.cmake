# Refuses an include that goes up the layers of the code. Run as a script:
#   cmake -DSOURCE_DIR=<folder holding src/> -P CheckLayers.cmake
# The core's layers, lowest first, may include their own folder and the folders below them;
# the two front ends may include the whole core but not each other. A header anywhere that
# includes a folder it may not stops the build with the file, the line and the two layers.

cmake_minimum_required(VERSION 3.25)

set(core_layers host model settings cards boards generate)
set(front_ends ui cli)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers.cmake needs -DSOURCE_DIR=<folder holding src/>")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(problems "")
set(rank 0)
foreach(layer IN LISTS core_layers front_ends)
  # The folders this one may include.
  if(layer IN_LIST front_ends)
    set(allowed ${core_layers} ${layer})
  else()
    list(SUBLIST core_layers 0 ${rank} allowed)
    list(APPEND allowed ${layer})
    math(EXPR rank "${rank} + 1")
  endif()

  file(GLOB_RECURSE sources "${SOURCE_DIR}/src/${layer}/*.h" "${SOURCE_DIR}/src/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    # Quoted and angle-bracket includes alike, so that <generate/x.h> is no way round.
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
    get_filename_component(folder "${source}" DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" included
             "${line}")
      # A relative path counts where it lands: "../generate/x.h" from src/model is generate.
      if(included MATCHES "^\\.")
        get_filename_component(landed "${folder}/${included}" ABSOLUTE)
        file(RELATIVE_PATH included "${SOURCE_DIR}/src" "${landed}")
      endif()
      if(NOT included MATCHES "/")
        continue()
      endif()
      string(REGEX REPLACE "/.*$" "" target "${included}")
      if(NOT target IN_LIST allowed AND (target IN_LIST core_layers OR target IN_LIST front_ends))
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        string(STRIP "${line}" line)
        string(APPEND problems
               "  ${shown}: ${line}: the ${layer} layer may not include ${target}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR
          "Includes against the layer order (host < model < settings < cards < boards < "
          "generate < ui, cli):\n${problems}")
endif()
