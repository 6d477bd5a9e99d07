// How the scanner reads: pieces, line ends, NUL and Ctrl-Z bytes, reading
// ahead at the end of the file and interrupts.
#include <gtest/gtest.h>

#include <string>

#include "header_scan_util.h"

namespace mailsift {
namespace {

using test::record_of;

TEST(ScanReading, LinesArriveInPiecesOf32767Bytes) {
  // A line of exactly 32767 bytes with its LF is one piece.
  std::string text(32767 - 10, 'x');
  HeaderRecord exact = record_of("Subject: " + text + "\n");
  EXPECT_EQ(exact.subject, "(#1:) Subject: " + text + "  ");
  // One more byte: the LF arrives as a piece of its own; the first piece
  // keeps every character.
  HeaderRecord over = record_of("Subject: " + text + "y\n");
  EXPECT_EQ(over.subject, "(#1:) Subject: " + text + "y  ");
  // The rest of a long line is a line of its own for the recognisers.
  std::string filler(32767 - 9, 'z');
  HeaderRecord split = record_of("Subject: " + filler + "To: rest of it\nFrom: aaaaaaaaaa\n");
  EXPECT_EQ(split.subject, "(#1:) Subject: " + filler + "  ");
  EXPECT_EQ(split.to, "(#1:) To: rest of it  ");
  EXPECT_EQ(split.from, "(#1:) From: aaaaaaaaaa  ");
  // A read-ahead line is a piece too: a From join appends at most 32767 bytes.
  std::string big(40000, 'b');
  HeaderRecord join = record_of("From: =\n" + big + "\n");
  EXPECT_EQ(join.from, "(#1:) From: " + big.substr(0, 32767) + "  ");
}

TEST(ScanReading, LineEndsNulAndCtrlZ) {
  HeaderRecord crlf = record_of("Subject: hi\r\nFrom: Jane Doe\r\nTo: a,\r\n\tb c\r\n");
  EXPECT_EQ(crlf.subject, "(#1:) Subject: hi  ");
  EXPECT_EQ(crlf.from, "(#1:) From: Jane Doe  ");
  EXPECT_EQ(crlf.to, "(#1:) To: a b c  ");
  // A lone CR stays in the line.
  EXPECT_EQ(record_of("Subject: a\rb\n").subject, "(#1:) Subject: a\rb  ");
  EXPECT_EQ(record_of("Subject: hi\r").subject, "(#1:) Subject: hi  ");
  // A NUL ends the line's text.
  EXPECT_EQ(record_of(std::string("Subject: ab\0cd\nFrom: Jane Doe\n", 30)).subject,
            "(#1:) Subject: ab  ");
  EXPECT_EQ(record_of(std::string("Subject: ab\0cd\nFrom: Jane Doe\n", 30)).from,
            "(#1:) From: Jane Doe  ");
  // In a read-ahead line too.
  EXPECT_EQ(record_of(std::string("To: a,\n\tbcd\0ef\n", 15)).to, "(#1:) To: a bcd  ");
  // Ctrl-Z ends the file, also in the middle of a line.
  HeaderRecord z = record_of(
      "Subject: a\n\x1A"
      "From: Jane Doe\n");
  EXPECT_EQ(z.subject, "(#1:) Subject: a  ");
  EXPECT_EQ(z.from, "");
  EXPECT_EQ(record_of("Subject: abc\x1A"
                      "def\n")
                .subject,
            "(#1:) Subject: abc  ");
  // Other bytes, invalid UTF-8 included, are carried through.
  EXPECT_EQ(record_of("Subject: \xFF\xFE\x80\x01\n").subject, "(#1:) Subject: \xFF\xFE\x80\x01  ");
}

// Only a line feed ends a line: a text that ends any other way keeps every
// character, in the main loop and in every line read ahead, and a CR that
// ends the data (an unfinished CR LF) is dropped.
TEST(ScanReading, OnlyALineFeedIsRemoved) {
  struct Case {
    std::string message;
    std::string HeaderRecord::*field;
    std::string entry;
  };
  const Case cases[] = {
      {"Subject: Hello", &HeaderRecord::subject, "Subject: Hello"},
      {"Subject: Hello\r", &HeaderRecord::subject, "Subject: Hello"},
      {"Subject: Hello\r\x1A\n", &HeaderRecord::subject, "Subject: Hello"},
      {"Subject: Hello\x1A\n", &HeaderRecord::subject, "Subject: Hello"},
      {"Subject: Hi\r\r", &HeaderRecord::subject, "Subject: Hi\r"},
      {"Subject: a\rb", &HeaderRecord::subject, "Subject: a\rb"},
      {std::string("Subject: ab\0", 12), &HeaderRecord::subject, "Subject: ab"},
      {"From: =\n\tJane", &HeaderRecord::from, "From:  Jane"},
      {"From: =\n\tJane\r", &HeaderRecord::from, "From:  Jane"},
      {"To: a,\n bob\r", &HeaderRecord::to, "To: a bob"},
      {"Received: from a [1.1.1.1]\n by [2.2.2.2", &HeaderRecord::recent_ip, "[1.1.1.1][2.2.2.2"},
      {"Mapi-Hasattach: 1\nContent-Type: a/b;\n\tname=x.pdf", &HeaderRecord::attachment_info,
       "Attachment info:  name=x.pdf"},
      // The closing quote goes, as when the line ends with a line feed.
      {"Content-Type: message/rfc822\n\tname=\"f.eml\"", &HeaderRecord::attachment_info,
       "Attachment info: name=\"f.eml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(record_of(c.message).*c.field, "(#1:) " + c.entry + "  ");
  }
}

TEST(ScanReading, ReadAheadAtEndOfFile) {
  EXPECT_EQ(record_of("To: a,").to, "(#1:) To: a,  ");
  EXPECT_EQ(record_of("Cc: a,\n").cc, "(#1:) Cc: a,  ");
  EXPECT_EQ(record_of("From: =\n").from, "(#1:) From:   ");
  EXPECT_EQ(record_of("Content-Type: message/rfc822\n").attachment_info, "");
  EXPECT_EQ(record_of("X-Originating-IP: [1.2.3.4]\n").recent_ip, "(#1:) [1.2.3.4]  ");
  EXPECT_EQ(record_of("Mapi-Hasattach: no\nContent-Type: a/b\n").attachment_info, "");
  // A To folded onto a last line without a line end.
  EXPECT_EQ(record_of("To: a,\n b,\n cde").to, "(#1:) To: a b cde  ");
}

int checks_left = 0;
bool stop_when_counted_down() {
  return --checks_left < 0;
}

TEST(ScanReading, InterruptStopsBeforeTheNextLineAndCompletesTheRow) {
  const std::string message = "Subject: one\nFrom: Jane Doe\nTo: x\n";
  checks_left = 2;
  ScanWorkspace ws;
  StringSource source(message);
  std::string out;
  EXPECT_FALSE(test::scan_columns(ws, &source, out, stop_when_counted_down));
  EXPECT_EQ(out, "(#1:) From: Jane Doe  |||||'0000-00-00 ||(#1:) Subject: one  | Unknown  ||");
  // Without an interrupt the same workspace scans the next message in full.
  StringSource again(message);
  out.clear();
  EXPECT_TRUE(test::scan_columns(ws, &again, out));
  EXPECT_EQ(
      out,
      "(#1:) From: Jane Doe  |(#1:) To: x  ||||'0000-00-00 ||(#1:) Subject: one  | Unknown  ||");
}

TEST(ScanReading, WorkspaceReuseStartsEachMessageAfresh) {
  ScanWorkspace ws;
  std::string first_out, second_out;
  StringSource first(
      "Date: 5 Aug 2013 10:22\nMapi-Hasattach: x\nSubject: s\nX-Mozilla-Status: 1\n");
  test::scan_columns(ws, &first, first_out);
  StringSource second("Cc: c\nContent-Type: t; name=n.txt\n");
  test::scan_columns(ws, &second, second_out);
  EXPECT_EQ(second_out, "||(#1:) Cc: c  |||'0000-00-00 ||| Unknown  ||");
  EXPECT_EQ(ws.record.parsed.year, 0);
  EXPECT_TRUE(ws.record.parsed.time_text.empty());
}

}  // namespace
}  // namespace mailsift
