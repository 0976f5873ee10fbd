# Read by cpack once for each generator: the names say what each package is,
# the installer and the packages that hold a signed program
# (VOSTREL_SIGNED_EXE, cpack_pre_build.cmake).
if(DEFINED ENV{VOSTREL_SIGNED_EXE})
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-signed")
endif()
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
