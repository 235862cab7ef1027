# The Windows cross build's libpng, libimagequant and libsndfile, compiled from Debian's own source
# packages into this build folder once (cmake/build-windows-libraries), then found like any other
# library: find_package(PNG) and the pkg-config files of the quantiser and libsndfile. Everything
# is linked statically, so the programs need no DLLs beside them; the quantiser and libsndfile
# still go only where the encoder goes.
option(TAVIK_WINDOWS_LIBRARIES "Build libpng, libimagequant and libsndfile for the Windows programs"
       ON)
if(NOT TAVIK_WINDOWS_LIBRARIES)
  return()
endif()
set(TAVIK_WINDOWS_PREFIX ${CMAKE_BINARY_DIR}/windows-libraries/prefix)
message(STATUS "Windows libraries: ${TAVIK_WINDOWS_PREFIX}")
execute_process(
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/build-windows-libraries ${CMAKE_BINARY_DIR}/windows-libraries
          ${CMAKE_C_COMPILER} ${CMAKE_AR} ${CMAKE_CXX_COMPILER}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Building libpng, libimagequant and libsndfile for Windows failed (see "
                      "above); run scripts/setup, or configure with -DTAVIK_WINDOWS_LIBRARIES=OFF "
                      "for programs without PNG, the quantiser and WAV")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${TAVIK_WINDOWS_PREFIX})
set(ENV{PKG_CONFIG_LIBDIR} "${TAVIK_WINDOWS_PREFIX}/lib/pkgconfig:$ENV{PKG_CONFIG_LIBDIR}")
# Static libraries only (zlib's import library would make the programs need its DLL).
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(TAVIK_WINDOWS_LICENCES ${TAVIK_WINDOWS_PREFIX}/share/licences)
