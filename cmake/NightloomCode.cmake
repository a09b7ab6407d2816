# What the game program's code needs to build, shared by the main project and the fuzz
# project (fuzz/CMakeLists.txt): the packages it finds, its folders and the library helper
# their CMakeLists call. A project sets before including it:
#   NL_CODE_ROOT     the tree the code's includes are relative to (default: the project's)
#   NL_CODE_DEPENDS  targets every library waits for (the fuzz build's escaped copy)
#   NL_GAME_CHARSET  the options that make literals Shift-JIS (default: GCC's)

find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

# The game program's code directories, lowest first; each holds its own CMakeLists.
set(NL_PROGRAM_DIRS
  platform
  vexal/app vexal/graphics vexal/ddraw vexal/raster vexal/d3d
  music
  game/codec game/input game/frame game/data game/text game/battle game/menu game/field game/entry)

if(NOT DEFINED NL_CODE_ROOT)
  set(NL_CODE_ROOT ${PROJECT_SOURCE_DIR})
endif()
if(NOT DEFINED NL_GAME_CHARSET)
  set(NL_GAME_CHARSET -finput-charset=UTF-8 -fexec-charset=CP932)
endif()

# Adds each directory's CMakeLists; a directory without one is an error, not skipped.
# Extra arguments go to add_subdirectory (a binary directory is made from the folder).
function(nl_add_code_dirs root)
  cmake_parse_arguments(ARG "" "BINARY_ROOT" "DIRS;OPTIONS" ${ARGN})
  foreach(dir ${ARG_DIRS})
    if(NOT EXISTS ${root}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "${root}/${dir} has no CMakeLists.txt: every folder listed is built")
    endif()
    if(ARG_BINARY_ROOT)
      add_subdirectory(${root}/${dir} ${ARG_BINARY_ROOT}/${dir} ${ARG_OPTIONS})
    else()
      add_subdirectory(${root}/${dir} ${ARG_OPTIONS})
    endif()
  endforeach()
endfunction()

# The game program's code works on Shift-JIS text: its string literals are stored
# as CP932 bytes, while the sources themselves stay UTF-8.
function(nl_game_charset target)
  if(NL_GAME_CHARSET)
    target_compile_options(${target} PRIVATE ${NL_GAME_CHARSET})
  endif()
endfunction()

# A static library made of every source in the calling directory and its module folders
# but those named after EXCLUDE, or of the files named after SOURCES alone (file names in
# the directory).
function(nl_game_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;EXCLUDE" ${ARGN})
  if(ARG_SOURCES)
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  else()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  list(TRANSFORM ARG_EXCLUDE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${excluded})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${NL_CODE_ROOT})
  nl_game_charset(${target})
  if(NL_CODE_DEPENDS)
    add_dependencies(${target} ${NL_CODE_DEPENDS})
  endif()
endfunction()
