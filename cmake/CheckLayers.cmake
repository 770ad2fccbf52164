# Refuses an include that goes up the layers of the code. Run as a script:
#   cmake -DSOURCE_DIR=<folder holding src/> -P CheckLayers.cmake
# The core's layers, lowest first, may include their own folder and the folders below them;
# the two front ends may include the whole core but not each other. A header anywhere that
# includes a folder it may not stops the build with the file, the line and the two layers.

cmake_minimum_required(VERSION 3.25)

set(core_layers host model settings cards boards project outputs readers build)
set(front_ends ui cli)
# What each layer may include besides itself: the layers below it. The outputs and the
# readers stand side by side, and neither may include the other.
set(below_host "")
set(below_model host)
set(below_settings host model)
set(below_cards host model settings)
set(below_boards host model settings cards)
set(below_project host model settings cards boards)
set(below_outputs ${below_project} project)
set(below_readers ${below_project} project)
set(below_build ${below_project} project outputs readers)
set(below_ui ${core_layers})
set(below_cli ${core_layers})

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers.cmake needs -DSOURCE_DIR=<folder holding src/>")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(problems "")
foreach(layer IN LISTS core_layers front_ends)
  set(allowed ${below_${layer}} ${layer})

  file(GLOB_RECURSE sources "${SOURCE_DIR}/src/${layer}/*.h" "${SOURCE_DIR}/src/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    # Quoted and angle-bracket includes alike, so that <generate/x.h> is no way round.
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
    get_filename_component(folder "${source}" DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" included
             "${line}")
      # A path through ".." counts where it lands: "../build/x.h" from src/model and
      # "model/../build/x.h" are both the build layer.
      if(included MATCHES "^\\.")
        get_filename_component(landed "${folder}/${included}" ABSOLUTE)
        file(RELATIVE_PATH included "${SOURCE_DIR}/src" "${landed}")
      elseif(included MATCHES "(^|/)\\.\\.(/|$)")
        get_filename_component(landed "${SOURCE_DIR}/src/${included}" ABSOLUTE)
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
          "project < outputs, readers < build < ui, cli):\n${problems}")
endif()
