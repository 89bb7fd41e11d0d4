// The aliases of one version of a users.cfg, so that a lookup by alias costs
// a hash probe instead of a scan. It answers exactly as the scan does: the
// first position in file order whose alias list matches by ListMatch with
// groups. Plain alias items map to the first position that holds them; the
// positions whose lists hold group items ("[name]") are kept in order with
// their lists and are tested, groups.dat read then, whenever they come
// before the best plain hit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/list_match.h"
#include "platform/file_system.h"
#include "platform/stamped_file.h"

namespace tarvelin {

class AliasIndex {
 public:
  // One pass over the open file. A read error ends the pass; the index then
  // holds the records read so far and is not complete().
  static std::unique_ptr<AliasIndex> Build(const StampedFile& file);

  // The index of the version that has one more record, `alias_list` at
  // `position` (the end), appended: a copy, so that holders of this one
  // keep theirs.
  std::unique_ptr<AliasIndex> WithAppended(std::string_view alias_list, int position,
                                           const FileStamp& stamp) const;

  const FileStamp& stamp() const { return stamp_; }
  bool complete() const { return complete_; }
  int record_count() const { return record_count_; }

  // The first position whose alias list matches `items`, or -1.
  int FindFirst(std::string_view items, const GroupFileReader& groups) const;
  // Whether that answer may change with groups.dat and the member files
  // while the file stays the same: a record up to `position` (any, for -1)
  // holds a group item.
  bool DependsOnGroups(int position) const {
    return !group_positions_.empty() && (position < 0 || group_positions_.front() <= position);
  }

  // Bytes held: the slot table, the stored alias texts with their length
  // bytes, and the lists of the group positions.
  size_t MemoryBytes() const;
  // Of those, the characters of the alias texts themselves.
  size_t AliasTextBytes() const { return alias_text_bytes_; }

 private:
  struct Slot {
    uint32_t hash;
    uint32_t key;  // offset of the key's length byte in keys_ plus 1; 0 = empty
    uint32_t position;
  };

  AliasIndex() = default;
  AliasIndex(const AliasIndex&) = default;
  void Insert(std::string_view key, uint32_t hash, int position);
  size_t SlotOf(uint32_t hash) const;
  void Resize(size_t slots);
  int Lookup(std::string_view key) const;
  std::string_view KeyAt(const Slot& slot) const;

  FileStamp stamp_;
  bool complete_ = false;
  int record_count_ = 0;
  std::string keys_;  // length byte, then the characters, for each distinct key
  size_t alias_text_bytes_ = 0;
  std::vector<Slot> slots_;  // open addressing with linear probing, never full
  size_t used_ = 0;
  std::vector<int> group_positions_;
  std::vector<std::string> group_lists_;
};

}  // namespace tarvelin
