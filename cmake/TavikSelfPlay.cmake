# tavik_add_selfplay(<name> PLAYER <target> MOVIE <file> [SWITCHES <switch>...])
# Builds <name> (in the build directory) from the player target with the movie appended and
# its self-play field pointing at it, and adds a target <name>_selfplay that makes it.
function(tavik_add_selfplay name)
  cmake_parse_arguments(ARG "" "PLAYER;MOVIE" "SWITCHES" ${ARGN})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${output}
    COMMAND tavik-selfplay $<TARGET_FILE:${ARG_PLAYER}> ${ARG_MOVIE} ${output} ${ARG_SWITCHES}
    COMMAND chmod +x ${output}
    DEPENDS tavik-selfplay ${ARG_PLAYER} ${ARG_MOVIE}
    COMMENT "Making the self-playing ${name}"
    VERBATIM)
  add_custom_target(${name}_selfplay ALL DEPENDS ${output})
endfunction()
