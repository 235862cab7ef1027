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

foreach(program tavikplay tavik-selfplay tavik-info tavik-dump tavik-encode)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Programs)
  endif()
endforeach()

# A static libtavik is C++ inside: a C program linking it needs the C++ runtime as well.
set(TAVIK_RUNTIME_LIBS "-lstdc++ -lm")
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
