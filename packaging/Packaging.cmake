# Kovu as an installed desktop application: what `make install` puts where, and the Debian package
# that CPack's DEB generator makes of it (`make package`). Included by the top-level CMakeLists.

include(GNUInstallDirs)
# Installing (and so CPack) takes what the build made and builds nothing itself: `make package`
# builds first, and the test fixture that packs must not relink programs that tests are running.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(KOVU_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(KOVU_PACKAGE_OUT ${CMAKE_BINARY_DIR}/packaging)

# The application's icon in the hicolor theme, every size drawn by the content tool from the
# program's own picture.
set(KOVU_ICON_FILES)
foreach(n 16 32 48 64 128 256)
  list(APPEND KOVU_ICON_FILES ${KOVU_PACKAGE_OUT}/icons/${n}x${n}/apps/${KOVU_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${KOVU_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:kovu_content>
          icons --content ${CMAKE_SOURCE_DIR}/content --out ${KOVU_PACKAGE_OUT}/icons --name ${KOVU_APP_ID}
  DEPENDS kovu_content ${KOVU_CONTENT_SOURCES}
  COMMENT "Drawing the application's icons"
  VERBATIM)

# The manual page and the changelog, compressed as Debian keeps them (no time stamp in the header,
# so the package's files come out the same on every build).
find_program(GZIP gzip REQUIRED)
foreach(f kovu.1 changelog)
  add_custom_command(
    OUTPUT ${KOVU_PACKAGE_OUT}/${f}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KOVU_PACKAGE_OUT}
    COMMAND sh -c "${GZIP} -9 -n -c \"$1\" > \"$2\"" gzip ${KOVU_PACKAGING_DIR}/${f} ${KOVU_PACKAGE_OUT}/${f}.gz
    DEPENDS ${KOVU_PACKAGING_DIR}/${f}
    COMMENT "Compressing ${f}"
    VERBATIM)
endforeach()
add_custom_target(packaging_files ALL
  DEPENDS ${KOVU_ICON_FILES} ${KOVU_PACKAGE_OUT}/kovu.1.gz ${KOVU_PACKAGE_OUT}/changelog.gz)

install(TARGETS kovu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# As Debian's own packages are stripped: without the compilers' notes either.
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kovu\" COMMAND_ERROR_IS_FATAL ANY)")
# The chart and speech modules, where the installed program looks for them (../lib/kovu/modules beside bin/):
# two levels below /usr/lib, where neither ldconfig nor the ldconfig call CPack adds for libraries looks,
# as suits modules that nothing links against.
install(TARGETS kovu_chart LIBRARY DESTINATION lib/kovu/modules PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/kovu/modules/libkovu_chart.so\" COMMAND_ERROR_IS_FATAL ANY)")
install(TARGETS kovu_speech LIBRARY DESTINATION lib/kovu/modules PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/kovu/modules/libkovu_speech.so\" COMMAND_ERROR_IS_FATAL ANY)")
# The delivered database: read-only, copied into each user's data folder at their first start.
install(FILES ${CMAKE_BINARY_DIR}/kovu.mdb DESTINATION ${CMAKE_INSTALL_DATADIR}/kovu)
# The stroke data, read in place, with the licence of the data beside it.
install(FILES ${CMAKE_BINARY_DIR}/kovu-strokes.dat ${CMAKE_BINARY_DIR}/ARPHICPL.TXT
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kovu)
install(FILES ${KOVU_PACKAGING_DIR}/${KOVU_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KOVU_PACKAGING_DIR}/${KOVU_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(n 16 32 48 64 128 256)
  install(FILES ${KOVU_PACKAGE_OUT}/icons/${n}x${n}/apps/${KOVU_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${n}x${n}/apps)
endforeach()
install(FILES ${KOVU_PACKAGE_OUT}/kovu.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KOVU_PACKAGING_DIR}/copyright ${KOVU_PACKAGE_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kovu)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kovu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kovu developers <kovu@brelmont.org>")
set(CPACK_PACKAGE_VENDOR "Kovu developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arithmetic, pinyin and English practice for young children")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${KOVU_PACKAGING_DIR}/description.txt)
set(CPACK_PACKAGE_INSTALL_DIRECTORY kovu)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kovu.brelmont.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: the faces the screens are designed with and Qt's Chinese
# button texts, read at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, fonts-arphic-gbsn00lp, fonts-arphic-gkai00mp, fonts-arphic-ukai, fonts-wqy-zenhei, fonts-cwtex-fs, fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
