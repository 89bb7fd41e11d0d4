// The alias index of every users.cfg the process looked into, by path, each
// with the stamp of the version it was built from; an index serves only
// while the file on disk still has that stamp. The most recently used ones
// also keep that version open, so a lookup costs one stamp check and one
// read of the record instead of opening the file again. Few are kept open,
// as each holds on to its version (and its disk space, once the file was
// replaced) until its domain is looked into again or it is let go.
// Thread-safe; the map is guarded by lock 4. The account store owns it.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "store/file/alias_index.h"
#include "platform/env.h"
#include "platform/lock_table.h"
#include "platform/stamped_file.h"

namespace tarvelin {

struct IndexedFile {
  std::shared_ptr<const AliasIndex> index;
  // The version the index was built from, when still held open.
  std::shared_ptr<const StampedFile> file;
};

class IndexRegistry {
 public:
  static constexpr size_t kOpenFiles = 32;

  // Opens files through `env`, which outlives the registry.
  IndexRegistry(Env& env, LockTable& locks) : env_(env), locks_(locks) {}

  // The index built from the version with `stamp`, or nothing.
  IndexedFile Find(const std::string& path, const FileStamp& stamp);
  // Opens the version now at `path` and gives its index, built in one pass
  // over the file unless known; both null when the file cannot be opened
  // (the path is then forgotten).
  IndexedFile Open(const std::string& path);
  // Drops the index of the path and lets its file go.
  void Forget(const std::string& path);
  // After a record was appended in place to the version with `before`: its
  // index, when known and complete, is extended to the version with
  // `after`; otherwise the path is forgotten.
  void Appended(const std::string& path, const FileStamp& before, const FileStamp& after,
                std::string_view alias_list, int position);

 private:
  struct Entry {
    IndexedFile indexed;
    std::list<std::string>::iterator open_position;  // in open_, when the file is held
  };

  void Hold(const std::string& path, Entry& entry);
  void Release(Entry& entry);

  Env& env_;
  LockTable& locks_;
  std::unordered_map<std::string, Entry> by_path_;
  std::list<std::string> open_;  // paths whose file is held, most recent first
};

}  // namespace tarvelin
