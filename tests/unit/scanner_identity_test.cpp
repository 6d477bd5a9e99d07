// The scanner against the plain reference (tests/reference/plain_scanner.h):
// the same row, in every report format, for generated messages, the same
// messages with random edits, and the samples, on every vector path this
// processor runs and with a reader buffer small enough to refill mid-line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "reference/plain_scanner.h"
#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/byte_classes.h"

namespace mailsift {
namespace {

// What messages are made of: a line for every recogniser in several cases,
// lines the rules read ahead, body text, and the bytes that change how a
// line reads or is cleaned.
const std::string_view kPieces[] = {
    "From: Jane Doe <jane@x.org>\n", "FROM: =\n", "from: a\n", "To: a,\n", "\tb c,\n", " d\n",
    "> e f\n", "Cc: c\n", "bcc: x\n", "Date: Mon, 5 Aug 2013 10:22:33 -0400\n", "date: x\n",
    "Sent: Monday, March 04, 2013 04:22 PM\n", "Subject: hi\n", "SUBJECT:x\n",
    "Mapi-Message-Flags: (read)\n", "X-Mozilla-Status: 0011\n", "x-mozilla-status: 1\n",
    "See Attachment: yes\n", "Content-Type: a; name=Attach1\n",
    "Content-Disposition: attachment; filename=\"a.pdf\"\n", "Attachment Converted: c:\\x\n",
    "X-Attachments: y\n", "Content-Type: message/rfc822\n", "\tname=\"f.eml\"\n",
    "Mapi-Hasattach: False\n", "Mapi-Hasattach: True\n", "Content-Type: application/pdf;\n",
    "Content-Type: text/plain; name=b.txt; charset=x\n", "Received: from a (b [192.0.2.1])\n",
    "\tby c [10.0.0.1] with SMTP\n", "received: by mx [1.2.3.4]\n",
    "X-Originating-IP: [203.0.113.9]\n", "<b>From:</b> Jane<br>\n", "<B>To:</b> x\n",
    ">> From: quoted person\n", "** Subject: starred line\n", "> short\n",
    "plain body text without marks\n", "a=b=c soft=\n", "time 10:22 and = signs\n", "Attach<b>ment: x\n",
    "\n", "\r\n", "\r", std::string_view("\0", 1), ":", "=", "<", "<br>", ">", "*", "\t"};

// Bytes a random edit puts in.
constexpr std::string_view kEditBytes("\n\r\0:=<>*[] \tbB/\x1a", 16);

std::string generated(std::mt19937& random) {
  std::string message;
  const std::size_t pieces = random() % 60;
  for (std::size_t i = 0; i < pieces; ++i) message += kPieces[random() % std::size(kPieces)];
  if (random() % 8 == 0) {
    // A line near the 32767-byte piece length, with marks here and there.
    std::string line(32760 + random() % 16, 'x');
    for (int k = 0; k < 4; ++k) line[random() % line.size()] = ":=<"[random() % 3];
    message.insert(random() % (message.size() + 1), line + (random() % 2 ? "\r\n" : "\n"));
  }
  if (random() % 4 == 0) {
    std::string crlf;
    for (const char c : message) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    message.swap(crlf);
  }
  return message;
}

std::string edited(std::string message, std::mt19937& random) {
  for (std::size_t edits = 1 + random() % 8; edits > 0; --edits) {
    const std::size_t at = random() % (message.size() + 1);
    char byte = kEditBytes[random() % kEditBytes.size()];
    // A Ctrl-Z ends the message: rarely.
    if (byte == '\x1a' && random() % 4 != 0) byte = ':';
    switch (random() % 3) {
      case 0:
        message.insert(at, 1, byte);
        break;
      case 1:
        if (at < message.size()) message.erase(at, 1);
        break;
      default:
        if (at < message.size()) message[at] = byte;
    }
  }
  return message;
}

std::vector<std::string> samples() {
  std::vector<std::string> texts;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(MAILSIFT_SAMPLES_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return texts;
}

class ScannerIdentity : public ::testing::TestWithParam<VectorPath> {
 protected:
  void SetUp() override {
    if (!use_vector_path(GetParam())) GTEST_SKIP() << "this processor does not run the path";
  }
  void TearDown() override { use_vector_path(widest); }

  // Every report format gives the same row from the scanner as from the
  // reference.
  void expect_same_rows(const std::string& message, ScanWorkspace& ws) {
    const ReportOptions reports[] = {{ReportFormat::kDelimited, '|', false},
                                     {ReportFormat::kDelimited, ',', true},
                                     {ReportFormat::kCsv, '|', false},
                                     {ReportFormat::kJsonLines, '|', false}};
    for (const ReportOptions& report : reports) {
      CapturedFields fields;
      StringSource source(message);
      // The structured formats collect the own header block as well, which
      // reads every line of it.
      const ScanOptions scan{report.delimiter, report.format != ReportFormat::kDelimited};
      scan_message(ws, &source, scan, fields, nullptr);
      const std::string expected =
          reference::row_of(reference::scan(message, report.delimiter), report);
      ASSERT_EQ(reference::row_of(fields, report), expected) << testing::PrintToString(message);
      ++compared;
    }
  }

  const VectorPath widest = vector_path();
  int compared = 0;
};

TEST_P(ScannerIdentity, GeneratedEditedAndSampleMessages) {
  std::mt19937 random(20130805);
  ScanWorkspace large;
  ScanWorkspace small(61);
  for (int i = 0; i < 300; ++i) {
    const std::string message = generated(random);
    expect_same_rows(message, i % 2 == 0 ? large : small);
    expect_same_rows(edited(message, random), i % 3 == 0 ? small : large);
  }
  for (const std::string& message : samples()) {
    expect_same_rows(message, large);
    expect_same_rows(message, small);
  }
  EXPECT_GT(compared, 2400);
}

INSTANTIATE_TEST_SUITE_P(Paths, ScannerIdentity,
                         ::testing::Values(VectorPath::kPlain, VectorPath::kSse2, VectorPath::kAvx2));

// Each vector path gives the plain loop's classes, at every length and
// alignment, for every byte value next to the classes' bytes.
TEST(ByteClasses, EveryPathMatchesThePlainLoop) {
  std::mt19937 random(7);
  std::string bytes(4096 + 64, '\0');
  for (char& c : bytes) c = random() % 3 == 0 ? ":=\n\0<"[random() % 5] : static_cast<char>(random());
  const ByteClassSet sets[] = {{{':', '='}, {'\0', '<'}}, {{'\n', '\n'}, {'\xff', '\x80'}}};
  const VectorPath widest = vector_path();
  for (const ByteClassSet& set : sets) {
    for (const std::size_t offset : {0u, 1u, 31u}) {
      for (const std::size_t size : {0u, 1u, 63u, 64u, 65u, 4096u}) {
        ASSERT_TRUE(use_vector_path(VectorPath::kPlain));
        std::vector<BlockClasses> expected(size / kClassBlock + 1);
        block_classifier()(bytes.data() + offset, size / kClassBlock, set, expected.data());
        classify_tail(bytes.data() + offset + size / kClassBlock * kClassBlock, size % kClassBlock, set,
                      expected.back());
        for (const VectorPath path : {VectorPath::kSse2, VectorPath::kAvx2}) {
          if (!use_vector_path(path)) continue;
          std::vector<BlockClasses> got(expected.size());
          block_classifier()(bytes.data() + offset, size / kClassBlock, set, got.data());
          classify_tail(bytes.data() + offset + size / kClassBlock * kClassBlock, size % kClassBlock,
                        set, got.back());
          for (std::size_t b = 0; b < got.size(); ++b) {
            ASSERT_EQ(got[b].lf, expected[b].lf) << b;
            ASSERT_EQ(got[b].mark, expected[b].mark) << b;
            ASSERT_EQ(got[b].odd, expected[b].odd) << b;
          }
        }
      }
    }
  }
  use_vector_path(widest);
  // The plain loop itself, on one block: LF in a class stands for no byte.
  std::string block(64, 'a');
  block[3] = '\n';
  block[5] = ':';
  block[9] = '\0';
  BlockClasses c;
  classify_tail(block.data(), block.size(), sets[1], c);
  EXPECT_EQ(c.lf, 1u << 3);
  EXPECT_EQ(c.mark, 0u);
  EXPECT_EQ(c.odd, 0u);
  classify_tail(block.data(), 8, sets[0], c);
  EXPECT_EQ(c.mark, 1u << 5);
  EXPECT_EQ(c.odd, 0u);  // the NUL lies past the 8 bytes
}

}  // namespace
}  // namespace mailsift
