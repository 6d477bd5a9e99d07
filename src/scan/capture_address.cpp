// From, To, CC and Bcc: the address headers, with the From join and the
// folding of continuation lines.
#include <algorithm>

#include "scan/capture_rules.h"
#include "scan/line_cleaning.h"

namespace mailsift {

namespace {

// A header written with the delimiter right after its keyword would open an
// extra column; that one character, at `index` of the line appended to the
// field at `at`, becomes a space.
void replace_delimiter_at(std::string& field, std::size_t at, std::string_view line,
                          std::size_t index, char delimiter) {
  if (index < line.size() && line[index] == delimiter) field[at + index] = ' ';
}

// Starts with white space, or with ">" followed by white space.
bool continues_header(std::string_view line) {
  if (line.empty()) return false;
  if (is_c_space(line[0])) return true;
  return line[0] == '>' && line.size() > 1 && is_c_space(line[1]);
}

// The line's text (its delimiter after the keyword, at `keyword`, made a
// space), then its continuation lines.
void capture_folded(RuleContext& ctx, std::string_view line, std::size_t keyword,
                    std::string& field, std::int32_t& counter, bool body) {
  append_label(field, counter, body);
  const std::size_t at = field.size();
  field.append(line);
  replace_delimiter_at(field, at, line, keyword, ctx.delimiter);
  fold_continuation(ctx, field);
  append_separator(field);
}

}  // namespace

void fold_continuation(RuleContext& ctx, std::string& field) {
  std::string_view next;
  if (!read_ahead(ctx, next)) return;
  if (next.empty() || !(is_c_space(next[0]) || next[0] == '>')) {
    ctx.reader.push_back(next);
    return;
  }
  for (;;) {
    if (next.size() <= 3 || !continues_header(next)) {
      ctx.reader.push_back(next);
      return;
    }
    if (!field.empty() && field.back() == ',') field.pop_back();
    const std::size_t at = field.size();
    field.append(next);
    if (next[0] == '\t') field[at] = ' ';
    remove_line_end(field);
    if (!read_ahead(ctx, next)) return;
  }
}

void capture_from(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  bool body = !rec.in_header && rec.from_seen;
  rec.from_seen = true;
  std::string& field = rec.from;
  append_label(field, rec.counters.from, body);
  const std::size_t at = field.size();
  field.append(line);
  replace_delimiter_at(field, at, line, 5, ctx.delimiter);
  // A soft line break ("=" at the end) or a cut-short line continues on the
  // next line, whatever that line holds.
  if ((!line.empty() && line.back() == '=') || line.size() < 10) {
    if (field.size() > at) field.pop_back();
    std::string_view next;
    if (read_ahead(ctx, next)) {
      field.append(next);
      remove_line_end(field);
    }
    std::replace(field.begin() + static_cast<std::ptrdiff_t>(at), field.end(), '\t', ' ');
  }
  append_separator(field);
}

void capture_to(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  bool body = !rec.in_header && rec.to_seen;
  rec.to_seen = true;
  capture_folded(ctx, line, 3, rec.to, rec.counters.to, body);
}

void capture_cc(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  capture_folded(ctx, line, 3, rec.cc, rec.counters.cc, !rec.in_header);
}

void capture_bcc(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  capture_folded(ctx, line, 4, rec.bcc, rec.counters.bcc, !rec.in_header);
}

}  // namespace mailsift
