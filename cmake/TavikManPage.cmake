# Writes a manual page from a program's --help, so that the two cannot drift apart:
#   cmake -DPROGRAM=path -DNAME=name -DSUMMARY=text -DVERSION=v -DOUT=file -P TavikManPage.cmake
# A dummy video driver: the player must not open a message box for its help.
execute_process(COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy ${PROGRAM} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help failed (${status})")
endif()
# The help text as it prints, in no-fill mode: backslashes and minus signs as themselves, and
# no line taken for a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(REGEX REPLACE "\n$" "" help "${help}")
string(TOUPPER "${NAME}" title)
set(others tavikplay tavik-info tavik-dump tavik-encode tavik-edit tavik-selfplay tavik-thumbnail)
list(REMOVE_ITEM others ${NAME})
list(TRANSFORM others APPEND "(1)")
list(JOIN others ", " see_also)
string(REPLACE "-" "\\-" see_also "${see_also}")
string(REPLACE "-" "\\-" name_escaped "${NAME}")
file(WRITE ${OUT}.partial ".TH ${title} 1 \"\" \"Tavik ${VERSION}\" \"User Commands\"
.SH NAME
${name_escaped} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}
.fi
.SH SEE ALSO
${see_also}
")
file(RENAME ${OUT}.partial ${OUT})
