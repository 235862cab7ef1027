# The programs at the top of the build folder: tavikplay (a link to the player built in
# src/player) and tavikplay-demo, the player with the demo movie appended and its self-play
# field pointing at it. Included where the tavikplay target is made.
add_custom_command(TARGET tavikplay POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:tavikplay> ${PROJECT_BINARY_DIR}/tavikplay
  VERBATIM)

# A cross build makes them only where its programs can run here (through Wine); it writes the
# demo movie once and names the self-playing program tavikplay-demo.exe.
if(TAVIK_TOOLS AND EXISTS ${PROJECT_SOURCE_DIR}/tools/tavik-encode.cpp
   AND (NOT CMAKE_CROSSCOMPILING OR CMAKE_CROSSCOMPILING_EMULATOR))
  set(TAVIK_DEMO_MOVIE ${PROJECT_BINARY_DIR}/demo.tvk)
  add_custom_command(
    OUTPUT ${TAVIK_DEMO_MOVIE}
    COMMAND tavik-encode --demo ${TAVIK_DEMO_MOVIE}
    DEPENDS tavik-encode
    COMMENT "Writing the demo movie"
    VERBATIM)
  set(TAVIK_DEMO_PROGRAM ${PROJECT_BINARY_DIR}/tavikplay-demo${CMAKE_EXECUTABLE_SUFFIX})
  add_custom_command(
    OUTPUT ${TAVIK_DEMO_PROGRAM}
    COMMAND tavik-selfplay $<TARGET_FILE:tavikplay> ${TAVIK_DEMO_MOVIE} ${TAVIK_DEMO_PROGRAM}
    COMMAND chmod +x ${TAVIK_DEMO_PROGRAM}
    DEPENDS tavik-selfplay tavikplay ${TAVIK_DEMO_MOVIE}
    COMMENT "Making the self-playing tavikplay-demo"
    VERBATIM)
  add_custom_target(tavikplay_demo ALL DEPENDS ${TAVIK_DEMO_PROGRAM})
endif()
