// Dates, subject, read status and attachments.
#include "scan/capture_rules.h"

#include <algorithm>
#include <charconv>

#include "util/numbers.h"
#include "scan/date_parser.h"
#include "scan/line_cleaning.h"
#include "scan/recognisers.h"

namespace mailsift {

namespace {

void next_count(std::int32_t& counter) {
  counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1u);
}

constexpr std::string_view kAttachmentInfo = "Attachment info: ";

// The text from `start` to the first ";" at or after it, else to the end.
std::string_view up_to_semicolon(std::string_view line, std::size_t start) {
  std::size_t end = find_byte(line, ';', start);
  return line.substr(start, end == kNotFound ? kNotFound : end - start);
}

void parse_once(HeaderRecord& rec, std::string_view line) {
  if (rec.date_done) return;
  parse_header_date(line, rec.parsed);
  rec.date_done = true;
}

// Appends `text` with every TAB made a space.
void append_without_tabs(std::string& field, std::string_view text) {
  const std::size_t at = field.size();
  field.append(text);
  std::replace(field.begin() + static_cast<std::ptrdiff_t>(at), field.end(), '\t', ' ');
}

void set_read_verdict(HeaderRecord& rec, std::string_view verdict) {
  rec.message_read.clear();
  append_label(rec.message_read, rec.counters.read_status);
  rec.message_read.append(verdict);
}

}  // namespace

void append_long_label(std::string& field, std::int32_t& counter, bool body) {
  // Built whole, then appended once: "(#", the number or "body", ":) ".
  char label[24] = {'(', '#'};
  char* end = label + 2;
  if (body) {
    end = std::copy_n("body", 4, end);
  } else {
    end = std::to_chars(end, label + 16, counter).ptr;
  }
  end = std::copy_n(":) ", 3, end);
  field.append(label, end);
  next_count(counter);
}

void capture_date(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  append_label(rec.date, rec.counters.date);
  const std::size_t at = rec.date.size();
  rec.date.append(line);
  // A delimiter or TAB right after the keyword becomes a space, in the field
  // and for the date reading, which reads the field's copy.
  if (line.size() > 5 && (line[5] == ctx.delimiter || line[5] == '\t')) rec.date[at + 5] = ' ';
  parse_once(rec, std::string_view(rec.date).substr(at));
  append_separator(rec.date);
}

void capture_sent(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  append_entry(rec.forward_dates, rec.counters.sent, line);
  if (rec.date_done) return;
  append_entry(rec.date, rec.counters.date, line);
  parse_once(rec, line);
}

void capture_subject(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  append_entry(rec.subject, rec.counters.subject, line);
  rec.in_header = false;
}

void capture_read_flags(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  if (find_text(line, "(read") != kNotFound || find_text(line, " read") != kNotFound) {
    set_read_verdict(rec, " YES ");
  } else {
    rec.message_read.clear();
  }
}

void capture_mozilla_status(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  std::size_t colon = find_byte(line, ':');
  std::int32_t status =
      colon == kNotFound ? 0 : read_int32(line.substr(colon + 1));
  set_read_verdict(rec, (status % 2 != 0) ? " YES " : " NO/Unknown ");
}

void capture_attachment_keyword(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  append_label(rec.attachment_info, rec.counters.attachment);
  rec.attachment_info.append(kAttachmentInfo);
  // The text searched for holds no white space, so it is found at the same
  // place before the TABs become spaces as after.
  std::size_t start = find_text(line, "filename=");
  if (start == kNotFound) start = 0;
  append_without_tabs(rec.attachment_info, up_to_semicolon(line, start));
  append_separator(rec.attachment_info);
}

void capture_forwarded_message(RuleContext& ctx, std::string_view) {
  HeaderRecord& rec = ctx.record;
  std::string_view next;
  if (!read_ahead(ctx, next)) return;
  append_label(rec.attachment_info, rec.counters.attachment);
  rec.attachment_info.append(kAttachmentInfo);
  // The line end and the character before it (often a closing quote) go.
  remove_line_end(next);
  if (!next.empty()) next.remove_suffix(1);
  std::size_t start = find_text(next, "name=");
  if (start == kNotFound) start = 0;
  append_without_tabs(rec.attachment_info, up_to_semicolon(next, start));
  append_separator(rec.attachment_info);
}

void capture_content_type_name(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  std::size_t start = find_text(line, "name=");
  if (start != kNotFound) {
    append_label(rec.attachment_info, rec.counters.content_type);
    rec.attachment_info.append(kAttachmentInfo);
    std::size_t charset = find_text(line, "charset");
    std::string_view text(line);
    if (charset != kNotFound && charset > start) {
      text = text.substr(start, charset - start);
    } else {
      text = text.substr(start);
    }
    rec.attachment_info.append(text);
    append_separator(rec.attachment_info);
    return;
  }
  // The name is expected on the next line.
  std::string_view next;
  if (!read_ahead(ctx, next)) return;
  remove_line_end(next);
  if (find_text(next, "name=") == kNotFound) {
    offer_to_relay_recognisers(ctx, next);
    return;
  }
  append_label(rec.attachment_info, rec.counters.content_type);
  rec.attachment_info.append(kAttachmentInfo);
  const std::size_t at = rec.attachment_info.size();
  rec.attachment_info.append(next.substr(0, find_text(next, "charset")));
  // A TAB that starts the line becomes a space.
  if (!next.empty() && next[0] == '\t' && rec.attachment_info.size() > at) {
    rec.attachment_info[at] = ' ';
  }
  append_separator(rec.attachment_info);
}

}  // namespace mailsift
