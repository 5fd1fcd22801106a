# Shared compiler settings for every target of the suite.
function(tw_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TW_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tw_add_test(NAME name SOURCES ... LIBS ... [GUI])
# A GoogleTest program registered with ctest; GUI tests run on Qt's offscreen platform.
function(tw_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT TW_BUILD_TESTS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  tw_set_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(env "")
  if(T_GUI)
    set(env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 60)
endfunction()
