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

std::uint64_t LoadWord(const char* bytes) {
  // Little-endian on every system, so that a digest means the same everywhere.
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, bytes, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(bytes[i]);
  }
  return word;
}

}  // namespace

void ContentDigest::Word(std::uint64_t word) {
  state_ = RotateLeft(state_ ^ (word * kPrime2), 31) * kPrime1;
}

void ContentDigest::Update(std::string_view bytes) {
  length_ += bytes.size();
  if (pending_size_ > 0) {
    const std::size_t take = std::min(bytes.size(), sizeof pending_ - pending_size_);
    std::memcpy(pending_ + pending_size_, bytes.data(), take);
    pending_size_ += take;
    bytes.remove_prefix(take);
    if (pending_size_ < sizeof pending_) return;
    Word(LoadWord(pending_));
    pending_size_ = 0;
  }
  while (bytes.size() >= 8) {
    Word(LoadWord(bytes.data()));
    bytes.remove_prefix(8);
  }
  std::memcpy(pending_, bytes.data(), bytes.size());
  pending_size_ = bytes.size();
}

std::uint64_t ContentDigest::Value() const {
  std::uint64_t h = state_;
  for (std::size_t i = 0; i < pending_size_; ++i)
    h = RotateLeft(h ^ (static_cast<unsigned char>(pending_[i]) * kPrime1), 11) * kPrime2;
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
