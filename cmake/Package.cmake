# The Windows package: a ZIP (cmake --build build-win --target package) holding
# ambrel.exe, ambrel-cli.exe, the README, the Windows notes and the manual page as plain
# text (as roff source when groff is not at hand); and the installer
# ambrel-VERSION-setup.exe, made with makensis when it is at hand.
install(TARGETS ambrel ambrel-cli RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/windows.md DESTINATION .)
set(man_page ${PROJECT_SOURCE_DIR}/resources/desktop/ambrel-cli.1)
find_program(AMBREL_GROFF groff)
if(AMBREL_GROFF)
  set(man_text ${CMAKE_BINARY_DIR}/ambrel-cli.txt)
  add_custom_command(OUTPUT ${man_text}
    COMMAND sh -c "GROFF_NO_SGR=1 '${AMBREL_GROFF}' -man -Tutf8 -P-cbou '${man_page}' > '${man_text}'"
    DEPENDS ${man_page} VERBATIM)
  add_custom_target(ambrel_manual_text ALL DEPENDS ${man_text})
  install(FILES ${man_text} DESTINATION .)
  set(AMBREL_MANUAL ${man_text})
else()
  install(FILES ${man_page} DESTINATION .)
  set(AMBREL_MANUAL ${man_page})
endif()
get_filename_component(AMBREL_MANUAL_NAME ${AMBREL_MANUAL} NAME)

find_program(AMBREL_MAKENSIS makensis)
if(AMBREL_MAKENSIS)
  set(AMBREL_BIN ${CMAKE_BINARY_DIR})
  set(AMBREL_SETUP ${CMAKE_BINARY_DIR}/ambrel-${PROJECT_VERSION}-setup.exe)
  set(AMBREL_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/win/installer.nsi.in ${CMAKE_BINARY_DIR}/installer.nsi @ONLY)
  add_custom_command(OUTPUT ${AMBREL_SETUP}
    COMMAND ${AMBREL_MAKENSIS} -V2 ${CMAKE_BINARY_DIR}/installer.nsi
    DEPENDS ambrel ambrel-cli ${AMBREL_MANUAL} ${CMAKE_BINARY_DIR}/installer.nsi ${PROJECT_SOURCE_DIR}/README.md
            ${PROJECT_SOURCE_DIR}/docs/windows.md
    COMMENT "Making ambrel-${PROJECT_VERSION}-setup.exe" VERBATIM)
  add_custom_target(ambrel_installer ALL DEPENDS ${AMBREL_SETUP})
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ambrel)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
