// The ordered parallel scan against the one-thread scan on real message
// files: the same bytes for any number of jobs, and each way a run ends early
// (interrupt, failed report write, memory exhaustion in a worker).
#include "app/parallel_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/scan_pipeline.h"
#include "platform/platform.h"
#include "report/row_sink.h"
#include "scratch_dir.h"

namespace mailsift {
namespace {

using testing_support::ScratchDir;
using testing_support::write_bytes;

constexpr std::size_t kNever = static_cast<std::size_t>(-1);

enum class Kind { kMessage, kUnopenable, kNotRegular };

struct Entry {
  std::string name;
  std::int64_t size = 0;
  Kind kind = Kind::kMessage;
};

std::string message(std::size_t i, const char* eol) {
  std::string m;
  auto line = [&](const std::string& text) { m += text + eol; };
  line("Received: from relay" + std::to_string(i % 7) + " (relay [192.0.2." +
       std::to_string(i % 250) + "])");
  line("\tby mx.example.org with SMTP");
  line("From: Sender " + std::to_string(i) + " <s" + std::to_string(i) + "@example.org>");
  line("To: Bob Smith,");
  line("\tCarol Jones <carol@example.net>");
  if (i % 3 == 0) line("Cc: team@example.com");
  line("Subject: Message number " + std::to_string(i));
  line("Date: Mon, " + std::to_string(1 + i % 28) + " Aug 2013 10:22:33 -0400");
  if (i % 4 == 0) line("X-Mozilla-Status: 0001");
  line("");
  for (std::size_t k = 0; k < 3 + i % 40; ++k) line("Body line " + std::to_string(k) + " of it.");
  if (i % 6 == 0) {
    line("-----Original Message-----");
    line("Sent: Tuesday, August 6, 2013 9:15 AM");
  }
  return m;
}

// A scratch folder of message files in the order a walk would hand them
// over: LF and CR LF messages, an empty one, one of several megabytes, one of
// binary bytes, plus a file that cannot be opened and an entry that is not a
// regular file.
class MessageSet {
 public:
  explicit MessageSet(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      Entry e;
      e.name = "m" + std::to_string(100000 + i) + ".eml";
      std::string bytes;
      if (i == 3) {
        bytes.clear();
      } else if (i == 7) {
        bytes = message(i, "\n");
        while (bytes.size() < (3u << 20)) bytes += "A long body line, with words: and = signs.\n";
        bytes += "From: a forwarded sender\n";
      } else if (i == 11) {
        bytes = "From: bin\0ary\x1a\xff\x80 <x@y>\r\nSubject: \x01\x02\x7f\n\n";
        bytes.append(std::string("\0\x1a\r\r\n\xfe", 6));
        for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
      } else if (i == 13) {
        e.kind = Kind::kUnopenable;
      } else if (i == 17) {
        e.kind = Kind::kNotRegular;
      } else {
        bytes = message(i, i % 5 == 1 ? "\r\n" : "\n");
      }
      if (e.kind == Kind::kMessage) write_bytes(dir_ / e.name, bytes);
      e.size = static_cast<std::int64_t>(bytes.size());
      entries_.push_back(e);
    }
  }
  std::size_t size() const { return entries_.size(); }

  // The record the walk hands over for entry i, opened in `dir` and read
  // through `fs`.
  SelectedFile selected(std::size_t i, int dir, platform::FileSystem& fs) const {
    const Entry& e = entries_[i];
    SelectedFile f;
    f.sequence = i;
    f.path = dir_ / e.name;
    f.size = e.size;
    f.modified = ModTime{2013, 8, 6, 9, static_cast<std::int32_t>(i % 60)};
    if (e.kind == Kind::kMessage) {
      f.file = platform::File(fs, platform::real_file_system().open_file(dir, e.name));
    }
    // Rows without a file behind them are counted like directories.
    f.is_directory = e.kind == Kind::kNotRegular;
    if (e.kind == Kind::kUnopenable) {
      f.open_failed = true;
      f.error_text = "Permission denied";
    }
    return f;
  }
  const std::string& path() const { return dir_.path(); }

