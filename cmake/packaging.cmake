# Installing the authoring kit and packaging it as a .deb: the tools in bin/,
# the bare rebrander where they look for it (tools/common/bare_rebrander.cpp),
# and the sample E-Book with its table to try them on.
include(GNUInstallDirs)

set(REBRANDER_WINDOWS_REBRANDER "" CACHE FILEPATH
    "A built rebrander.exe to install beside the bare Linux rebrander (optional)")

install(TARGETS mkebook mkrebrander RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS rebrander RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/rebrander)
if(REBRANDER_WINDOWS_REBRANDER)
  install(PROGRAMS ${REBRANDER_WINDOWS_REBRANDER}
          DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/rebrander RENAME rebrander.exe)
endif()
install(TARGETS sample-ebook RUNTIME DESTINATION ${CMAKE_INSTALL_DATADIR}/rebrander/sample)
install(FILES ${PROJECT_SOURCE_DIR}/tools/sample-ebook/sample-table.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/rebrander/sample)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rebrander)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "rebrander maintainers <rebrander@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Customizer for E-Books, with the kit to pack E-Books and stamp customizers for them")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The bundle archives are made with these.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tar, gzip, zip")
include(CPack)
