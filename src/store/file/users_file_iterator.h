// An AccountIterator over one version of a users.cfg: the version open when
// it was made, read ahead in blocks of records, each record unscrambled
// only when asked for.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/stamped_file.h"
#include "store/account_store.h"

namespace tarvelin {

class UsersFileIterator : public AccountIterator {
 public:
  // `file` is open; `records_per_read` records are read at a time.
  UsersFileIterator(std::shared_ptr<const StampedFile> file, int records_per_read);

  int count() const override { return count_; }
  void Seek(int position) override;
  bool Valid() const override { return stored_ != nullptr; }
  void Next() override { Seek(position_ + 1); }
  int position() const override { return position_; }

  uint8_t account_type() const override;
  bool MailboxIs(std::string_view lower_name) const override;
  void ReadRecordInto(uint8_t* out) const override;
  Status status() const override { return status_; }

  const FileStamp& stamp() const { return file_->stamp(); }

 private:
  std::shared_ptr<const StampedFile> file_;
  int count_;
  int records_per_read_;
  int position_ = 0;
  std::vector<uint8_t> ahead_;  // stored records, the first at position ahead_first_
  int64_t ahead_first_ = 0;
  int64_t ahead_count_ = 0;
  const uint8_t* stored_ = nullptr;  // the current stored record
  Status status_;
};

}  // namespace tarvelin
