#include "scan/own_header.h"

#include "util/ascii.h"

namespace mailsift {

void OwnHeaderCollector::reset() {
  for (std::string& value : values_) value.clear();
  present_.fill(false);
  current_ = -1;
  mid_line_ = false;
  ended_ = false;
}

void OwnHeaderCollector::append(std::string_view text) {
  std::string& value = values_[static_cast<std::size_t>(current_)];
  const std::size_t room = kMaxFieldBytes - value.size();
  value.append(text.substr(0, room));
}

int OwnHeaderCollector::field_started(std::string_view text, std::size_t& value_begin) const {
  // The first letter picks the one name to compare: most header lines
  // (Received, X-..., Content-...) cost a single switch.
  std::string_view name;
  OwnField field;
  switch (ascii_lower(text[0])) {
    case 'm':
      name = "message-id";
      field = OwnField::kMessageId;
      break;
    case 'f':
      name = "from";
      field = OwnField::kFrom;
      break;
    case 't':
      name = "to";
      field = OwnField::kTo;
      break;
    case 'c':
      name = "cc";
      field = OwnField::kCc;
      break;
    case 's':
      name = "subject";
      field = OwnField::kSubject;
      break;
    case 'd':
      name = "date";
      field = OwnField::kDate;
      break;
    default:
      return -1;
  }
  // The first letter matched; the name is lower case already.
  if (text.size() < name.size()) return -1;
  for (std::size_t k = 1; k < name.size(); ++k) {
    if (ascii_lower(text[k]) != name[k]) return -1;
  }
  std::size_t i = name.size();
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i == text.size() || text[i] != ':' || present_[index(field)]) return -1;
  value_begin = i + 1;
  return static_cast<int>(field);
}

bool OwnHeaderCollector::feed(std::string_view line) {
  if (ended_) return false;
  const bool same_line = mid_line_;
  mid_line_ = line.empty() || line.back() != '\n';
  std::string_view text = line;
  if (!mid_line_) text.remove_suffix(1);
  if (same_line) {  // the rest of a line longer than a piece
    if (current_ >= 0) append(text);
    return true;
  }
  // The empty line; a lone CR before the line end counts as nothing.
  if (!mid_line_ && (text.empty() || text == "\r")) {
    ended_ = true;
    current_ = -1;
    return false;
  }
  if (text.empty()) return true;
  if (text[0] == ' ' || text[0] == '\t') {  // a continuation line
    if (current_ >= 0) append(text);
    return true;
  }
  std::size_t value_begin = 0;
  current_ = field_started(text, value_begin);
  if (current_ >= 0) {
    present_[static_cast<std::size_t>(current_)] = true;
    append(text.substr(value_begin));
  }
  return true;
}

}  // namespace mailsift
