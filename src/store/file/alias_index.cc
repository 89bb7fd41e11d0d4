#include "store/file/alias_index.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>

#include "schema/user_record.h"
#include "schema/user_record_offsets.h"
#include "foundation/scramble.h"

namespace tarvelin {

namespace {

constexpr int kRecordsPerRead = 256;

// A key of one block, lower-cased into the block's text, waiting for its
// slot.
struct PendingKey {
  uint32_t hash;
  uint32_t position;
  uint32_t offset;
  uint32_t length;
};
constexpr size_t kInitialSlots = 64;

uint32_t HashOf(std::string_view key) {
  return static_cast<uint32_t>(std::hash<std::string_view>{}(key));
}

// Calls `visit` with every item of the list as ListItems gives it (trimmed,
// lower-cased, not empty), without building the vector or allocating.
template <typename Visit>
void ForEachItem(std::string_view list, Visit visit) {
  char lowered[256];
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    size_t first = start, last = end;
    while (first < last && static_cast<unsigned char>(list[first]) <= 32) ++first;
    while (last > first && static_cast<unsigned char>(list[last - 1]) <= 32) --last;
    if (first < last) {
      std::string_view item = list.substr(first, last - first);
      if (item.size() <= sizeof lowered) {
        for (size_t i = 0; i < item.size(); ++i) {
          const char c = item[i];
          lowered[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        }
        visit(std::string_view(lowered, item.size()));
      } else {
        std::string scratch(item);
        for (char& c : scratch) {
          if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        visit(std::string_view(scratch));
      }
    }
    start = end + 1;
  }
}

}  // namespace

std::unique_ptr<AliasIndex> AliasIndex::Build(const StampedFile& file) {
  std::unique_ptr<AliasIndex> index(new AliasIndex);
  index->stamp_ = file.stamp();
  index->slots_.assign(kInitialSlots, Slot{0, 0, 0});
  const int64_t total = file.stamp().size / kUserRecordSize;
  std::vector<uint8_t> buffer(static_cast<size_t>(kRecordsPerRead) * kUserRecordSize);
  std::vector<PendingKey> pending;
  std::string lowered;
  int64_t position = 0;
  bool failed = false;
  while (position < total && !failed) {
    const int64_t wanted = std::min<int64_t>(kRecordsPerRead, total - position);
    const int64_t got = file.ReadAt(position * kUserRecordSize, buffer.data(),
                                    static_cast<size_t>(wanted) * kUserRecordSize);
    const int64_t records = got < 0 ? 0 : got / kUserRecordSize;
    failed = records < wanted;
    pending.clear();
    lowered.clear();
    for (int64_t i = 0; i < records; ++i) {
      // Only the alias list is unscrambled, in place; its key position is
      // its offset.
      uint8_t* field = buffer.data() + i * kUserRecordSize + user_offsets::kAliasList;
      ScrambleBytes(field, 1, user_offsets::kAliasList);
      const size_t length = std::min<size_t>(field[0], user_offsets::kAliasListCapacity);
      ScrambleBytes(field + 1, length, user_offsets::kAliasList + 1);
      const std::string_view list(reinterpret_cast<const char*>(field + 1), length);
      const auto at = static_cast<uint32_t>(position + i);
      bool has_group = false;
      ForEachItem(list, [&](std::string_view item) {
        has_group |= IsGroupItem(item);
        pending.push_back(PendingKey{HashOf(item), at, static_cast<uint32_t>(lowered.size()),
                                     static_cast<uint32_t>(item.size())});
        lowered.append(item);
      });
      if (has_group) {
        index->group_positions_.push_back(static_cast<int>(at));
        index->group_lists_.emplace_back(list);
      }
    }
    // The slots of a large table are far apart in memory: asking for the
    // slot of a key a few keys ahead hides most of the wait for it.
    constexpr size_t kAhead = 8;
    for (size_t k = 0; k < pending.size(); ++k) {
      if (k + kAhead < pending.size()) {
        __builtin_prefetch(&index->slots_[index->SlotOf(pending[k + kAhead].hash)]);
      }
      const PendingKey& key = pending[k];
      index->Insert(std::string_view(lowered).substr(key.offset, key.length), key.hash,
                    static_cast<int>(key.position));
    }
    if (position == 0 && records > 0 && records < total) {
      // Sized once from the first block's keys per record instead of
      // doubling its way up, which would move every key several times.
      const double per_record = static_cast<double>(index->used_) / records;
      const auto expected = static_cast<size_t>(per_record * total * 1.05) + 1;
      if (expected * 4 / 3 > index->slots_.size()) index->Resize(expected * 4 / 3 + 1);
      index->keys_.reserve(index->keys_.size() * static_cast<size_t>(total / records + 1));
    }
    position += records;
  }
  index->record_count_ = static_cast<int>(position);
  index->complete_ = !failed;
  index->keys_.shrink_to_fit();
  // The finished table needs no room to grow: when it was sized too
  // generously it is packed to 80 %, where probes stay short (the stored
  // hashes spare the key comparisons) and memory small.
  if (index->slots_.size() > index->used_ * 3 / 2 + kInitialSlots) {
    index->Resize(std::max(kInitialSlots, index->used_ * 5 / 4 + 1));
  }
  return index;
}

std::unique_ptr<AliasIndex> AliasIndex::WithAppended(std::string_view alias_list, int position,
                                                     const FileStamp& stamp) const {
  std::unique_ptr<AliasIndex> index(new AliasIndex(*this));
  index->stamp_ = stamp;
  index->record_count_ = position + 1;
  bool has_group = false;
  ForEachItem(alias_list, [&](std::string_view item) {
    has_group |= IsGroupItem(item);
    index->Insert(item, HashOf(item), position);
  });
  if (has_group) {
    index->group_positions_.push_back(position);
    index->group_lists_.emplace_back(alias_list);
  }
  return index;
}

std::string_view AliasIndex::KeyAt(const Slot& slot) const {
  const size_t at = slot.key - 1;
  return std::string_view(keys_).substr(at + 1, static_cast<uint8_t>(keys_[at]));
}

size_t AliasIndex::SlotOf(uint32_t hash) const {
  return static_cast<size_t>((static_cast<uint64_t>(hash) * slots_.size()) >> 32);
}

void AliasIndex::Insert(std::string_view key, uint32_t hash, int position) {
  for (size_t i = SlotOf(hash);; i = i + 1 == slots_.size() ? 0 : i + 1) {
    Slot& slot = slots_[i];
    if (slot.key == 0) {
      keys_.push_back(static_cast<char>(key.size()));
      slot = Slot{hash, static_cast<uint32_t>(keys_.size()), static_cast<uint32_t>(position)};
      keys_.append(key);
      alias_text_bytes_ += key.size();
      if (++used_ * 4 >= slots_.size() * 3) Resize(slots_.size() * 2);
      return;
    }
    // The first position that holds a key keeps it.
    if (slot.hash == hash && KeyAt(slot) == key) return;
  }
}

void AliasIndex::Resize(size_t slots) {
  std::vector<Slot> old(slots, Slot{0, 0, 0});
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.key == 0) continue;
    size_t i = SlotOf(slot.hash);
    while (slots_[i].key != 0) i = i + 1 == slots_.size() ? 0 : i + 1;
    slots_[i] = slot;
  }
}

