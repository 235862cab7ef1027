# `cmake --install BUILD --prefix P`: the public headers, libtavik (static, or shared with
# BUILD_SHARED_LIBS), the programs (component Programs; the rest is Development), a pkg-config file and a CMake package (Tavik::tavik).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(TARGET tavik_shared)
  set(TAVIK_INSTALLED_LIBRARY tavik_shared)
else()
  set(TAVIK_INSTALLED_LIBRARY tavik)
endif()
install(TARGETS ${TAVIK_INSTALLED_LIBRARY} EXPORT TavikTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Development)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/tavik DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT Development FILES_MATCHING PATTERN "*.h")

foreach(program tavikplay tavik-selfplay tavik-info tavik-dump tavik-encode tavik-edit
                tavik-thumbnail)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Programs)
  endif()
endforeach()

# A static libtavik is C++ inside: a C program linking it needs the C++ runtime as well, so
# `pkg-config --libs tavik` names it (without --static); the shared library carries its own.
if(TARGET tavik_shared)
  set(TAVIK_PC_LIBS "-ltavik")
else()
  set(TAVIK_PC_LIBS "-ltavik -lstdc++ -lm")
endif()
if(NOT TARGET tavik_shared)
  set_property(TARGET tavik APPEND PROPERTY INTERFACE_LINK_LIBRARIES
    $<INSTALL_INTERFACE:stdc++> $<INSTALL_INTERFACE:m>)
endif()

# The pkg-config file finds its prefix from where it lies, so the package can be moved.
file(RELATIVE_PATH TAVIK_PC_TO_PREFIX
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/tavik.pc.in ${PROJECT_BINARY_DIR}/tavik.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tavik.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT Development)

set(TAVIK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tavik)
install(EXPORT TavikTargets NAMESPACE Tavik:: DESTINATION ${TAVIK_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TavikConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TavikConfig.cmake INSTALL_DESTINATION ${TAVIK_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TavikConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TavikConfig.cmake ${PROJECT_BINARY_DIR}/TavikConfigVersion.cmake
  DESTINATION ${TAVIK_CMAKE_DIR} COMPONENT Development)

# The Linux desktop: the movie type, the player's entry and icon, the thumbnailer, and manual
# pages made from each program's --help (when the programs can run here).
if(UNIX AND NOT APPLE)
  set(TAVIK_DESKTOP ${PROJECT_SOURCE_DIR}/desktop)
  install(FILES ${TAVIK_DESKTOP}/tavik.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    COMPONENT Programs)
  install(FILES ${TAVIK_DESKTOP}/tavikplay.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Programs)
  install(FILES ${TAVIK_DESKTOP}/tavik.thumbnailer
    DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers COMPONENT Programs)
  install(FILES ${TAVIK_DESKTOP}/tavikplay.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Programs)
  foreach(size 32 64 128 256)
    install(FILES ${TAVIK_DESKTOP}/tavikplay-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME tavikplay.png COMPONENT Programs)
  endforeach()

  set(TAVIK_SUMMARY_tavikplay "play Tavik movies")
  set(TAVIK_SUMMARY_tavik-info "show what a Tavik movie holds and check it")
  set(TAVIK_SUMMARY_tavik-dump "decode a Tavik movie's frames and sound to files")
  set(TAVIK_SUMMARY_tavik-encode "make Tavik movies")
  set(TAVIK_SUMMARY_tavik-edit "draw subtitles into a Tavik movie and replace its sound tracks")
  set(TAVIK_SUMMARY_tavik-selfplay "make a self-playing program from the player and a movie")
  set(TAVIK_SUMMARY_tavik-thumbnail "write a thumbnail picture of a Tavik movie")
  set(TAVIK_MAN_PAGES)
  foreach(program tavikplay tavik-info tavik-dump tavik-encode tavik-edit tavik-selfplay
                  tavik-thumbnail)
    if(TARGET ${program} AND NOT CMAKE_CROSSCOMPILING)
      set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
                "-DSUMMARY=${TAVIK_SUMMARY_${program}}" -DVERSION=${PROJECT_VERSION}
                -DOUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/TavikManPage.cmake
        DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/TavikManPage.cmake
        COMMENT "Writing the manual page of ${program}" VERBATIM)
      list(APPEND TAVIK_MAN_PAGES ${page})
    endif()
  endforeach()
  if(TAVIK_MAN_PAGES)
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
    add_custom_target(tavik_man_pages ALL DEPENDS ${TAVIK_MAN_PAGES})
    install(FILES ${TAVIK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Programs)
  endif()
endif()
