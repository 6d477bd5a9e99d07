#include "scan/structured_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "util/selected_file.h"

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

TEST(StructuredRows, EveryColumnOfThePlainRowBecomesOneField) {
  std::string plain;
  ColumnStarts starts{};
  write_row_start(plain, RowFormat{}, "/m/a \"q\".eml", 12, ModTime{2013, 8, 6, 9, 15}, &starts);
  HeaderRecord record;
  record.subject = "Q3 | plan\r\nnext";
  record.from = "\"Lee, Kim\" <k@x>";
  write_row_end(plain, RowFormat{}, record, &starts);

  std::string csv;
  append_structured_row(csv, RowStyle::kCsv, plain, starts);
  EXPECT_EQ(
      csv.rfind("\"/m/a \"\"q\"\".eml\",\"12\",\"'2013-08-06 09:15\",\"\"\"Lee, Kim\"\" <k@x>\"",
                0),
      0u)
      << csv;
  EXPECT_NE(csv.find(",\"Q3 | plan\r\nnext\","), std::string::npos) << csv;
  EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");

  std::string json;
  append_structured_row(json, RowStyle::kJsonLines, plain, starts);
  EXPECT_EQ(json.rfind("{\"Filename\":\"/m/a \\\"q\\\".eml\",\"Size\":\"12\",", 0), 0u) << json;
  EXPECT_NE(json.find("\"Subject\":\"Q3 | plan\\r\\nnext\","), std::string::npos) << json;
  EXPECT_NE(json.find("\"Recent IP\":\"\"}\n"), std::string::npos) << json;
  EXPECT_EQ(json.find('\n'), json.size() - 1);

  std::string header;
  append_structured_header(header, RowStyle::kCsv);
  EXPECT_EQ(header.rfind("\"Filename\",\"Size\",", 0), 0u);
  header.clear();
  append_structured_header(header, RowStyle::kJsonLines);
  EXPECT_EQ(header, "");
}

}  // namespace
}  // namespace mailsift
