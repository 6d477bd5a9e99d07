// PLACEHOLDER: replaced by the header-extraction work.
#include "header/scan_message.h"

#include "run/run_context.h"

namespace mailsift {

void scan_message(RunContext& ctx, int, const std::string&, const std::string& path, std::int64_t,
                  const FileTimes&) {
  ctx.report.write("\n" + path);
}

void write_header_row(RunContext& ctx) { ctx.report.write("Filename"); }

}  // namespace mailsift
