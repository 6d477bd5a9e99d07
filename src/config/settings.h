// The run's settings: one record filled by the defaults, the environment, the
// INI file and the command line (in that order, later sources win), then read
// through const references for the rest of the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mailsift {

struct Settings {
  // --- Fields that change what the program does --------------------------
  std::int32_t append_output = 0;
  std::int32_t change_attributes = 0;
  std::int32_t auto_width = 0;
  std::int32_t accounting_on = 0;
  std::int32_t dirsize_mode = 0;
  std::int32_t size_greater_on = 0;
  std::int32_t size_less_on = 0;
  std::int32_t max_level = 0;    // depth limit plus one; 0: none
  std::int32_t name_width = 0;   // 32 once the program defaults are set
  std::int32_t output_mode = 0;  // 0 stdout, 1 named file, -1 "stdout" keyword
  std::int32_t quote_fields = 0;
  std::int32_t recurse = 0;  // 1 once the program defaults are set
  std::int32_t split_log = 0;
  std::int32_t time_letter = 0;  // 'w' once the environment step ran
  std::int32_t quiet = 0;
  std::int32_t zulu_time = 0;
  std::int32_t immediate = 0;
  std::int32_t exclusions_on = 0;
  std::int32_t file_list_on = 0;
  std::int32_t age_filter_on = 0;
  std::int32_t older_than_date = 0;
  std::int32_t newer_than_date = 0;

  // --- Accepted and stored; no output of this program depends on them ------
  std::int32_t access_option = 0;
  std::int32_t ads_option = 0;
  std::int32_t all_times = 0;
  std::int32_t all_hash_times = 0;
  std::int32_t comment_on = 0;
  std::int32_t crc_on = 0;
  std::int32_t delimiter_set = 0;
  std::int32_t level_limit_on = 0;
  std::int32_t dirsize_on = 0;
  std::int32_t ext_on = 0;
  std::int32_t ext_mode = 0;
  std::int32_t fdi_on = 0;
  std::int32_t hash_on = 0;
  std::int32_t hashset_on = 0;
  std::int32_t military_time = 0;
  std::int32_t name_only = 0;
  std::int32_t path_only = 0;
  std::int32_t name_after_on = 0;
  std::int32_t pause_on = 0;
  std::int32_t reset_access = 0;
  std::int32_t sha1_on = 0;
  std::int32_t sha256_on = 0;
  std::int32_t sha384_on = 0;
  std::int32_t sha512_on = 0;
  std::int32_t lfn_mode = 0;
  std::int32_t showat_on = 0;
  std::int32_t sort_on = 0;
  std::int32_t streams_on = 0;  // 1 once the program defaults are set
  std::int32_t reverse_on = 0;
  std::int32_t utf_on = 0;
  std::int32_t create_on = 0;
  std::int32_t sequence_on = 0;
  std::int32_t show_sha_credits = 0;
  std::int32_t width_style = 0;
  std::int32_t variable_width = 0;
  std::int32_t time_letter_set = 0;

  // --- Run-wide values beside the record ----------------------------------
  char delimiter = '|';
  std::string accounting_path;
  std::string output_path;
  std::string split_log_path;
  std::int64_t size_greater = 0;
  std::int64_t size_less = 0;
  std::int32_t older_days = 0;
  std::int32_t newer_days = 8000;
  std::uint64_t older_bound = 0;  // file times
  std::uint64_t newer_bound = 0;
  char date_letter_a = 0;
  char date_letter_c = 0;
  char date_letter_w = 0;
  std::uint32_t attr_add_mask = 0;
  std::uint32_t attr_remove_mask = 0;
  std::string comment_text;
  std::int32_t comment_width = 0;
  std::int32_t name_after = 0;
  std::int64_t begin_offset = 0;
  std::int64_t end_offset = 0;
  std::int32_t short_name_width = 0;
  // Scanning threads; 0: one per online core.
  std::int32_t jobs = 0;
  // The report's format: kFormatDelimited (the default), kFormatCsv or
  // kFormatJsonLines.
  std::int32_t output_format = 0;
};

inline constexpr std::int32_t kFormatDelimited = 0;
inline constexpr std::int32_t kFormatCsv = 1;
inline constexpr std::int32_t kFormatJsonLines = 2;

// What the walk looks for: search roots (absolute, without a trailing
// separator except a file-system root's own), name patterns (as given) and
// exclusions (upper-cased), each in order of addition.
struct RunLists {
  std::vector<std::string> roots;
  std::vector<std::string> name_patterns;
  std::vector<std::string> exclusions;
};

// The defaults the program sets before reading any option (after the
// environment step): name width 32, military time, streams, recursion on.
void apply_program_defaults(Settings& settings);

}  // namespace mailsift
