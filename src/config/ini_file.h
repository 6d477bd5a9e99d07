// Standing settings from the program's own INI file or the [MAILSIFT] section
// of the shared "TALLWICK.INI".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/draft.h"
#include "util/text_reader.h"

namespace mailsift {

// The INI file a run with these arguments reads (args[0] the executable),
// found and opened; none when any argument is exactly "-.ini". Closed when
// it goes.
class IniFile {
 public:
  explicit IniFile(const std::vector<std::string>& args);
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // What configuration reads.
  IniText text() const { return text_; }

 private:
  platform::File file_;
  std::optional<FileSource> source_;
  IniText text_;
};

// Reads the directives of an INI text one line at a time.
class IniLines {
 public:
  IniLines();
  // Starts on `ini` (a shared file: after its section header, if any).
  void start(const IniText& ini);
  // Applies the next line; false at the end of the file or of the section.
  bool apply_next(Draft& d);

 private:
  bool next_line();
  TextReader reader_;
  std::string line_;
  std::string upper_;
  bool shared_ = false;
  std::string section_;
  bool done_ = true;
};

}  // namespace mailsift
