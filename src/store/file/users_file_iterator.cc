#include "store/file/users_file_iterator.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "foundation/scramble.h"
#include "foundation/text.h"
#include "schema/user_record_offsets.h"
#include "store/file/stored_record.h"

namespace tarvelin {

namespace {

constexpr size_t kMailboxCapacity = 127;

}  // namespace

UsersFileIterator::UsersFileIterator(std::shared_ptr<const StampedFile> file,
                                     int records_per_read)
    : file_(std::move(file)),
      count_(static_cast<int>(std::min<int64_t>(file_->stamp().size / kUserRecordSize, INT_MAX))),
      records_per_read_(std::max(records_per_read, 1)) {
  Seek(0);
}

void UsersFileIterator::Seek(int position) {
  position_ = position;
  stored_ = nullptr;
  if (!status_.ok() || position < 0 || position >= count_) return;
  if (position < ahead_first_ || position >= ahead_first_ + ahead_count_) {
    const int64_t wanted = std::min<int64_t>(records_per_read_, count_ - position);
    ahead_.resize(static_cast<size_t>(wanted) * kUserRecordSize);
    const int64_t got = file_->ReadAt(int64_t{position} * kUserRecordSize, ahead_.data(),
                                      ahead_.size());
    ahead_first_ = position;
    ahead_count_ = got < 0 ? 0 : got / kUserRecordSize;
    // The version is fixed: fewer records than it holds is a read error.
    if (ahead_count_ < wanted) {
      status_ = Status::IOError("cannot read account " + std::to_string(position + ahead_count_));
    }
    if (ahead_count_ == 0) return;
  }
  stored_ = ahead_.data() + (position - ahead_first_) * kUserRecordSize;
}

uint8_t UsersFileIterator::account_type() const {
  uint8_t type = stored_[user_offsets::kAccountType];
  ScrambleBytes(&type, 1, user_offsets::kAccountType);
  return type;
}

bool UsersFileIterator::MailboxIs(std::string_view lower_name) const {
  uint8_t field[1 + kMailboxCapacity];
  std::memcpy(field, stored_ + user_offsets::kMailbox, sizeof field);
  ScrambleBytes(field, sizeof field, user_offsets::kMailbox);
  const size_t length = std::min<size_t>(field[0], kMailboxCapacity);
  return length == lower_name.size() &&
         EqualsNoCase(std::string_view(reinterpret_cast<const char*>(field + 1), length),
                      lower_name);
}

void UsersFileIterator::ReadRecordInto(uint8_t* out) const { DecodeStored(stored_, out); }

}  // namespace tarvelin