int AliasIndex::Lookup(std::string_view key) const {
  const uint32_t hash = HashOf(key);
  for (size_t i = SlotOf(hash);; i = i + 1 == slots_.size() ? 0 : i + 1) {
    const Slot& slot = slots_[i];
    if (slot.key == 0) return -1;
    if (slot.hash == hash && KeyAt(slot) == key) return static_cast<int>(slot.position);
  }
}

int AliasIndex::FindFirst(std::string_view items, const GroupFileReader& groups) const {
  int best = INT_MAX;
  ForEachItem(items, [&](std::string_view item) {
    const int position = Lookup(item);
    if (position >= 0) best = std::min(best, position);
  });
  for (size_t i = 0; i < group_positions_.size() && group_positions_[i] < best; ++i) {
    if (ListMatch(items, group_lists_[i], groups)) return group_positions_[i];
  }
  return best == INT_MAX ? -1 : best;
}

size_t AliasIndex::MemoryBytes() const {
  size_t bytes = sizeof(*this) + slots_.capacity() * sizeof(Slot) + keys_.capacity() +
                 group_positions_.capacity() * sizeof(int) +
                 group_lists_.capacity() * sizeof(std::string);
  for (const std::string& list : group_lists_) bytes += list.capacity();
  return bytes;
}

}  // namespace tarvelin
