# Checks the built Debian package PACKAGE: every installed file under /usr,
# dependencies found from the binaries, and VERSION in its control data and
# in the metainfo's release.
if(NOT EXISTS ${PACKAGE})
  message("${PACKAGE} is not built yet (scripts/package.sh builds it)")
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/installed_files.cmake)

function(run output)
  execute_process(${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed: ${result}")
  endif()
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

run(listing COMMAND dpkg-deb -c ${PACKAGE})
foreach(file ${VORTEXA_INSTALLED_FILES})
  string(FIND "${listing}" " ./usr/${file}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not in the package: /usr/${file}")
  endif()
endforeach()

run(version COMMAND dpkg-deb -f ${PACKAGE} Version)
if(NOT version STREQUAL "${VERSION}\n")
  message(FATAL_ERROR "package version ${version} is not ${VERSION}")
endif()
run(depends COMMAND dpkg-deb -f ${PACKAGE} Depends)
foreach(library libqt6widgets6 libqt6multimedia6 libmpfr6 libjpeg62-turbo libdeflate0)
  if(NOT depends MATCHES "(^|, )${library} ")
    message(FATAL_ERROR "the package does not depend on ${library}: ${depends}")
  endif()
endforeach()

run(metainfo COMMAND dpkg-deb --fsys-tarfile ${PACKAGE}
             COMMAND tar -xO ./usr/share/metainfo/io.github.vortexa.Vortexa.metainfo.xml)
if(NOT metainfo MATCHES "<release version=\"${VERSION}\"")
  message(FATAL_ERROR "the metainfo's release is not ${VERSION}")
endif()
