#include "wine/wine_runner.h"

#include <algorithm>

namespace mailsift::test {

std::string windows_path(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::vector<std::string> wine_env(const std::string& home) {
  std::vector<std::string> env = clean_env(home);
  // Wine reads Linux file names in the locale's character set: UTF-8, as
  // the names are written.
  for (std::string& e : env) {
    if (e.rfind("LANG=", 0) == 0) e = "LANG=C.UTF-8";
    if (e.rfind("LC_ALL=", 0) == 0) e = "LC_ALL=C.UTF-8";
  }
  env.push_back("WINEPREFIX=" MAILSIFT_WINE_PREFIX);
  env.push_back("WINEDEBUG=-all");
  return env;
}

RunResult run_windows(const std::vector<std::string>& args, const RunOptions& options,
                      const std::string& exe) {
  std::vector<std::string> command = {MAILSIFT_WINE_PROGRAM, exe};
  command.insert(command.end(), args.begin(), args.end());
  return run_mailsift(command, options);
}

RunResult run_linux(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> command = {MAILSIFT_LINUX_BINARY};
  command.insert(command.end(), args.begin(), args.end());
  return run_mailsift(command, options);
}

RunResult run_wine_tool(const std::vector<std::string>& args) {
  RunOptions o;
  o.env = wine_env("/tmp");
  std::vector<std::string> command = {MAILSIFT_WINE_PROGRAM};
  command.insert(command.end(), args.begin(), args.end());
  return run_mailsift(command, o);
}

bool all_crlf(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

std::string lf_lines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

std::string linux_form(const std::string& rows, char delimiter) {
  std::string text = lf_lines(rows);
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    std::size_t name_end = line.find(delimiter);
    if (line.rfind("Z:", 0) == 0) {
      if (name_end == std::string::npos) name_end = line.size();
      std::string name = line.substr(2, name_end - 2);
      std::replace(name.begin(), name.end(), '\\', '/');
      line = name + line.substr(name_end);
    }
    out += line;
    if (end < text.size()) out.push_back('\n');
    start = end + 1;
  }
  return out;
}

}  // namespace mailsift::test
