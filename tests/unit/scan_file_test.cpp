// scan_file on real files, the formatter and the row sink: row, progress
// line, unreadable files, write failures and interrupts.
#include "scan/scan_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "fake_file_system.h"
#include "platform/platform.h"
#include "report/message_formatter.h"
#include "report/row_sink.h"

namespace mailsift {
namespace {

class ScanMessageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/mailsift_scan_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_path_ = templ;
    report.attach_string(&report_);
    progress.attach_string(&err_);
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
  void header() {
    std::string text;
    MessageFormatter(options_).header(text);
    report.write(text);
  }
  // Opens `name` as the walk would and scans it under `shown` (default: its
  // path); the sink writes its texts.
  Stop scan(const std::string& name, std::int64_t size, const std::string& shown = "") {
    platform::FileSystem& fs = platform::real_file_system();
    int dir = fs.open_directory(dir_path_);
    EXPECT_GE(dir, 0);
    file_.path = shown.empty() ? dir_path_ + "/" + name : shown;
    file_.size = size;
    file_.modified = ModTime{2013, 8, 6, 9, 15};
    file_.file = platform::File(fs, fs.open_file(dir, name));
    fs.close_directory(dir);
    MessageFormatter::progress(progress_line_, file_);
    const Stop scanned = scan_file(ws_, file_, ScanOptions{options_.delimiter}, record_);
    EXPECT_FALSE(file_.file.is_open());
    MessageFormatter(options_).format(record_, texts_);
    const Stop written = sink_.write(progress_line_, texts_, false);
    return written != Stop::kNone ? written : scanned;
  }

