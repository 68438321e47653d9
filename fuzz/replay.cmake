# The corpus replay: every libFuzzer harness of fuzz/harnesses.txt built with the
# project's own compiler into one program, korvan_fuzz_replay, which runs each file of
# fuzz/corpus/<harness>/ and fuzz/crashes/<harness>/ through the harness's entry point.
# One ctest test per harness. Included from the main CMakeLists when tests are on.

file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/harnesses.txt KORVAN_FUZZ_HARNESSES REGEX "^[a-z0-9_]+$")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/harnesses.txt)

set(declarations "")
set(rows "")
set(sources "")
foreach(name IN LISTS KORVAN_FUZZ_HARNESSES)
  set(source ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
  list(APPEND sources ${source})
  # Every harness defines the one entry point libFuzzer calls; here each gets a name of
  # its own, so that all of them link into one program.
  set_source_files_properties(${source} PROPERTIES COMPILE_DEFINITIONS "LLVMFuzzerTestOneInput=korvan_fuzz_${name}")
  string(APPEND declarations "extern \"C\" int korvan_fuzz_${name}(const std::uint8_t*, std::size_t);\n")
  string(APPEND rows "    {\"${name}\", korvan_fuzz_${name}},\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/fuzz_replay_harnesses.cpp CONTENT "// Made by fuzz/replay.cmake from fuzz/harnesses.txt.
#include \"replay.h\"

${declarations}
namespace korvan::fuzz {

const std::vector<Harness> HARNESSES = {
${rows}};

}  // namespace korvan::fuzz
")

add_executable(korvan_fuzz_replay ${CMAKE_CURRENT_LIST_DIR}/replay.cpp ${sources}
               ${CMAKE_CURRENT_BINARY_DIR}/fuzz_replay_harnesses.cpp)
target_include_directories(korvan_fuzz_replay PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(korvan_fuzz_replay PRIVATE korvan_core)
foreach(name IN LISTS KORVAN_FUZZ_HARNESSES)
  add_test(NAME fuzz_replay.${name} COMMAND korvan_fuzz_replay ${name} ${CMAKE_CURRENT_LIST_DIR})
endforeach()
