// What the walk and the file list read: where to look, what to select and
// what to do to each selected file. Filled by configuration, then read only.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mailsift {

// A whole number of days: the age limits.
using Days = std::chrono::duration<std::int32_t, std::ratio<86400>>;

// What the walk looks for: search roots (absolute, without a trailing
// separator except a file-system root's own), name patterns (as given) and
// exclusions (upper-cased), each in order of addition.
struct RunLists {
  std::vector<std::string> roots;
  std::vector<std::string> name_patterns;
  std::vector<std::string> exclusions;
};

// The age limits. Without date letters a file passes when
// older_than <= its age in days < newer_than, its age measured on the time
// `time_letter` names. A date value with the letter a, c or w marks that
// time instead: the file then passes when one marked time lies strictly
// between the bounds.
struct AgeFilter {
  bool on = false;
  // An older-than (newer-than) limit was given; in the INI file only by a date.
  bool older_given = false;
  bool newer_given = false;
  Days older_than{0};
  Days newer_than{8000};
  // File times: the newer-than date at 00:00 (01-01-1980 until one is given)
  // and the older-than date at 00:00 (the end of today until one is given).
  std::uint64_t newer_bound = 0;
  std::uint64_t older_bound = 0;
  bool access_marked = false;
  bool creation_marked = false;
  bool write_marked = false;
  // "a" or "A": last access, "c" or "C": creation, anything else: last write.
  char time_letter = 'w';
};

// The attribute change applied to every selected file.
struct AttributeChange {
  bool on = false;
  std::uint32_t added = 0;    // platform attribute bits
  std::uint32_t removed = 0;  // applied after the added ones
  // With the change on, only directories go on to the report.
  bool directories_only = false;
};

struct WalkOptions {
  bool recurse = true;
  // Subdirectories are entered while their depth (1 for a root's own) is
  // below the limit.
  std::optional<std::int32_t> depth_limit;
  bool exclusions_on = false;
  AgeFilter age;
  std::optional<std::int64_t> min_size;  // bytes, inclusive
  std::optional<std::int64_t> max_size;
  AttributeChange attributes;
  // The report's file times in UTC instead of local time.
  bool utc_times = false;
};

}  // namespace mailsift
