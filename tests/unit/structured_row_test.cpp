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
  // Plain text is copied eight bytes at a time: a byte that needs care must be
  // found wherever it stands in such a word, and next to another one.
  const struct {
    std::string byte;
    std::string json;
  } cases[] = {{"\"", "\\\""},    {"\\", "\\\\"},         {"\x1f", "\\u001f"},
               {"\x7f", "\\u007f"}, {"\xc3\xa9", "\xc3\xa9"}, {"\x80", "\\udc80"},
               {" ", " "},         {"~", "~"}};
  for (const auto& c : cases) {
    for (std::size_t at = 0; at < 20; ++at) {
      const std::string before(at, 'a');
      const std::string after(19 - at, 'z');
      std::string out;
      append_json_string(out, before + c.byte + after + c.byte);
      EXPECT_EQ(out, "\"" + before + c.json + after + c.json + "\"") << at;
    }
  }
}

TEST(StructuredRows, EveryColumnOfThePlainRowBecomesOneField) {
  MessageRecord record;
  record.path = "/m/a \"q\".eml";
  record.size = 12;
  record.modified = ModTime{2013, 8, 6, 9, 15};
  record.fields.subject = "Q3 | plan\r\nnext";
  record.fields.from = "\"Lee, Kim\" <k@x>";
  MessageTexts texts;

  MessageFormatter csv({ReportFormat::kCsv, '|', false});
  csv.format(record, texts);
  EXPECT_EQ(texts.row.rfind(
                "\"/m/a \"\"q\"\".eml\",\"12\",\"'2013-08-06 09:15\",\"\"\"Lee, Kim\"\" <k@x>\"", 0),
            0u)
      << texts.row;
  EXPECT_NE(texts.row.find(",\"Q3 | plan\r\nnext\","), std::string::npos) << texts.row;
  EXPECT_NE(texts.row.find(",\"'0000-00-00 \","), std::string::npos) << texts.row;
  EXPECT_EQ(texts.row.substr(texts.row.size() - 2), "\r\n");

  MessageFormatter json({ReportFormat::kJsonLines, '|', false});
  json.format(record, texts);
  EXPECT_EQ(texts.row.rfind("{\"Filename\":\"/m/a \\\"q\\\".eml\",\"Size\":\"12\",", 0), 0u)
      << texts.row;
  EXPECT_NE(texts.row.find("\"Subject\":\"Q3 | plan\\r\\nnext\","), std::string::npos) << texts.row;
  EXPECT_NE(texts.row.find("\"Recent IP\":\"\"}\n"), std::string::npos) << texts.row;
  EXPECT_EQ(texts.row.find('\n'), texts.row.size() - 1);

  std::string header;
  csv.header(header);
  EXPECT_EQ(header.rfind("\"Filename\",\"Size\",", 0), 0u);
  header.clear();
  json.header(header);
  EXPECT_EQ(header, "");
}

}  // namespace
}  // namespace mailsift
