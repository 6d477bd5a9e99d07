// The message scanner's buffers, allocated once and reused for every message.
// Each scanning thread needs a workspace of its own; nothing else is shared.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/digest.h"

#include "scan/decoded_fields.h"
#include "scan/header_record.h"
#include "scan/own_header.h"
#include "util/text_reader.h"

namespace mailsift {

struct ScanWorkspace {
  ScanWorkspace() = default;
  // With a reader buffer of `reader_buffer` bytes (tests try odd sizes).
  explicit ScanWorkspace(std::size_t reader_buffer) : reader(reader_buffer) {}

  TextReader reader;
  std::string line;   // the line in hand
  std::string ahead;  // a line read ahead by a capture rule
  HeaderRecord record;
  platform::DigestSet digests;  // of the bytes read, when digests are asked for
  std::vector<char> rest;       // what a scan leaves unread, read for the digests
  // The structured formats' decoded fields: the message's own header block
  // as collected, and the decoder that makes the fields from it.
  OwnHeaderCollector own_header;
  FieldDecoder field_decoder;
};

}  // namespace mailsift
