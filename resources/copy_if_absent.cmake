# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Copies SOURCE to DESTINATION only when DESTINATION does not exist yet, so that a rebuild
# never overwrites the schedule a person keeps beside the program.
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
