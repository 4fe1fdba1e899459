#include "files/place_digests.h"

#include <utility>

namespace fragtally {

void PlaceDigests::Reserve(std::size_t count) {
  std::size_t slots = 16;
  while (slots < 2 * count) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
}

void PlaceDigests::Grow(std::size_t slots) {
  std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(slots));
  shift_ = 64;
  for (std::size_t n = slots; n > 1; n /= 2) --shift_;
  for (const Slot& slot : old) {
    if (slot.Place == 0) continue;
    std::size_t at = Home(slot.Place);
    while (slots_[at].Place != 0) at = Next(at);
    slots_[at] = slot;
  }
}

void PlaceDigests::Add(std::uint64_t place, std::uint64_t digest) {
  if (2 * (size_ + 1) > slots_.size()) Grow(slots_.empty() ? 16 : 2 * slots_.size());
  std::size_t at = Home(place);
  while (slots_[at].Place != 0) at = Next(at);
  slots_[at] = {place, digest};
  ++size_;
}

bool PlaceDigests::Remove(std::uint64_t place, std::uint64_t digest) {
  if (slots_.empty()) return false;
  std::size_t hole = Home(place);
  for (;; hole = Next(hole)) {
    if (slots_[hole].Place == 0) return false;
    if (slots_[hole].Place == place && slots_[hole].Digest == digest) break;
  }
  // The slots after the hole move back into it when their home is not
  // between the hole and where they stand, so that every search still
  // meets them before a free slot.
  for (std::size_t at = Next(hole); slots_[at].Place != 0; at = Next(at)) {
    const std::size_t home = Home(slots_[at].Place);
    const bool stays = hole < at ? (hole < home && home <= at) : (hole < home || home <= at);
    if (stays) continue;
    slots_[hole] = slots_[at];
    hole = at;
  }
  slots_[hole] = {};
  --size_;
  return true;
}

bool PlaceDigests::Holds(std::uint64_t place) const {
  if (slots_.empty()) return false;
  for (std::size_t at = Home(place); slots_[at].Place != 0; at = Next(at))
    if (slots_[at].Place == place) return true;
  return false;
}

PlaceDigests::Found PlaceDigests::Look(std::uint64_t place, std::uint64_t digest) const {
  Found found;
  if (slots_.empty()) return found;
  for (std::size_t at = Home(place); slots_[at].Place != 0; at = Next(at)) {
    if (slots_[at].Place != place) continue;
    if (slots_[at].Digest == digest) {
      found.Same = true;
      return found;
    }
    found.Other = true;
  }
  return found;
}

}  // namespace fragtally
