// Pictures read from a file a piece at a time: the same picture whatever the
// piece size, holes of sparse files stepped over, and memory that cannot be
// had giving an empty picture instead of an abort.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "Pf1Bytes.h"
#include "graphics/Pf1.h"

namespace {

using pf1test::Bytes;

struct Pic : Pf1 {
  Pic() : Pf1(0, nullptr) {}
};

// A stream of random packets for a w x h picture (`extra` packets past its end).
Bytes randomStream(std::mt19937& rng, size_t pixels, int extra) {
  Bytes s;
  size_t made = 0;
  int after = 0;
  while (made < pixels || after++ < extra) {
    const unsigned kind = rng() % 8;
    if (kind == 0) {
      s.push_back(rng() % 2 ? 0x80 : 0x00);  // empty runs
      if (s.back() == 0x80) s.push_back(static_cast<unsigned char>(rng()));
    } else if (kind < 4) {
      const unsigned n = rng() % 128;
      s.push_back(static_cast<unsigned char>(0x80 | n));
      s.push_back(static_cast<unsigned char>(rng()));
      made += n;
    } else {
      const unsigned n = rng() % 128;
      s.push_back(static_cast<unsigned char>(n));
      for (unsigned i = 0; i < 2 * n; ++i) s.push_back(static_cast<unsigned char>(rng()));
      made += n;
    }
  }
  return s;
}

std::array<uint16_t, 256> randomPalette(std::mt19937& rng) {
  std::array<uint16_t, 256> pal{};
  for (auto& w : pal) w = static_cast<uint16_t>(rng() % 4 ? rng() : 0);
  return pal;
}

void expectSame(const Pf1& a, const Pf1& b, const std::string& what) {
  EXPECT_EQ(a.width, b.width) << what;
  EXPECT_EQ(a.height, b.height) << what;
  EXPECT_EQ(a.r, b.r) << what;
  EXPECT_TRUE(a.data == b.data) << what;
  EXPECT_TRUE(a.mask == b.mask) << what;
}

class Pf1SourceTest : public ::testing::Test {
 protected:
  void TearDown() override { Pf1::setReadChunk(64 * 1024); }
};

TEST_F(Pf1SourceTest, EveryReadSizeDecodesTheSamePicture) {
  std::mt19937 rng(1234);
  std::vector<Bytes> files;
  for (int i = 0; i < 12; ++i) {
    const int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 30);
    const size_t px = static_cast<size_t>(w) * h;
    const int blocks = 1 + i % 3;
    std::vector<Bytes> bs;
    for (int k = 0; k < blocks; ++k) bs.push_back(pf1test::block(randomStream(rng, px, i % 4), randomPalette(rng)));
    Bytes f = pf1test::file(w, h, bs);
    files.push_back(f);
    // Damaged copies: cut anywhere, and a block size that lies.
    Bytes cut = f;
    cut.resize(16 + rng() % (f.size() - 16));
    files.push_back(cut);
    Bytes lying = f;
    lying[17] ^= 0x40;
    files.push_back(lying);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    const Bytes& f = files[i];
    Pic whole;
    whole.loadFromMemory(f.data(), f.size());
    for (size_t chunk : {1, 2, 3, 5, 64, 255, 256, 257, 1000}) {
      Pf1::setReadChunk(chunk);
      Pic pieces;
      pieces.loadFrom(Pf1MemorySource(f.data(), f.size(), false));
      expectSame(pieces, whole, "file " + std::to_string(i) + " chunk " + std::to_string(chunk));
      Pic block1;
      block1.loadBlockFrom(Pf1MemorySource(f.data(), f.size(), false), 1);
      Pic block1Whole;
      block1Whole.loadBlockFromMemory(f.data(), f.size(), 1);
      expectSame(block1, block1Whole, "block 1 of file " + std::to_string(i) + " chunk " + std::to_string(chunk));
    }
  }
}

// Writes `bytes` at `offset` of `path`, leaving whatever lies before it.
void writeAt(const char* path, long offset, const Bytes& bytes) {
  FILE* f = std::fopen(path, "r+b");
  if (!f) f = std::fopen(path, "w+b");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fseek(f, offset, SEEK_SET), 0);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

TEST_F(Pf1SourceTest, HolesOfASparseFileReadAsTheZerosTheyAre) {
  lmtest::ScratchDir dir;
  // A 64 x 64 picture: a few packets, a 4 MiB hole of zeros (empty literal
  // runs), then the packets that draw, then the palette.
  const int w = 64, h = 64;
  std::array<uint16_t, 256> pal{};
  pal[3] = 0x001F;
  const Bytes head = {0x83, 0x03, 0x02, 0x7C, 0x00, 0x03, 0xE0};
  const Bytes tail = {0xFF, 0x03, 0x85, 0x03};
  const long hole = 4L << 20;
  const uint32_t blockSize = static_cast<uint32_t>(head.size() + hole + tail.size() + 512);
  Bytes front = pf1test::file(w, h, {head}, 1, {blockSize});
  const long tailAt = static_cast<long>(front.size()) + hole;
  writeAt("SPARSE.PF1", 0, front);
  writeAt("SPARSE.PF1", tailAt, pf1test::block(tail, pal));
  // The same bytes in memory.
  std::ifstream in("SPARSE.PF1", std::ios::binary);
  Bytes all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(all.size(), front.size() + hole + tail.size() + 512);
  Pic expected;
  expected.loadFromMemory(all.data(), all.size());
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(expected.mask[4], 1) << "the packets after the hole draw";
  for (size_t chunk : {7, 4096, 65536}) {
    Pf1::setReadChunk(chunk);
    Pf1 fromFile(0, "SPARSE.PF1");
    expectSame(fromFile, expected, "chunk " + std::to_string(chunk));
  }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LM_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define LM_SANITIZED 1
#endif
#endif

TEST_F(Pf1SourceTest, MemoryThatCannotBeHadGivesAnEmptyPicture) {
#ifdef LM_SANITIZED
  GTEST_SKIP() << "an address-space limit does not mix with a sanitizer's shadow memory";
#else
  lmtest::ScratchDir dir;
  // 4096 x 4096 pixels need 64 MB; the child gets 24 MB more address space
  // than it has.
  lmtest::writeFile("BIG.PF1", pf1test::file(4096, 4096, {pf1test::literalBlock(10, 0x7FFF)}));
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    const rlim_t have = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    struct rlimit lim {have + (24u << 20), have + (24u << 20)};
    if (pages == 0 || ::setrlimit(RLIMIT_AS, &lim) != 0) ::_exit(3);
    Pf1 big(0, "BIG.PF1");
    ::_exit(big.empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the load must not abort";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // With the memory, the same file loads.
  Pf1 big(0, "BIG.PF1");
  EXPECT_FALSE(big.empty());
#endif
}

}  // namespace
