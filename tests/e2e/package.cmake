# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package with scripts/package, lints it, and runs the program from its
# unpacked files as a user who has never run it: the schedule file in effect is the person's
# own, made from the package's default, and nothing is written beside the program.
# cmake -DSOURCE=<source dir> -DBUILD=<build dir> -DVERSION=<project version> -P this file
find_program(BUILDPACKAGE dpkg-buildpackage)
find_program(DH dh)
find_program(LINTIAN lintian)
if(NOT BUILDPACKAGE OR NOT DH OR NOT LINTIAN)
  message("package build skipped: dpkg-buildpackage, dh or lintian is missing")
  return()
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(failed)
    message(FATAL_ERROR "${ARGN} failed:\n${said}")
  endif()
  set(said "${said}" PARENT_SCOPE)
endfunction()

file(READ "${SOURCE}/debian/changelog" changelog)
string(REGEX MATCH "^pelorin \\(([^)]+)\\)" first "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "debian/changelog's newest version is ${CMAKE_MATCH_1}, the program ${VERSION}")
endif()

run("${SOURCE}/scripts/package" "${BUILD}/package")
string(REGEX MATCH "[^\n]+\\.deb\n?$" deb "${said}")
string(STRIP "${deb}" deb)
if(NOT EXISTS "${deb}")
  message(FATAL_ERROR "scripts/package named no package:\n${said}")
endif()
run(${LINTIAN} --fail-on error,warning "${deb}")
if(said MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian:\n${said}")
endif()

set(unpacked "${BUILD}/package/unpacked")
set(home "${BUILD}/package/home")
file(REMOVE_RECURSE "${unpacked}" "${home}")
file(MAKE_DIRECTORY "${home}")
run(dpkg-deb -x "${deb}" "${unpacked}")
foreach(file usr/bin/pelorin usr/lib/pelorin/pelorin-waiter usr/lib/pelorin/pelorin-sound.so
             usr/share/pelorin/pelorin.xml usr/share/man/man1/pelorin.1.gz
             usr/share/doc/pelorin/README.md usr/share/doc/pelorin/copyright
             usr/share/applications/pelorin.desktop)
  if(NOT EXISTS "${unpacked}/${file}")
    message(FATAL_ERROR "the package lacks /${file}")
  endif()
endforeach()
set(person ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
           --unset=XDG_DATA_HOME --unset=DBUS_SESSION_BUS_ADDRESS HOME=${home}
           PELORIN_TIMED_LAUNCH=waiter)
set(own "${home}/.local/share/pelorin/pelorin.xml")
run(${person} "${unpacked}/usr/bin/pelorin" --help)
string(FIND "${said}" "Schedule file: ${own}\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "--help names another schedule file:\n${said}")
endif()
# A display-less timed launch still keeps the calls armed, and so reads the schedule file.
execute_process(COMMAND ${person} "${unpacked}/usr/bin/pelorin" AppRunAtTime
                OUTPUT_QUIET ERROR_QUIET)
file(READ "${unpacked}/usr/share/pelorin/pelorin.xml" installed)
file(READ "${own}" made)
if(NOT made STREQUAL installed)
  message(FATAL_ERROR "${own} is not the installed default:\n${made}")
endif()
run(stat -c %a "${own}" "${home}/.local/share/pelorin")
if(NOT said STREQUAL "600\n700\n")
  message(FATAL_ERROR "the person's schedule file and folder have the modes\n${said}")
endif()
if(EXISTS "${unpacked}/usr/lib/pelorin/pelorin.xml")
  message(FATAL_ERROR "a schedule file was written beside the installed program")
endif()
