# Fails when the world library reaches for the drawing library, SDL or
# OpenAL: an undefined symbol of theirs in the archive, one of their shared
# libraries in the world check program, or one of their headers included by
# a world source.
#   cmake -DARCHIVE=... -DPROGRAM=... -DSOURCES=<file listing the sources> -P CheckWorldLink.cmake

execute_process(COMMAND nm -u -C ${ARCHIVE} OUTPUT_VARIABLE undefined RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "nm could not read ${ARCHIVE}")
endif()
string(REGEX MATCHALL "[ \t](gl[A-Z][A-Za-z0-9]*|glu[A-Z][A-Za-z0-9]*|SDL_[A-Za-z0-9_]*|al[A-Z][A-Za-z0-9]*|alut[A-Z][A-Za-z0-9]*)" found "${undefined}")
if(found)
  list(REMOVE_DUPLICATES found)
  message(FATAL_ERROR "the world library needs graphics, window or sound symbols:${found}")
endif()

execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE libraries RESULT_VARIABLE ldd_result)
if(NOT ldd_result EQUAL 0)
  message(FATAL_ERROR "ldd could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "(libGL|libGLU|libGLX|libOpenGL|libSDL2|libopenal|libalut)[^ \t]*" linked "${libraries}")
if(linked)
  message(FATAL_ERROR "the world check program links ${linked}")
endif()

file(STRINGS ${SOURCES} sources)
foreach(source ${sources})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](GL/|SDL|AL/)")
  if(includes)
    message(FATAL_ERROR "${source} includes ${includes}")
  endif()
endforeach()
message(STATUS "the world library stands alone")
