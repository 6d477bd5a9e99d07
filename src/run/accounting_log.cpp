// PLACEHOLDER: replaced by the outputs work.
#include "run/accounting_log.h"

namespace mailsift {

bool open_accounting_log(RunContext&, const std::string&) { return false; }
void make_log_directory(RunContext&, const std::string&) {}
void trim_log_file(RunContext&, const std::string&) {}
void replace_accounting_log(RunContext&, LogReplacedBy, const std::string&) {}
void write_run_banner(RunContext&) {}

}  // namespace mailsift
