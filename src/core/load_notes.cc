#include "core/load_notes.h"

#include <algorithm>
#include <vector>

namespace tarvelin {

void LoadNotes::Note(std::string_view scope, int position, std::string identity) {
  std::lock_guard<std::mutex> lock(mutex_);
  notes_[Key(std::string(scope), position)] = Entry{std::move(identity), ++writes_};
  if (notes_.size() <= kCapacity) return;
  // Rare (a caller that loads thousands of records and saves none), so a
  // scan rather than a second index.
  const auto oldest = std::min_element(notes_.begin(), notes_.end(), [](const auto& a, const auto& b) {
    return a.second.written < b.second.written;
  });
  notes_.erase(oldest);
}

std::optional<std::string> LoadNotes::Find(std::string_view scope, int position) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = notes_.find(Key(std::string(scope), position));
  if (found == notes_.end()) return std::nullopt;
  return found->second.identity;
}

void LoadNotes::Removed(std::string_view scope, int position) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string name(scope);
  notes_.erase(Key(name, position));
  std::vector<std::pair<int, Entry>> later;
  for (auto it = notes_.lower_bound(Key(name, position + 1));
       it != notes_.end() && it->first.first == name;) {
    later.emplace_back(it->first.second - 1, std::move(it->second));
    it = notes_.erase(it);
  }
  for (auto& [moved, entry] : later) notes_[Key(name, moved)] = std::move(entry);
}

}  // namespace tarvelin
