# What an installation holds, relative to its prefix: the programs, the desktop
# entry, icons and metainfo, the manual pages and the shared data.
set(VORTEXA_INSTALLED_FILES
    bin/vortexa
    bin/vortexa-render
    lib/vortexa/libvortexa-video.so
    share/applications/io.github.vortexa.Vortexa.desktop
    share/metainfo/io.github.vortexa.Vortexa.metainfo.xml
    share/icons/hicolor/scalable/apps/vortexa.svg
    share/icons/hicolor/256x256/apps/vortexa.png
    share/man/man1/vortexa.1.gz
    share/man/man1/vortexa-render.1.gz
    share/vortexa/osusume.fav
    share/vortexa/chime.wav
    share/vortexa/manual/index.html
    share/vortexa/manual/en/index.html)
