// The mailbox names of the user accounts of one version of a users.cfg,
// for the mailbox-conflict check: which positions hold a lower-cased
// mailbox name, without reading every record of every domain for each new
// account. MailboxIndexes keeps them per path; each serves only the version
// (file stamp) it was built from, and an append through the registry
// extends the index of the version it appended to.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "schema/user_record.h"
#include "platform/env.h"

namespace tarvelin {

class MailboxIndex {
 public:
  // The positions of the user accounts whose lower-cased mailbox name is
  // `lower_name`, in file order.
  std::vector<int> PositionsOf(const std::string& lower_name) const;

  const FileStamp& stamp() const { return stamp_; }

 private:
  friend class MailboxIndexes;

  FileStamp stamp_;
  int record_count_ = 0;
  std::unordered_map<std::string, std::vector<int>> positions_;
};

class MailboxIndexes {
 public:
  // Reads files through `env`, which outlives the indexes.
  explicit MailboxIndexes(Env& env) : env_(env) {}

  // The index of the version of `path` on disk now (built in one pass when
  // not known); null when the file cannot be read whole.
  std::shared_ptr<const MailboxIndex> ForFile(const std::string& path);
  // After `record` was appended at `position` to the version `before`,
  // giving the version `after`: the known index follows, else it is
  // dropped.
  void Appended(const std::string& path, const FileStamp& before, const FileStamp& after,
                const UserRecord& record, int position);

 private:
  void Remember(const std::string& path, std::shared_ptr<const MailboxIndex> index);

  Env& env_;
  std::mutex lock_;
  std::unordered_map<std::string, std::shared_ptr<const MailboxIndex>> by_path_;
};

}  // namespace tarvelin
