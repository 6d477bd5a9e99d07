#include "scan/message_scanner.h"

#include "scan/capture_rules.h"
#include "scan/line_cleaning.h"
#include "scan/recognisers.h"

namespace mailsift {

namespace {

// A "Mapi-Hasattach:" line that is not exactly "True" switches on the
// Content-type name rule for the rest of the message.
void note_attachment_flag(HeaderRecord& rec, const LineFacts& line) {
  if (rec.attach_by_content_type || (line.contained() & kHasattachText) == 0) return;
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
  TextReader& reader = ws.reader;
  // The reader indexes, 64 bytes at a time where it works, the bytes that
  // decide a line's fate. Marks: every text a recogniser accepts holds a ":" or a
  // "=", and cleaning adds neither, so a line without them (most body text)
  // has nothing to give and is passed over unread and uncleaned. Odd bytes:
  // only a NUL or a "<" lets cleaning change a line's bytes; any other line
  // is cleaned where it lies, by trimming its ends.
  reader.index_bytes(":=", std::string_view("\0<", 2));
  // Only a line feed ends a line; a CR that ends the data is the first half
  // of a line end, not part of the text.
  reader.drop_cr_at_end(true);
  std::string_view raw;
  for (;;) {
    if (interrupted != nullptr && interrupted()) return false;
    // The next line with a mark. Most lines are looked at where they lie in
    // the reader's buffer; only a line that cleaning changes or a recogniser
    // takes is copied. (Where every raw line must be seen, such as the lines
    // of the message's own header block, read_line_view and line_classes
    // give the same line and classes without passing over any.)
    unsigned classes = 0;
    if (!reader.read_marked_line(raw, ws.line, kLineBufferSize, classes)) return true;
    // Most "<" open an address, not a tag: such a line is cleaned in place.
    bool changed = false;
    if ((classes & TextReader::kHoldsOdd) != 0) {
      reader.visit_odd(raw, [&](std::size_t at) { changed = changed || changes_at(raw, at); });
    }
    const std::string_view text = clean_line_view(raw, ws.line, changed);
    const LineFacts facts(text, contained_texts(text, reader));
    note_attachment_flag(rec, facts);
    offer_scanned_line(ctx, facts);
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
