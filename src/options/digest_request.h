// The digests of a file's bytes a run asks for; the scanner computes them and
// the structured formats show them, in this order.
#pragma once

namespace mailsift {

// "-c" and long "CRC" ask for CRC-32 and withdraw SHA-1 and MD5; nothing else
// withdraws one.
struct DigestRequest {
  bool crc32 = false;
  bool md5 = false;
  bool sha1 = false;
  bool sha256 = false;
  bool sha384 = false;
  bool sha512 = false;

  bool any() const { return crc32 || md5 || sha1 || sha256 || sha384 || sha512; }
  // Whether the digest at `index` (0 crc32 to 5 sha512) is asked for.
  bool at(int index) const {
    const bool asked[] = {crc32, md5, sha1, sha256, sha384, sha512};
    return index >= 0 && index < 6 && asked[index];
  }
};

}  // namespace mailsift
