// scan_message on real files: row, progress line, unreadable files, write
// failures and interrupts.
#include "scan/scan_message.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "walk/file_times.h"
#include "platform/platform.h"
#include "app/run_context.h"
#include "app/terminate.h"

namespace mailsift {
namespace {

class ScanMessageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/mailsift_scan_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_path_ = templ;
    ctx_.attach_test_streams(&out_, &err_, &report_);
    times_.last_write = TimeFields{8, 6, 2013, 9, 15, 0, 0};
  }
  void TearDown() override {
    platform::set_interrupted(false);
    std::string cmd = "rm -rf '" + dir_path_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream f(dir_path_ + "/" + name, std::ios::binary);
    f << bytes;
  }
  void scan(const std::string& name, std::int64_t size) {
    platform::FileSystem& fs = platform::real_file_system();
    int dir = fs.open_directory(dir_path_);
    ASSERT_GE(dir, 0);
    scan_message(ctx_, dir, name, dir_path_ + "/" + name, size, times_);
    fs.close_directory(dir);
  }

  RunContext ctx_;
  std::string out_, err_, report_;
  std::string dir_path_;
  FileTimes times_;
};

TEST_F(ScanMessageFiles, RowAndProgressLineForEachFile) {
  const std::string a =
      "Received: from relay1 (relay1 [192.0.2.7])\r\n"
      "\tby relay2 with SMTP\r\n"
      "From: Jane Doe\r\n"
      "To: Bob Smith,\r\n"
      "\tCarol Jones\r\n"
      "Subject: Quarterly report\r\n"
      "Date: Mon, 5 Aug 2013 10:22:33 -0400\r\n"
      "X-Mozilla-Status: 0001\r\n"
      "\r\n"
      "Body text.\r\n";
  write("a.eml", a);
  write("b.eml", "");
  write_header_row(ctx_);
  scan("a.eml", 2345);
  scan("b.eml", 0);
  const std::string p = dir_path_;
  EXPECT_EQ(report_,
            "Filename|Size|File-(MOD)Date|From|To|CC|Bcc|Date|Date-Time|"
            "Forward (Prior Sent) Date(s)|Subject|Message Read|Attachment Info|Recent IP"
            "\n" +
                p +
                "/a.eml|2345|'2013-08-06 09:15|(#1:) From: Jane Doe  |(#1:) To: Bob Smith "
                "Carol Jones  |||(#1:) Date: Mon, 5 Aug 2013 10:22:33 -0400  |'2013-08-05 10:22:33 "
                "-0400||(#1:) Subject: Quarterly report  |(#1:)  YES ||(#1:) [192.0.2.7]  "
                "\n" +
                p + "/b.eml|0|'2013-08-06 09:15||||||'0000-00-00 ||| Unknown  ||");
  EXPECT_EQ(err_, "\n" + p + "/a.eml         2,345 Bytes\n" + p + "/b.eml             0 Bytes");
  EXPECT_EQ(out_, "");
}

TEST_F(ScanMessageFiles, QuotedModeAndUnopenableFile) {
  ctx_.settings.delimiter = ',';
  ctx_.settings.quote_fields = 1;
  write_header_row(ctx_);
  scan("missing.eml", 77);
  const std::string p = dir_path_;
  EXPECT_EQ(report_,
            "\"Filename\",\"Size\",\"File-(MOD)Date\",\"From\",\"To\",\"CC\",\"Bcc\",\"Date\","
            "\"Date-Time\",\"Forward Date\",\"Subject\",\"Message Read\",\"Attachment Info\","
            "\"Recent IP\"\n\"" +
                p +
                "/missing.eml\",\"77\",\"'2013-08-06 09:15\",\"\",\"\",\"\","
                "\"\",\"\",\"'   0-00-00 \",\"\",\"\",\" Unknown  \",\"\",\"\"");
  EXPECT_EQ(err_, "\n" + p + "/missing.eml            77 Bytes");
}

TEST_F(ScanMessageFiles, DisplayNameDropsLongPathPrefix) {
  // Windows-style prefixes are skipped in the shown name; POSIX paths show whole.
  write("c.eml", "Subject: x\n");
  platform::FileSystem& fs = platform::real_file_system();
  int dir = fs.open_directory(dir_path_);
  ASSERT_GE(dir, 0);
  scan_message(ctx_, dir, "c.eml", "\\\\?\\C:\\mail\\c.eml", 11, times_);
  scan_message(ctx_, dir, "c.eml", "\\\\server\\share\\c.eml", -1234, times_);
  scan_message(ctx_, dir, "c.eml", "\\\\??", 1, times_);
  const std::string long_path = "/" + std::string(700, 'p') + "/c.eml";
  scan_message(ctx_, dir, "c.eml", long_path, 1234567890123LL, times_);
  fs.close_directory(dir);
  EXPECT_EQ(report_.find("\nC:\\mail\\c.eml|11|"), 0u) << report_;
  EXPECT_NE(report_.find("\nserver\\share\\c.eml|-1234|"), std::string::npos);
  EXPECT_NE(report_.find("\n\\\\??|1|"), std::string::npos);
  EXPECT_NE(err_.find("\nserver\\share\\c.eml        -1,234 Bytes"), std::string::npos) << err_;
  EXPECT_NE(err_.find("\n" + long_path + "   1,234,567,890,123 Bytes"), std::string::npos);
  EXPECT_NE(report_.find("\n" + long_path + "|1234567890123|'2013-08-06 09:15|"),
            std::string::npos);
}

TEST_F(ScanMessageFiles, InterruptCompletesTheRow) {
  write("d.eml", "From: Jane Doe\nSubject: s\n");
  platform::set_interrupted(true);
  scan("d.eml", 26);
  platform::set_interrupted(false);
  EXPECT_EQ(report_,
            "\n" + dir_path_ + "/d.eml|26|'2013-08-06 09:15||||||'0000-00-00 ||| Unknown  ||");
}

TEST_F(ScanMessageFiles, FailedReportWriteEndsWithWriteError) {
  int full = platform::open_path("/dev/full", platform::OpenMode::kWriteTruncate);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  ctx_.report.attach_handle(full, 0, true);
  write("e.eml", "Subject: s\n");
  try {
    scan("e.eml", 11);
    FAIL() << "the run went on after a failed report write";
  } catch (const RunExit& e) {
    EXPECT_EQ(e.code, kWriteError);
  }
}

}  // namespace
}  // namespace mailsift