 private:
  ScratchDir dir_;
  std::vector<Entry> entries_;
};

struct Captured {
  std::string report;
  std::string err;
  Stop stop = Stop::kNone;
  bool read_failed = false;
  std::size_t accepted = 0;
  // Bytes of report and console text, and files counted, after each
  // accepted file.
  std::vector<std::size_t> report_ends{0};
  std::vector<std::size_t> err_ends{0};
  std::vector<std::int32_t> counts{0};
  std::int32_t files = 0;  // counted when their rows were written
};

struct RunSetup {
  int jobs = 1;
  ReportOptions format;
  std::size_t interrupt_before = kNever;  // set the interrupt flag before this file
  int report_handle = -1;                 // unbuffered report handle (else a string)
  platform::FileSystem* fs = nullptr;     // the scanners' file system (else the real one)
  std::size_t poison_index = kNever;      // tell `on_open` about this file's handle
  void (*on_open)(int handle) = nullptr;
};

// The scanners read the delimited report's delimiter.
LaneOptions lane_options_for(const ReportOptions& report) {
  const bool delimited = report.format == ReportFormat::kDelimited;
  return {ScanOptions{delimited ? report.delimiter : '|', !delimited}, report};
}

// Closes a directory handle however the run ends.
struct OpenDir {
  explicit OpenDir(const std::string& path)
      : handle(platform::real_file_system().open_directory(path)) {}
  ~OpenDir() { platform::real_file_system().close_directory(handle); }
  int handle;
};

// Hands the set to a scan stage the way the walk does, then finishes it.
// `out` holds what was written also when a failure is thrown.
void run_scan(const MessageSet& set, const RunSetup& setup, Captured& out) {
  OutStream report;
  OutStream console;
  if (setup.report_handle >= 0) {
    report.attach_handle(setup.report_handle, 0, true);
  } else {
    report.attach_string(&out.report);
  }
  console.attach_string(&out.err);
  RowSink sink(report, console, out.files);
  platform::FileSystem& fs = setup.fs != nullptr ? *setup.fs : platform::real_file_system();
  const OpenDir dir(set.path());
  ASSERT_GE(dir.handle, 0);
  const std::unique_ptr<ScanStage> stage = make_scan_stage(lane_options_for(setup.format), sink, setup.jobs);
  Stop stop = Stop::kNone;
  for (std::size_t i = 0; i < set.size(); ++i) {
    if (i == setup.interrupt_before) platform::set_interrupted(true);
    if (platform::interrupted()) {
      stop = Stop::kInterrupted;
      break;
    }
    SelectedFile file = set.selected(i, dir.handle, fs);
    if (i == setup.poison_index) setup.on_open(file.file.handle());
    stop = stage->accept(file);
    ++out.accepted;
    out.report_ends.push_back(out.report.size());
    out.err_ends.push_back(out.err.size());
    out.counts.push_back(out.files);
    if (stop != Stop::kNone) break;
  }
  // An interrupt after the walk's last file.
  if (setup.interrupt_before == set.size()) platform::set_interrupted(true);
  out.stop = stage->finish(stop);
  out.read_failed = stage->read_failed();
}

Captured run_scan(const MessageSet& set, const RunSetup& setup) {
  Captured out;
  run_scan(set, setup, out);
  platform::set_interrupted(false);
  return out;
}

std::size_t open_descriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// The rows `got` holds are the first ones of the one-thread run, each with its
// progress line and warning, and nothing else, and only their files are
// counted. The last row may hold only what its scan had captured when an
// interrupt came, but keeps its file's name, size and time. Returns how many.
std::size_t expect_whole_prefix(const Captured& got, const Captured& full) {
  // Every row is one line, starting with its line feed.
  const auto lines = [](const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  };
  EXPECT_EQ(lines(full.report), full.report_ends.size() - 1);
  const std::size_t rows = lines(got.report);
  EXPECT_LT(rows, full.report_ends.size());
  if (rows >= full.report_ends.size()) return 0;
  const std::size_t last = rows == 0 ? 0 : full.report_ends[rows - 1];
  EXPECT_EQ(got.report.substr(0, last), full.report.substr(0, last));
  const std::string cut = got.report.substr(last);
  const std::string whole = full.report.substr(last, full.report_ends[rows] - last);
  std::size_t third = 0;
  for (int i = 0; i < 3 && third != std::string::npos; ++i) third = whole.find('|', third + 1);
  EXPECT_EQ(cut.substr(0, third), whole.substr(0, third));
  EXPECT_EQ(got.err, full.err.substr(0, full.err_ends[rows])) << rows << " rows";
  EXPECT_EQ(got.files, full.counts[rows]) << rows << " rows";
  return rows;
}

class ParallelScanTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { set_ = new MessageSet(150); }
  static void TearDownTestSuite() {
    delete set_;
    set_ = nullptr;
  }
  static Captured one_thread(ReportOptions format = {}) {
    RunSetup setup;
    setup.format = format;
    return run_scan(*set_, setup);
  }
  static MessageSet* set_;
};
MessageSet* ParallelScanTest::set_ = nullptr;

