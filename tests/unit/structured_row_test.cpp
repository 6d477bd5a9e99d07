#include "report/structured_row.h"

#include <gtest/gtest.h>

#include <string>

#include "report/message_formatter.h"

namespace mailsift {
namespace {

TEST(StructuredRows, JsonStringsEscapeWhatJsonForbidsAndKeepStrayBytes) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"plain | text", R"("plain | text")"},
      {"say \"hi\" \\ bye", R"("say \"hi\" \\ bye")"},
      {"a\nb\rc\td", R"("a\nb\rc\td")"},
      {std::string("nul\0x\x01\x7f", 7), R"("nul\u0000x\u0001\u007f")"},
      {"caf\xC3\xA9 \xE2\x82\xAC", "\"caf\xC3\xA9 \xE2\x82\xAC\""},
      // Stray bytes, an overlong form and a cut-off sequence: U+DC00 + byte.
      {"\xFF\x80", R"("\udcff\udc80")"},
      {"\xC0\xAF", R"("\udcc0\udcaf")"},
      {"x\xE2\x82", R"("x\udce2\udc82")"},
  };
  for (const auto& c : cases) {
    std::string out;
    append_json_string(out, c.text);
    EXPECT_EQ(out, c.json);
  }
}

TEST(StructuredRows, JsonEscapesAreFoundAtEveryOffsetOfALongRun) {
  // Plain text is tested and copied sixteen bytes at a time, the last bytes
  // of a run by a step that overlaps the one before: a byte that needs care
  // must be found wherever it stands, at any distance from another one, in
  // texts shorter and longer than a step.
  const struct {
    std::string byte;
    std::string json;
  } cases[] = {{"\"", "\\\""},    {"\\", "\\\\"},         {"\x1f", "\\u001f"},
               {"\x7f", "\\u007f"}, {"\xc3\xa9", "\xc3\xa9"}, {"\x80", "\\udc80"},
               {" ", " "},         {"~", "~"}};
  for (const auto& c : cases) {
    for (std::size_t at = 0; at < 40; at += 1) {
      for (const std::size_t gap : {std::size_t{0}, std::size_t{5}, std::size_t{15},
                                    std::size_t{16}, std::size_t{17}, std::size_t{40}}) {
        const std::string before(at, 'a');
        const std::string between(gap, 'm');
        const std::string after(at % 19, 'z');
        std::string out = "kept";
        append_json_string(out, before + c.byte + between + c.byte + after);
        EXPECT_EQ(out, "kept\"" + before + c.json + between + c.json + after + "\"")
            << at << " " << gap;
      }
    }
  }
}

TEST(StructuredRows, EveryColumnOfThePlainRowThenTheDecodedFields) {
  MessageRecord record;
  record.path = "/m/a \"q\".eml";
  record.size = 12;
  record.modified = ModTime{2013, 8, 6, 9, 15};
  record.fields.subject = "Q3 | plan\r\nnext";
  record.fields.from = "\"Lee, Kim\" <k@x>";
  // Absent, present and empty, present with quotes.
  record.decoded.from_text = {"J\xC3\xB6rg <j@x>", true};
  record.decoded.cc_text = {"", true};
  record.decoded.subject_text = {"Q \"x\"", true};
  record.decoded.date_utc = {"2013-08-05T14:22:33Z", true};
  record.decoded.modified_utc = "2013-08-06T09:15:00Z";
  MessageTexts texts;

  MessageFormatter csv({ReportFormat::kCsv, '|', false});
  csv.format(record, texts);
  EXPECT_EQ(texts.row.rfind(
                "\"/m/a \"\"q\"\".eml\",\"12\",\"'2013-08-06 09:15\",\"\"\"Lee, Kim\"\" <k@x>\"", 0),
            0u)
      << texts.row;
  EXPECT_NE(texts.row.find(",\"Q3 | plan\r\nnext\","), std::string::npos) << texts.row;
  EXPECT_NE(texts.row.find(",\"'0000-00-00 \","), std::string::npos) << texts.row;
  const std::string csv_tail =
      ",\" Unknown  \",\"\",\"\",,\"J\xC3\xB6rg <j@x>\",,\"\",\"Q \"\"x\"\"\","
      "\"2013-08-05T14:22:33Z\",\"2013-08-06T09:15:00Z\",\"\"\r\n";
  EXPECT_EQ(texts.row.substr(texts.row.size() - csv_tail.size()), csv_tail);

  MessageFormatter json({ReportFormat::kJsonLines, '|', false});
  json.format(record, texts);
  EXPECT_EQ(texts.row.rfind("{\"Filename\":\"/m/a \\\"q\\\".eml\",\"Size\":12,", 0), 0u)
      << texts.row;
  EXPECT_NE(texts.row.find("\"Subject\":\"Q3 | plan\\r\\nnext\","), std::string::npos) << texts.row;
  const std::string json_tail =
      "\"Recent IP\":\"\",\"message_id\":null,\"from_text\":\"J\xC3\xB6rg <j@x>\","
      "\"to_text\":null,\"cc_text\":\"\",\"subject_text\":\"Q \\\"x\\\"\","
      "\"date_utc\":\"2013-08-05T14:22:33Z\",\"modified_utc\":\"2013-08-06T09:15:00Z\","
      "\"maildir_flags\":\"\"}\n";
  EXPECT_EQ(texts.row.substr(texts.row.size() - json_tail.size()), json_tail);
  EXPECT_EQ(texts.row.find('\n'), texts.row.size() - 1);

  std::string header;
  csv.header(header);
  EXPECT_EQ(header.rfind("\"Filename\",\"Size\",", 0), 0u);
  EXPECT_NE(header.find("\"Recent IP\",\"message_id\",\"from_text\",\"to_text\",\"cc_text\","
                        "\"subject_text\",\"date_utc\",\"modified_utc\",\"maildir_flags\"\r\n"),
            std::string::npos)
      << header;
  header.clear();
  json.header(header);
  EXPECT_EQ(header, "");

  // The mbox fields and the digests come after the decoded fields.
  ReportOptions more{ReportFormat::kCsv, '|', false};
  more.mbox_fields = true;
  more.digests.sha1 = true;
  header.clear();
  MessageFormatter(more).header(header);
  EXPECT_NE(header.find(",\"maildir_flags\",\"mbox_message\",\"mbox_offset\",\"sha1\"\r\n"),
            std::string::npos)
      << header;
}

}  // namespace
}  // namespace mailsift
