# Unity build: each target's sources are compiled a few at a time as one
# translation unit, so the shared headers (the model state, the standard
# library, the test framework) are parsed once per group instead of once per
# file. Together with the tests this roughly halves the processor time of a
# clean build.
#
# A source's group is fixed by a hash of its path, not by its place in the
# list: adding or removing a file never moves the other files into new
# company, so a clash between two files cannot appear in files nobody touched.
#
# Files merged into one unit share their file-local names: two files whose
# anonymous namespaces or static helpers define the same name, or a file whose
# macros would leak into the next one, cannot share a group. Such files are
# listed as solo in the top-level CMakeLists.txt and compiled on their own; so
# are test files whose helpers clash with a namespace that another test file of
# the group opens with `using namespace`. A new clash shows up as a
# redefinition or an ambiguous name in a build/.../Unity/unity_*_cxx.cxx unit:
# list one of the two files as solo, or configure with
# -DTORVA_UNITY_BUILD=OFF while iterating on a few files.

# torva_unity_groups(<target> <groups> [SOLO <file relative to the target's folder>...])
function(torva_unity_groups target groups)
  if(NOT TORVA_UNITY_BUILD)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOLO")
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(sources ${target} SOURCES)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  # GCC takes every file of a unit but the first for a header, and warns when a
  # test derives from a fixture in an anonymous namespace, which is sound in a
  # source file. The warning stays on in builds without unity.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.cpp$")
      continue()
    endif()
    file(RELATIVE_PATH rel ${dir} ${source})
    if(rel IN_LIST arg_SOLO)
      continue() # no group: compiled on its own
    endif()
    string(MD5 hash "${rel}")
    string(SUBSTRING "${hash}" 0 6 hash)
    math(EXPR group "0x${hash} % ${groups}")
    set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES UNITY_GROUP "g${group}")
  endforeach()
endfunction()
