# Build helpers shared by the four libraries.
#
# Three builds use this file: the native one (pure logic and its unit tests,
# with sanitizers) and the two Windows ones (the DLLs, their test programs).

get_filename_component(SUITE_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

if(WIN32)
  set(SUITE_DIST_DIR ${SUITE_SOURCE_DIR}/dist/${SUITE_ARCH})
  set(SUITE_IDL_INCLUDE /usr/include/wine/wine/windows)
  # stdole2.tlb for importlib comes with Wine's own DLLs.
  set(SUITE_IDL_LIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
  # Everything static: the DLLs and the test programs need nothing beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
else()
  # The benchmark build turns the sanitizers off.
  option(SUITE_SANITIZE "Build the native tests with ASan and UBSan" ON)
  if(SUITE_SANITIZE)
    set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${sanitize})
    add_link_options(${sanitize})
  endif()
endif()

# suite_add_gtest(<name> SOURCES ... LIBS ...): one test program, one test.
# On the Windows builds it runs under Wine through the cross-compiling emulator.
function(suite_add_gtest name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
endfunction()

# Turns "649B234E-BEC2-4750-86A1-3C962892EECA" into the resource words of the
# GUID's 16 bytes as the platform lays them out.
function(suite_guid_words guid out)
  string(REGEX MATCH "^([0-9A-Fa-f]+)-([0-9A-Fa-f]+)-([0-9A-Fa-f]+)-([0-9A-Fa-f][0-9A-Fa-f])([0-9A-Fa-f][0-9A-Fa-f])-([0-9A-Fa-f]+)$" _ ${guid})
  set(words "0x${CMAKE_MATCH_1}L, 0x${CMAKE_MATCH_2}, 0x${CMAKE_MATCH_3}, 0x${CMAKE_MATCH_5}${CMAKE_MATCH_4}")
  set(node ${CMAKE_MATCH_6})
  foreach(i 0 4 8)
    string(SUBSTRING ${node} ${i} 2 lo)
    math(EXPR j "${i} + 2")
    string(SUBSTRING ${node} ${j} 2 hi)
    string(APPEND words ", 0x${hi}${lo}")
  endforeach()
  set(${out} ${words} PARENT_SCOPE)
endfunction()

# suite_add_server(<Name> IDL <file> SOURCES ... LIBS ...
#   FILE_VERSION 1,0,0,3 VERSION_TEXT 1.00.0003 COMMENTS <rc-escaped text>
#   IIDS <CLASSNAME>=<guid> ...)
# Builds dist/<arch>/<Name>.dll: the type library compiled from the IDL and
# embedded, the version block, the _IID_ resources, the shared frame.
function(suite_add_server name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(arg "" "IDL;FILE_VERSION;VERSION_TEXT;COMMENTS;OUTPUT_DIR" "SOURCES;LIBS;IIDS" ${ARGN})
  if(NOT arg_OUTPUT_DIR)
    set(arg_OUTPUT_DIR ${SUITE_DIST_DIR})
  endif()
  string(TOLOWER ${name} lower)
  set(gen ${CMAKE_CURRENT_BINARY_DIR}/generated)
  file(MAKE_DIRECTORY ${gen})
  set(idl ${CMAKE_CURRENT_SOURCE_DIR}/${arg_IDL})
  set(header ${gen}/${lower}_h.h)
  set(tlb ${gen}/${lower}.tlb)
  # widl runs once per output kind.
  add_custom_command(OUTPUT ${header}
    COMMAND ${SUITE_WIDL} -h -H ${header} -I${SUITE_IDL_INCLUDE} -L${SUITE_IDL_LIBS} ${idl}
    DEPENDS ${idl} VERBATIM)
  # The compiler puts enumerations where they are first used; the libraries
  # list them after their interfaces and classes.
  add_custom_command(OUTPUT ${tlb}
    COMMAND ${SUITE_WIDL} ${SUITE_WIDL_ARCH} -t -o ${tlb}.compiled -I${SUITE_IDL_INCLUDE} -L${SUITE_IDL_LIBS} ${idl}
    COMMAND python3 ${SUITE_SOURCE_DIR}/tools/typelib_order.py ${tlb}.compiled ${tlb}
    DEPENDS ${idl} ${SUITE_SOURCE_DIR}/tools/typelib_order.py VERBATIM)

  set(IID_RESOURCES "")
  foreach(entry ${arg_IIDS})
    string(REPLACE "=" ";" pair ${entry})
    list(GET pair 0 class_upper)
    list(GET pair 1 guid)
    suite_guid_words(${guid} words)
    string(APPEND IID_RESOURCES "1 _IID_${class_upper} { 16L, ${words} }\n")
  endforeach()
  set(LIBRARY_NAME ${name})
  set(FILE_VERSION ${arg_FILE_VERSION})
  set(VERSION_TEXT ${arg_VERSION_TEXT})
  set(COMMENTS ${arg_COMMENTS})
  set(TLB_PATH ${tlb})
  configure_file(${SUITE_SOURCE_DIR}/frame/server.rc.in ${gen}/${lower}.rc @ONLY)
  set_source_files_properties(${gen}/${lower}.rc PROPERTIES OBJECT_DEPENDS ${tlb})

  add_library(${name} SHARED ${arg_SOURCES} ${header} ${gen}/${lower}.rc
    ${SUITE_SOURCE_DIR}/frame/exports.def)
  target_include_directories(${name} PRIVATE ${gen})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} suite_frame)
  set_target_properties(${name} PROPERTIES
    PREFIX "" OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${arg_OUTPUT_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${arg_OUTPUT_DIR})
  if(SUITE_ARCH STREQUAL "x86")
    target_link_options(${name} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
  endif()
  # The generated header for test programs that call the DLL through its vtable.
  add_library(${name}_interface INTERFACE)
  target_include_directories(${name}_interface INTERFACE ${gen})
  add_custom_target(${name}_header DEPENDS ${header})
  add_dependencies(${name}_interface ${name}_header)
endfunction()

# Both Windows builds run their tests under Wine: the x86 test programs as
# 32-bit programs, the scripts under the cscript of the same bitness (syswow64
# for x86), against DLLs registered by the regsvr32 of that bitness.
if(WIN32)
  set(SUITE_RUN_WINE ${SUITE_SOURCE_DIR}/tools/wine-run)
  set(SUITE_RUN_SCRIPT ${SUITE_SOURCE_DIR}/tools/run-script --arch ${SUITE_ARCH})
  if(SUITE_ARCH STREQUAL "x86")
    set(SUITE_REGSVR32 "C:\\windows\\syswow64\\regsvr32.exe")
  else()
    set(SUITE_REGSVR32 regsvr32)
  endif()
endif()

# suite_register_for_tests(<Name>): a test fixture that registers the built DLL
# in the test prefix with regsvr32; script tests that need it require
# the fixture "<Name>_registered".
function(suite_register_for_tests name)
  if(NOT SUITE_RUN_WINE)
    return()
  endif()
  cmake_parse_arguments(arg "" "DIR" "" ${ARGN})
  if(NOT arg_DIR)
    set(arg_DIR ${SUITE_DIST_DIR})
  endif()
  add_test(NAME ${name}_register
    COMMAND ${SUITE_RUN_WINE} ${SUITE_REGSVR32} /s Z:${arg_DIR}/${name}.dll)
  set_tests_properties(${name}_register PROPERTIES FIXTURES_SETUP ${name}_registered)
endfunction()

# suite_run_under_locale(<test> <locale>): runs the test with LC_ALL set to
# <locale> (for example ja_JP.UTF-8), which gives Wine's ANSI code page:
# ru_RU 1251, ja_JP 932, zh_CN 936, hi_IN 65001 (UTF-8). Wine names Unix files
# in the locale's character set, so the locale is compiled for the tests (a
# fixture, once per build) and the C library pointed at it: without it no
# file outside ASCII could be named.
function(suite_run_under_locale test locale)
  string(REGEX MATCH "^[^.]+" language ${locale})
  set(folder ${CMAKE_BINARY_DIR}/locales)
  file(MAKE_DIRECTORY ${folder})
  # One compile per build: fixtures are found by name across folders.
  get_property(made GLOBAL PROPERTY suite_locale_${language})
  if(NOT made)
    set_property(GLOBAL PROPERTY suite_locale_${language} TRUE)
    add_test(NAME suite_locale_${language} COMMAND localedef -c -i ${language} -f UTF-8 ${folder}/${language}.UTF-8)
    set_tests_properties(suite_locale_${language} PROPERTIES FIXTURES_SETUP suite_locale_${language})
  endif()
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED suite_locale_${language})
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT LOCPATH=${folder} LC_ALL=${locale})
endfunction()

# suite_add_codepage_runs(<program> <test prefix> <gtest filter>
#   PAGES <number>:<language>... [FIXTURES <fixture>...]): the program's tests
# that match the filter once more under each code page (Wine takes it from
# the locale), as <test prefix>_<number>_test; each run checks that it got the
# page it asked for (SUITE_EXPECT_ACP).
function(suite_add_codepage_runs program prefix filter)
  cmake_parse_arguments(arg "" "" "PAGES;FIXTURES" ${ARGN})
  foreach(page ${arg_PAGES})
    string(REPLACE ":" ";" page ${page})
    list(GET page 0 number)
    list(GET page 1 language)
    set(test ${prefix}_${number}_test)
    add_test(NAME ${test} COMMAND ${program} --gtest_brief=1 --gtest_filter=${filter})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT SUITE_EXPECT_ACP=${number})
    if(arg_FIXTURES)
      set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED ${arg_FIXTURES})
    endif()
    suite_run_under_locale(${test} ${language}.UTF-8)
  endforeach()
