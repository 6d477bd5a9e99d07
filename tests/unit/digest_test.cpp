#include "platform/digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace mailsift::platform {
namespace {

constexpr DigestRequest kAll = DigestRequest()
                                   .add(DigestKind::kCrc32)
                                   .add(DigestKind::kMd5)
                                   .add(DigestKind::kSha1)
                                   .add(DigestKind::kSha256)
                                   .add(DigestKind::kSha384)
                                   .add(DigestKind::kSha512);

// Published test vectors, one column per input.
struct Vectors {
  DigestKind kind;
  const char* name;
  const char* empty;
  const char* abc;
  const char* million_a;
};
const Vectors kVectors[] = {
    {DigestKind::kCrc32, "crc32", "00000000", "352441c2", "dc25bfbc"},
    {DigestKind::kMd5, "md5", "d41d8cd98f00b204e9800998ecf8427e",
     "900150983cd24fb0d6963f7d28e17f72", "7707d6ae4e027c70eea2a935c2296f21"},
    {DigestKind::kSha1, "sha1", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
     "a9993e364706816aba3e25717850c26c9cd0d89d", "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    {DigestKind::kSha256, "sha256",
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    {DigestKind::kSha384, "sha384",
     "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f14898b"
     "95b",
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c82"
     "5a7",
     "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd87f3d8"
     "985"},
    {DigestKind::kSha512, "sha512",
     "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877ee"
     "c2f63b931bd47417a81a538327af927da3e",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fee"
     "bbd454d4423643ce80e2a9ac94fa54ca49f",
     "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c"
     "31beb009c5c2c49aa2e4eadb217ad8cc09b"},
};

std::size_t at(DigestKind kind) {
  return static_cast<std::size_t>(kind);
}

// Feeds a million 'a' in pieces of odd sizes, crossing every block boundary.
void feed_million_a(DigestSet& set) {
  static const std::string block(65537, 'a');
  const std::size_t sizes[] = {1, 3, 63, 127, 4099, 65537};
  std::size_t left = 1000000;
  for (std::size_t i = 0; left > 0; ++i) {
    const std::size_t n = std::min(left, sizes[i % std::size(sizes)]);
    set.update(block.data(), n);
    left -= n;
  }
}

TEST(DigestSet, KnownVectorsForEveryDigestInOneSet) {
  DigestSet set;
  ASSERT_TRUE(set.select(kAll)) << set.error_text();
  DigestHex empty, abc, million;
  // Three files in a row through the same set: each starts where finish left it.
  ASSERT_TRUE(set.finish(empty));
  set.update("abc", 3);
  ASSERT_TRUE(set.finish(abc));
  feed_million_a(set);
  ASSERT_TRUE(set.finish(million));
  for (const Vectors& v : kVectors) {
    EXPECT_EQ(digest_name(v.kind), v.name);
    EXPECT_EQ(empty[at(v.kind)], v.empty) << v.name;
    EXPECT_EQ(abc[at(v.kind)], v.abc) << v.name;
    EXPECT_EQ(million[at(v.kind)], v.million_a) << v.name;
  }
}

TEST(DigestSet, EachDigestAloneLeavesTheOthersEmpty) {
  DigestSet set;
  DigestHex out;
  out.fill("stale");
  for (const Vectors& v : kVectors) {
    ASSERT_TRUE(set.select(DigestRequest().add(v.kind))) << set.error_text();
    set.update("ab", 2);
    set.update("c", 1);
    ASSERT_TRUE(set.finish(out));
    for (std::size_t i = 0; i < kDigestKinds; ++i) {
      EXPECT_EQ(out[i], i == at(v.kind) ? v.abc : "") << v.name << " asked, text " << i;
    }
  }
}

TEST(DigestSet, ResetAndReselectDropEarlierInput) {
  DigestSet set;
  DigestHex out;
  ASSERT_TRUE(set.select(kAll));
  set.update("a file cut short", 16);
  set.reset();
  set.update("abc", 3);
  ASSERT_TRUE(set.finish(out));
  for (const Vectors& v : kVectors) EXPECT_EQ(out[at(v.kind)], v.abc) << "after reset: " << v.name;

  // Input fed under one request must not linger in a context that is asked
  // for again later.
  set.update("xyz", 3);
  ASSERT_TRUE(set.select(DigestRequest().add(DigestKind::kSha256)));
  set.update("xyz", 3);
  ASSERT_TRUE(set.select(kAll));
  set.update("abc", 3);
  ASSERT_TRUE(set.finish(out));
  for (const Vectors& v : kVectors) EXPECT_EQ(out[at(v.kind)], v.abc) << "reselected: " << v.name;
}

TEST(DigestSet, ThreadsWithASetEachAgree) {
  std::vector<std::thread> threads;
  std::vector<DigestHex> results(4);
  for (DigestHex& result : results) {
    threads.emplace_back([&result] {
      DigestSet set;
      if (!set.select(kAll)) return;
      feed_million_a(set);
      set.finish(result);
    });
  }
  for (std::thread& t : threads) t.join();
  for (const DigestHex& result : results) {
    for (const Vectors& v : kVectors) EXPECT_EQ(result[at(v.kind)], v.million_a) << v.name;
  }
}

}  // namespace
}  // namespace mailsift::platform
