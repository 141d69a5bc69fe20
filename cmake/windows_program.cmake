# The Windows program, cross-compiled with mingw-w64: figmerg.exe, linked statically so that it
# needs nothing but the system's own DLLs.
enable_language(RC)

# Every program of the Windows build, the test programs included, carries its own C and C++
# runtime: a user's system has no mingw DLLs, and neither has a fresh Wine prefix.
add_link_options(-static -static-libgcc -static-libstdc++)

target_sources(figmerg_core PRIVATE src/platform/path_win.cpp)

# The parts of the program that are written so far; the frame cannot link without the run.
set(figmerg_sources
  src/shell/FIGMERG.cpp
  src/shell/command_line.cpp
  src/shell/get_file_name.cpp
  src/shell/ui_win.cpp
  src/shell/test_hook_none.cpp
  src/consolidate/consolidate_file.cpp
)
set(figmerg_missing)
foreach(source IN LISTS figmerg_sources)
  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    list(APPEND figmerg_missing ${source})
  endif()
endforeach()

if(figmerg_missing)
  message(STATUS "figmerg.exe is not built yet; missing: ${figmerg_missing}")
else()
  add_executable(figmerg WIN32 ${figmerg_sources})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.rc)
    target_sources(figmerg PRIVATE res/figmerg.rc)
    # windres does not rebuild on its own when the files the script names change.
    set_source_files_properties(res/figmerg.rc PROPERTIES OBJECT_DEPENDS
      "${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.manifest;${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.ico")
    target_compile_definitions(figmerg PRIVATE
      $<$<COMPILE_LANGUAGE:RC>:FIGMERG_VERSION_RC=${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0>)
  endif()
  target_link_libraries(figmerg PRIVATE figmerg_core comdlg32 shell32 gdi32 user32)
  set_target_properties(figmerg PROPERTIES
    OUTPUT_NAME figmerg
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

  # The same program with a drop hook for the end-to-end tests: a drop handle cannot be made in
  # another process, so the tests hand the paths over and the program drops them on itself.
  if(FIGMERG_TESTS)
    list(TRANSFORM figmerg_sources REPLACE "test_hook_none" "test_hook_drop")
    add_executable(figmerg-test WIN32 ${figmerg_sources} res/figmerg.rc)
    set_source_files_properties(res/figmerg.rc PROPERTIES OBJECT_DEPENDS
      "${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.manifest;${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.ico")
    target_link_libraries(figmerg-test PRIVATE figmerg_core comdlg32 shell32 gdi32 user32)
    set_target_properties(figmerg-test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
endif()

# The command-line tool carries the manifest too: its UTF-8 code page lets paths with any
# character through the command line and the byte-string calls.
target_sources(figmerg-cli PRIVATE res/figmerg-cli.rc)
target_link_options(figmerg-cli PRIVATE -static -static-libgcc -static-libstdc++)
set_source_files_properties(res/figmerg-cli.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.manifest")
set_target_properties(figmerg-cli PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(FIGMERG_TESTS)
  # The Windows file layer's own test, a console program run under Wine by
  # tests/wine/test_file_io.sh; the _utf8 form carries the program's manifest and so meets
  # the code page figmerg.exe meets.
  add_executable(file_io_win_test tests/wine/file_io_win_test.cpp)
  add_executable(file_io_win_test_utf8 tests/wine/file_io_win_test.cpp
    tests/wine/file_io_win_test_utf8.rc)
  set_source_files_properties(tests/wine/file_io_win_test_utf8.rc PROPERTIES OBJECT_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/res/figmerg.manifest)
  foreach(t file_io_win_test file_io_win_test_utf8)
    target_link_libraries(${t} PRIVATE figmerg_core)
    set_target_properties(${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/wine)
  endforeach()
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
    add_subdirectory(tests/wine)
  endif()
endif()
