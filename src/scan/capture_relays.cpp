// Recent IP: the relays of "Received:" and "X-Originating-IP:" lines.
#include "scan/capture_rules.h"
#include "scan/line_cleaning.h"

namespace mailsift {

void capture_bracketed_address(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  const std::size_t open = find_byte(line, '[');
  if (open == kNotFound) return;
  const std::size_t close = find_byte(line, ']', open);
  append_label(rec.recent_ip, rec.counters.ip);
  rec.recent_ip.append(line.substr(open, close == kNotFound ? kNotFound : close + 1 - open));
  // A relay's address is often on the folded line that follows.
  std::string_view next;
  if (read_ahead(ctx, next)) {
    const std::size_t next_open = find_text(next, "[");
    if (next_open != kNotFound) {
      std::size_t next_close = find_byte(next, ']', next_open);
      std::size_t end = next.size();
      if (next_close != kNotFound) {
        end = next_close + 1;
      } else if (next.back() == '\n') {
        end = next.size() - 1;
      }
      rec.recent_ip.append(next.substr(next_open, end - next_open));
    } else {
      ctx.reader.push_back(next);
    }
  }
  append_separator(rec.recent_ip);
}

void capture_receiving_host(RuleContext& ctx, std::string_view line) {
  HeaderRecord& rec = ctx.record;
  if (find_byte(line, '[') == kNotFound) return;
  // The host word starts at the 14th character, right after "Received: by ".
  constexpr std::size_t kWordStart = 13;
  if (line.size() <= kWordStart) return;
  std::size_t space = find_byte(line, ' ', kWordStart + 1);
  std::string_view word =
      line.substr(kWordStart, space == kNotFound ? kNotFound : space - kWordStart);
  append_entry(rec.recent_ip, rec.counters.ip, word);
}

}  // namespace mailsift
