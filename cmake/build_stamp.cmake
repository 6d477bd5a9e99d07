# The build's date and time, fixed at configure time so that two builds of one
# commit are the same bytes. In UTC, taken from the first of:
#   1. the cache values MAILSIFT_BUILD_DATE ("Mmm dd yyyy") and
#      MAILSIFT_BUILD_TIME ("hh:mm:ss"), when given (the tests fix them);
#   2. the environment variable SOURCE_DATE_EPOCH (seconds since 1970);
#   3. the time of the last commit (git log -1 --format=%ct);
#   4. the build machine's clock, with a warning: such a build cannot be
#      made again byte for byte.
# Sets MAILSIFT_STAMP_DATE and MAILSIFT_STAMP_TIME in the forms above,
# MAILSIFT_STAMP ("yyyymmdd.hhmm") for the package version and
# MAILSIFT_STAMP_RFC2822 for its changelog.

set(_stamp_epoch "")
set(_stamp_origin "")
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  set(_stamp_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(_stamp_origin "SOURCE_DATE_EPOCH")
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE _stamp_commit OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE _stamp_git_status ERROR_QUIET)
    if(_stamp_git_status EQUAL 0 AND _stamp_commit MATCHES "^[0-9]+$")
      set(_stamp_epoch "${_stamp_commit}")
      set(_stamp_origin "the last commit")
      # A new commit configures again, so that the stamp follows it.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
        OUTPUT_VARIABLE _stamp_git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(EXISTS "${_stamp_git_dir}/logs/HEAD")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_stamp_git_dir}/logs/HEAD")
      endif()
    endif()
  endif()
endif()

# string(TIMESTAMP) reads SOURCE_DATE_EPOCH in place of the clock; the
# variable is set for that and then put back as it was.
set(_stamp_had_epoch FALSE)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(_stamp_had_epoch TRUE)
  set(_stamp_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
endif()
if(_stamp_epoch STREQUAL "")
  unset(ENV{SOURCE_DATE_EPOCH})
else()
  set(ENV{SOURCE_DATE_EPOCH} "${_stamp_epoch}")
endif()
string(TIMESTAMP _stamp_date "%b %d %Y" UTC)
string(TIMESTAMP _stamp_time "%H:%M:%S" UTC)
if(_stamp_had_epoch)
  set(ENV{SOURCE_DATE_EPOCH} "${_stamp_saved_epoch}")
else()
  unset(ENV{SOURCE_DATE_EPOCH})
endif()
# The day with a leading blank, as the compiler's own date has it.
string(REGEX REPLACE "^([A-Z][a-z][a-z]) 0" "\\1  " _stamp_date "${_stamp_date}")

if(MAILSIFT_BUILD_DATE)
  set(_stamp_date "${MAILSIFT_BUILD_DATE}")
endif()
if(MAILSIFT_BUILD_TIME)
  set(_stamp_time "${MAILSIFT_BUILD_TIME}")
endif()
if(MAILSIFT_BUILD_DATE AND MAILSIFT_BUILD_TIME)
  set(_stamp_origin "MAILSIFT_BUILD_DATE and MAILSIFT_BUILD_TIME")
elseif(_stamp_epoch STREQUAL "")
  message(WARNING "No SOURCE_DATE_EPOCH and no git history: the build's date and time come "
                  "from this machine's clock, so this build cannot be made again byte for byte.")
  set(_stamp_origin "the build machine's clock")
endif()
set(MAILSIFT_STAMP_DATE "${_stamp_date}")
set(MAILSIFT_STAMP_TIME "${_stamp_time}")

# yyyymmdd.hhmm from the two texts.
set(_stamp_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
string(SUBSTRING "${_stamp_date}" 0 3 _stamp_month_name)
list(FIND _stamp_months "${_stamp_month_name}" _stamp_month)
math(EXPR _stamp_month "${_stamp_month} + 1")
string(REGEX MATCH "^... +([0-9]+) +([0-9]+)" _stamp_match "${_stamp_date}")
set(_stamp_day "${CMAKE_MATCH_1}")
set(_stamp_year "${CMAKE_MATCH_2}")
string(REGEX MATCH "^([0-9][0-9]):([0-9][0-9])" _stamp_match "${_stamp_time}")
set(_stamp_hhmm "${CMAKE_MATCH_1}${CMAKE_MATCH_2}")
if(_stamp_month EQUAL 0 OR _stamp_day STREQUAL "" OR _stamp_hhmm STREQUAL "")
  message(FATAL_ERROR "Build date \"${_stamp_date}\" or time \"${_stamp_time}\" is not "
                      "in the form \"Mmm dd yyyy\" and \"hh:mm:ss\"")
endif()
math(EXPR _stamp_mmdd "${_stamp_month} * 100 + ${_stamp_day}" OUTPUT_FORMAT DECIMAL)
if(_stamp_mmdd LESS 1000)
  set(_stamp_mmdd "0${_stamp_mmdd}")
endif()
set(MAILSIFT_STAMP "${_stamp_year}${_stamp_mmdd}.${_stamp_hhmm}")

# The same moment as a package changelog dates it: "Sun, 07 Dec 2025 23:30:00 +0000".
set(_stamp_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR _stamp_index "${_stamp_month} - 1")
list(GET _stamp_offsets ${_stamp_index} _stamp_offset)
set(_stamp_y ${_stamp_year})
if(_stamp_month LESS 3)
  math(EXPR _stamp_y "${_stamp_y} - 1")
endif()
math(EXPR _stamp_weekday
  "(${_stamp_y} + ${_stamp_y} / 4 - ${_stamp_y} / 100 + ${_stamp_y} / 400 + ${_stamp_offset} + ${_stamp_day}) % 7")
set(_stamp_days Sun Mon Tue Wed Thu Fri Sat)
list(GET _stamp_days ${_stamp_weekday} _stamp_weekday)
string(SUBSTRING "${_stamp_mmdd}" 2 2 _stamp_dd)
set(MAILSIFT_STAMP_RFC2822
  "${_stamp_weekday}, ${_stamp_dd} ${_stamp_month_name} ${_stamp_year} ${_stamp_time} +0000")
message(STATUS "Build stamp ${MAILSIFT_STAMP} (from ${_stamp_origin})")
