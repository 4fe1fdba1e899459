#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fragtally {

// Digests held at places (any number at one place), in one array with open
// addressing: a journal's hundred thousand keys are read into it at the
// first import of a run without an allocation each. A place is never 0.
class PlaceDigests {
 public:
  void Reserve(std::size_t count);
  void Add(std::uint64_t place, std::uint64_t digest);
  // Takes away one `digest` held at `place`; false when none is.
  bool Remove(std::uint64_t place, std::uint64_t digest);
  bool Holds(std::uint64_t place) const;
  // Whether `digest` is held at `place`, and whether another one is.
  struct Found {
    bool Same = false, Other = false;
  };
  Found Look(std::uint64_t place, std::uint64_t digest) const;
  std::size_t size() const { return size_; }
  // Asks the processor to fetch where `place` is looked for, ahead of the
  // question: the table is far larger than its caches.
  void Prefetch(std::uint64_t place) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[Home(place)]);
  }

 private:
  struct Slot {
    std::uint64_t Place = 0;  // 0: free
    std::uint64_t Digest = 0;
  };
  std::size_t Home(std::uint64_t place) const {
    return static_cast<std::size_t>((place * 0x9E3779B97F4A7C15ull) >> shift_);
  }
  std::size_t Next(std::size_t at) const { return (at + 1) & (slots_.size() - 1); }
  void Grow(std::size_t slots);

  std::vector<Slot> slots_;  // a power of two of them, at most half in use
  std::size_t size_ = 0;
  int shift_ = 64;
};

}  // namespace fragtally
