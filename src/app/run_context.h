// Everything one run holds: the options configuration gave, the lists, the
// counters, the streams and the platform services. Made once at start-up and
// passed by reference; nothing here is global.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "options/report_options.h"
#include "options/run_options.h"
#include "options/scan_options.h"
#include "options/walk_options.h"
#include "platform/platform.h"
#include "report/row_sink.h"
#include "util/console.h"
#include "util/out_stream.h"
#include "walk/walk.h"

namespace mailsift {

struct RunContext {
  RunContext();
  ~RunContext();
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // One record per layer, each read by that layer only.
  WalkOptions walk_options;
  ScanOptions scan_options;
  ReportOptions report_options;
  RunOptions run_options;

  // The argument vector as the option parser leaves it; args[0] is the
  // executable's full path. The accounting log echoes this same vector.
  std::vector<std::string> args;

  RunLists lists;

  WalkCounts counts;
  // The rows of messages of mbox archives, and their archives.
  ArchiveCounts archive_counts;
  std::int64_t start_time = 0;
  int last_access_setting = -1;
  // Some message could not be read completely: the run ends with the
  // read-error code.
  bool read_failed = false;

  // The report starts on standard output; accounting_log is open when a log
  // is in use.
  OutStream report;
  OutStream accounting_log;
  Console console;
  platform::File file_list;  // open list file of file-list mode

  // Files the walk and the file list never report: the open report, the open
  // log, standard output when the report goes there and it is a regular file.
  std::vector<platform::FileIdentity> skip_set;

  // The usage pager's page counter (survives between showings).
  int usage_pages = 0;

  platform::FileSystem* fs = nullptr;
  const platform::Clock* clock = nullptr;
  // Machine facts behind the output-name mask and the log's start line;
  // tests point them at fixed values.
  bool (*computer_name_source)(std::string& out) = &platform::computer_name;
  platform::TimeZoneNames (*time_zone_source)() = &platform::read_time_zone_names;

  // The report is on standard output (no file opened).
  bool report_on_stdout() const { return report.handle() == platform::kStdout; }

  // Attaches the real standard streams.
  void attach_process_streams();
  // Points the console streams and the report at strings (tests).
  void attach_test_streams(std::string* out, std::string* err, std::string* report_text);
};

// A walk over the run's walk options, lists and counters that hands its files to
// `consumer` (null: the counting pass), through `fs` (null: the run's).
WalkContext make_walk_context(RunContext& ctx, FileConsumer* consumer,
                              platform::FileSystem* fs = nullptr);

}  // namespace mailsift
