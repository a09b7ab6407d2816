# Helpers shared by every directory's CMakeLists.

# The game program's code works on Shift-JIS text: its string literals are stored
# as CP932 bytes, while the sources themselves stay UTF-8.
function(nl_game_charset target)
  target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
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
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  nl_game_charset(${target})
endfunction()

# One GoogleTest program made of every test source in the calling directory (or of those
# matching the SOURCES patterns); each test case runs in a process of its own under CTest.
function(nl_test_suite target)
  cmake_parse_arguments(ARG "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    set(ARG_SOURCES *.cpp)
  endif()
  list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} nl_test_support GTest::gtest GTest::gmock
                        GTest::gtest_main)
  nl_game_charset(${target})
  gtest_discover_tests(${target}
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
    DISCOVERY_TIMEOUT 60)
endfunction()
