#include "files/file_digest.h"

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "stats/error.h"

namespace fragtally {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

constexpr std::uint64_t RotateLeft(std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

// Little-endian on every system, so that a digest means the same everywhere.
template <class Word>
Word LoadLittleEndian(const char* bytes) {
  Word word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, bytes, sizeof word);
  } else {
    for (int i = static_cast<int>(sizeof word) - 1; i >= 0; --i)
      word = static_cast<Word>((word << 8) | static_cast<unsigned char>(bytes[i]));
  }
  return word;
}
std::uint64_t LoadWord(const char* bytes) { return LoadLittleEndian<std::uint64_t>(bytes); }
std::uint32_t LoadHalf(const char* bytes) { return LoadLittleEndian<std::uint32_t>(bytes); }

// The `n` bytes at `bytes` (n < 8) as the low bytes of a word, the first
// lowest; the loads overlap rather than run a loop.
std::uint64_t LoadShort(const char* bytes, std::size_t n) {
  if (n >= 4) {
    const std::uint64_t low = LoadHalf(bytes);
    const std::uint64_t high = LoadHalf(bytes + n - 4);
    return low | (high << (8 * (n - 4)));
  }
  if (n == 0) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])); };
  return byte(0) | (byte(n / 2) << (8 * (n / 2))) | (byte(n - 1) << (8 * (n - 1)));
}

}  // namespace

void ContentDigest::Word(std::uint64_t word) {
  state_ = RotateLeft(state_ ^ (word * kPrime2), 31) * kPrime1;
}

// The bytes go into words of eight, the pending ones first: each word read
// is shifted in behind them, so that no byte is copied on its own.
void ContentDigest::Update(std::string_view bytes) {
  length_ += bytes.size();
  const char* at = bytes.data();
  std::size_t left = bytes.size();
  const unsigned shift = pending_bits_;
  if (shift == 0) {
    for (; left >= 8; at += 8, left -= 8) Word(LoadWord(at));
    pending_ = LoadShort(at, left);
    pending_bits_ = static_cast<unsigned>(8 * left);
    return;
  }
  for (; left >= 8; at += 8, left -= 8) {
    const std::uint64_t word = LoadWord(at);
    Word(pending_ | (word << shift));
    pending_ = word >> (64 - shift);
  }
  const std::uint64_t tail = LoadShort(at, left);
  const unsigned bits = shift + static_cast<unsigned>(8 * left);
  if (bits >= 64) {
    Word(pending_ | (tail << shift));
    pending_ = tail >> (64 - shift);
    pending_bits_ = bits - 64;
  } else {
    pending_ |= tail << shift;
    pending_bits_ = bits;
  }
}

void ContentDigest::UpdateLine(std::string_view line) {
  Update(line);
  length_ += 1;
  pending_ |= std::uint64_t{'\n'} << pending_bits_;
  pending_bits_ += 8;
  if (pending_bits_ == 64) {
    Word(pending_);
    pending_ = 0;
    pending_bits_ = 0;
  }
}

std::uint64_t ContentDigest::Value() const {
  std::uint64_t h = state_;
  for (unsigned bit = 0; bit < pending_bits_; bit += 8)
    h = RotateLeft(h ^ (((pending_ >> bit) & 0xFF) * kPrime1), 11) * kPrime2;
  h ^= length_;
  // Every bit of the result depends on every bit before.
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

std::uint64_t DigestOf(std::string_view bytes) {
  ContentDigest digest;
  digest.Update(bytes);
  return digest.Value();
}

std::optional<std::uint64_t> DigestOfFile(const std::string& path) {
  platform::FileFailure failure;
  std::unique_ptr<platform::InputFile> file = platform::Files().OpenForReading(path, &failure);
  if (file == nullptr) {
    if (failure.Fault == platform::FileFault::NotFound) return std::nullopt;
    RaiseFileError(ErrorKind::ReadFailed, failure);
  }
  ContentDigest digest;
  // Not zeroed: only bytes read are looked at. A small file needs little.
  const long long size = file->Size();
  const std::size_t capacity = size >= 0 && size < (1 << 16) ? static_cast<std::size_t>(size) + 1 : std::size_t{1} << 16;
  const std::unique_ptr<char[]> buffer(new char[capacity]);
  for (std::uint64_t offset = 0;;) {
    const long long got = file->ReadAt(offset, buffer.get(), capacity);
    if (got < 0) RaiseFileError(ErrorKind::ReadFailed, platform::FailureAt(platform::FileFault::Other, path));
    if (got == 0) break;
    digest.Update(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
    offset += static_cast<std::uint64_t>(got);
  }
  return digest.Value();
}

}  // namespace fragtally
