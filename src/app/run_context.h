// Everything one run holds besides its settings: the lists, the counters, the
// streams and the platform services. Made once at start-up and passed by
// reference; nothing here is global.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/platform.h"
#include "util/console.h"
#include "util/out_stream.h"

namespace mailsift {

struct ScanWorkspace;  // the message scanner's reused buffers (header/)
struct FileTimes;      // discovery/file_times.h

struct RunContext {
  RunContext();
  ~RunContext();
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  Settings settings;

  // The argument vector as the option parser leaves it; args[0] is the
  // executable's full path. The accounting log echoes this same vector.
  std::vector<std::string> args;

  RunLists lists;

  // Counters.
  bool counting_flag = true;
  std::uint32_t pre_count = 0;
  std::int64_t pre_bytes = 0;
  std::uint32_t longest_path = 0;
  std::int32_t dir_count = 0;
  std::int32_t file_count = 0;
  std::int32_t walk_depth = 0;
  std::int64_t start_time = 0;
  int last_access_setting = -1;

  // The report starts on standard output; accounting_log is open when a log
  // is in use.
  OutStream report;
  OutStream accounting_log;
  Console console;
  int file_list = -1;  // open list file of file-list mode

  // Files the walk and the file list never report: the open report, the open
  // log, standard output when the report goes there and it is a regular file.
  std::vector<platform::FileIdentity> skip_set;
  // True when the entry is one of the files in skip_set.
  bool is_skipped(const platform::EntryInfo& info) const;

  // The usage pager's page counter (survives between showings).
  int usage_pages = 0;

  platform::FileSystem* fs = nullptr;
  const platform::Clock* clock = nullptr;
  // Machine facts behind the output-name mask and the log's start line;
  // tests point them at fixed values.
  bool (*computer_name_source)(std::string& out) = &platform::computer_name;
  platform::TimeZoneNames (*time_zone_source)() = &platform::read_time_zone_names;

  std::unique_ptr<ScanWorkspace> scan_workspace;
  // The dispatch builds each file's path here, reusing the memory.
  std::string file_path;

  // Unit tests only: when set, the dispatch hands every selected file here
  // instead of to the message scanner.
  std::function<void(const std::string& path, std::int64_t size, const FileTimes& times)>
      dispatch_hook;

  // The report is on standard output (no file opened).
  bool report_on_stdout() const { return report.handle() == platform::kStdout; }

  // Attaches the real standard streams.
  void attach_process_streams();
  // Points the console streams and the report at strings (tests).
  void attach_test_streams(std::string* out, std::string* err, std::string* report_text);
};

}  // namespace mailsift
