# The Windows package: a ZIP (cmake --build build-win --target package) holding
# ambrel-cli.exe, the README, the Windows notes and the manual page as plain text (as roff
# source when groff is not at hand).
install(TARGETS ambrel-cli RUNTIME DESTINATION .)
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
else()
  install(FILES ${man_page} DESTINATION .)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ambrel)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
