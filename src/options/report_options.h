// What report/ reads of the run's configuration: the report's format.
#pragma once

namespace mailsift {

// The delimited report (the default), RFC 4180 CSV or JSON Lines.
enum class ReportFormat { kDelimited, kCsv, kJsonLines };

struct ReportOptions {
  ReportFormat format = ReportFormat::kDelimited;
  char delimiter = '|';  // the delimited report's
  bool quoted = false;   // every column of the delimited report in double quotes
};

}  // namespace mailsift
