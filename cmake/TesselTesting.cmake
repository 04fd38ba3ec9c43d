# tessel_add_test_suite(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [TIMEOUT seconds])
# Builds one GoogleTest program per suite and registers it as a single ctest test, so a
# suite costs one process (one Wine start in the cross build) rather than one per case.
# Under the cross build the emulator wrapper runs it in Wine.
function(tessel_add_test_suite name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE TESSEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

# tessel_glob_tests(OUT DIR): the *_test.cpp files of DIR that this build runs; win32_*_test.cpp
# only in the Windows build.
function(tessel_glob_tests out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  set(kept)
  foreach(src IN LISTS sources)
    get_filename_component(base ${src} NAME)
    if(base MATCHES "^win32_" AND NOT WIN32)
      continue()
    endif()
    list(APPEND kept ${src})
  endforeach()
  set(${out} ${kept} PARENT_SCOPE)
endfunction()
