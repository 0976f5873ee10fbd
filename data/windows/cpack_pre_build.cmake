# Run by cpack on the staged tree, before it packs it.
#
# With SOURCE_DATE_EPOCH set, as a release build sets it, every file's time
# and mode and every PE file's time stamps become that time, so that two
# builds of one source pack the same bytes (normalize_package_tree.py).
#
# With VOSTREL_SIGNED_EXE naming a code-signed copy of the program, that
# copy takes vostrel.exe's place: the packages are then the signed ones. It
# is taken only if, its signature removed, it is this very build's program.
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND "${CPACK_VOSTREL_PYTHON}" "${CPACK_VOSTREL_NORMALIZE}" "${staged}"
            "$ENV{SOURCE_DATE_EPOCH}"
    COMMAND_ERROR_IS_FATAL ANY)
endif()
if(DEFINED ENV{VOSTREL_SIGNED_EXE})
  set(unsigned "${staged}/../vostrel-signature-removed.exe")
  file(REMOVE "${unsigned}")
  execute_process(
    COMMAND osslsigncode remove-signature -in "$ENV{VOSTREL_SIGNED_EXE}" -out "${unsigned}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${unsigned}" "${staged}/vostrel.exe"
    RESULT_VARIABLE differs)
  file(REMOVE "${unsigned}")
  if(differs)
    message(FATAL_ERROR "$ENV{VOSTREL_SIGNED_EXE} is not a signed copy of ${staged}/vostrel.exe")
  endif()
  file(COPY_FILE "$ENV{VOSTREL_SIGNED_EXE}" "${staged}/vostrel.exe")
  file(CHMOD "${staged}/vostrel.exe" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND touch -d "@$ENV{SOURCE_DATE_EPOCH}" "${staged}/vostrel.exe" "${staged}"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endif()

# The installer takes the files one by one in the order of their names, not
# in the order the file system lists a folder, which differs from one file
# system to another.
if(CPACK_GENERATOR STREQUAL "NSIS")
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staged}" "${staged}/*")
  list(SORT files)
  set(install "")
  set(folder "")
  foreach(file IN LISTS files)
    get_filename_component(in "${file}" DIRECTORY)
    if(NOT in STREQUAL folder OR install STREQUAL "")
      string(REPLACE "/" "\\" out "$INSTDIR/${in}")
      string(REGEX REPLACE "\\\\$" "" out "${out}")
      string(APPEND install "  SetOutPath \"${out}\"\n")
      set(folder "${in}")
    endif()
    string(APPEND install "  File \"${staged}/${file}\"\n")
  endforeach()
  set(CPACK_NSIS_FULL_INSTALL "${install}  SetOutPath \"$INSTDIR\"")
endif()
