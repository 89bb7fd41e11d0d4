#include "store/file/file_domain_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "schema/config_offsets.h"
#include "schema/server_config.h"
#include "store/file/domain_file.h"
#include "foundation/bytes.h"
#include "foundation/list_match.h"
#include "foundation/scramble.h"
#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kLegacySlots = 100;
constexpr int kLegacySlotSize = 128;
constexpr int kShortEntrySize = 32;
// The oldest layout kept the list inside settings.cfg from this byte on,
// scrambled with the key continuing from that position.
constexpr int kLegacySettingsOffset = 20344;
// A stored count beyond this is damage, not a list: the table would not fit
// in memory. Such a count is replaced by what the file holds.
constexpr int kMaxDomains = 1000000;
constexpr char kBindFile[] = "bind.dat";
constexpr size_t kBindingMax = 255;

bool IsLocalAddress(Env& env, std::string_view address) {
  const Result<std::vector<std::string>> addresses = env.LocalAddresses();
  if (!addresses.ok()) return false;
  for (const std::string& own : *addresses) {
    if (own == address) return true;
  }
  return false;
}

// Failures to write are never NotFound, which callers take for a missing
// domain.
Status AsWriteFailure(Status status) {
  if (!status.Is(StatusCode::kNotFound)) return status;
  return Status::IOError(status.message(), ENOENT);
}

}  // namespace

int FileDomainStore::Count() const {
  const auto stored = static_cast<int32_t>(record_.Number(offsets::kDomainCount, 4));
  return std::max(stored, 0);
}

void FileDomainStore::SetCount(int count) {
  record_.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(count));
}

std::string FileDomainStore::NameAt(int position) const {
  if (position < 0 || position >= Capacity()) return {};
  return GetPString(Entry(position), kDomainNameMax);
}

void FileDomainStore::StoreName(int position, std::string_view lower_name) {
  const bool bound = BindingFlag(position);
  uint8_t* entry = Entry(position);
  std::memset(entry, 0, kDomainEntrySize);
  PutPString(entry, kDomainNameMax, CutTo(lower_name, kDomainNameMax));
  SetBindingFlag(position, bound);
}

void FileDomainStore::SetBindingFlag(int position, bool bound) {
  long_name_bound_.resize(static_cast<size_t>(Capacity()), false);
  uint8_t* entry = Entry(position);
  if (entry[0] >= kDomainNameMax) {
    long_name_bound_[static_cast<size_t>(position)] = bound;
  } else {
    long_name_bound_[static_cast<size_t>(position)] = false;
    entry[kDomainEntrySize - 1] = bound ? 1 : 0;
  }
}

bool FileDomainStore::BindingFlag(int position) const {
  if (position < 0 || position >= Capacity()) return false;
  const uint8_t* entry = Entry(position);
  if (entry[0] >= kDomainNameMax) {
    return static_cast<size_t>(position) < long_name_bound_.size() &&
           long_name_bound_[static_cast<size_t>(position)];
  }
  return entry[kDomainEntrySize - 1] != 0;
}

std::string FileDomainStore::FolderOf(std::string_view name) const {
  if (!IsFolderName(name)) return {};
  return config_path_ + std::string(name) + kPathSeparator;
}

std::string FileDomainStore::GetBinding(int position) const {
  if (!BindingFlag(position)) return {};
  const std::string folder = FolderOf(NameAt(position));
  std::string content;
  if (folder.empty() || !env_.ReadFile(folder + kBindFile, &content).ok()) return {};
  const std::vector<std::string> lines = SplitLines(content);
  return lines.empty() ? std::string() : Trim(lines.front());
}

bool FileDomainStore::SetBinding(int position, std::string_view addresses) {
  if (position < 0 || position >= Capacity()) return false;
  const std::string folder = FolderOf(NameAt(position));
  if (folder.empty()) return false;
  const std::string path = folder + kBindFile;
  const std::string text = CutTo(addresses, kBindingMax);
  if (text.empty()) {
    if (!env_.RemoveFile(path).ok() && FileExists(env_, path)) return false;
  } else if (!WriteFileAtomicCreatingFolder(env_, path, text + "\r\n").ok()) {
    return false;
  }
  if (Database()) backend_->SetDomainIP(NameAt(position), text);
  ScopedLock lock(locks_, LockId::kGeneral);
  SetBindingFlag(position, !text.empty());
  Record({DomainListChange::Kind::kBind, NameAt(position), "", !text.empty()});
  return true;
}

int FileDomainStore::PositionOfAddress(std::string_view address) const {
  for (int position = 0; position < Count(); ++position) {
    if (ListMatch(address, GetBinding(position))) return position;
  }
  return -1;
}

