# The Debian package (scripts/package-deb.sh): CPack's DEB generator over what
# `cmake --install` puts under /usr (cmake/Install.cmake), with the files Debian policy
# asks of every package: the copyright notice and the changelog in /usr/share/doc/ambrel/,
# manual pages compressed. The libraries the programs link are found by dpkg-shlibdeps;
# the framework's plugin packages, which decoders come from, are recommended.
set(deb_doc ${CMAKE_INSTALL_DATADIR}/doc/ambrel)
set(deb_stage ${CMAKE_BINARY_DIR}/deb)
file(MAKE_DIRECTORY ${deb_stage})
string(TIMESTAMP deb_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${deb_stage}/changelog
  "ambrel (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Built from the project's sources by scripts/package-deb.sh.\n\n"
  " -- Ambrel developers <ambrel@ambrel.org>  ${deb_date}\n")
file(WRITE ${deb_stage}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ambrel\n\n"
  "Files: *\n"
  "Copyright: 2026 the Ambrel developers\n"
  "License: all-rights-reserved\n"
  " The Ambrel developers keep every right to this software; ask them for a licence.\n")
install(FILES ${deb_stage}/copyright DESTINATION ${deb_doc})
# gzip -n: no name or time stamp in the compressed file.
execute_process(COMMAND gzip -9nc ${deb_stage}/changelog OUTPUT_FILE ${deb_stage}/changelog.gz)
install(FILES ${deb_stage}/changelog.gz DESTINATION ${deb_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ambrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Ambrel developers <ambrel@ambrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Matroska and WebM diagnostics: will the file play here")
set(CPACK_PACKAGE_DESCRIPTION
    "Ambrel reads Matroska and WebM files and reports their structure (tracks,\n"
    "codecs, attachments, chapters, tags), whether this machine's media framework\n"
    "can play each track and which packages would bring the decoders it lacks.\n"
    "ambrel-cli prints text, HTML, parsing logs, JSON or a summary of a whole\n"
    "library, one line per file; ambrel is the window.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
