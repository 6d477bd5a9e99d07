#include "report/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>

#include "app/report_setup.h"
#include "app/run_context.h"
#include "app/run_sequence.h"
#include "app/terminate.h"
#include "config/output_mask.h"
#include "unit/scratch_dir.h"

namespace mailsift {
namespace {

using testing_support::FixedClock;
using testing_support::local_seconds;
using testing_support::read_bytes;
using testing_support::ScratchDir;
using testing_support::write_bytes;

bool pc1_name(std::string& out) {
  out = "PC1";
  return true;
}
bool no_name(std::string&) {
  return false;
}

class MaskTest : public ::testing::Test {
 protected:
  MaskTest() : clock_(local_seconds(2013, 8, 21, 14, 5, 9)) {}
  std::string expand(std::string path) {
    expand_output_mask(clock_, computer_name_, path);
    return path;
  }
  FixedClock clock_;
  ComputerNameSource computer_name_ = &pc1_name;
};

TEST_F(MaskTest, DateAndTimeTokens) {
  EXPECT_EQ(expand("/out/YYYYMMDD.txt"), "/out/20130821.txt");
  EXPECT_EQ(expand("/out/YYMMDDhhmm.txt"), "/out/130821_1405.txt");
  EXPECT_EQ(expand("/out/YYMMDDHHmmss.txt"), "/out/130821_140509.txt");
  EXPECT_EQ(expand("/out/YYMMDDhH.txt"), "/out/130821_14.txt");
  // Separators between tokens are dropped.
  EXPECT_EQ(expand("/out/YYYY-MM-DD.txt"), "/out/20130821.txt");
}

TEST_F(MaskTest, WhereTheMaskStarts) {
  // "/MMDD" is looked for first, so the "YYYY" directory stays literal.
  EXPECT_EQ(expand("/out/YYYY/MMDD.txt"), "/out/YYYY/0821.txt");
  EXPECT_EQ(expand("/out/COMPUTERNAME_YYYYMMDD.txt"), "/out/PC120130821.txt");
  // No mask text after a separator: unchanged.
  EXPECT_EQ(expand("/out/Case_YYYYMMDD.txt"), "/out/Case_YYYYMMDD.txt");
  // A dot before the mask start is not the extension.
  EXPECT_EQ(expand("/my.dir/YYYYMMDD.txt"), "/my.dir/20130821.txt");
  EXPECT_EQ(expand("/out/YY.txt"), "/out/13.txt");
}

TEST_F(MaskTest, LiteralTextAfterEqualsOrColon) {
  EXPECT_EQ(expand("/out/MMDD=case7"), "/out/0821case7");
  // The literal keeps its own extension and the saved one is appended too.
  EXPECT_EQ(expand("/out/MMDD=case7.txt"), "/out/0821case7.txt.txt");
  EXPECT_EQ(expand("/out/MMDD:x"), "/out/0821x");
  // "=" wins over an earlier ":".
  EXPECT_EQ(expand("/out/MMDD:a=b"), "/out/0821b");
}

TEST_F(MaskTest, UtcWithCapitalGAndMissingComputerName) {
  std::time_t t = static_cast<std::time_t>(clock_.now());
  std::tm utc{};
  ::gmtime_r(&t, &utc);
  char want[64];
  std::snprintf(want, sizeof want, "/out/%04d%02d%02d.txt", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday);
  EXPECT_EQ(expand("/out/YYYYMMDDG.txt"), want);
  // A UTC hour differs from the local one only when the zone is not UTC; the
  // "G" itself is always dropped.
  std::snprintf(want, sizeof want, "/out/_%02d.txt", utc.tm_hour);
  EXPECT_EQ(expand("/out/COMPUTERNAMEhhG.txt"), std::string("/out/PC1") + (want + 5));

  computer_name_ = &no_name;
  EXPECT_EQ(expand("/out/COMPUTERNAME_YYYY.txt"), "/out/2013.txt");
}

TEST(ComputerNameText, ReportsTheMachineName) {
  std::string name;
  std::size_t n = computer_name_text(name);
  char host[256] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  EXPECT_EQ(name, std::string(host));
  EXPECT_EQ(n, name.size());
}

class ReportOutputTest : public ::testing::Test {
 protected:
  ReportOutputTest() { ctx_.attach_test_streams(&out_, &err_, &report_); }
  int end_code(void (*step)(RunContext&)) {
    try {
      step(ctx_);
    } catch (const RunExit& e) {
      return e.code;
    }
    return -1;
  }
  ScratchDir dir_;
  RunContext ctx_;
  std::string out_, err_, report_;
};

TEST_F(ReportOutputTest, CreateTruncatesAndAppendKeeps) {
  const std::string path = dir_ / "report.txt";
  write_bytes(path, "old rows\n");
  ctx_.report_options.target = ReportTarget::kFile;
  ctx_.report_options.path = path;
  open_report_output(ctx_);
  ctx_.report.write("new");
  EXPECT_TRUE(ctx_.report.close());
  EXPECT_EQ(read_bytes(path), "new");

  ctx_.report_options.append = true;
  open_report_output(ctx_);
  ctx_.report.write("+more");
  EXPECT_TRUE(ctx_.report.close());
  EXPECT_EQ(read_bytes(path), "new+more");
}

TEST_F(ReportOutputTest, StdoutKeywordAndAppendWithoutFile) {
  ctx_.report_options.target = ReportTarget::kStandardOutputByName;
  ctx_.report_options.append = true;
  open_report_output(ctx_);
  ctx_.report.write("row");
  EXPECT_EQ(report_, "row");

  ctx_.report_options.target = ReportTarget::kStandardOutput;
  EXPECT_EQ(end_code(open_report_output), kIllegalOption);
  EXPECT_NE(err_.find("\n\tNeed output file name if -a is chosen\n"), std::string::npos);
  EXPECT_NE(err_.find("ILLEGAL or INCOMPLETE OPTION"), std::string::npos);
}

TEST_F(ReportOutputTest, UnwritableDestinationsEndWithOutputFileStatus) {
  ctx_.report_options.target = ReportTarget::kFile;
  ctx_.report_options.path = dir_ / "missing/report.txt";
  EXPECT_EQ(end_code(open_report_output), kOutputFile);
  EXPECT_EQ(err_.rfind("\ncan't create output file " + (dir_ / "missing/report.txt") + "\n", 0), 0u)
      << err_;
  EXPECT_NE(err_.find("FILE: eml_program, LINE "), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));

