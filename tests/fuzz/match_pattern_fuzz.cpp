// The exclusion matcher, the name-pattern matcher and the exclusion test.
// Input: patterns separated by line feeds, a NUL, then the name. Properties:
// upper-casing the text is what match_pattern_upper_text does, and name
// patterns ignore the case of ASCII letters.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "walk/match_pattern.h"

namespace {

std::string ascii_upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string ascii_lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  const std::string_view input = fuzz::as_text(data, size);
  const std::size_t nul = input.find('\0');
  const std::string_view patterns_text = input.substr(0, nul);
  const std::string name(nul == std::string_view::npos ? "" : input.substr(nul + 1));
  const std::vector<std::string> patterns = fuzz::split(patterns_text, '\n');
  if (patterns.size() > 80) return 0;  // the most exclusions a run takes

  std::vector<std::string> exclusions;
  bool any = false;
  for (const std::string& pattern : patterns) {
    const bool plain = match_pattern(pattern, ascii_upper(name));
    FUZZ_CHECK(match_pattern_upper_text(pattern, name) == plain);
    const bool by_name = match_name_pattern(pattern, name);
    FUZZ_CHECK(match_name_pattern(pattern, ascii_upper(name)) == by_name);
    FUZZ_CHECK(match_name_pattern(ascii_lower(pattern), name) == by_name);
    exclusions.push_back(ascii_upper(pattern));
    any = any || match_pattern(exclusions.back(), ascii_upper(name));
  }
  FUZZ_CHECK(is_excluded(exclusions, name) == any);
  return 0;
}
