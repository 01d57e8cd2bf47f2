# Installation and the Debian package.
#
# The program lives in <prefix>/lib/scrivel with its help pages beside it (the program
# finds them in the "help" folder next to itself) and is started through the link
# <prefix>/bin/scrivel. The desktop entry, with its "Open in hex editor" action and the
# MIME types of the text files the parsers colour, and the icon go where desktops look.

set(SCRIVEL_INSTALL_PROGRAM_DIR lib/scrivel)

install(TARGETS scrivel RUNTIME DESTINATION ${SCRIVEL_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help/ DESTINATION ${SCRIVEL_INSTALL_PROGRAM_DIR}/help)
file(CREATE_LINK ../${SCRIVEL_INSTALL_PROGRAM_DIR}/scrivel ${PROJECT_BINARY_DIR}/scrivel-link SYMBOLIC)
install(FILES ${PROJECT_BINARY_DIR}/scrivel-link DESTINATION bin RENAME scrivel)
install(FILES ${PROJECT_SOURCE_DIR}/resources/scrivel.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/scrivel.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME scrivel)
set(CPACK_PACKAGE_VENDOR "Vantro Software")
set(CPACK_PACKAGE_CONTACT "Vantro Software")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Text and hex editor")
set(CPACK_PACKAGE_DESCRIPTION
    "Scrivel edits text files in any code page, UTF-8 and UTF-16, colours 27 languages, and\n edits any file as bytes without loading it whole.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY scrivel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-liberation2")
set(CPACK_GENERATOR DEB)
include(CPack)
