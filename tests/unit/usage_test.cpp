#include "app/usage.h"

#include <gtest/gtest.h>

#include <string>

#include "app/banner.h"
#include "app/run_context.h"
#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

// The eight groups as the user reads them.
const char* const kGroups[8] = {
    R"USAGE(-p + path(s):  additional paths to search, can include multiple paths separated
               by spaces. (i.e.  -p c:\work  c:\bin d:\)     [PATH=pathname]
     --path=only_one_path_allowed_here
-f + filetype: additional filetypes to search for seperated by spaces. 
      (i.e. *.c *.bat, default == *.*.)                      [FILES=filetype]
-x  + exclude: exclude these file types from the processing  [EXCLUDE=filetype]
      --exclude=only_one_filetype_to_exclude
-oO + output:  filename for output. Output can be redirected using > output
      -O automatically causes -a (append option to be used)  [OUTPUT=filename]
)USAGE",
    R"USAGE(-oO + YY[YY][MMDDhhmmss=name]: causes output file to be named with todays date
Adding each of the MMDDYYhhmmss as necessary based on the mask used
if the =name, where name is a text string is added, then the filename is 
appended with the name. THE = (equal sign must be there for the literal.)
--output=filename
)USAGE",
    R"USAGE(-a:   append to output file.                        [APPEND=[ON|OFF]]
--append
-g #:               Show files greater than # days old              [OLDER=xxx]
-g mm-dd-yyyy[acw]: Show files older than this date. (this date NOT counted)

)USAGE",
    R"USAGE(-l #:               Show files less than # days old                 [NEWER=xxx]
-l mm-dd-yyyy[acw]: Show files newer than this date. (this date IS included)
      The  [acw] literals, choose which time to base the mm-dd-yyyy test on
      Any or all [acw] can be used. If none used, then default is w
      examples:  -l 10-20-2005a, -g 12-05-2005w, -l 12-20-2005a  -g 10-01-2005c
      examples:  -l 10-20-2005acw, -g 12-05-2005wc
)USAGE",
    R"USAGE(-G #:    Show files greater than # bytes in size            [GREATER=xxx]
         --greater=#
-L #:    Show files less than # bytes in size               [LESSTHAN=xxx]
         --lessthan=#
)USAGE",
    R"USAGE(-r:   DO NOT recurse through path, default to recurse       [RECURSE=[ON|OFF]]
--recurse,  --recurse=[ON|OFF]
)USAGE",
    R"USAGE(-d #: insert delimeters of this (#) value between output fields.
      default delimeter is pipe (|)
      if delimeter is comma (,) then usual quotes for text strings implemented
      --delimeter="|", --delimeter=#, --delimeter=pipe
)USAGE",
    R"USAGE(-1 +  filename: to contain logging information.                 [ACCT=filename]
      default logging file can also be set in environment by SET ACCT=filename
      --accounting=filename, --logfile=filename

)USAGE",
};

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
