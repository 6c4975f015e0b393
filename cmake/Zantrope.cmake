# Shared helpers for the library, test, benchmark and fuzz targets.

set(ZT_SOURCE_ROOT ${PROJECT_SOURCE_DIR})

function(zt_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
    if(ZT_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# -pthread on every compile, not only where a package's flags ask for it: it
# defines a macro the standard headers read, and the precompiled headers
# need the same definitions everywhere.
function(zt_common_settings target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE -pthread)
    set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF POSITION_INDEPENDENT_CODE ON)
    zt_set_warnings(${target})
endfunction()

# Precompiled headers. Reading the standard library's headers (and, in the
# tests, GoogleTest's) was most of a small file's compile. Only those go in,
# never a header of ours: every file still names the headers of ours it uses,
# as the layer check reads them. Each set is compiled once, by a target of its
# own, and reused by every target whose flags match it: the libraries (-fPIC)
# and the test programs (-fPIE, with GoogleTest's definitions).
set(ZT_PRECOMPILED_STANDARD_HEADERS <algorithm> <array> <atomic> <cmath> <cstddef> <cstdint> <cstdio> <cstdlib>
    <cstring> <functional> <limits> <map> <memory> <mutex> <optional> <string> <string_view> <utility> <vector>)
add_library(zt_precompiled_library_headers OBJECT ${ZT_SOURCE_ROOT}/cmake/PrecompiledHeaders.cpp)
target_precompile_headers(zt_precompiled_library_headers PRIVATE ${ZT_PRECOMPILED_STANDARD_HEADERS})
zt_common_settings(zt_precompiled_library_headers)

# zt_add_library(<name> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
# One static library per source folder: every .cpp of the calling folder.
function(zt_add_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${ZT_SOURCE_ROOT}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    zt_common_settings(${name})
    target_precompile_headers(${name} REUSE_FROM zt_precompiled_library_headers)
endfunction()

# Builds with AddressSanitizer or ThreadSanitizer run ten to twenty-five times
# slower (tsan's tablet control walks take near an hour on a loaded machine):
# the bounds on what tests wait for (children, ctest's timeout) grow with them.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=[-a-z,]*(address|thread)")
    set(ZT_TEST_SLOWDOWN 25)
else()
    set(ZT_TEST_SLOWDOWN 1)
endif()
math(EXPR ZT_TEST_TIMEOUT_SECONDS "900 * ${ZT_TEST_SLOWDOWN}")

# zt_add_test(<library> [DEPS <targets...>] [ENVIRONMENT <VAR=value>]): one
# test binary per library, from every .cpp of the calling folder, registered
# with CTest.
function(zt_add_test library)
    cmake_parse_arguments(ARG "" "" "DEPS;ENVIRONMENT" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    set(target ${library}_tests)
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${library} zt_testsupport ${ARG_DEPS} GTest::gtest GTest::gmock)
    target_include_directories(${target} PRIVATE ${ZT_SOURCE_ROOT}/tests)
    zt_common_settings(${target})
    target_precompile_headers(${target} REUSE_FROM zt_precompiled_test_headers)
    # The tests find the source tree and the bundle through the paths built
    # into the test support and the bundle. gtest_discover_tests passes one
    # ENVIRONMENT entry through intact (it splits lists), so there is at most one.
    list(LENGTH ARG_ENVIRONMENT environment_count)
    if(environment_count GREATER 1)
        message(FATAL_ERROR "zt_add_test takes one ENVIRONMENT entry")
    endif()
    # A test that hangs fails: three times the bound of a child it waits for
    # (tests/support/BoundedChild.h), so that a child past its bound fails
    # the test first, and is killed.
    set(properties PROPERTIES TIMEOUT ${ZT_TEST_TIMEOUT_SECONDS})
    if(ARG_ENVIRONMENT)
        list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${target}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        ${properties}
        DISCOVERY_MODE PRE_TEST)
endfunction()

# zt_add_bench(<name> <sources...> [OWN_MAIN] DEPS <targets...>): with OWN_MAIN
# the sources bring their own main (one that prints ratios, say) instead of
# bench/BenchMain.cpp.
function(zt_add_bench name)
    cmake_parse_arguments(ARG "OWN_MAIN" "" "DEPS" ${ARGN})
    set(main_source ${ZT_SOURCE_ROOT}/bench/BenchMain.cpp)
    if(ARG_OWN_MAIN)
        set(main_source)
    endif()
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS} ${main_source})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} plat_foundation benchmark::benchmark)
    zt_common_settings(${name})
endfunction()

# zt_add_fuzzer(<name> <source> DEPS <targets...>): libFuzzer targets, clang only.
# zt_add_fuzzer(<name> <source> [DEPS libs...] [SEEDS dir] [DICT file]): a
# libFuzzer target and its smoke test: a fixed number of runs from a fixed
# random seed, over the seeds when there are any. New inputs go to a scratch
# folder in the build tree that each run starts afresh, never to the seeds.
set(ZT_FUZZ_SMOKE_RUNS 4000 CACHE STRING "Inputs each fuzz smoke test tries")
function(zt_add_fuzzer name source)
    cmake_parse_arguments(ARG "" "SEEDS;DICT" "DEPS" ${ARGN})
    add_executable(${name} ${source})
    set_property(GLOBAL APPEND PROPERTY ZT_FUZZ_TARGETS ${name})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    zt_common_settings(${name})

    set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}.smoke)
    set(options -seed=1 -runs=${ZT_FUZZ_SMOKE_RUNS} -rss_limit_mb=2048 -print_final_stats=1)
    if(ARG_DICT)
        list(APPEND options -dict=${ARG_DICT})
    endif()
    add_test(NAME fuzz.${name}
        COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && shift && exec \"$@\"" smoke
            ${scratch} $<TARGET_FILE:${name}> ${options} ${scratch} ${ARG_SEEDS})
endfunction()
