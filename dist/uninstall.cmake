# Removes an install as its manifest lists it, then the manifest, then the
# module folder when nothing else is left there. Honours DESTDIR. Runs as
# the first step of every install and as `make uninstall`:
#   cmake -DCMAKE_INSTALL_PREFIX=PREFIX -P dist/uninstall.cmake
include(${CMAKE_CURRENT_LIST_DIR}/layout.cmake)

set(finderix_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(finderix_manifest "${finderix_root}/${FINDERIX_INSTALL_MANIFEST}")
if(NOT EXISTS "${finderix_manifest}")
  if(NOT DEFINED CMAKE_INSTALL_CONFIG_NAME)  # run by hand, not as a step of an install
    message(STATUS "Nothing to uninstall: no ${finderix_manifest}")
  endif()
  return()
endif()

file(STRINGS "${finderix_manifest}" finderix_installed)
foreach(finderix_file IN LISTS finderix_installed)
  # Only paths inside the prefix: a damaged manifest must not reach outside.
  if(IS_ABSOLUTE "${finderix_file}" OR finderix_file MATCHES "(^|/)\\.\\.(/|$)")
    message(WARNING "Skipping ${finderix_file}: not a path inside the prefix")
    continue()
  endif()
  if(EXISTS "${finderix_root}/${finderix_file}" OR IS_SYMLINK "${finderix_root}/${finderix_file}")
    message(STATUS "Removing: ${finderix_root}/${finderix_file}")
    file(REMOVE "${finderix_root}/${finderix_file}")
  endif()
endforeach()
file(REMOVE "${finderix_manifest}")

file(GLOB finderix_left LIST_DIRECTORIES true "${finderix_root}/${FINDERIX_INSTALL_MODULE_DIR}/*")
if(NOT finderix_left)
  file(REMOVE_RECURSE "${finderix_root}/${FINDERIX_INSTALL_MODULE_DIR}")
endif()
