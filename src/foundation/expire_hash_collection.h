// A string-keyed collection whose entries carry the stamp of their last
// use, with a capacity (entries, 0 = unlimited) and a maximum age (0 =
// none). It carries the domain cache and may carry other caches.
//
// Before each addition of a new key, when the capacity or the maximum age
// is above 0, a purge runs: every entry whose stamp is below now - maximum
// age is dropped (only when the maximum age is above 0); then, when the
// capacity is above 0 and the collection still holds at least that many
// entries, the entry with the smallest stamp is evicted. So at most one
// entry is evicted for room per addition.
//
// Stamps are seconds of a monotonic clock that the caller passes in; they
// must never decrease from one call to the next. Keys compare exactly:
// callers lower-case them where case must not matter. Not thread-safe: the
// owner guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace tarvelin {

template <typename T>
class ExpireHashCollection {
 public:
  ExpireHashCollection(size_t capacity, int64_t max_age) : capacity_(capacity), max_age_(max_age) {}
  ExpireHashCollection(const ExpireHashCollection&) = delete;
  ExpireHashCollection& operator=(const ExpireHashCollection&) = delete;

  size_t capacity() const { return capacity_; }
  int64_t max_age() const { return max_age_; }
  size_t Count() const { return index_.size(); }

  // The entry of `key` without counting a use; null when absent.
  T* Find(std::string_view key) {
    const auto it = index_.find(key);
    return it == index_.end() ? nullptr : &it->second->value;
  }
  // The stamp of the entry's last use; -1 when absent.
  int64_t StampOf(std::string_view key) const {
    const auto it = index_.find(key);
    return it == index_.end() ? -1 : it->second->stamp;
  }
  // The entry of `key`, which now counts as used at `now`; null when absent.
  T* Use(std::string_view key, int64_t now) {
    const auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    Touch(it->second, now);
    return &it->second->value;
  }
  // Replaces the entry of `key` (used at `now`), or adds it after a purge.
  T& Put(std::string_view key, T value, int64_t now) {
    const auto it = index_.find(key);
    if (it != index_.end()) {
      it->second->value = std::move(value);
      Touch(it->second, now);
      return it->second->value;
    }
    if (max_age_ > 0) PurgeExpired(now);
    if (capacity_ > 0 && Count() >= capacity_) {
      // The entry used longest ago makes room; its node is reused so that a
      // full cache adds without allocating (entries can be large records).
      const auto oldest = entries_.begin();
      index_.erase(std::string_view(oldest->key));
      oldest->key.assign(key);
      oldest->value = std::move(value);
      Touch(oldest, now);
      index_.emplace(std::string_view(oldest->key), oldest);
      return oldest->value;
    }
    entries_.push_back(Entry{std::string(key), std::move(value), now});
    const auto last = std::prev(entries_.end());
    index_.emplace(std::string_view(last->key), last);
    return last->value;
  }
  bool Remove(std::string_view key) {
    const auto it = index_.find(key);
    if (it == index_.end()) return false;
    const auto entry = it->second;
    index_.erase(it);
    entries_.erase(entry);
    return true;
  }
  // Visits every entry, the one used longest ago first.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Entry& entry : entries_) visit(std::string_view(entry.key), entry.value);
  }
  void Clear() {
    index_.clear();
    entries_.clear();
  }

 private:
  struct Entry {
    std::string key;
    T value;
    int64_t stamp;
  };
  using Entries = std::list<Entry>;

  // Entries stay ordered by stamp: a use moves the entry to the back, so
  // the front is always the one used longest ago.
  void Touch(typename Entries::iterator entry, int64_t now) {
    entry->stamp = now;
    entries_.splice(entries_.end(), entries_, entry);
  }
  void PurgeExpired(int64_t now) {
    const int64_t limit = now - max_age_;
    while (!entries_.empty() && entries_.front().stamp < limit) Remove(entries_.front().key);
  }

  struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };

  size_t capacity_;
  int64_t max_age_;
  Entries entries_;
  // Keys view the strings held by the entries, which never move in a list.
  std::unordered_map<std::string_view, typename Entries::iterator, KeyHash, std::equal_to<>> index_;
};

}  // namespace tarvelin
