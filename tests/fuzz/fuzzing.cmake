# Builds the fuzz target (tests/fuzz) with clang and registers its short run as the test
# fuzz_typed_text. Included by the top-level CMakeLists.txt once the whole tree is read.
# Without clang's libFuzzer the test is left out with a note; tools/test.sh insists on it.
if(NOT BUILD_TESTING)
    return()
endif()

find_program(OSTREVANE_CLANGXX NAMES clang++ clang++-14)
set(ostrevane_have_libfuzzer FALSE)
if(OSTREVANE_CLANGXX)
    # libFuzzer and the sanitizer runtimes come in a package of their own (Debian's
    # libclang-rt-14-dev), so a compiler alone is not enough: link a tiny target to be sure.
    set(probe_dir ${CMAKE_BINARY_DIR}/fuzz-probe)
    file(WRITE ${probe_dir}/probe.cpp
        "#include <cstddef>\n#include <cstdint>\n"
        "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
    execute_process(
        COMMAND ${OSTREVANE_CLANGXX} -fsanitize=fuzzer,address,undefined probe.cpp -o probe
        WORKING_DIRECTORY ${probe_dir}
        RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
    if(probe_result EQUAL 0)
        set(ostrevane_have_libfuzzer TRUE)
    endif()
endif()

if(NOT ostrevane_have_libfuzzer)
    message(STATUS "Fuzz target: clang++ with libFuzzer not found, fuzz_typed_text is not built")
    return()
endif()
message(STATUS "Fuzz target: fuzz_typed_text with ${OSTREVANE_CLANGXX}")

include(ExternalProject)
set(fuzz_binary_dir ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(ostrevane_fuzz
    SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
    BINARY_DIR ${fuzz_binary_dir}
    CMAKE_ARGS
        -DCMAKE_CXX_COMPILER=${OSTREVANE_CLANGXX}
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
        -DQt6_DIR=${Qt6_DIR}
    INSTALL_COMMAND ""
    # The target compiles the clock's sources, which this build cannot see changing.
    BUILD_ALWAYS TRUE)

add_test(NAME fuzz_typed_text
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_fuzz.sh ${fuzz_binary_dir}/fuzz_typed_text
            ${CMAKE_CURRENT_LIST_DIR} ${fuzz_binary_dir}/run)
set_tests_properties(fuzz_typed_text PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
