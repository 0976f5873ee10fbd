# Writes the service worker from its template: the list of the site's files
# (sorted, so the same site gives the same bytes) and a cache name made of
# their contents.
#   cmake -DSITE=DIR -DTEMPLATE=FILE -DOUTPUT=FILE -P write_service_worker.cmake
file(GLOB files RELATIVE "${SITE}" "${SITE}/*")
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(digests "")
set(quoted "\"./\"")
foreach(name IN LISTS files)
  file(SHA256 "${SITE}/${name}" digest)
  string(APPEND digests "${name} ${digest}\n")
  string(APPEND quoted ", \"${name}\"")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 version)
set(CACHE_NAME "vostrel-${version}")
set(FILE_LIST "${quoted}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY NEWLINE_STYLE UNIX)
