# Writes the manifest of the install that just ran: every file it put
# down, relative to the prefix, so that it stays true under DESTDIR and in
# a package. Runs as the last step of the install. CMake lists the files
# under the prefix, without DESTDIR.
include(${CMAKE_CURRENT_LIST_DIR}/layout.cmake)

set(finderix_prefix "${CMAKE_INSTALL_PREFIX}/")
string(LENGTH "${finderix_prefix}" finderix_prefix_length)
set(finderix_entries "")
foreach(finderix_file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  string(FIND "${finderix_file}" "${finderix_prefix}" finderix_at)
  if(finderix_at EQUAL 0)
    string(SUBSTRING "${finderix_file}" ${finderix_prefix_length} -1 finderix_file)
    string(APPEND finderix_entries "${finderix_file}\n")
  endif()
endforeach()
file(WRITE "$ENV{DESTDIR}${finderix_prefix}${FINDERIX_INSTALL_MANIFEST}" "${finderix_entries}")
