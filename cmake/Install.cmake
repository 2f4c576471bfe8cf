# What `cmake --install` puts under the prefix: the programs, the media-framework module
# they load (in <prefix>/lib/ambrel/, where a program in <prefix>/bin/ looks for it), their
# manual pages, bash completion, and for the window its desktop entry, AppStream metadata
# and icons.
include(GNUInstallDirs)

set(desktop_dir ${PROJECT_SOURCE_DIR}/resources/desktop)
set(app_id org.ambrel.Ambrel)

# A manual page, compressed for the Debian package (as its policy asks).
function(ambrel_install_man page)
  if(AMBREL_DEB_PACKAGE)
    set(gz ${CMAKE_BINARY_DIR}/deb/${page}.gz)
    install(CODE "execute_process(COMMAND gzip -9nc ${desktop_dir}/${page} OUTPUT_FILE ${gz})")
    install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${desktop_dir}/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endfunction()

install(TARGETS ambrel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ambrel-framework-host RUNTIME DESTINATION ${AMBREL_MEDIA_MODULE_DIR})
if(TARGET ambrel-gstreamer)
  install(TARGETS ambrel-gstreamer LIBRARY DESTINATION ${AMBREL_MEDIA_MODULE_DIR})
endif()
ambrel_install_man(ambrel-cli.1)
install(FILES ${desktop_dir}/ambrel-cli.bash RENAME ambrel-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(TARGET ambrel)
  install(TARGETS ambrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  ambrel_install_man(ambrel.1)
  install(FILES ${desktop_dir}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${desktop_dir}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon: the drawn logo at several sizes plus the drawing itself when the logo is an
  # SVG and a renderer is at hand; otherwise the logo's PNG at its own size.
  set(icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  set(logo_svg ${PROJECT_SOURCE_DIR}/resources/logo.svg)
  find_program(AMBREL_RSVG_CONVERT rsvg-convert)
  if(EXISTS ${logo_svg} AND AMBREL_RSVG_CONVERT)
    set(icon_files)
    foreach(size 16 32 48 64 128 256)
      set(png ${CMAKE_BINARY_DIR}/icons/${size}/${app_id}.png)
      add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
        COMMAND ${AMBREL_RSVG_CONVERT} -w ${size} -h ${size} ${logo_svg} -o ${png}
        DEPENDS ${logo_svg}
        VERBATIM)
      list(APPEND icon_files ${png})
      install(FILES ${png} DESTINATION ${icon_dir}/${size}x${size}/apps)
    endforeach()
    add_custom_target(ambrel_icons ALL DEPENDS ${icon_files})
    install(FILES ${logo_svg} RENAME ${app_id}.svg DESTINATION ${icon_dir}/scalable/apps)
  else()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/logo.png RENAME ${app_id}.png
            DESTINATION ${icon_dir}/64x64/apps)
  endif()
endif()
