#include "scan/scan_message.h"

#include <memory>

#include "walk/file_times.h"
#include "scan/message_scanner.h"
#include "scan/row_writer.h"
#include "scan/scan_workspace.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/count_format.h"
#include "app/run_context.h"
#include "app/terminate.h"

namespace mailsift {

namespace {

RowFormat row_format(const RunContext& ctx) {
  return RowFormat{ctx.settings.delimiter, ctx.settings.quote_fields != 0};
}

}  // namespace

void scan_message(RunContext& ctx, int dir, const std::string& name, const std::string& path,
                  std::int64_t size, const FileTimes& times) {
  if (!ctx.scan_workspace) ctx.scan_workspace = std::make_unique<ScanWorkspace>();
  ScanWorkspace& ws = *ctx.scan_workspace;
  const RowFormat format = row_format(ctx);
  const std::string_view shown = platform::display_path(path);

  ws.row.clear();
  const TimeFields& mod = times.last_write;
  write_row_start(ws.row, format, shown, size,
                  ModTime{mod.year, mod.month, mod.day, mod.hour, mod.minute});

  // "\n%s   %11s Bytes", built in a reused buffer and written at once.
  char digits[kGroupedNumberSize];
  const std::string_view bytes = format_bytes(size, digits);
  ws.progress.assign("\n");
  ws.progress.append(shown);
  ws.progress.append("   ");
  if (bytes.size() < 11) ws.progress.append(11 - bytes.size(), ' ');
  ws.progress.append(bytes);
  ws.progress.append(" Bytes");
  ctx.console.err.write(ws.progress);

  // A file that cannot be opened still gets its whole row, from the empty
  // record.
  const int file = ctx.fs->open_file(dir, name);
  if (file >= 0) {
    FileSystemSource source(*ctx.fs, file);
    scan_message_text(ws, &source, format, platform::interrupted, ws.row);
    ctx.fs->close_file(file);
  } else {
    scan_message_text(ws, nullptr, format, platform::interrupted, ws.row);
  }

  ctx.report.write(ws.row);
  if (ctx.report.failed()) terminate_run(ctx, kWriteError);
}

void write_header_row(RunContext& ctx) {
  std::string header;
  append_header_row(header, row_format(ctx));
  ctx.report.write(header);
}

}  // namespace mailsift
