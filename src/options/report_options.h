// What the report's writers read: the format and where the report goes.
// Filled by configuration, then read only.
#pragma once

#include <string>

#include "options/digest_request.h"

namespace mailsift {

enum class ReportFormat { kDelimited, kCsv, kJsonLines };

enum class ReportTarget {
  kStandardOutput,        // no output file named
  kFile,                  // the file at `path`
  kStandardOutputByName,  // the user named standard output ("stdout")
};

struct ReportOptions {
  ReportFormat format = ReportFormat::kDelimited;
  // The delimited report: the delimiter, and every column in double quotes.
  char delimiter = '|';
  bool quoted = false;
  ReportTarget target = ReportTarget::kStandardOutput;
  // The file's absolute name, kept when the target changes back (the split
  // log is named after it).
  std::string path;
  bool append = false;
  // The structured formats' fields beyond the columns: the message's number
  // and offset in its mbox archive, and the digests asked for.
  bool mbox_fields = false;
  DigestRequest digests;
};

}  // namespace mailsift
