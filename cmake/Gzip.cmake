# cmake -DGZIP=<gzip> -DINPUT=<file> -DOUTPUT=<file.gz> -P Gzip.cmake
#
# Compresses a document the way Debian installs them: best compression and no
# name or time stamp in the header (-9n), so the output depends only on the
# input and the package builds reproducibly.
cmake_minimum_required(VERSION 3.25)

execute_process(
  COMMAND "${GZIP}" -9n -c "${INPUT}"
  OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "${GZIP} could not compress ${INPUT} (exit ${rc})")
endif()