TEST_F(ParallelScanTest, SameBytesAsOneThreadInEveryRowFormat) {
  const ReportOptions formats[] = {{ReportFormat::kDelimited, '|', false},
                                   {ReportFormat::kDelimited, ',', true},
                                   {ReportFormat::kDelimited, '\t', false},
                                   {ReportFormat::kDelimited, '|', true},
                                   {ReportFormat::kCsv, '|', false},
                                   {ReportFormat::kJsonLines, '|', false}};
  for (const ReportOptions& format : formats) {
    const Captured base = one_thread(format);
    ASSERT_EQ(base.accepted, set_->size());
    ASSERT_EQ(base.files, static_cast<std::int32_t>(set_->size()) - 1);  // all but one
    ASSERT_TRUE(base.read_failed);  // the unopenable file
    ASSERT_NE(base.err.find("\ncan't read file "), std::string::npos);
    for (const int jobs : {2, 8}) {
      SCOPED_TRACE(testing::Message()
                   << "jobs " << jobs << " delimiter " << format.delimiter << " quoted "
                   << format.quoted << " style " << static_cast<int>(format.format));
      RunSetup setup;
      setup.jobs = jobs;
      setup.format = format;
      const Captured got = run_scan(*set_, setup);
      EXPECT_EQ(got.stop, Stop::kNone);
      EXPECT_TRUE(got.read_failed);
      EXPECT_EQ(got.report, base.report);
      EXPECT_EQ(got.err, base.err);
      EXPECT_EQ(got.files, base.files);
    }
  }
}

TEST_F(ParallelScanTest, InterruptLeavesWholeRowsAndTheirProgressLines) {
  const Captured base = one_thread();
  const std::size_t before = open_descriptors();
  for (const int jobs : {2, 8}) {
    for (const std::size_t at :
         {std::size_t{0}, std::size_t{1}, std::size_t{12}, std::size_t{90}, set_->size()}) {
      SCOPED_TRACE(testing::Message() << "jobs " << jobs << ", interrupt before file " << at);
      RunSetup setup;
      setup.jobs = jobs;
      setup.interrupt_before = at;
      const Captured got = run_scan(*set_, setup);
      EXPECT_EQ(got.stop, Stop::kInterrupted);
      const std::size_t rows = expect_whole_prefix(got, base);
      // Never a row the walk had not handed over; the window of files in
      // flight is bounded.
      EXPECT_LE(rows, at);
      EXPECT_GE(rows + ParallelScan::ring_size(jobs), at);
    }
  }
  EXPECT_EQ(open_descriptors(), before) << "files scanned ahead were left open";
}

