# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes OUTPUT, a C++ file holding the bytes of each picture in IMAGES ("ID=path,ID=path",
# each ID a name from resource_ids.h) as the program's icon or bitmap resources (KIND: icons,
# bitmaps or details).
string(REPLACE "," ";" IMAGES "${IMAGES}")
set(body "// Made by the build from the pictures in resources/; edit the pictures, not this file.\n")
string(APPEND body "#include \"platform/ui/resource_module.h\"\n")
string(APPEND body "#include \"resources/resource_ids.h\"\n\nnamespace {\n")
set(entries "")
foreach(item IN LISTS IMAGES)
  string(REPLACE "=" ";" parts "${item}")
  list(GET parts 0 id)
  list(GET parts 1 path)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char k${KIND}_${id}[] = {${bytes}};\n")
  string(APPEND entries "    {${id}, k${KIND}_${id}},\n")
endforeach()
string(APPEND body "}  // namespace\n\nextern const ImageResource k${KIND}Resources[] = {\n${entries}};\n")
list(LENGTH IMAGES count)
string(APPEND body "extern const int k${KIND}ResourceCount = ${count};\n")
file(WRITE "${OUTPUT}.new" "${body}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
