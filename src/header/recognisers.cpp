#include "header/recognisers.h"

#include "config/numbers.h"
#include "header/line_cleaning.h"

namespace mailsift {

namespace {

using Record = HeaderRecord;

bool starts_exact(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

bool is_from(const Record&, std::string_view line) {
  return istarts_with(line, "From:");
}
bool is_to(const Record&, std::string_view line) {
  return istarts_with(line, "To:");
}
bool is_cc(const Record&, std::string_view line) {
  return istarts_with(line, "Cc:");
}
bool is_bcc(const Record&, std::string_view line) {
  return istarts_with(line, "Bcc:");
}
bool is_date(const Record&, std::string_view line) {
  return starts_exact(line, "Date:");
}
bool is_sent(const Record&, std::string_view line) {
  return starts_exact(line, "Sent:");
}
bool is_subject(const Record&, std::string_view line) {
  return istarts_with(line, "Subject:");
}

bool is_read_flags(const Record&, std::string_view line) {
  return find_text(line, "Mapi-Message-Flags:") != kNotFound;
}

bool is_mozilla_status(const Record&, std::string_view line) {
  return starts_exact(line, "X-Mozilla-Status:");
}

bool is_attachment_keyword(const Record&, std::string_view line) {
  return find_text(line, "Attachment:") != kNotFound ||
         find_text(line, "name=Attach") != kNotFound ||
         find_text(line, "filename=\"") != kNotFound ||
         find_text(line, "Attachment Converted:") != kNotFound ||
         find_text(line, "X-Attachments:") != kNotFound;
}

bool is_forwarded_message(const Record&, std::string_view line) {
  return find_text(line, "Content-Type: message") != kNotFound;
}

// Only after a Mapi-Hasattach line that is not "True", and only when some text
// follows the keyword.
bool is_content_type_name(const Record& record, std::string_view line) {
  return record.attach_by_content_type && starts_exact(line, "Content-Type:") &&
         find_text(line, "Content-Type:") != kNotFound;
}

bool is_received_from(const Record&, std::string_view line) {
  return istarts_with(line, "Received: from");
}

bool is_originating_ip(const Record&, std::string_view line) {
  return istarts_with(line, "X-Originating-IP:");
}

bool is_received_by(const Record&, std::string_view line) {
  return istarts_with(line, "Received: by ");
}

constexpr std::size_t kFirstRelayRecogniser = 12;

}  // namespace

const Recogniser kRecognisers[kRecogniserCount] = {
    {"From", is_from, capture_from},
    {"To", is_to, capture_to},
    {"CC", is_cc, capture_cc},
    {"Bcc", is_bcc, capture_bcc},
    {"Date", is_date, capture_date},
    {"Sent", is_sent, capture_sent},
    {"Subject", is_subject, capture_subject},
    {"Read flags", is_read_flags, capture_read_flags},
    {"Mozilla status", is_mozilla_status, capture_mozilla_status},
    {"Attachment keyword", is_attachment_keyword, capture_attachment_keyword},
    {"Forwarded message", is_forwarded_message, capture_forwarded_message},
    {"Content-type name", is_content_type_name, capture_content_type_name},
    {"Bracketed address", is_received_from, capture_bracketed_address},
    {"Bracketed address", is_originating_ip, capture_bracketed_address},
    {"Receiving host", is_received_by, capture_receiving_host},
};

bool offer_line(RuleContext& ctx, std::string& line, std::size_t first, std::size_t last) {
  for (std::size_t i = first; i < last; ++i) {
    const Recogniser& r = kRecognisers[i];
    if (r.accepts(ctx.record, line)) {
      r.capture(ctx, line);
      return true;
    }
  }
  return false;
}

bool offer_to_relay_recognisers(RuleContext& ctx, std::string& line) {
  return offer_line(ctx, line, kFirstRelayRecogniser, kRecogniserCount);
}

}  // namespace mailsift
