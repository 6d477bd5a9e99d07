#include "config/ini_directives.h"

#include <array>

#include "config/ini_handlers.h"
#include "util/numbers.h"
#include "app/run_context.h"

namespace mailsift {

namespace {

using namespace ini;

enum class Match { kBegins, kContains };

using Apply = void (*)(RunContext&, const IniLine&);

struct Directive {
  std::array<std::string_view, 4> names;
  Match match;
  Apply apply;
};

void all_hash_times(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file modifier at: %s", l, 2);
    return;
  }
  if (value_on(l)) {
    s.all_times = 1;
    s.military_time = 1;
    s.time_letter = '3';
    s.all_hash_times = 1;
    s.hash_on = 1;
  }
  if (value_off(l)) {
    s.all_times = 0;
    s.all_hash_times = 0;
  }
}

void all_times(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value || value_on(l)) {
    s.all_times = 1;
    s.military_time = 1;
    s.time_letter = '3';
  }
  if (value_off(l)) s.all_times = 0;
}

void append(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.append_output, 1, l);
}
void auto_width(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.auto_width, 1, l);
}

void comment(RunContext& ctx, const IniLine& l) {
  ctx.settings.comment_on = 1;
  if (l.has_value) ctx.settings.comment_text = std::string(l.value);
}

void crc(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.crc_on, 1, l);
}

void extension_mode(RunContext& ctx, const IniLine&) {
  ctx.settings.ext_mode = 2;
  ctx.settings.ext_on = 1;
}

void fdi(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nMissing/Illegal ini file directive %s", l, 2);
    return;
  }
  if (value_on(l)) {
    s.begin_offset = 512;
    s.fdi_on = 1;
  }
  if (value_off(l)) {
    s.begin_offset = 0;
    s.fdi_on = 0;
  }
}

void hash(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.hash_on, 1, l);
}
void immediate(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.immediate, 1, l);
}

void military(RunContext& ctx, const IniLine& l) {
  if (value_on(l)) ctx.settings.military_time = 1;
  if (value_off(l)) ctx.settings.military_time = 0;
}

void name_only(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.name_only, 1, l);
}
void path_only(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.path_only, 1, l);
}
void pause(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.pause_on, 1, l);
}

void recurse(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file directive at: %s", l, 2);
    return;
  }
  if (value_on(l)) ctx.settings.recurse = 1;
  if (value_off(l)) ctx.settings.recurse = 0;
}

void reset(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.reset_access, 1, l);
}

void reverse(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  s.reverse_on = 1;
  if (value_on(l)) s.reverse_on = 1;
  if (l.has_value && (has(l.value, "OFF") || has(l.value, "NO"))) s.reverse_on = 0;
}

void sha(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.sha1_on, 1, l);
}
void silent(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.quiet, 0, l);
}

void split(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  s.quiet += 1;
  if (!l.has_value) {
    warn(ctx, "\nIllegal ini file directive %s", l, 2);
    s.split_log = 0;
    return;
  }
  s.split_log = 1;
}

void streams(RunContext& ctx, const IniLine& l) {
  set_switch(ctx.settings.streams_on, 0, l);
  if (!l.has_value) warn(ctx, "\nIllegal ini file directive %s", l, 2);
}

void sort(RunContext& ctx, const IniLine&) {
  ctx.settings.sort_on = 1;
}
void variable_width(RunContext& ctx, const IniLine&) {
  ctx.settings.variable_width = 1;
}

void zulu(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  s.military_time = 1;
  if (!l.has_value) {
    warn(ctx, "\nIllegal ini file directive %s", l, 2);
    return;
  }
  if (value_on(l)) s.zulu_time = 1;
  if (value_off(l)) s.zulu_time = 0;
}

void long_names(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  s.lfn_mode = 0;
  if (value_on(l)) s.lfn_mode = 2;
  if (value_off(l)) s.lfn_mode = 0;
  if (!l.has_value) return;
  std::size_t digit = l.value.find_first_of("0123456789");
  if (digit != std::string_view::npos) s.short_name_width = read_int32(l.value.substr(digit));
}

void short_names(RunContext& ctx, const IniLine&) {
  ctx.settings.lfn_mode = 1;
}

// Tried in this order; the first match wins, so a "contains" directive early
// in the table can take a line meant for a later one (OUTPUT=/X/OLDER.TXT is
// an OLDER line).
constexpr Directive kDirectives[] = {
    {{"ACCT", "ACCTING", "ACCOUNT", "LOG"}, Match::kBegins, accounting},
    {{"ALL_HT"}, Match::kBegins, all_hash_times},
    {{"ALL_TIMES", "ALLTIMES"}, Match::kBegins, all_times},
    {{"APPEND"}, Match::kBegins, append},
    {{"AUTO"}, Match::kBegins, auto_width},
    {{"COMMENT"}, Match::kBegins, comment},
    {{"CRC"}, Match::kBegins, crc},
    {{"DELIM"}, Match::kContains, delimiter},
    {{"DISPLACE"}, Match::kContains, displace},
    {{"EXC", "X="}, Match::kBegins, exclusion},
    {{"EXT"}, Match::kBegins, extension_mode},
    {{"FILE"}, Match::kBegins, file_pattern},
    {{"FDI"}, Match::kBegins, fdi},
    {{"GREATER", "LARGER", "BIGGER"}, Match::kContains, size_greater},
    {{"HASH"}, Match::kBegins, hash},
    {{"IMMEDIATE", "NO_COUNT"}, Match::kContains, immediate},
    {{"LESSTHAN", "SMALLER"}, Match::kContains, size_less},
    {{"MILITARY"}, Match::kContains, military},
    {{"NAMEONLY"}, Match::kBegins, name_only},
    {{"NEWER", "YOUNGER"}, Match::kContains, newer},
    {{"OLDER"}, Match::kContains, older},
    {{"OUTPUT"}, Match::kBegins, output},
    {{"PATH"}, Match::kBegins, root_path},
    {{"PPATHONLY"}, Match::kBegins, path_only},
    {{"PAUSE"}, Match::kContains, pause},
    {{"RECURSE"}, Match::kContains, recurse},
    {{"RESET"}, Match::kContains, reset},
    {{"REVERSE"}, Match::kBegins, reverse},
    {{"SHA"}, Match::kBegins, sha},
    {{"SILENT", "VERBOSE"}, Match::kContains, silent},
    {{"SPLIT"}, Match::kBegins, split},
    {{"STREAM"}, Match::kBegins, streams},
    {{"SORT"}, Match::kBegins, sort},
    {{"TIME"}, Match::kContains, time_letter},
    {{"VAR"}, Match::kBegins, variable_width},
    {{"WIDTH"}, Match::kBegins, width},
    {{"ZULU"}, Match::kContains, zulu},
    {{"LFN"}, Match::kContains, long_names},
    {{"8.3"}, Match::kContains, short_names},
};

bool matches(const Directive& d, std::string_view line) {
  for (std::string_view name : d.names) {
    if (name.empty()) continue;
    if (d.match == Match::kBegins ? line.substr(0, name.size()) == name : has(line, name)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool apply_ini_directive(RunContext& ctx, const IniLine& line) {
  for (const Directive& d : kDirectives) {
    if (matches(d, line.upper)) {
      d.apply(ctx, line);
      return true;
    }
  }
  return false;
}

}  // namespace mailsift
