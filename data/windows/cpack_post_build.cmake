# Run by cpack on the packages it made: a release build's zip gets its
# entries in the order of their names (normalize_package_tree.py --zip).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
      execute_process(COMMAND "${CPACK_VOSTREL_PYTHON}" "${CPACK_VOSTREL_NORMALIZE}" --zip "${package}"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
endif()
