# Support the test folders share: temporary directories, files, the attr tools, child
# processes, the player runner, polling, audio fixtures, and the extended-attribute fault seam.
# The benchmarks start their processes and make their folders through it too, so it is built
# for either (the top-level CMakeLists.txt includes this file).
set(common ${CMAKE_CURRENT_LIST_DIR})
add_library(brindle_test_support STATIC
  ${common}/TestFiles.cpp ${common}/ChildProcess.cpp ${common}/Polling.cpp
  ${common}/AudioFiles.cpp ${common}/XattrFaults.cpp ${common}/TypeCorpus.cpp
  ${common}/Id3v2Files.cpp ${common}/PlayerRunner.cpp ${common}/SmallFileSystem.cpp
  ${common}/XiphFiles.cpp)
target_include_directories(brindle_test_support PUBLIC ${common})
target_link_libraries(brindle_test_support PUBLIC ${CMAKE_DL_LIBS} PRIVATE brindle_system)
target_compile_definitions(brindle_test_support PUBLIC BRINDLE_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                                       BRINDLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# The host's write and rename calls with faults a test sets (FileFaults.h): a library of
# its own, so only the binaries that link it stand in front of the C library's.
add_library(file_fault_support STATIC ${common}/FileFaults.cpp)
target_include_directories(file_fault_support PUBLIC ${common})
target_link_libraries(file_fault_support PUBLIC ${CMAKE_DL_LIBS})
