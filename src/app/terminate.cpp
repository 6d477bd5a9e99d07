#include "app/terminate.h"

#include <cstdio>

#include "app/environment.h"
#include "app/run_context.h"
#include "platform/platform.h"
#include "util/calendar.h"

namespace mailsift {

namespace {

struct ReasonRow {
  int code;
  const char* text;
};

constexpr ReasonRow kReasons[] = {
    {0, "NORMAL_EXIT"},
    {1, "NORMAL_EXIT"},
    {2, "USER_ABORTED"},
    {3, "INPUT_FILE"},
    {4, "OUTPUT_FILE"},
    {5, "PARAMATER_FILE"},
    {6, "ILLEGAL or INCOMPLETE OPTION"},
    {7, "MEMORY ERROR"},
    {8, "OTHER_EXIT"},
    {9, "WRITE_ERROR"},
    {11, "READ_ERROR"},
    {13, "NON_SPECIFIC ERROR"},
};

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

}  // namespace

const char* exit_reason(int code) {
  for (const ReasonRow& row : kReasons) {
    if (row.code == code) return row.text;
  }
  return "";
}

std::string directories_line(std::int32_t dir_count, std::int32_t file_count) {
  char text[96];
  std::snprintf(text, sizeof text, "\n  %ld director%s, %ld files\n", static_cast<long>(dir_count),
                dir_count == 1 ? "y" : "ies", static_cast<long>(file_count));
  return text;
}

std::string archives_line(std::int64_t messages, std::int64_t archives) {
  char text[96];
  std::snprintf(text, sizeof text, "  %lld messages in %lld mbox files\n",
                static_cast<long long>(messages), static_cast<long long>(archives));
  return text;
}

std::string elapsed_text(std::int64_t seconds) {
  char text[96];
  std::snprintf(text, sizeof text, " %d hrs. %d mins. %d secs.\n", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds % 3600 / 60), static_cast<int>(seconds % 3600 % 60));
  return text;
}

std::string date_time_text(std::int64_t seconds, bool utc) {
  platform::CalendarTime t;
  if (!platform::seconds_to_calendar(seconds, utc, t)) return std::string(24, '?');
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d", kWeekdays[t.weekday % 7],
                kMonthNames[(t.month + 11) % 12].data(), t.day, t.hour, t.minute, t.second, t.year);
  return text;
}

std::optional<int> stop_code(Stop stop) {
  switch (stop) {
    case Stop::kNone:
    case Stop::kReadError:
      break;
    case Stop::kInterrupted:
      return kUserAborted;
    case Stop::kWriteError:
      return kWriteError;
  }
  return std::nullopt;
}

void check_interrupt(RunContext& ctx) {
  if (platform::interrupted()) terminate_run(ctx, kUserAborted);
}

namespace {

std::string archives_text(const RunContext& ctx) {
  return archives_line(ctx.archive_counts.messages, ctx.archive_counts.archives);
}

[[noreturn]] void end_plainly(RunContext& ctx, int status) {
  platform::restore_terminal();
  ctx.report.flush();
  ctx.accounting_log.flush();
  ctx.console.out.flush();
  ctx.console.err.flush();
  throw RunExit{status};
}

}  // namespace

void end_run(RunContext& ctx, RunEnd end) {
  if (!end.summary) end_plainly(ctx, end.code);
  int code = end.code;
  platform::restore_terminal();
  // The report is flushed first: a report that could not be written completely
  // must never end with a normal status.
  bool report_ok = ctx.report.flush();
  if (!report_ok && code == kNormalExit) code = kWriteError;

  if (ctx.start_time == 0) ctx.start_time = ctx.clock->now();
  const std::int64_t end_time = ctx.clock->now();
  const std::int64_t elapsed = end_time - ctx.start_time;
  const bool report_named = ctx.report_options.target != ReportTarget::kStandardOutput;

  if (report_named && !ctx.report_on_stdout()) {
    if (!ctx.report.close() && code == kNormalExit) code = kWriteError;
  }
  // The log is the run's record: it is finished before the console is told
  // how the run ended, so that a log that could not be written completely
  // (a full disk) ends the run with the write-error code too. Its lines
  // before the closing ones are still in its buffer until this flush.
  if (ctx.accounting_log.is_open()) {
    OutStream& log = ctx.accounting_log;
    if (!log.flush() && code == kNormalExit) code = kWriteError;
    if (code != kNormalExit) log.format("\n Abnormal termination. Reason: %s", exit_reason(code));
    log.write(directories_line(ctx.counts.dir_count, ctx.counts.file_count));
    if (ctx.run_options.mbox) log.write(archives_text(ctx));
    log.format("\n\n  Finished: %.24s\n", date_time_text(end_time, false).c_str());
    log.write("  Elapsed: ");
    log.write(elapsed_text(elapsed));
    write_last_access_report(log, ctx.console.messages(), ctx.last_access_setting);
    log.write("\n");
    if (!log.close() && code == kNormalExit) code = kWriteError;
  }
  if (code != kNormalExit) {
    ctx.console.err.format("\nAbnormal termination. Reason: %s\n\n", exit_reason(code));
  }
  if (report_named && ctx.run_options.quiet == 0) {
    ctx.console.err.write(directories_line(ctx.counts.dir_count, ctx.counts.file_count));
    if (ctx.run_options.mbox) ctx.console.err.write(archives_text(ctx));
    ctx.console.err.write("  Elapsed: ");
    std::string e = elapsed_text(elapsed);
    e.push_back('\n');
    ctx.console.err.write(e);
    ctx.console.err.write("\n");
  }
  if (ctx.console.stdin_is_terminal) platform::flush_terminal_input();
  ctx.report.flush();
  ctx.console.out.flush();
  ctx.console.err.flush();
  throw RunExit{code};
}

}  // namespace mailsift
