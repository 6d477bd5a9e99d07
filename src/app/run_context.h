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

  // Search roots (absolute, no trailing "/" except the root "/"), name
  // patterns (as given) and exclusions (upper-cased), in order of addition.
  std::vector<std::string> root_list;
  std::vector<std::string> name_patterns;
  std::vector<std::string> exclusion_list;

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

  // Streams. The report starts on standard output; the console streams are
  // unbuffered. accounting_log is open when a log is in use.
  OutStream report;
  OutStream console_out;  // standard output, for messages
  OutStream console_err;  // standard error
  OutStream accounting_log;
  bool stdout_is_terminal = false;
  bool stderr_is_terminal = false;
  bool stdin_is_terminal = false;
  // The console shows UTF-8 (box characters and the check mark are written
  // as Unicode); otherwise the code page 437 bytes are written.
  bool console_utf8 = false;
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

  // Messages the description sends to standard output go to standard error
  // when standard output is not a terminal (it then carries the report). When
  // both share the terminal, the report is flushed first to keep the order.
  OutStream& message_stream();

  // The report is on standard output (no file opened).
  bool report_on_stdout() const { return report.handle() == platform::kStdout; }

  // Attaches the real standard streams and platform services.
  void attach_process_streams();
  // Points every console stream and the report at strings (tests).
  void attach_test_streams(std::string* out, std::string* err, std::string* report_text);
};

}  // namespace mailsift