bool FileDomainStore::Load() {
  ScopedLock lock(locks_, LockId::kGeneral);
  table_.clear();
  long_name_bound_.clear();
  if (Database() && ReadDatabaseList()) {
    RebuildIndex();
    changes_.clear();
    return true;
  }
  const std::string domains_cfg = config_path_ + "domains.cfg";
  bool read = false;
  if (FileExists(env_, domains_cfg)) {
    ReadDomainsFile(domains_cfg);
    read = true;
  } else {
    ReadLegacySettings();
  }
  ServerConfig& record = record_;
  if (Count() > 0 && NameAt(0).empty()) {
    UpgradeFromFixedTable();
  } else if (record.Byte(offsets::kDomainTableFormat) == 0) {
    WidenShortEntries();
  }
  record.SetByte(offsets::kDomainTableFormat, 1);
  RebuildIndex();
  // The upgrades above append, but the list as loaded is nobody's change.
  changes_.clear();
  return read;
}

bool FileDomainStore::Database() const {
  return backend_ != nullptr && backend_->loaded() &&
         record_.Byte(offsets::kStorageMode) == 2;
}

bool FileDomainStore::ReadDatabaseList() {
  BackendLibrary::Hold hold(*backend_);
  const int32_t count = std::min<int32_t>(backend_->GetDomainCount(), kMaxDomains);
  if (count <= 0) return false;
  std::vector<uint8_t> entries(static_cast<size_t>(count) * kDomainEntrySize, 0);
  if (!backend_->GetDomains(entries.data(), count)) return false;
  table_ = std::move(entries);
  SetCount(count);
  return true;
}

void FileDomainStore::ReadDomainsFile(const std::string& path) {
  const int64_t size = std::max<int64_t>(FileSize(env_, path), 0);
  if (Count() == 0 || Count() > kMaxDomains) {
    SetCount(static_cast<int>(std::min<int64_t>(size / kDomainEntrySize, kMaxDomains)));
  }
  table_.assign(static_cast<size_t>(Count()) * kDomainEntrySize, 0);
  std::string bytes;
  // A failed read keeps what arrived; the missing entries stay empty.
  env_.ReadFilePrefix(path, table_.size(), &bytes);
  // No domains: an empty table has no storage to copy into.
  if (table_.empty()) return;
  std::memcpy(table_.data(), bytes.data(), std::min(bytes.size(), table_.size()));
}

void FileDomainStore::ReadLegacySettings() {
  if (Count() > kMaxDomains) SetCount(0);
  table_.assign(static_cast<size_t>(Count()) * kDomainEntrySize, 0);
  std::string bytes;
  env_.ReadFileRange(config_path_ + "settings.cfg", kLegacySettingsOffset, table_.size(),
                     &bytes);
  const size_t n = std::min(bytes.size(), table_.size());
  if (n == 0) return;
  std::memcpy(table_.data(), bytes.data(), n);
  ScrambleBytes(table_.data(), n, kLegacySettingsOffset % 16);
}

void FileDomainStore::UpgradeFromFixedTable() {
  const ServerConfig& record = record_;
  const int count = std::min(Count(), kLegacySlots);
  const uint8_t* slots = record.data() + offsets::kLegacyDomainTable;
  std::vector<std::string> names;
  if (!Trim(GetPString(slots, kLegacySlotSize - 1)).empty()) {
    for (int i = 0; i < count; ++i) {
      names.push_back(GetPString(slots + i * kLegacySlotSize, kLegacySlotSize - 1));
    }
  }
  table_.clear();
  long_name_bound_.clear();
  SetCount(0);
  for (const std::string& name : names) Append(name);
}

void FileDomainStore::WidenShortEntries() {
  for (int position = std::min(Count(), Capacity()) - 1; position >= 0; --position) {
    const std::string name =
        GetPString(table_.data() + position * kShortEntrySize, kShortEntrySize - 1);
    uint8_t* entry = Entry(position);
    std::memset(entry, 0, kDomainEntrySize);
    PutPString(entry, kDomainNameMax, name);
  }
}

void FileDomainStore::RebuildIndex() {
  const int count = std::min(Count(), Capacity());
  long_name_bound_.assign(static_cast<size_t>(Capacity()), false);
  for (int position = 0; position < count; ++position) {
    uint8_t* entry = Entry(position);
    const int length = std::min<int>(entry[0], kDomainNameMax);
    for (int i = 1; i <= length; ++i) {
      if (entry[i] >= 'A' && entry[i] <= 'Z') entry[i] = static_cast<uint8_t>(entry[i] + 32);
    }
    const std::string name = NameAt(position);
    if (length == kDomainNameMax) {
      const std::string folder = FolderOf(name);
      long_name_bound_[static_cast<size_t>(position)] =
          !folder.empty() && FileExists(env_, folder + kBindFile);
    }
  }
  RebuildNameIndex();
}

