# Helpers of the main project's directories; the code's own (packages, folders,
# nl_game_library) are in NightloomCode.cmake, shared with the fuzz build.

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
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endfunction()
