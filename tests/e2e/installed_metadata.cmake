# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a scratch prefix as a person would (cmake --install) and checks what
# app grids and software centres read there: the desktop entry and the AppStream metainfo.
# cmake -DBUILD=<build dir> -DSCRATCH=<empty dir> -DVERSION=<project version> -P this file
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${SCRATCH}"
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(entry "${SCRATCH}/share/applications/pelorin.desktop")
set(metainfo "${SCRATCH}/share/metainfo/org.pelorin.Pelorin.metainfo.xml")
if(NOT EXISTS "${metainfo}")
  message(FATAL_ERROR "no AppStream metainfo installed at ${metainfo}")
endif()

# validate-tree also checks that the metainfo's launchable names an installed desktop entry.
foreach(check "appstreamcli;validate-tree;--no-net;${SCRATCH}" "desktop-file-validate;${entry}")
  execute_process(COMMAND ${check} RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(failed)
    message(FATAL_ERROR "${check} failed:\n${said}")
  endif()
endforeach()

# Phosh's app grid and Plasma Mobile's list a program only when it says it fits a phone; the
# long press's quick calls start the installed launcher too.
file(READ "${entry}" text)
foreach(key "X-Purism-FormFactor=Workstation;Mobile;" "X-KDE-FormFactor=desktop;tablet;handset;"
            "Exec=${SCRATCH}/bin/pelorin\n" "Exec=${SCRATCH}/bin/pelorin --in 1m\n"
            "Exec=${SCRATCH}/bin/pelorin --in 5m\n")
  string(FIND "${text}" "${key}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${entry} lacks ${key}")
  endif()
endforeach()

# The newest release a software centre shows is the version the program prints.
file(READ "${metainfo}" text)
string(REGEX MATCH "<release version=\"([^\"]+)\"" newest "${text}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "the metainfo's newest release is ${CMAKE_MATCH_1}, the program ${VERSION}")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