void FileDomainStore::RebuildNameIndex() {
  index_.clear();
  const int count = std::min(Count(), Capacity());
  // With duplicate names the first position keeps the name.
  for (int position = 0; position < count; ++position) index_.emplace(NameAt(position), position);
}

void FileDomainStore::Append(std::string_view name) {
  ScopedLock lock(locks_, LockId::kGeneral);
  const int count = Count();
  if (count >= Capacity()) table_.resize(static_cast<size_t>(count + 1) * kDomainEntrySize, 0);
  const std::string lower = CutTo(ToLower(name), kDomainNameMax);
  std::memset(Entry(count), 0, kDomainEntrySize);
  long_name_bound_.resize(static_cast<size_t>(Capacity()), false);
  long_name_bound_[static_cast<size_t>(count)] = false;
  StoreName(count, lower);
  index_.emplace(lower, count);
  SetCount(count + 1);
  Record({DomainListChange::Kind::kAdd, lower, "", false});
}

bool FileDomainStore::RenameEntry(int position, std::string_view name) {
  if (position < 0 || position >= Capacity()) return false;
  ScopedLock lock(locks_, LockId::kGeneral);
  const std::string old_name = NameAt(position);
  const std::string new_name = CutTo(ToLower(name), kDomainNameMax);
  StoreName(position, new_name);
  RebuildNameIndex();
  Record({DomainListChange::Kind::kRename, old_name, new_name, false});
  return true;
}

bool FileDomainStore::RemoveEntry(int position) {
  ScopedLock lock(locks_, LockId::kGeneral);
  const int count = std::min(Count(), Capacity());
  if (position < 0 || position >= count) return false;
  Record({DomainListChange::Kind::kRemove, NameAt(position), "", false});
  long_name_bound_.resize(static_cast<size_t>(Capacity()), false);
  std::memmove(Entry(position), Entry(position + 1),
               static_cast<size_t>(count - position - 1) * kDomainEntrySize);
  std::memset(Entry(count - 1), 0, kDomainEntrySize);
  long_name_bound_.erase(long_name_bound_.begin() + position);
  long_name_bound_.push_back(false);
  SetCount(Count() - 1);
  RebuildNameIndex();
  return true;
}

void FileDomainStore::Record(DomainListChange change) {
  ScopedLock lock(locks_, LockId::kGeneral);
  changes_.push_back(std::move(change));
}

bool FileDomainStore::HasChanges() const {
  ScopedLock lock(locks_, LockId::kGeneral);
  return !changes_.empty();
}

std::vector<DomainListChange> FileDomainStore::TakeChanges() {
  ScopedLock lock(locks_, LockId::kGeneral);
  return std::exchange(changes_, {});
}

void FileDomainStore::Replay(const std::vector<DomainListChange>& changes) {
  ScopedLock lock(locks_, LockId::kGeneral);
  for (const DomainListChange& change : changes) ReplayOne(change);
}

void FileDomainStore::ReplayOne(const DomainListChange& change) {
  const int position = IndexLookup(change.name);
  switch (change.kind) {
    case DomainListChange::Kind::kAdd:
      if (position < 0) Append(change.name);
      return;
    case DomainListChange::Kind::kRename: {
      const int taken = IndexLookup(change.new_name);
      if (position >= 0 && (taken < 0 || taken == position)) {
        RenameEntry(position, change.new_name);
      }
      return;
    }
    case DomainListChange::Kind::kRemove:
      if (position >= 0) RemoveEntry(position);
      return;
    case DomainListChange::Kind::kBind:
      if (position >= 0) {
        SetBindingFlag(position, change.bound);
        Record(change);
      }
      return;
  }
}

std::string FileDomainStore::ResolveRecordName(std::string_view name) const {
  std::string lower = ToLower(name);
  if (record_.Byte(offsets::kAddressLiterals) != 0 && !lower.empty() && lower[0] == '[') {
    Resolution literal = ResolveAddressLiteral(lower);
    if (literal.position >= 0) lower = std::move(literal.name);
  }
  if (subdomains_enabled_) {
    const std::string folder = FolderOf(lower);
    if (folder.empty() || !FileExists(env_, folder + kDomainFileName)) {
      Resolution mapped = ResolveSubdomain(lower);
      if (mapped.position >= 0) lower = std::move(mapped.name);
    }
  }
  return lower;
}

