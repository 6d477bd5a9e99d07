// GCC 12 reports a false "may be used uninitialized" inside std::regex when
// built with the sanitizers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "app/accounting_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <stdexcept>

#include "app/run_context.h"
#include "app/run_sequence.h"
#include "app/terminate.h"
#include "app/time_zone.h"
#include "unit/scratch_dir.h"

namespace mailsift {
namespace {

using testing_support::FixedClock;
using testing_support::read_bytes;
using testing_support::ScratchDir;
using testing_support::write_bytes;

const std::string kSeparator = "\n" + std::string(40, '*') + "\n";

platform::TimeZoneNames eastern() {
  return {"Eastern Standard Time", "Eastern Daylight Time", 5};
}
platform::TimeZoneNames utc_only() {
  return {"UTC", "", 0};
}
platform::TimeZoneNames no_zone() {
  return {"", "", 0};
}

class LogTest : public ::testing::Test {
 protected:
  LogTest() : clock_(1377093846) {  // 2013-08-21 14:04:06 UTC
    ctx_.attach_test_streams(&out_, &err_, &report_);
    ctx_.clock = &clock_;
    ctx_.time_zone_source = &utc_only;
  }
  int end_code(const std::function<void()>& step) {
    try {
      step();
    } catch (const RunExit& e) {
      return e.code;
    }
    return -1;
  }
  ScratchDir dir_;
  FixedClock clock_;
  RunContext ctx_;
  std::string out_, err_, report_;
};

TEST_F(LogTest, TwoRunsAppendTwoRecordsEachWithItsSeparator) {
  const std::string log = dir_ / "acct.log";
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(open_accounting_log(ctx_, log), LogOpenResult::kOpened);
    ctx_.accounting_log.write(" run\n");
    ctx_.accounting_log.close();
  }
  EXPECT_EQ(read_bytes(log), kSeparator + " run\n" + kSeparator + " run\n");
  EXPECT_EQ(out_ + err_, "");
}

TEST_F(LogTest, TrimCutsOnlyTrailingPadding) {
  const std::string log = dir_ / "acct.log";
  write_bytes(log, "0123456789 text\x1A");
  trim_log_file(ctx_, log);
  EXPECT_EQ(read_bytes(log), "0123456789 text");

  write_bytes(log, std::string("0123456789 text\0\0\x1A\0", 19));
  ASSERT_EQ(open_accounting_log(ctx_, log), LogOpenResult::kOpened);
  ctx_.accounting_log.close();
  EXPECT_EQ(read_bytes(log), "0123456789 text" + kSeparator);

  // Text after a NUL: not padding; nothing is cut and the record goes after it.
  const std::string mixed("0123456789\0middle\0\0", 19);
  write_bytes(log, mixed);
  trim_log_file(ctx_, log);
  EXPECT_EQ(read_bytes(log), mixed);

  const std::string text_end("0123456789\0tail\n", 16);
  write_bytes(log, text_end);
  trim_log_file(ctx_, log);
  EXPECT_EQ(read_bytes(log), text_end);

  // Under ten bytes: untouched.
  write_bytes(log, std::string("abc\0\0", 5));
  trim_log_file(ctx_, log);
  EXPECT_EQ(read_bytes(log).size(), 5u);

  // Missing: created empty.
  trim_log_file(ctx_, dir_ / "new.log");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "new.log"));
}

TEST_F(LogTest, TrimLargeLogAcrossChunks) {
  const std::string log = dir_ / "big.log";
  std::string text(200000, 'x');
  write_bytes(log, text + std::string(70000, '\0'));
  trim_log_file(ctx_, log);
  EXPECT_EQ(std::filesystem::file_size(log), text.size());
  // Padding in one chunk, text again in a later one.
  std::string mixed = text + std::string(70000, '\x1A') + "y";
  write_bytes(log, mixed);
  trim_log_file(ctx_, log);
  EXPECT_EQ(std::filesystem::file_size(log), mixed.size());
}

TEST_F(LogTest, MissingDirectoriesAreCreatedAndAnnounced) {
  const std::string log = dir_ / "a/b/c/acct.log";
  ASSERT_EQ(open_accounting_log(ctx_, log), LogOpenResult::kOpened);
  ctx_.accounting_log.close();
  EXPECT_TRUE(std::filesystem::exists(log));
  EXPECT_EQ(err_, "Creating (log\\error) directory:  " + (dir_ / "a") + "\n" +
                      "Creating (log\\error) directory:  " + (dir_ / "a/b") + "\n" +
                      "Creating (log) directory:  " + (dir_ / "a/b/c") + "\n");
  err_.clear();
  make_log_directory(ctx_, log);
  make_log_directory(ctx_, "ACCT-ING");
  EXPECT_EQ(err_, "");
}

