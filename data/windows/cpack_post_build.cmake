# Run by cpack on the packages it made: in a release build, the zip's
# entries go in the order of their names, and the installer is padded and
# given a checksum as code signing leaves it (normalize_package_tree.py).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  foreach(package IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND "${CPACK_VOSTREL_PYTHON}" "${CPACK_VOSTREL_NORMALIZE}" --package "${package}"
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