void FileDomainStore::SetUpCache() { cache_.SetUp(record_); }

Status FileDomainStore::SaveList() const {
  const std::string path = config_path_ + "domains.cfg";
  return AsWriteFailure(WriteFileAtomic(env_, path, FileImage()));
}

Status FileDomainStore::LoadRecord(std::string_view resolved_name, DomainRecord* record) {
  record->fill(0);
  const std::string folder = FolderOf(resolved_name);
  if (folder.empty()) return Status::NotFound("no domain folder for \"" + std::string(resolved_name) + "\"");
  const std::string path = folder + kDomainFileName;
  const FileStamp stamp = env_.GetFileStamp(path).value_or(FileStamp{});
  const int64_t now = env_.NowMonotonicSeconds();
  if (cache_.Get(resolved_name, stamp, now, record)) return Status();
  if (Database()) {
    if (backend_->GetDomain(resolved_name, record->data())) return Status();
    record->fill(0);
  }
  // Callers take any failure for a domain without its file.
  if (Status read = ReadDomainFile(env_, path, record); !read.ok()) {
    return read.Is(StatusCode::kNotFound) ? read : Status::NotFound(read.ToString());
  }
  cache_.Put(resolved_name, *record, stamp, now);
  return Status();
}

Status FileDomainStore::SaveRecord(std::string_view name, const DomainRecord& record) {
  const std::string folder = FolderOf(name);
  if (folder.empty()) return Status::InvalidArgument("no domain folder for \"" + std::string(name) + "\"");
  Status database;
  if (Database() && !backend_->SetDomain(name, record.data())) {
    const Status why = backend_->Failure("DBSetDomain");
    database = Status::Unavailable("the database did not store the record of " +
                                   std::string(name) + ": " + why.message());
  }
  TARVELIN_RETURN_IF_ERROR(AsWriteFailure(WriteDomainFile(env_, folder, record)));
  return database;
}

int FileDomainStore::IndexLookup(const std::string& lower_name) const {
  const auto it = index_.find(lower_name);
  return it != index_.end() && it->second < Count() ? it->second : -1;
}

FileDomainStore::Resolution FileDomainStore::ResolveAddressLiteral(std::string_view text) const {
  std::string address(text);
  if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  if (BindingFlag(0)) {
    for (int position = 0; position < Count(); ++position) {
      if (ListMatch(address, GetBinding(position))) return {position, NameAt(position)};
    }
    return {};
  }
  if (IsLocalAddress(env_, address)) return {0, NameAt(0)};
  return {};
}

FileDomainStore::Resolution FileDomainStore::ResolveSubdomain(const std::string& lower_name) const {
  std::string content;
  if (!env_.ReadFile(config_path_ + "subdomains.dat", &content).ok()) return {};
  for (const std::string& raw : SplitLines(content)) {
    const std::string line = ToLower(Trim(raw));
    const size_t equals = line.find('=');
    if (line.empty() || equals == std::string::npos) continue;
    const std::string pattern = Trim(line.substr(0, equals));
    const std::string target = Trim(line.substr(equals + 1));
    if (!WildcardMatch(pattern, lower_name)) continue;
    if (target == lower_name) return {};
    // The file is not applied to the target again, so lines that point at
    // each other cannot loop.
    const int position = FindPositionWithoutFallback(target);
    return {position < 0 ? 0 : position, target};
  }
  return {};
}

int FileDomainStore::FindPositionWithoutFallback(const std::string& lower_name) const {
  int position = IndexLookup(lower_name);
  if (position < 0 && record_.Byte(offsets::kAddressLiterals) != 0 &&
      lower_name.find('[') != std::string::npos) {
    position = ResolveAddressLiteral(lower_name).position;
  }
  return position;
}

int FileDomainStore::FindPosition(std::string_view name, bool strict) const {
  const std::string lower = ToLower(name);
  int position = FindPositionWithoutFallback(lower);
  if (position < 0 && subdomains_enabled_) {
    position = ResolveSubdomain(lower).position;
  }
  if (position < 0) return strict ? -1 : 0;
  return position;
}

bool FileDomainStore::Exists(std::string_view name) const {
  std::string lower = ToLower(name);
  const size_t at = lower.find('@');
  if (at != std::string::npos && lower.find(':') == std::string::npos) lower.erase(0, at + 1);
  return FindPosition(lower, /*strict=*/true) >= 0;
}

std::string FileDomainStore::FileImage() const {
  const size_t bytes = std::min(static_cast<size_t>(Count()) * kDomainEntrySize, table_.size());
  return std::string(reinterpret_cast<const char*>(table_.data()), bytes);
}

}  // namespace tarvelin
