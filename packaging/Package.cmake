# The Debian package: the programs' install rules live beside them; here are the desktop files,
# the manual pages, the package documents and the CPack settings (scripts/package.sh runs it).
set(NORRA_PACKAGE_MAINTAINER "Norra maintainers <maintainers@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_out ${CMAKE_BINARY_DIR}/packaging)

# Manual pages in English and Japanese, one source per program.
set(_man_pages)
foreach(_program norra norra-find norra-replace norra-print)
  foreach(_lang en ja)
    set(_page ${_out}/man/${_lang}/${_program}.1.gz)
    add_custom_command(OUTPUT ${_page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/man/${_lang}
      COMMAND sh ${_pkg}/man/mkman.sh ${_pkg}/man/${_program}.man.txt ${_lang} ${PROJECT_VERSION} ${_page}
      DEPENDS ${_pkg}/man/${_program}.man.txt ${_pkg}/man/mkman.awk ${_pkg}/man/mkman.sh
      VERBATIM)
    list(APPEND _man_pages ${_page})
    if(_lang STREQUAL "en")
      install(FILES ${_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
      install(FILES ${_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/${_lang}/man1)
    endif()
  endforeach()
endforeach()

# The package's changelog and copyright (Debian wants both, the changelog compressed).
configure_file(${_pkg}/changelog.in ${_out}/changelog @ONLY)
configure_file(${_pkg}/copyright ${_out}/copyright @ONLY)
add_custom_command(OUTPUT ${_out}/changelog.gz
  COMMAND sh -c "gzip -9n < changelog > changelog.gz"
  WORKING_DIRECTORY ${_out}
  DEPENDS ${_out}/changelog
  VERBATIM)
add_custom_target(norra_package_files ALL DEPENDS ${_man_pages} ${_out}/changelog.gz)
install(FILES ${_out}/changelog.gz ${_out}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/norra)

# Icon, file type of the member lists, software-centre metadata.
install(FILES ${_pkg}/icons/norra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_pkg}/icons/norra-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps RENAME norra.png)
endforeach()
install(FILES ${_pkg}/norra-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME norra.xml)
install(FILES ${_pkg}/io.github.norra.Norra.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norra)
set(CPACK_PACKAGE_VENDOR "Norra developers")
set(CPACK_PACKAGE_CONTACT "${NORRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NORRA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multi-document text editor for Shift-JIS (CP932) files")
# CPack puts the summary first, as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Norra keeps many Shift-JIS (CP932) text files open at once in one window,
with one undo history over all of them and a search-and-replace pattern
language of its own that works over the open files, a folder on disk or a
group of files. A file opened and saved unchanged stays byte-identical.
.
The package holds the editor, the command-line tools norra-find,
norra-replace and norra-print, the help pages and manual pages in English
and Japanese.")
# The dependencies are the Debian packages of the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

find_program(NORRA_DPKG_DEB dpkg-deb)
if(TARGET norra AND TARGET norra-find AND TARGET norra-replace AND NORRA_DPKG_DEB AND NOT NORRA_SANITIZE)
  # The sanitizer build is left out: its programs link the sanitizer runtimes, which are no
  # part of what users install.
  add_test(NAME package
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/package_test.sh ${CMAKE_BINARY_DIR}
                   ${PROJECT_SOURCE_DIR})
  set_tests_properties(package PROPERTIES TIMEOUT 300 RUN_SERIAL ON)
endif()