  err_.clear();
  ctx_.report_options.append = true;
  ctx_.report_options.path = dir_.path();  // a directory
  EXPECT_EQ(end_code(open_report_output), kOutputFile);
  EXPECT_EQ(err_.rfind("\ncan't open output file " + dir_.path() + "\n", 0), 0u) << err_;
}

TEST_F(ReportOutputTest, ReadOnlyDirectoryLosesNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  const std::string locked = dir_ / "locked";
  std::filesystem::create_directory(locked);
  write_bytes(locked + "/report.txt", "kept");
  std::filesystem::permissions(locked + "/report.txt", std::filesystem::perms::owner_read);
  ctx_.report_options.target = ReportTarget::kFile;
  ctx_.report_options.path = locked + "/report.txt";
  EXPECT_EQ(end_code(open_report_output), kOutputFile);
  EXPECT_EQ(read_bytes(locked + "/report.txt"), "kept");
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  ctx_.report_options.path = locked + "/new.txt";
  EXPECT_EQ(end_code(open_report_output), kOutputFile);
  EXPECT_FALSE(std::filesystem::exists(locked + "/new.txt"));
}

TEST_F(ReportOutputTest, HeaderRowOfTheFormatExceptForAFileList) {
  struct Case {
    ReportFormat format;
    char delimiter;
    bool quoted;
    const char* holds;
  };
  const Case cases[] = {
      {ReportFormat::kDelimited, '|', false, "|Forward (Prior Sent) Date(s)|"},
      {ReportFormat::kDelimited, ',', true, "\",\"Forward Date\",\""},
      // CSV has its own delimiter and line end, whatever the delimited report's.
      {ReportFormat::kCsv, ';', false, "\",\"maildir_flags\"\r\n"},
  };
  for (const Case& c : cases) {
    report_.clear();
    ctx_.report_options.format = c.format;
    ctx_.report_options.delimiter = c.delimiter;
    ctx_.report_options.quoted = c.quoted;
    write_report_header(ctx_, false);
    EXPECT_NE(report_.find(c.holds), std::string::npos) << report_;
  }
  // A file list's part of a delimited report has none.
  report_.clear();
  ctx_.report_options.format = ReportFormat::kDelimited;
  write_report_header(ctx_, true);
  EXPECT_EQ(report_, "");
}

TEST_F(ReportOutputTest, FileListRunEndsWithoutSummary) {
  const std::string list = dir_ / "list.txt";
  write_bytes(list, "\n");
  ctx_.file_list = platform::File(platform::open_path(list, platform::OpenMode::kRead));
  ASSERT_TRUE(ctx_.file_list.is_open());
  RunEnd end = report_files(ctx_, {}, true);
  EXPECT_EQ(end.code, kNormalExit);
  EXPECT_FALSE(end.summary);
  EXPECT_EQ(report_, "");
  EXPECT_EQ(err_, "");
  EXPECT_FALSE(ctx_.file_list.is_open());

  // An interrupted list never ends as a normal run.
  ctx_.file_list = platform::File(platform::open_path(list, platform::OpenMode::kRead));
  platform::set_interrupted(true);
  end = report_files(ctx_, {}, true);
  platform::set_interrupted(false);
  EXPECT_EQ(end.code, kUserAborted);
  EXPECT_TRUE(end.summary);
}

}  // namespace
}  // namespace mailsift
