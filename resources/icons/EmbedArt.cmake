# Writes the two art files as raw string constants into one header.
file(READ ${SHOW} show_art)
file(READ ${HIDE} hide_art)
file(WRITE ${OUTPUT} "#pragma once\n// Generated from resources/icons/*.txt; edit those.\n\nnamespace vlz {\n\n")
file(APPEND ${OUTPUT} "inline constexpr const char* ShowIconArt = R\"art(${show_art})art\";\n\n")
file(APPEND ${OUTPUT} "inline constexpr const char* HideIconArt = R\"art(${hide_art})art\";\n\n}  // namespace vlz\n")