TEST_F(LogTest, LogPathThatIsADirectoryCannotBePrepared) {
  const std::string existing = dir_ / "keep.log";
  write_bytes(existing, "earlier record\n");
  EXPECT_EQ(open_accounting_log(ctx_, dir_.path()), LogOpenResult::kNotPrepared);
  EXPECT_TRUE(std::regex_match(
      err_, std::regex("\nGeneric_u\n[0-9]+\nerror opening " + dir_.path() + "\n")))
      << err_;
  EXPECT_EQ(read_bytes(existing), "earlier record\n");
}

TEST_F(LogTest, ReplacementNotes) {
  const std::string log = dir_ / "old.log";
  struct Case {
    LogReplacedBy by;
    std::string note;
  } cases[] = {
      {LogReplacedBy::kOption,
       "This file closed.\nAccounting file overridden by option -1 file pointing to /new.log\n"},
      {LogReplacedBy::kIniFile,
       "This file closed.\nAccounting file overridden by .ini file pointing to /new.log\n"},
      {LogReplacedBy::kLongOption, "Previous log closed, and /new.log opened\n"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(log);
    ASSERT_EQ(open_accounting_log(ctx_, log), LogOpenResult::kOpened);
    replace_accounting_log(ctx_, c.by, "/new.log");
    EXPECT_FALSE(ctx_.accounting_log.is_open());
    EXPECT_EQ(read_bytes(log), kSeparator + c.note);
  }
  // No open log: nothing happens.
  replace_accounting_log(ctx_, LogReplacedBy::kOption, "/x");
  EXPECT_FALSE(ctx_.accounting_log.is_open());
}

TEST(ZoneAbbreviation, FromZoneNames) {
  EXPECT_EQ(zone_abbreviation("Eastern Standard Time", true), "EST");
  EXPECT_EQ(zone_abbreviation("Eastern Daylight Time", false), "EDT");
  EXPECT_EQ(zone_abbreviation("Central Europe Standard Time", true), "CES");
  EXPECT_EQ(zone_abbreviation("cet", true), "CET");
  EXPECT_EQ(zone_abbreviation("India Standard Time", true), "IST");
  // Only one blank: the third character stays.
  EXPECT_EQ(zone_abbreviation("Mountain time", false), "Mtu");
  EXPECT_EQ(zone_abbreviation("Z", true), "Z");
  EXPECT_EQ(zone_abbreviation("", true), "");
  EXPECT_EQ(zone_abbreviation("AB ", true), "AB ");
}

TEST_F(LogTest, StartRecordWithAndWithoutZone) {
  std::string log;
  ctx_.accounting_log.attach_string(&log);
  ctx_.args = {"/usr/bin/mailsift", "/mail", "-o", "a b"};
  ctx_.report_options.target = ReportTarget::kFile;
  ctx_.time_zone_source = &eastern;
  write_run_banner(ctx_);
  const std::string local = date_time_text(clock_.now(), false);
  EXPECT_EQ(log, "\n Started Wed Aug 21 14:04:06 2013 GMT, " + local.substr(11, 5) +
                     " Eastern Standard Time (EST/EDT:5)\n"
                     " Command Line: /usr/bin/mailsift /mail -o a b \n");

  log.clear();
  ctx_.time_zone_source = &utc_only;
  write_run_banner(ctx_);
  EXPECT_NE(log.find(" UTC (UTC/:0)\n"), std::string::npos) << log;

  log.clear();
  ctx_.time_zone_source = &no_zone;
  write_run_banner(ctx_);
  EXPECT_EQ(log.rfind("\n Started " + local + " Local Time: \n", 0), 0u) << log;

  // Report on standard output and quiet: no start record.
  log.clear();
  ctx_.report_options.target = ReportTarget::kStandardOutput;
  ctx_.run_options.quiet = 1;
  write_run_banner(ctx_);
  EXPECT_EQ(log, "");
  ctx_.run_options.quiet = 0;
  write_run_banner(ctx_);
  EXPECT_NE(log, "");
}

// The closing lines of every record, in the order of the record table.
const char* const kClosingPattern =
    "\n  [0-9]+ director(y|ies), [0-9]+ files\n"
    "\n\n  Finished: [A-Z][a-z]{2} [A-Z][a-z]{2} [0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n"
    "  Elapsed:  [0-9]+ hrs\\. [0-9]+ mins\\. [0-9]+ secs\\.\n"
    "    Last Access Date UPDATE is \"Disable Access Date Key\" Not Found\n"
    "Default \\(except VISTA\\) is usually RESET ACCESS DATE\n\n"
    "To confirm setting check registry key:\n"
    "HKEY_LOCAL_MACHINE\n"
    "SYSTEM\\\\CurrentControlSet\\\\Control\\\\FileSystem\\\\NtfsDisableLastAccessUpdate\n"
    "A 1 means access data will NOT be updated\n";

TEST_F(LogTest, ClosingLinesOfNormalAndAbnormalEnds) {
  std::string log;
  ctx_.accounting_log.attach_string(&log);
  ctx_.start_time = clock_.now() - 3725;
  ctx_.counts.dir_count = 1;
  ctx_.counts.file_count = 3;
  EXPECT_EQ(end_code([&] { terminate_run(ctx_, kNormalExit); }), kNormalExit);
  EXPECT_TRUE(std::regex_match(log, std::regex(kClosingPattern))) << log;
  EXPECT_NE(log.find("\n  1 directory, 3 files\n"), std::string::npos);
  EXPECT_NE(log.find("  Elapsed:  1 hrs. 2 mins. 5 secs.\n"), std::string::npos);
  EXPECT_FALSE(ctx_.accounting_log.is_open());

  log.clear();
  ctx_.accounting_log.attach_string(&log);
  ctx_.counts.dir_count = 0;
  EXPECT_EQ(end_code([&] { terminate_run(ctx_, kUserAborted); }), kUserAborted);
  EXPECT_TRUE(std::regex_match(
      log,
      std::regex(std::string("\n Abnormal termination. Reason: USER_ABORTED") + kClosingPattern)))
      << log;
  EXPECT_NE(log.find("\n  0 directories, 3 files\n"), std::string::npos);
  EXPECT_NE(err_.find("\nAbnormal termination. Reason: USER_ABORTED\n\n"), std::string::npos);
}

TEST_F(LogTest, AnyFailureInsideTheRunStillClosesTheLog) {
  struct Case {
    void (*body)(RunContext&);
    int code;
    const char* reason;
    const char* message;
  };
  const Case cases[] = {
      {[](RunContext&) { throw std::bad_alloc(); }, kMemoryError, "MEMORY ERROR",
       "\nError obtaining memory\n"},
      {[](RunContext&) { throw std::runtime_error("disk on fire"); }, kNonSpecificError,
       "NON_SPECIFIC ERROR", "\nUnexpected error: disk on fire\n"},
      {[](RunContext&) { throw 42; }, kNonSpecificError, "NON_SPECIFIC ERROR", ""},
      {[](RunContext&) {}, kNormalExit, nullptr, ""},
  };
  for (const Case& c : cases) {
    std::string log;
    err_.clear();
    ctx_.accounting_log.attach_string(&log);
    EXPECT_EQ(run_guarded(ctx_, c.body), c.code);
    EXPECT_EQ(err_.rfind(c.message, 0), 0u) << err_;
    if (c.reason != nullptr) {
      EXPECT_NE(log.find(std::string("\n Abnormal termination. Reason: ") + c.reason),
                std::string::npos);
    }
    EXPECT_NE(log.find("\n\n  Finished: "), std::string::npos) << log;
    EXPECT_FALSE(ctx_.accounting_log.is_open());
  }
}

TEST_F(LogTest, ConsoleSummaryOnlyForNamedOutputAndNotQuiet) {
  ctx_.start_time = clock_.now() - 3725;
  ctx_.counts.dir_count = 1;
  ctx_.counts.file_count = 3;
  end_code([&] { terminate_run(ctx_, kNormalExit); });
  EXPECT_EQ(err_, "");
  ctx_.report_options.target = ReportTarget::kFile;
  end_code([&] { terminate_run(ctx_, kNormalExit); });
  EXPECT_EQ(err_, "\n  1 directory, 3 files\n  Elapsed:  1 hrs. 2 mins. 5 secs.\n\n\n");
  err_.clear();
  ctx_.run_options.quiet = 1;
  end_code([&] { terminate_run(ctx_, kNormalExit); });
  EXPECT_EQ(err_, "");
}

}  // namespace
}  // namespace mailsift
