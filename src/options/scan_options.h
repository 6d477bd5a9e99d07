// What the scanner reads. Filled by configuration, then read only.
#pragma once

namespace mailsift {

// The digests of a file's bytes asked for. "-c" and long "CRC" ask for
// CRC-32 and withdraw SHA-1 and MD5; nothing else withdraws one.
struct DigestRequest {
  bool crc32 = false;
  bool md5 = false;
  bool sha1 = false;
  bool sha256 = false;
  bool sha384 = false;
  bool sha512 = false;
};

struct ScanOptions {
  // The report's delimiter as the capture rules see it: a header that puts
  // it right after its keyword gets a blank there. The structured formats
  // are made from rows delimited with "|".
  char delimiter = '|';
  DigestRequest digests;
};

}  // namespace mailsift
