// The usage text, line by line. Lines are written as they stand (none holds a
// "%"), each followed by a line end; two lines end with a blank on purpose.
#include "app/usage_text.h"

namespace mailsift {

namespace {

constexpr const char* kGroup1[] = {
    "-p + path(s):  additional paths to search, can include multiple paths separated",
    "               by spaces. (i.e.  -p c:\\work  c:\\bin d:\\)     [PATH=pathname]",
    "     --path=only_one_path_allowed_here",
    "-f + filetype: additional filetypes to search for seperated by spaces. ",
    "      (i.e. *.c *.bat, default == *.*.)                      [FILES=filetype]",
    "-x  + exclude: exclude these file types from the processing  [EXCLUDE=filetype]",
    "      --exclude=only_one_filetype_to_exclude",
    "-oO + output:  filename for output. Output can be redirected using > output",
    "      -O automatically causes -a (append option to be used)  [OUTPUT=filename]",
};
constexpr const char* kGroup2[] = {
    "-oO + YY[YY][MMDDhhmmss=name]: causes output file to be named with todays date",
    "Adding each of the MMDDYYhhmmss as necessary based on the mask used",
    "if the =name, where name is a text string is added, then the filename is ",
    "appended with the name. THE = (equal sign must be there for the literal.)",
    "--output=filename",
};
constexpr const char* kGroup3[] = {
    "-a:   append to output file.                        [APPEND=[ON|OFF]]",
    "--append",
    "-g #:               Show files greater than # days old              [OLDER=xxx]",
    "-g mm-dd-yyyy[acw]: Show files older than this date. (this date NOT counted)",
    "",
};
constexpr const char* kGroup4[] = {
    "-l #:               Show files less than # days old                 [NEWER=xxx]",
    "-l mm-dd-yyyy[acw]: Show files newer than this date. (this date IS included)",
    "      The  [acw] literals, choose which time to base the mm-dd-yyyy test on",
    "      Any or all [acw] can be used. If none used, then default is w",
    "      examples:  -l 10-20-2005a, -g 12-05-2005w, -l 12-20-2005a  -g 10-01-2005c",
    "      examples:  -l 10-20-2005acw, -g 12-05-2005wc",
};
constexpr const char* kGroup5[] = {
    "-G #:    Show files greater than # bytes in size            [GREATER=xxx]",
    "         --greater=#",
    "-L #:    Show files less than # bytes in size               [LESSTHAN=xxx]",
    "         --lessthan=#",
};
constexpr const char* kGroup6[] = {
    "-r:   DO NOT recurse through path, default to recurse       [RECURSE=[ON|OFF]]",
    "--recurse,  --recurse=[ON|OFF]",
};
constexpr const char* kGroup7[] = {
    "-d #: insert delimeters of this (#) value between output fields.",
    "      default delimeter is pipe (|)",
    "      if delimeter is comma (,) then usual quotes for text strings implemented",
    "      --delimeter=\"|\", --delimeter=#, --delimeter=pipe",
};
constexpr const char* kGroup8[] = {
    "-1 +  filename: to contain logging information.                 [ACCT=filename]",
    "      default logging file can also be set in environment by SET ACCT=filename",
    "      --accounting=filename, --logfile=filename",
    "",
};

constexpr UsageGroup kGroups[kUsageGroupCount] = {
    {kGroup1, sizeof kGroup1 / sizeof kGroup1[0], 9},
    {kGroup2, sizeof kGroup2 / sizeof kGroup2[0], 4},
    {kGroup3, sizeof kGroup3 / sizeof kGroup3[0], 7},
    {kGroup4, sizeof kGroup4 / sizeof kGroup4[0], 8},
    {kGroup5, sizeof kGroup5 / sizeof kGroup5[0], 4},
    {kGroup6, sizeof kGroup6 / sizeof kGroup6[0], 2},
    {kGroup7, sizeof kGroup7 / sizeof kGroup7[0], 4},
    {kGroup8, sizeof kGroup8 / sizeof kGroup8[0], 5},
};

}  // namespace

const UsageGroup& usage_group(std::size_t index) {
  return kGroups[index % kUsageGroupCount];
}

}  // namespace mailsift
