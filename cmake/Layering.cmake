# Dependency direction between the program's folders, checked when the build is configured.
# A library may link only the libraries named for it here; outside libraries (Qt, SDL, ...)
# may be linked by platform libraries alone.
set(PELORIN_LAYERS
  "pelorin_system:"
  "pelorin_launch:pelorin_system"
  "pelorin_sound:pelorin_system"
  "pelorin_ui:pelorin_system"
  "pelorin_contacts:pelorin_system"
  "pelorin_sim:pelorin_system,pelorin_contacts"
  "pelorin_files:pelorin_system"
  "pelorin_power:pelorin_system"
  "pelorin_store:pelorin_system,pelorin_launch"
  "pelorin_resources:pelorin_ui"
  "pelorin_toolkit:pelorin_system,pelorin_store,pelorin_ui"
  "pelorin_incoming:pelorin_system,pelorin_store,pelorin_toolkit,pelorin_ui,pelorin_sound,pelorin_power,pelorin_resources"
  "pelorin_screens:pelorin_system,pelorin_store,pelorin_toolkit,pelorin_ui,pelorin_sound,pelorin_contacts,pelorin_sim,pelorin_files,pelorin_resources"
  "pelorin:pelorin_screens,pelorin_incoming,pelorin_toolkit,pelorin_resources,pelorin_store,pelorin_ui,pelorin_system"
)
# Outside libraries the store may use besides the standard library.
set(PELORIN_STORE_OUTSIDE pugixml pugixml::pugixml pugixml::static pugixml::shared)

function(pelorin_check_layering)
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
      continue()
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
      elseif(NOT target MATCHES "^pelorin_(system|launch|sound|ui|contacts|files|sim|power)$")
        if(target STREQUAL "pelorin_store" AND link IN_LIST PELORIN_STORE_OUTSIDE)
          continue()
        endif()
        if(target STREQUAL "pelorin" AND link MATCHES "^Threads::")
          continue()
        endif()
        message(FATAL_ERROR "${target} links ${link}: outside libraries belong in platform/")
      endif()
    endforeach()
  endforeach()
endfunction()
