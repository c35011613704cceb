# Copies SOURCE to DESTINATION only when DESTINATION does not exist yet, so that a rebuild
# never overwrites the schedule a person keeps beside the program.
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
