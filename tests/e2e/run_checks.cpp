#include "e2e/run_checks.h"

#include <algorithm>

namespace mailsift::test {

std::vector<std::string> job_args(int jobs) {
  if (jobs == 0) return {};
  return {"--jobs=" + std::to_string(jobs)};
}

int count_rows(const std::string& report, const std::string& prefix) {
  const std::string start = "\n" + prefix;
  int rows = 0;
  for (std::size_t at = report.find(start); at != std::string::npos;
       at = report.find(start, at + 1)) {
    ++rows;
  }
  return rows;
}

bool whole_row_prefix(const std::string& report, const std::string& full) {
  if (report.size() > full.size() || full.compare(0, report.size(), report) != 0) return false;
  return report.size() == full.size() || full[report.size()] == '\n';
}

namespace {

std::size_t nth(const std::string& text, char c, int n) {
  std::size_t at = std::string::npos;
  for (int i = 0; i < n; ++i) {
    at = text.find(c, at + 1);
    if (at == std::string::npos) break;
  }
  return at;
}

}  // namespace

std::string interrupted_report_problem(const std::string& report, const std::string& full) {
  const std::size_t last = report.rfind('\n');
  if (last == std::string::npos) {
    return report == full.substr(0, full.find('\n')) ? "" : "not the header row: " + report;
  }
  if (!whole_row_prefix(report.substr(0, last), full) || full.size() <= last) {
    return "the rows before the last are not those of the whole report";
  }
  const std::string row = report.substr(last + 1);
  std::string expected = full.substr(last + 1);
  expected.resize(std::min(expected.size(), expected.find('\n')));
  const std::size_t third = nth(expected, '|', 3);
  if (third == std::string::npos || row.compare(0, third + 1, expected, 0, third + 1) != 0 ||
      std::count(row.begin(), row.end(), '|') !=
          std::count(expected.begin(), expected.end(), '|')) {
    return "last row\n" + row + "\nis not a whole row for\n" + expected;
  }
  return "";
}

std::string closed_log_problem(const std::string& log, const std::string& reason) {
  const std::string last = "A 1 means access data will NOT be updated\n";
  if (log.size() < last.size() || log.compare(log.size() - last.size(), last.size(), last) != 0) {
    return "the log does not end with its closing lines:\n" + log;
  }
  const std::string abnormal = "\n Abnormal termination. Reason: ";
  const std::size_t at = log.rfind(abnormal);
  const std::size_t finished = log.rfind("\n\n  Finished: ");
  if (finished == std::string::npos) return "no Finished line:\n" + log;
  if (reason.empty()) {
    if (at != std::string::npos && at > log.rfind("\n****")) return "abnormal end logged:\n" + log;
    return "";
  }
  if (at == std::string::npos || log.compare(at + abnormal.size(), reason.size(), reason) != 0 ||
      log.compare(at + abnormal.size() + reason.size(), 3, "\n  ") != 0) {
    return "no abnormal end with reason " + reason + ":\n" + log;
  }
  return "";
}

}  // namespace mailsift::test
