# Installing and packaging as .debs, one per component:
#   rebrander        the bare rebrander, where the tools look for it
#                    (tools/common/bare_rebrander.cpp), and the sample E-Book;
#                    both are Qt programs
#   kit              (package rebrander-kit) mkebook and mkrebrander, their
#                    manual pages and completion, the sample table; no Qt
#   dev              (package libebookvars-dev) the E-Book library's
#                    development files
include(GNUInstallDirs)

set(REBRANDER_WINDOWS_REBRANDER "" CACHE FILEPATH
    "A built rebrander.exe to install beside the bare Linux rebrander (optional)")
set(rebrander_libexec ${CMAKE_INSTALL_LIBEXECDIR}/rebrander)

install(TARGETS mkebook mkrebrander RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT kit)
install(TARGETS rebrander RUNTIME DESTINATION ${rebrander_libexec} COMPONENT rebrander)
if(REBRANDER_WINDOWS_REBRANDER)
  install(PROGRAMS ${REBRANDER_WINDOWS_REBRANDER} DESTINATION ${rebrander_libexec}
          RENAME rebrander.exe COMPONENT kit)
endif()
# The sample E-Book is a program: not in share/, which is for every architecture.
install(TARGETS sample-ebook RUNTIME DESTINATION ${rebrander_libexec}/sample COMPONENT rebrander)
install(FILES ${PROJECT_SOURCE_DIR}/tools/sample-ebook/sample-table.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/rebrander/sample COMPONENT kit)
install(FILES ${PROJECT_SOURCE_DIR}/tools/completion/mkebook
              ${PROJECT_SOURCE_DIR}/tools/completion/mkrebrander
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT kit)

# Manual pages, made from each tool's --help and --version.
find_program(HELP2MAN help2man REQUIRED)
set(manuals)
foreach(tool_and_name "mkebook|pack, dump and check E-Books"
                      "mkrebrander|stamp rebranders and bundle them with their E-Book")
  string(REPLACE "|" ";" parts "${tool_and_name}")
  list(GET parts 0 tool)
  list(GET parts 1 name)
  add_custom_command(
    OUTPUT ${tool}.1.gz
    COMMAND ${HELP2MAN} --no-info --section=1 "--name=${name}" --output=${tool}.1
            $<TARGET_FILE:${tool}>
    COMMAND gzip -9nf ${tool}.1
    DEPENDS ${tool} VERBATIM)
  list(APPEND manuals ${CMAKE_CURRENT_BINARY_DIR}/${tool}.1.gz)
endforeach()
add_custom_target(manuals ALL DEPENDS ${manuals})
install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT kit)

# Each package's copyright and changelog, as Debian keeps them.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in changelog @ONLY)
add_custom_command(OUTPUT changelog.gz
                   COMMAND gzip -9nc changelog > changelog.gz
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS changelog.gz)
set(packages rebrander|rebrander kit|rebrander-kit dev|libebookvars-dev)
foreach(component_and_package ${packages})
  string(REPLACE "|" ";" parts "${component_and_package}")
  list(GET parts 0 component)
  list(GET parts 1 package)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
                ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rebrander)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
    "rebrander developers <maintainers@users.noreply.c-seed-6f2ff642.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_REBRANDER_PACKAGE_NAME rebrander)
set(CPACK_COMPONENT_REBRANDER_DESCRIPTION
    "customizer for E-Books, made for one E-Book at a time
The rebrander ships beside an E-Book and walks its buyer through the E-Book's
customizable texts, one wizard page per text, then writes them into the
E-Book in place, safe against a crash. This package holds the bare rebrander
that the authoring kit stamps for an E-Book, and a sample E-Book to try it on.")

set(CPACK_DEBIAN_KIT_PACKAGE_NAME rebrander-kit)
set(CPACK_DEBIAN_KIT_PACKAGE_SECTION devel)
# The kit packs and stamps without Qt; stamping a Linux rebrander needs the bare one.
set(CPACK_DEBIAN_KIT_PACKAGE_RECOMMENDS "rebrander (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_KIT_DESCRIPTION
    "tools to pack E-Books and stamp rebranders for them
mkebook packs a program and a table of texts described in JSON into an
E-Book, dumps an E-Book's table back, checks an E-Book or a table, and sets
texts without the wizard. mkrebrander stamps a rebrander for one E-Book and
makes a ready bundle of both, for Linux or Windows.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libebookvars-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "library for an E-Book to read its own texts (development files)
An E-Book made with the rebrander kit carries a table of texts that its
buyer may customize. This library lets the E-Book's program read them.")
include(CPack)