endfunction()

# suite_add_script_test(<test name> <script> [LOCALE <LC_ALL>] [NEEDS <Name>...]):
# a VBScript or JScript run under cscript; it passes when its summary line
# reports no failure.
function(suite_add_script_test name script)
  if(NOT SUITE_RUN_SCRIPT)
    return()
  endif()
  cmake_parse_arguments(arg "" "LOCALE" "NEEDS;ARGS" ${ARGN})
  set(locale_args "")
  if(arg_LOCALE)
    set(locale_args --locale ${arg_LOCALE})
  endif()
  add_test(NAME ${name}
    COMMAND ${SUITE_RUN_SCRIPT} ${locale_args} ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${arg_ARGS})
  set(fixtures "")
  foreach(needed ${arg_NEEDS})
    list(APPEND fixtures ${needed}_registered)
  endforeach()
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "[0-9]+ passed, 0 failed"
    FAIL_REGULAR_EXPRESSION "FAIL |[1-9][0-9]* failed"
    FIXTURES_REQUIRED "${fixtures}")
endfunction()

# suite_add_structure_test(<Name> IIDS <CLASSUPPER>=<guid> ...): checks both
# DLLs of a library: the type library against tests/<name>.typelib.txt (the
# reviewed description, the same for x64 and x86), exports, imports, the
# _IID_ resources and the version block.
function(suite_add_structure_test name)
  # One test reads both DLLs: it runs in the x64 build only.
  if(NOT SUITE_RUN_WINE OR NOT SUITE_ARCH STREQUAL "x64")
    return()
  endif()
  cmake_parse_arguments(arg "" "" "IIDS" ${ARGN})
  string(TOLOWER ${name} lower)
  add_test(NAME ${lower}_structure
    COMMAND python3 ${SUITE_SOURCE_DIR}/tools/check_library.py ${name}
            ${CMAKE_CURRENT_SOURCE_DIR}/tests/${lower}.typelib.txt $<TARGET_FILE:typelib_dump> ${arg_IIDS})
  set_tests_properties(${lower}_structure PROPERTIES
    PASS_REGULAR_EXPRESSION "[0-9]+ passed, 0 failed"
    FAIL_REGULAR_EXPRESSION "FAIL ")
endfunction()
