// A consumer that records what a source selects instead of scanning it.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "util/selected_file.h"

namespace mailsift::test {

class RecordingConsumer : public FileConsumer {
 public:
  Stop accept(SelectedFile& file) override {
    // A directory that could not be read shows with its reason.
    paths.push_back(file.unreadable_directory ? "unreadable " + file.path + " (" + file.error_text + ")"
                                              : file.path);
    sizes.push_back(file.size);
    years.push_back(file.modified.year);
    sequences.push_back(file.sequence);
    opened.push_back(file.file.is_open());
    if (!file.is_directory) ++files;
    file.file.close();
    return stop_with;
  }

  std::vector<std::string> paths;
  std::vector<std::int64_t> sizes;
  std::vector<std::int32_t> years;
  std::vector<std::uint64_t> sequences;
  std::vector<bool> opened;
  int files = 0;  // what the summary counts: all but directories
  Stop stop_with = Stop::kNone;
};

}  // namespace mailsift::test
