// LoadNotes: which record the C exports last handed out at each position,
// so that a later save or delete at that position can make sure it still
// addresses that record (another program may have moved it meanwhile).
// A note is an identity text (AccountIdentity, RemoteIdentity) under a
// scope ("users:" + domain, "remote") and a position.
//
// Bounded: past kCapacity notes the one written longest ago goes. A
// position without a note is saved or deleted unchecked, as it always was.
// Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarvelin {

class LoadNotes {
 public:
  static constexpr size_t kCapacity = 4096;

  // `identity` is now at `position` of `scope`, as the caller was told.
  void Note(std::string_view scope, int position, std::string identity);
  std::optional<std::string> Find(std::string_view scope, int position) const;
  // The record at `position` of `scope` went: its note goes, and the notes
  // after it move down one position with their records.
  void Removed(std::string_view scope, int position);

 private:
  struct Entry {
    std::string identity;
    uint64_t written = 0;  // the order of the writes, for the bound
  };
  using Key = std::pair<std::string, int>;

  mutable std::mutex mutex_;
  std::map<Key, Entry, std::less<>> notes_;
  uint64_t writes_ = 0;
};

}  // namespace tarvelin
