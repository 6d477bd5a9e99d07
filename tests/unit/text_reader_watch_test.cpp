// The reader's answer to "does this line hold byte c" must match a plain
// search of the line in every case: lines taken whole from the buffer, lines
// across refills, CR LF lines, pieces and pushed-back lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "header/text_reader.h"

namespace mailsift {
namespace {

unsigned searched(const std::string& line, std::string_view bytes) {
  unsigned holds = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (std::memchr(line.data(), bytes[i], line.size()) != nullptr) holds |= 1u << i;
  }
  return holds;
}

TEST(TextReaderWatch, MatchesASearchOfEveryLine) {
  const std::string_view bytes("\0<:=", 4);
  std::string data;
  const char* lines[] = {"plain text\n", "a: b\n", "x=y <z>\n",   "\n",
                         "tail:\r\n",    "\r\n",   "lone\rcr=\n", "no line end"};
  for (int round = 0; round < 40; ++round) {
    for (const char* l : lines) data += l;
    data += std::string("with\0nul\n", 9);
    data += std::string(static_cast<std::size_t>(round * 7), 'q') + ":" + "\n";
  }
  for (std::size_t buffer_size : {16u, 61u, 4096u}) {
    for (std::size_t max_len : {5u, 32768u}) {
      StringSource source(data);
      TextReader reader(buffer_size);
      reader.watch_bytes(bytes);
      reader.reset(&source);
      std::string line;
      int count = 0;
      while (reader.read_line(line, max_len)) {
        ASSERT_EQ(reader.line_holds(line), searched(line, bytes))
            << "line " << count << " buffer " << buffer_size << " max " << max_len;
        if (count % 5 == 0) {
          // A pushed-back line is answered as well.
          reader.push_back(line);
          std::string again;
          ASSERT_TRUE(reader.read_line(again, max_len));
          ASSERT_EQ(again, line);
          ASSERT_EQ(reader.line_holds(again), searched(again, bytes));
        }
        ++count;
      }
      EXPECT_GE(count, 360);
    }
  }
}

}  // namespace
}  // namespace mailsift
