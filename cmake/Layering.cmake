# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Dependency direction between the program's folders, checked when the build is configured.
# A library may link only the libraries named for it here, and its sources may include only
# headers of its own folder and of those libraries' folders; outside libraries (Qt, SDL, ...)
# may be linked by platform libraries alone. A header belongs to the nearest folder above it
# with a CMakeLists.txt (platform/ui/internal/ to platform/ui/). The include check runs again
# as the test `layering`, so an include added after configuring is caught by the test run.
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
set(PELORIN_LAYERS
  "pelorin_system:"
  "pelorin_launch:pelorin_system"
  "pelorin_sound:pelorin_system"
  "pelorin_sound_output:pelorin_sound"
  "pelorin_ui:pelorin_system"
  "pelorin_ui_testing:pelorin_ui,pelorin_system"
  "pelorin_contacts:pelorin_system"
  "pelorin_evolution:pelorin_contacts"
  "pelorin_sim:pelorin_system,pelorin_contacts"
  "pelorin_ofono:pelorin_sim"
  "pelorin_files:pelorin_system"
  "pelorin_power:pelorin_system"
  "pelorin_store:pelorin_system,pelorin_launch"
  "pelorin_resources:pelorin_ui"
  "pelorin_toolkit:pelorin_system,pelorin_store,pelorin_ui,pelorin_contacts"
  "pelorin_incoming:pelorin_system,pelorin_store,pelorin_toolkit,pelorin_ui,pelorin_sound,pelorin_power,pelorin_resources"
  "pelorin_screens:pelorin_system,pelorin_store,pelorin_toolkit,pelorin_ui,pelorin_sound,pelorin_contacts,pelorin_sim,pelorin_files,pelorin_resources"
  "pelorin:pelorin_screens,pelorin_incoming,pelorin_toolkit,pelorin_resources,pelorin_store,pelorin_ui,pelorin_system"
)
# Outside libraries the store may use besides the standard library.
set(PELORIN_STORE_OUTSIDE pugixml pugixml::pugixml pugixml::static pugixml::shared)

function(pelorin_check_layering)
  set(data "set(PELORIN_SOURCE_ROOT \"${PROJECT_SOURCE_DIR}\")\n")
  set(checked "")
  foreach(entry IN LISTS PELORIN_LAYERS)
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 target)
    list(LENGTH parts n)
    set(allowed "")
    if(n GREATER 1)
      list(GET parts 1 allowed_text)
      string(REPLACE "," ";" allowed "${allowed_text}")
    endif()
    if(NOT TARGET ${target})
      continue()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT links)
      set(links "")
    endif()
    foreach(link IN LISTS links)
      # A link added from another directory is wrapped in "::@(directory)" markers.
      if(link MATCHES "^::@")
        continue()
      endif()
      if(link MATCHES "^pelorin")
        if(NOT link IN_LIST allowed)
          message(FATAL_ERROR "${target} must not depend on ${link}")
        endif()
      elseif(NOT target MATCHES "^pelorin_(system|launch|sound|sound_output|evolution|ofono|ui|ui_testing|contacts|files|sim|power)$")
        if(target STREQUAL "pelorin_store" AND link IN_LIST PELORIN_STORE_OUTSIDE)
          continue()
        endif()
        if(target STREQUAL "pelorin" AND link MATCHES "^Threads::")
          continue()
        endif()
        message(FATAL_ERROR "${target} links ${link}: outside libraries belong in platform/")
      endif()
    endforeach()

    # What the include check needs: the target's folder, its sources in the source tree, and
    # the folders it may include from.
    get_target_property(folder ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(own_sources "")
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE)
      cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${source}" NORMALIZE in_tree)
      if(in_tree AND EXISTS "${source}")
        list(APPEND own_sources "${source}")
      endif()
    endforeach()
    set(allowed_folders ${folder})
    foreach(library IN LISTS allowed)
      if(TARGET ${library})
        get_target_property(library_folder ${library} SOURCE_DIR)
        list(APPEND allowed_folders ${library_folder})
      endif()
    endforeach()
    string(APPEND data "set(PELORIN_INCLUDE_SOURCES_${target} \"${own_sources}\")\n"
                       "set(PELORIN_INCLUDE_ALLOWED_${target} \"${allowed_folders}\")\n")
    list(APPEND checked ${target})
  endforeach()
  string(APPEND data "set(PELORIN_INCLUDE_TARGETS \"${checked}\")\n")
  set(data_file ${CMAKE_BINARY_DIR}/layering_includes.cmake)
  file(WRITE ${data_file} "${data}")
  include(${data_file})
  pelorin_check_includes()
  add_test(NAME layering COMMAND ${CMAKE_COMMAND} -DPELORIN_LAYERING_DATA=${data_file}
                                 -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  set_tests_properties(layering PROPERTIES LABELS unit)
endfunction()

# The folder a header belongs to: the nearest one above it with a CMakeLists.txt.
function(pelorin_header_folder header out)
  cmake_path(GET header PARENT_PATH folder)
  while(NOT EXISTS "${folder}/CMakeLists.txt" AND NOT folder STREQUAL PELORIN_SOURCE_ROOT)
    cmake_path(GET folder PARENT_PATH folder)
  endwhile()
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

# Follows the #include "..." lines of every checked target's sources, and of the headers of its
# own folder they include, and fails on a header from a folder the target may not link.
function(pelorin_check_includes)
  set(faults "")
  foreach(target IN LISTS PELORIN_INCLUDE_TARGETS)
    set(allowed ${PELORIN_INCLUDE_ALLOWED_${target}})
    list(GET allowed 0 own_folder)
    set(pending ${PELORIN_INCLUDE_SOURCES_${target}})
    set(seen ${pending})
    while(pending)
      list(POP_FRONT pending file)
      file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
      cmake_path(GET file PARENT_PATH file_folder)
      cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${PELORIN_SOURCE_ROOT} OUTPUT_VARIABLE shown)
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" name "${line}")
        # As the compiler looks: beside the including file first, then from the source root.
        if(EXISTS "${file_folder}/${name}")
          set(header "${file_folder}/${name}")
        elseif(EXISTS "${PELORIN_SOURCE_ROOT}/${name}")
          set(header "${PELORIN_SOURCE_ROOT}/${name}")
        else()
          list(APPEND faults "${target}: ${shown} includes \"${name}\", which is no file of the tree")
          continue()
        endif()
        cmake_path(NORMAL_PATH header)
        pelorin_header_folder("${header}" header_folder)
        if(NOT header_folder IN_LIST allowed)
          cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${PELORIN_SOURCE_ROOT}
                     OUTPUT_VARIABLE header_shown)
          list(APPEND faults "${target}: ${shown} includes ${header_shown}, from a folder it may not link")
        elseif(header_folder STREQUAL own_folder AND NOT header IN_LIST seen)
          list(APPEND seen "${header}")
          list(APPEND pending "${header}")
        endif()
      endforeach()
    endwhile()
  endforeach()
  if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "${text}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND PELORIN_LAYERING_DATA)
  include(${PELORIN_LAYERING_DATA})
  pelorin_check_includes()
endif()
