# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The warnings every source of the program, its tests and benchmarks is built with, and by the
# fuzz targets' clang build too. PELORIN_WERROR (on in the test command) makes them errors.
# Outside headers come in as system headers through their imported targets, so only the
# program's own code is judged.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
option(PELORIN_WERROR "Make every warning an error (scripts/test turns this on)" OFF)
set(CMAKE_COMPILE_WARNING_AS_ERROR ${PELORIN_WERROR})
