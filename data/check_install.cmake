# Installs the build into PREFIX and checks that everything a desktop needs is there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
    bin/vortexa
    bin/vortexa-render
    share/applications/io.github.vortexa.Vortexa.desktop
    share/metainfo/io.github.vortexa.Vortexa.metainfo.xml
    share/icons/hicolor/scalable/apps/vortexa.svg
    share/icons/hicolor/256x256/apps/vortexa.png
    share/vortexa/osusume.fav
    share/vortexa/chime.wav
    share/vortexa/manual/index.html)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/io.github.vortexa.Vortexa.desktop entry)
if(NOT entry MATCHES "\nExec=vortexa\n" OR NOT entry MATCHES "\nIcon=vortexa\n")
  message(FATAL_ERROR "the desktop entry does not start vortexa with its icon")
endif()
file(REMOVE_RECURSE ${PREFIX})
