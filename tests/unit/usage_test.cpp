#include "app/usage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/banner.h"
#include "app/run_context.h"
#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

// The eight groups as the user reads them: tests/golden/usage_groups.txt,
// separated by form feeds.
std::vector<std::string> usage_groups() {
  std::ifstream in(std::string(MAILSIFT_GOLDEN_DIR) + "/usage_groups.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> groups(1);
  for (char ch : text) {
    if (ch == '\f') {
      groups.emplace_back();
    } else {
      groups.back().push_back(ch);
    }
  }
  return groups;
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Box {
  std::string top_left, horizontal, top_right, vertical, bottom_left, bottom_right, check;
};
const Box kCodePage{"\xC9", "\xCD", "\xBB", "\xBA", "\xC8", "\xBC", "\xFB"};
const Box kUnicode{"\u2554", "\u2550", "\u2557", "\u2551", "\u255A", "\u255D", "\u221A"};

std::string banner(const Box& b) {
  std::string version = build_version_from(build_date(), build_time());
  version.pop_back();  // the check mark, written below in the console's form
  const std::string text = "Ver. " + version + b.check + " (32 bit unicode) ";
  const int length = static_cast<int>(version.size()) + 1 + 23;
  const int before = 38 - length / 2 - 1;
  const int after = 74 - before - length;
  std::string out(28, '\n');
  out += "  " + b.top_left + repeat(b.horizontal, 74) + b.top_right + "\n";
  out += "  " + b.vertical + std::string(33, ' ') + "MAILSIFT" + std::string(33, ' ') + b.vertical +
         "\n";
  out += "  " + b.vertical + std::string(before, ' ') + text + std::string(after, ' ') +
         b.vertical + "\n";
  out += "  " + b.vertical + std::string(74, ' ') + b.vertical + "\n";
  out += "  " + b.bottom_left + repeat(b.horizontal, 74) + b.bottom_right + "\n";
  return out;
}

// A new page after `padding` blank lines.
std::string page(const Box& b, int padding) {
  return std::string(padding, '\n') + std::string(24, '\n') + "\n\n" + banner(b) + "\n\n";
}

std::string expected_usage(const Box& b) {
  const std::vector<std::string> kGroups = usage_groups();
  EXPECT_EQ(kGroups.size(), 8u);
  std::string out = page(b, 24) + kGroups[0];
  out += page(b, 6) + kGroups[1] + kGroups[2];
  out += page(b, 4) + kGroups[3] + kGroups[4];
  out += page(b, 3) + kGroups[5] + kGroups[6] + kGroups[7];
  for (const char* module : {"       eml_base", "    eml_program", "     new_do_eml"}) {
    out += std::string(module) + " last updated: " + build_date() + " " + build_time() + "\n";
  }
  return out + "\n";
}

TEST(Usage, WholeTextOnCodePageConsole) {
  ParsedRun r(777);
  show_usage(r.ctx);
  EXPECT_EQ(r.err, expected_usage(kCodePage));
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.ctx.start_time, 777);
  EXPECT_EQ(r.ctx.usage_pages, 4);
  EXPECT_EQ(r.err.find("RETURN TO CONTINUE"), std::string::npos);  // nobody to answer
}

TEST(Usage, WholeTextOnUtf8Console) {
  ParsedRun r;
  r.ctx.console.utf8 = true;
  show_usage(r.ctx);
  EXPECT_EQ(r.err, expected_usage(kUnicode));
}

TEST(Usage, NoPromptWhenOnlyOneSideIsATerminal) {
  ParsedRun r;
  r.ctx.console.stderr_is_terminal = true;  // input redirected: nothing is read
  show_usage(r.ctx);
  EXPECT_EQ(r.err, expected_usage(kCodePage));
}

TEST(Usage, PagesAndBanner) {
  ParsedRun r;
  EXPECT_EQ(next_page(r.ctx, 0), 9);
  EXPECT_EQ(r.err, page(kCodePage, 24));
  r.err.clear();
  EXPECT_EQ(next_page(r.ctx, 23), 9);  // a full page gets no padding
  EXPECT_EQ(r.err, page(kCodePage, 0));
  r.err.clear();
  EXPECT_EQ(show_banner(r.ctx, 40), 45);  // no padding past 30 lines
  EXPECT_EQ(r.err, banner(kCodePage).substr(28));
}

TEST(Usage, CenterText) {
  std::string sink;
  OutStream out;
  out.attach_string(&sink);
  EXPECT_EQ(center_text(80, "RETURN TO CONTINUE, ^C or x==exit", out), 56);
  EXPECT_EQ(sink, std::string(23, ' ') + "RETURN TO CONTINUE, ^C or x==exit");
  sink.clear();
  EXPECT_EQ(center_text(80, "ab", out), 41);
  EXPECT_EQ(sink, std::string(39, ' ') + "ab");
  sink.clear();
  EXPECT_EQ(center_text(10, "\u2554\u2550\u2557", out), 6);  // characters, not bytes
  EXPECT_EQ(sink, "   \u2554\u2550\u2557");
  sink.clear();
  EXPECT_EQ(center_text(10, "\xC9\xCD\xBB", out), 6);  // 8-bit text: one byte each
  sink.clear();
  EXPECT_EQ(center_text(4, "toolong", out), 7);
  EXPECT_EQ(sink, "toolong");
}

TEST(Usage, BuildVersion) {
  EXPECT_EQ(build_version_from("Aug 14 2013", "09:30:21"), "13.08.14.09.30\xFB");
  EXPECT_EQ(build_version_from("Dec  5 2013", "17:45:00"), "13.12.05.17.45\xFB");
  EXPECT_EQ(build_version_from("Jan  1 2026", "00:00:59"), "26.01.01.00.00\xFB");
  EXPECT_EQ(build_version_from("Xyz 21 2013", "09:30:21"), "13..21.09.30\xFB");
  EXPECT_EQ(build_version_from("", ""), "..00.\xFB");
  EXPECT_EQ(build_version_from(nullptr, nullptr), "..00.\xFB");
  EXPECT_EQ(to_console_text("13.08.14.09.30\xFB", true), "13.08.14.09.30\u221A");
  EXPECT_EQ(build_version().rfind(build_version_from(build_date(), build_time()).substr(0, 14), 0),
            0u);
}

}  // namespace
}  // namespace mailsift::test
