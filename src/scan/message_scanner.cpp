#include "scan/message_scanner.h"

#include "scan/capture_rules.h"
#include "scan/line_cleaning.h"
#include "scan/recognisers.h"

namespace mailsift {

namespace {

// Bits of the reader's answer for the bytes scan_lines watches.
constexpr unsigned kColonBit = 4u;
constexpr unsigned kEqualsBit = 8u;

// A "Mapi-Hasattach:" line that is not exactly "True" switches on the
// Content-type name rule for the rest of the message.
void note_attachment_flag(HeaderRecord& rec, const LineFacts& line) {
  if (rec.attach_by_content_type || !line.has_colon) return;
  if (find_text(line.text, SearchText("Mapi-Hasattach:")) == kNotFound) return;
  if (line.text.find("True") != std::string_view::npos) return;
  rec.attach_by_content_type = true;
}

}  // namespace

bool scan_lines(ScanWorkspace& ws, char delimiter, InterruptCheck interrupted,
                bool collect_own_header) {
  HeaderRecord& rec = ws.record;
  rec.clear();
  // The decoded fields' hook. The rule: while in the message's own header
  // block, every raw line goes to the collector, once, in order. The reader
  // hands each line over as it delivers it, so the lines the capture rules
  // read ahead count too; and while it does, it skips no line, so the
  // continuation lines, which hold no ":", are not passed over. The
  // collector lets go at the block's empty line; from there on the loop runs
  // as it does without it. The delimited report never sets this.
  if (collect_own_header) {
    ws.own_header.reset();
    ws.reader.observe(&ws.own_header);
  }
  RuleContext ctx{rec, ws.reader, ws.ahead, delimiter};
  // The reader tells which of these a line holds without searching it again.
  ws.reader.watch_bytes(std::string_view("\0<:=", 4));
  // Only a line feed ends a line; a CR that ends the data is the first half
  // of a line end, not part of the text.
  ws.reader.drop_cr_at_end(true);
  std::string_view raw;
  for (;;) {
    if (interrupted != nullptr && interrupted()) return false;
    // Lines without ":" or "=" are passed over unread (see below).
    ws.reader.skip_lines_without(kColonBit | kEqualsBit, kLineBufferSize);
    // Most lines are looked at where they lie in the reader's buffer; only a
    // line that cleaning changes or a recogniser takes is copied.
    if (!ws.reader.read_line_view(raw, ws.line, kLineBufferSize)) return true;
    const unsigned holds = ws.reader.line_holds(raw);
    // Every text the recognisers look for holds a ":" or a "=", and cleaning
    // adds neither: a line without them (most body text) has nothing to give.
    if ((holds & (kColonBit | kEqualsBit)) == 0) continue;
    ByteCensus census{(holds & 1u) != 0, (holds & 2u) != 0, (holds & 4u) != 0, (holds & 8u) != 0};
    const std::string_view text = clean_line_view(raw, ws.line, census);
    const LineFacts facts(text, census);
    note_attachment_flag(rec, facts);
    offer_line(ctx, ws.line, facts);
  }
}

bool scan_message(ScanWorkspace& ws, ByteSource* source, const ScanOptions& options,
                  CapturedFields& fields, InterruptCheck interrupted) {
  ws.reader.reset(source);
  const bool complete = scan_lines(ws, options.delimiter, interrupted, options.decode_fields);
  fields.swap(ws.record);
  ws.reader.reset(nullptr);
  return complete;
}

}  // namespace mailsift
