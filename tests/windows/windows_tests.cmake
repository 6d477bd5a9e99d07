# The unit tests built for Windows. GoogleTest is built from the sources that
# the machine's libgtest-dev package ships. Tests that exercise POSIX
# behaviour (paths with "/", case-sensitive names, permission bits, FIFOs,
# the POSIX terminal) are left out by name; Windows' own behaviour is tested
# in tests/windows/. The test program runs under the cross-compiling
# emulator (Wine) when one is set.
set(MAILSIFT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${MAILSIFT_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(WARNING "No GoogleTest sources in ${MAILSIFT_GTEST_SOURCE_DIR} (libgtest-dev): "
                  "the Windows unit tests are not built")
  return()
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${MAILSIFT_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/unit/*.cpp)
# Whole files that use POSIX calls of their own, then single cases.
set(POSIX_ONLY_UNIT_TESTS
  ini_file_test.cpp       # XDG and /etc places, FIFOs, permission bits
  output_file_test.cpp    # gethostname, permission bits, "/" masks
  scan_file_test.cpp      # scratch files made with a POSIX shell
  posix_listing_test.cpp  # FIFOs and links, the POSIX listing's types
)
foreach(name ${POSIX_ONLY_UNIT_TESTS})
  list(REMOVE_ITEM UNIT_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/${name})
endforeach()
file(GLOB WINDOWS_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/windows/*_test.cpp)

# Cases that expect POSIX paths ("/" separators, no long-path prefix,
# case-sensitive roots), LF line ends in the log, a POSIX time-zone name, no
# registry, or descriptors counted in /proc/self/fd.
set(POSIX_ONLY_UNIT_CASES
  ConfigActions.CarriedOutByTheRun
  ConfigActions.InOrderAndNothingReadAfterAnEnd
  DateText.StandardTimeDuringDaylightSaving
  EnvironmentSwitches.ValuesAsSetAndStartTime
  FileListTest.EmptyLineEndsTheList
  FileListTest.LinesBecomeDirectoryAndName
  FileListTest.LongLinesAndInterrupt
  FileListTest.OwnReportIsPassedOverAndDirectoriesReachTheDispatch
  LogTest.LogPathThatIsADirectoryCannotBePrepared
  LogTest.ReplacementNotes
  LogTest.TrimCutsOnlyTrailingPadding
  LogTest.TwoRunsAppendTwoRecordsEachWithItsSeparator
  LongOptions.OutputPathsAndExclusions
  LongOptions.TableOrderDecides
  Options.AccountingLog
  Options.DefaultsWithoutOptions
  Options.OutputFile
  Options.PathsPatternsAndOrder
  Options.PlusOneClosesAnOpenLog
  ParallelScanTest.InterruptLeavesWholeRowsAndTheirProgressLines
  ParallelScanTest.WorkerOutOfMemoryIsRethrownInTurn
  RootsTest.PathArguments
  RootsTest.StoredFormAndDuplicates
  WalkTest.ConsumerStopEndsTheWalkWithHandlesClosed
  WalkTest.CountingPassTotals
  WalkTest.DepthLimit
  WalkTest.EveryPatternIsItsOwnPass
  WalkTest.LinksDanglingEntriesAndSpecialFiles
  WalkTest.RootsThatCannotBeOpenedAreSkipped
  WalkTest.SubdirectoriesBeforeFilesInNameOrder
  WalkTest.UnreadableDirectoriesTakeTheirPlaceInTheWalk
)
list(JOIN POSIX_ONLY_UNIT_CASES ":" POSIX_ONLY_FILTER)

add_executable(mailsift_unit_tests ${UNIT_SOURCES} ${WINDOWS_UNIT_SOURCES})
target_link_libraries(mailsift_unit_tests PRIVATE mailsift_core gtest gtest_main)
target_include_directories(mailsift_unit_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(mailsift_unit_tests PRIVATE
  MAILSIFT_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden"
  MAILSIFT_SAMPLES_DIR="${CMAKE_SOURCE_DIR}/samples")
if(NOT MSVC)
  target_compile_options(mailsift_unit_tests PRIVATE
    -include ${CMAKE_CURRENT_SOURCE_DIR}/windows/posix_shim.h)
endif()
# One run of the whole program: every start of a Windows program under Wine
# costs about a second.
add_test(NAME windows_unit_tests
  COMMAND mailsift_unit_tests --gtest_filter=-*Stress*:${POSIX_ONLY_FILTER})
set_tests_properties(windows_unit_tests PROPERTIES LABELS unit)