TEST_F(ParallelScanTest, FailedReportWriteStopsPromptly) {
  const Captured base = one_thread();
  const std::size_t before = open_descriptors();
  for (const int jobs : {1, 2, 8}) {
    SCOPED_TRACE(testing::Message() << "jobs " << jobs);
    RunSetup setup;
    setup.jobs = jobs;
    setup.report_handle = platform::open_path("/dev/full", platform::OpenMode::kWriteTruncate);
    if (setup.report_handle < 0) GTEST_SKIP() << "no /dev/full";
    const Captured got = run_scan(*set_, setup);
    EXPECT_EQ(got.stop, Stop::kWriteError);
    // The first row's write fails; the walk is told no later than when the
    // window of files in flight is full.
    EXPECT_LE(got.accepted, ParallelScan::ring_size(jobs) + 1);
    EXPECT_EQ(got.err, base.err.substr(0, base.err_ends[1]));
    EXPECT_EQ(got.files, 1);  // the row that failed
  }
  EXPECT_EQ(open_descriptors(), before);
}

// Scanners read through this; reading the poisoned handle finds no memory.
class ExhaustedFileSystem : public platform::FileSystem {
 public:
  static inline std::atomic<int> poisoned{-1};

  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override {
    if (file == poisoned) throw std::bad_alloc();
    return real_.read_file(file, buffer, n);
  }
  void close_file(int file) override { real_.close_file(file); }

  int open_directory(const std::string&) override { return -1; }
  int open_subdirectory(int, const std::string&) override { return -1; }
  void close_directory(int) override {}
  bool list_directory(int, std::vector<std::string>&) override { return false; }
  bool stat_entry(int, const std::string&, platform::EntryInfo&) override { return false; }
  bool directory_identity(int, platform::FileIdentity&) override { return false; }
  int open_file(int, const std::string&) override { return -1; }
  bool set_attributes(int, const std::string&, std::uint32_t) override { return false; }

 private:
  platform::FileSystem& real_ = platform::real_file_system();
};

TEST_F(ParallelScanTest, WorkerOutOfMemoryIsRethrownInTurn) {
  const Captured base = one_thread();
  const std::size_t before = open_descriptors();
  ExhaustedFileSystem fs;
  for (const int jobs : {2, 8}) {
    for (const std::size_t poison : {std::size_t{0}, std::size_t{40}}) {
      SCOPED_TRACE(testing::Message() << "jobs " << jobs << ", no memory for file " << poison);
      RunSetup setup;
      setup.jobs = jobs;
      setup.fs = &fs;
      setup.poison_index = poison;
      setup.on_open = [](int handle) { ExhaustedFileSystem::poisoned = handle; };
      // The failure reaches the writing thread when the file's turn comes,
      // after the rows before it; leaving the run joins the workers.
      Captured got;
      EXPECT_THROW(run_scan(*set_, setup, got), std::bad_alloc);
      ExhaustedFileSystem::poisoned = -1;
      EXPECT_EQ(got.report, base.report.substr(0, base.report_ends[poison]));
      EXPECT_EQ(got.err, base.err.substr(0, base.err_ends[poison]));
      EXPECT_EQ(got.files, base.counts[poison]);
    }
  }
  EXPECT_EQ(open_descriptors(), before);
}

// Interrupts at random moments over a larger set, with every number of jobs.
TEST(ParallelScanStress, RandomInterruptsLeaveWholeRowPrefixes) {
  const MessageSet set(2000);
  const Captured base = run_scan(set, RunSetup{});
  std::mt19937 random(9);
  for (int round = 0; round < 30; ++round) {
    RunSetup setup;
    setup.jobs = 2 + static_cast<int>(random() % 7);
    setup.interrupt_before = random() % (set.size() + 1);
    SCOPED_TRACE(testing::Message()
                 << "jobs " << setup.jobs << ", interrupt before file " << setup.interrupt_before);
    const Captured got = run_scan(set, setup);
    EXPECT_EQ(got.stop, Stop::kInterrupted);
    EXPECT_LE(expect_whole_prefix(got, base), setup.interrupt_before);
  }
  RunSetup whole;
  whole.jobs = 3;
  const Captured all = run_scan(set, whole);
  EXPECT_EQ(all.report, base.report);
  EXPECT_EQ(all.err, base.err);
}

}  // namespace
}  // namespace mailsift
