// The file-list lines: every line of an arbitrary list file goes through the
// path rules and the dispatch, over an in-memory tree. Property: every
// directory and file the list opens is closed again.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "options/walk_options.h"
#include "unit/fake_file_system.h"
#include "walk/walk.h"

namespace {

using namespace mailsift;

class FixedClock : public platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

class ClosingConsumer : public FileConsumer {
 public:
  Stop accept(SelectedFile& file) override {
    file.file.close();
    return Stop::kNone;
  }
};

test::FakeFileSystem& tree() {
  static test::FakeFileSystem fs = [] {
    test::FakeFileSystem made;
    made.add_file("/m/a.eml", 10, "From: a\n");
    made.add_file("/m/b c.eml", 5, "To: b\n");
    made.add_file("/m/sub/x.eml", 0, "");
    made.add_file("/m/sub/X.EML", 7, "Subject: s\n");
    made.add_dangling("/m/gone.eml");
    made.add_other("/m/fifo");
    made.add_link("/m/link", "/m/sub");
    made.add_dir("/m/closed");
    made.set_unreadable("/m/closed");
    return made;
  }();
  return fs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FixedClock clock;
  test::FakeFileSystem& fs = tree();
  const int list = memfd_create("list", 0);
  if (list < 0) return 0;
  if (size > 0 && write(list, data, size) != static_cast<ssize_t>(size)) {
    close(list);
    return 0;
  }
  lseek(list, 0, SEEK_SET);
  const WalkOptions options;
  RunLists lists;
  std::vector<platform::FileIdentity> skip;
  WalkCounts counts;
  ClosingConsumer consumer;
  {
    WalkContext walk{options, lists, fs, clock, skip, counts, &consumer};
    platform::File list_file(list);  // closes the list
    read_file_list(walk, list_file);
  }
  FUZZ_CHECK(fs.open_handles() == 0);
  return 0;
}
