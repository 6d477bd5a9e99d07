// Test helper: prints the decoded fields of message files as JSON Lines, one
// object per file with its "Filename", through the same components the
// scanner uses (the text reader, the own-header collector, the field
// decoder). decoded_fields_test.py runs it against Python's email package.
//
//   mailsift_decode_probe PATH...   (a directory stands for its files)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "scan/capture_rules.h"
#include "scan/decoded_fields.h"
#include "report/structured_row.h"
#include "util/text_reader.h"

namespace {

using namespace mailsift;

void append_field(std::string& out, const char* key, const OptionalText& value) {
  out.push_back(',');
  append_json_string(out, key);
  out.push_back(':');
  if (value.present) {
    append_json_string(out, value.text);
  } else {
    out.append("null");
  }
}

bool probe(const std::string& path, TextReader& reader, OwnHeaderCollector& header,
           FieldDecoder& decoder, DecodedFields& fields, std::string& out) {
  platform::EntryInfo info;
  const int handle = platform::open_path(path, platform::OpenMode::kRead);
  if (handle < 0 || !platform::stat_path(path, info)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    if (handle >= 0) platform::close_handle(handle);
    return false;
  }
  HandleSource source(handle);
  reader.reset(&source);
  header.reset();
  std::string line;
  while (reader.read_line(line, kLineBufferSize) && header.feed(line)) {
  }
  reader.reset(nullptr);
  platform::close_handle(handle);
  decoder.decode(header, path, info.write_time, fields);

  out.assign("{");
  append_json_string(out, "Filename");
  out.push_back(':');
  append_json_string(out, path);
  append_field(out, "message_id", fields.message_id);
  append_field(out, "from_text", fields.from_text);
  append_field(out, "to_text", fields.to_text);
  append_field(out, "cc_text", fields.cc_text);
  append_field(out, "subject_text", fields.subject_text);
  append_field(out, "date_utc", fields.date_utc);
  append_field(out, "modified_utc", OptionalText{fields.modified_utc, true});
  append_field(out, "maildir_flags", OptionalText{fields.maildir_flags, true});
  out.append("}\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      std::vector<std::string> names;
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file()) names.push_back(entry.path().string());
      }
      std::sort(names.begin(), names.end());
      paths.insert(paths.end(), names.begin(), names.end());
    } else {
      paths.push_back(arg.string());
    }
  }
  TextReader reader;
  OwnHeaderCollector header;
  FieldDecoder decoder;
  DecodedFields fields;
  std::string out;
  int status = 0;
  for (const std::string& path : paths) {
    if (!probe(path, reader, header, decoder, fields, out)) status = 1;
  }
  return status;
}
