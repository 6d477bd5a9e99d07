// Buffered output with a bound on how long text may wait in the buffer.
#include "util/out_stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "scratch_dir.h"

namespace mailsift {
namespace {

using testing_support::read_bytes;
using testing_support::ScratchDir;

// Two streams get the same writes: one holds text at most 0.3 s while writes
// go on, the other only when its buffer fills or it is flushed.
TEST(OutStreamHold, TextOlderThanTheBoundGoesOutWithTheNextWrite) {
  const ScratchDir dir;
  OutStream bounded, unbounded;
  bounded.attach_handle(platform::open_path(dir / "bounded", platform::OpenMode::kWriteTruncate),
                        4096, true);
  unbounded.attach_handle(
      platform::open_path(dir / "unbounded", platform::OpenMode::kWriteTruncate), 4096, true);
  ASSERT_GE(bounded.handle(), 0);
  ASSERT_GE(unbounded.handle(), 0);
  bounded.hold_at_most(0.3);
  struct Step {
    int pause_ms;  // before the write
    const char* text;
    const char* out;  // what the bounded stream has written out after it
  };
  const Step steps[] = {
      {0, "a", ""},        // held
      {0, "b", ""},        // the oldest byte is young
      {350, "c", "abc"},   // the oldest byte waited past the bound: all out
      {0, "d", "abc"},     // a new wait starts with this byte
      {350, "e", "abcde"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    std::this_thread::sleep_for(std::chrono::milliseconds(step.pause_ms));
    bounded.write(step.text);
    unbounded.write(step.text);
    EXPECT_EQ(read_bytes(dir / "bounded"), step.out);
    EXPECT_EQ(read_bytes(dir / "unbounded"), "");
  }
  EXPECT_TRUE(unbounded.close());
  EXPECT_EQ(read_bytes(dir / "unbounded"), "abcde");
}

}  // namespace
}  // namespace mailsift