  OutStream report;
  OutStream progress;
  std::int32_t files_ = 0;
  RowSink sink_{report, progress, files_};
  ScanWorkspace ws_;
  std::string progress_line_;
  SelectedFile file_;
  MessageRecord record_;
  MessageTexts texts_;
  ReportOptions options_;
  std::string err_, report_;
  std::string dir_path_;
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
  header();
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
}

TEST_F(ScanMessageFiles, QuotedModeAndUnopenableFile) {
  options_ = ReportOptions{ReportFormat::kDelimited, ',', true};
  header();
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
  scan("c.eml", 11, "\\\\?\\C:\\mail\\c.eml");
  scan("c.eml", -1234, "\\\\server\\share\\c.eml");
  scan("c.eml", 1, "\\\\??");
  const std::string long_path = "/" + std::string(700, 'p') + "/c.eml";
  scan("c.eml", 1234567890123LL, long_path);
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
  EXPECT_EQ(scan("d.eml", 26), Stop::kInterrupted);
  platform::set_interrupted(false);
  EXPECT_EQ(report_,
            "\n" + dir_path_ + "/d.eml|26|'2013-08-06 09:15||||||'0000-00-00 ||| Unknown  ||");
}

TEST_F(ScanMessageFiles, FailedReportWriteStopsWithWriteError) {
  int full = platform::open_path("/dev/full", platform::OpenMode::kWriteTruncate);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  report.attach_handle(full, 0, true);
  write("e.eml", "Subject: s\n");
  EXPECT_EQ(scan("e.eml", 11), Stop::kWriteError);
}

TEST_F(ScanMessageFiles, UnopenableRegularFileKeepsItsRowAndWarns) {
  file_.path = dir_path_ + "/locked.eml";
  file_.size = 5;
  file_.modified = ModTime{2013, 8, 6, 9, 15};
  file_.file.close();
  file_.open_failed = true;
  file_.error_text = "Permission denied";
  EXPECT_EQ(scan_file(ws_, file_, ScanOptions{}, record_),
            Stop::kReadError);
  MessageFormatter(options_).format(record_, texts_);
  EXPECT_EQ(texts_.row,
            "\n" + file_.path + "|5|'2013-08-06 09:15||||||'0000-00-00 ||| Unknown  ||");
  EXPECT_EQ(texts_.warning, "\ncan't read file " + file_.path + " (Permission denied)");
}

// A directory the walk could not read has its warning only, in every format.
TEST_F(ScanMessageFiles, UnreadableDirectoryHasOnlyItsWarning) {
  for (ReportFormat format : {ReportFormat::kDelimited, ReportFormat::kCsv, ReportFormat::kJsonLines}) {
    SelectedFile dir;
    dir.path = dir_path_ + "/locked";
    dir.unreadable_directory = true;
    dir.error_text = "Too many open files";
    EXPECT_EQ(scan_file(ws_, dir, ScanOptions{}, record_),
              Stop::kReadError);
    MessageFormatter(ReportOptions{format, '|', false}).format(record_, texts_);
    EXPECT_EQ(texts_.row, "");
    std::string line = "stale";
    MessageFormatter::progress(line, dir);
    EXPECT_EQ(line, "");
    EXPECT_EQ(texts_.warning, "\ncan't read directory " + dir.path + " (Too many open files)");
  }
}

// Hands out at most `chunk` bytes per read and counts the reads.
class ChunkedFileSystem : public test::FakeFileSystem {
 public:
  std::size_t chunk = 1 << 20;
  int reads = 0;
  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override {
    ++reads;
    return FakeFileSystem::read_file(file, buffer, std::min(n, chunk));
  }
};

TEST(ScanFileReads, TheWalksSizeSparesTheReadThatOnlyFindsTheEnd) {
  const std::string text = "Subject: s\nFrom: Jane Doe\n";
  const auto n = static_cast<std::int64_t>(text.size());
  struct Case {
    std::int64_t walk_size;  // the size the walk saw
    std::size_t chunk;       // bytes per read
    int reads;
  } cases[] = {
      {n, 1 << 20, 1},      // one read holds the whole file
      {n, 8, 4},            // short pieces before the size is reached are not the end
      {5, 1 << 20, 1},      // grown since the walk saw it: every byte is still read
      {n + 9, 1 << 20, 2},  // shrunk: the end is found by reading
      {0, 1 << 20, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.walk_size << ", chunk " << c.chunk);
    ChunkedFileSystem fs;
    fs.add_file("/m/a.eml", c.walk_size, text);
    fs.chunk = c.chunk;
    const int dir = fs.open_directory("/m");
    ScanWorkspace ws;
    SelectedFile file;
    file.path = "/m/a.eml";
    file.size = c.walk_size;
    file.file = platform::File(fs, fs.open_file(dir, "a.eml"));
    MessageRecord record;
    EXPECT_EQ(scan_file(ws, file, ScanOptions{}, record), Stop::kNone);
    EXPECT_EQ(fs.reads, c.reads);
    EXPECT_EQ(record.fields.subject, "(#1:) Subject: s  ");
    EXPECT_EQ(record.fields.from, "(#1:) From: Jane Doe  ");
    fs.close_directory(dir);
  }
}

bool interrupt_at_once() {
  return true;
}

// The digests cover every byte of the file, past a Ctrl-Z and in small
// reads, and only a file read to its end gets them.
TEST(ScanFileReads, DigestsOfTheWholeFileOrNone) {
  const std::string text = std::string("Subject: s\n\x1a") + "tail after ctrl-z\n";
  const struct {
    std::size_t chunk;
    InterruptCheck interrupted;
    bool whole;
  } cases[] = {{1 << 20, nullptr, true}, {3, nullptr, true}, {1 << 20, interrupt_at_once, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "chunk " << c.chunk);
    ChunkedFileSystem fs;
    fs.add_file("/m/a.eml", static_cast<std::int64_t>(text.size()), text);
    fs.chunk = c.chunk;
    const int dir = fs.open_directory("/m");
    ScanWorkspace ws;
    SelectedFile file;
    file.path = "/m/a.eml";
    file.size = static_cast<std::int64_t>(text.size());
    file.file = platform::File(fs, fs.open_file(dir, "a.eml"));
    ScanOptions options;
    options.digests.crc32 = options.digests.md5 = true;
    MessageRecord record;
    scan_file(ws, file, options, record, c.interrupted);
    EXPECT_EQ(record.fields.subject, c.whole ? "(#1:) Subject: s  " : "");
    EXPECT_EQ(record.digests_whole, c.whole);
    if (c.whole) {
      // From Python's zlib.crc32 and hashlib.md5 over the same bytes.
      EXPECT_EQ(record.digests[0], "922f7dc5");
      EXPECT_EQ(record.digests[1], "eedf5be2e7c8680f0ebbb13165fe7cc6");
    }
    fs.close_directory(dir);
  }
}


// The decoded fields come from every line of the own header block, also the
// lines the capture rules read ahead (and push back) and the continuation
// lines the scanner would otherwise pass over; the captured columns are the
// same with and without them.
TEST(ScanFileDecodedFields, EveryLineOfTheOwnBlockOnceWithTheColumnsUnchanged) {
  const struct {
    const char* message;
    const char* subject;  // nullptr: absent
    const char* to;
  } cases[] = {
      // The To rule takes its continuation lines.
      {"To: a@x,\n b@x,\n\tc@x\nSubject: s\n\n", "s", "a@x, b@x,\tc@x"},
      // A short From line takes the next line whatever it is.
      {"From: x\nSubject: after a short From\n", "after a short From", nullptr},
      // The relay rule reads the next line and pushes it back: seen once.
      {"Received: from a [192.0.2.1]\nSubject: one\n two\nTo: t@x\n", "one two", "t@x"},
      // A Content-type rule reads ahead into the header.
      {"Content-Type: text/plain;\nSubject: =?utf-8?q?caf=C3=A9?=\n =?utf-8?q?_au_lait?=\n\n",
       "café au lait", nullptr},
      {"Subject: own\r\n folded\r\n\r\nSubject: body\nTo: body@x\n", "own folded", nullptr},
      {"\nSubject: body only\n", nullptr, nullptr},
      {"", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    for (const std::size_t chunk : {std::size_t{7}, std::size_t{1} << 20}) {
      SCOPED_TRACE(testing::Message() << c.message << " chunk " << chunk);
      CapturedFields plain;
      for (const bool decode : {false, true}) {
        ChunkedFileSystem fs;
        fs.add_file("/m/cur/1:2,RS", 0, c.message);
        fs.chunk = chunk;
        const int dir = fs.open_directory("/m/cur");
        ScanWorkspace ws;
        SelectedFile file;
        file.path = "/m/cur/1:2,RS";
        file.size = static_cast<std::int64_t>(std::string_view(c.message).size());
        file.write_time = 130201861530000000ULL;  // 2013-08-05 14:22:33 UTC
        file.file = platform::File(fs, fs.open_file(dir, "1:2,RS"));
        MessageRecord record;
        ScanOptions options;
        options.decode_fields = decode;
        EXPECT_EQ(scan_file(ws, file, options, record), Stop::kNone);
        fs.close_directory(dir);
        if (!decode) {
          EXPECT_FALSE(record.decoded.subject_text.present);
          EXPECT_EQ(record.decoded.modified_utc, "");
          plain.swap(record.fields);
          continue;
        }
        EXPECT_EQ(record.fields.subject, plain.subject);
        EXPECT_EQ(record.fields.to, plain.to);
        EXPECT_EQ(record.fields.from, plain.from);
        EXPECT_EQ(record.fields.recent_ip, plain.recent_ip);
        EXPECT_EQ(record.fields.attachment_info, plain.attachment_info);
        const DecodedFields& d = record.decoded;
        EXPECT_EQ(d.subject_text.present, c.subject != nullptr);
        EXPECT_EQ(d.subject_text.text, c.subject ? c.subject : "");
        EXPECT_EQ(d.to_text.present, c.to != nullptr);
        EXPECT_EQ(d.to_text.text, c.to ? c.to : "");
        EXPECT_EQ(d.modified_utc, "2013-08-05T14:22:33Z");
        EXPECT_EQ(d.maildir_flags, "RS");
      }
    }
  }
}
}  // namespace
}  // namespace mailsift
