// From, To, CC and Bcc: the address headers, with the From join and the
// folding of continuation lines.
#include "scan/capture_rules.h"
#include "scan/line_cleaning.h"

namespace mailsift {

namespace {

// A header written with the delimiter right after its keyword would open an
// extra column; that one character becomes a space.
void replace_delimiter_at(std::string& line, std::size_t index, char delimiter) {
  if (index < line.size() && line[index] == delimiter) line[index] = ' ';
}

// Starts with white space, or with ">" followed by white space.
bool continues_header(std::string_view line) {
  if (line.empty()) return false;
  if (is_c_space(line[0])) return true;
  return line[0] == '>' && line.size() > 1 && is_c_space(line[1]);
}

void capture_folded(RuleContext& ctx, std::string& line, std::string& field, std::int32_t& counter,
                    bool body) {
  append_label(field, counter, body);
  field.append(line);
  fold_continuation(ctx, field);
  field.append(kSeparator);
}

}  // namespace

void fold_continuation(RuleContext& ctx, std::string& field) {
  std::string& next = ctx.ahead;
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
    if (next[0] == '\t') next[0] = ' ';
    field.append(next);
    remove_line_end(field);
    if (!read_ahead(ctx, next)) return;
  }
}

void capture_from(RuleContext& ctx, std::string& line) {
  HeaderRecord& rec = ctx.record;
  replace_delimiter_at(line, 5, ctx.delimiter);
  // A soft line break ("=" at the end) or a cut-short line continues on the
  // next line, whatever that line holds.
  if ((!line.empty() && line.back() == '=') || line.size() < 10) {
    remove_last_char(line);
    if (read_ahead(ctx, ctx.ahead)) {
      line.append(ctx.ahead);
      remove_line_end(line);
    }
    tabs_to_spaces(line);
  }
  bool body = !rec.in_header && rec.from_seen;
  rec.from_seen = true;
  append_entry(rec.from, rec.counters.from, line, body);
}

void capture_to(RuleContext& ctx, std::string& line) {
  HeaderRecord& rec = ctx.record;
  replace_delimiter_at(line, 3, ctx.delimiter);
  bool body = !rec.in_header && rec.to_seen;
  rec.to_seen = true;
  capture_folded(ctx, line, rec.to, rec.counters.to, body);
}

void capture_cc(RuleContext& ctx, std::string& line) {
  HeaderRecord& rec = ctx.record;
  replace_delimiter_at(line, 3, ctx.delimiter);
  capture_folded(ctx, line, rec.cc, rec.counters.cc, !rec.in_header);
}

void capture_bcc(RuleContext& ctx, std::string& line) {
  HeaderRecord& rec = ctx.record;
  replace_delimiter_at(line, 4, ctx.delimiter);
  capture_folded(ctx, line, rec.bcc, rec.counters.bcc, !rec.in_header);
}

}  // namespace mailsift
