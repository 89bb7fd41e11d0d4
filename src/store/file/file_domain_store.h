// The ordered domain list: one 96-byte entry per domain (the record of
// domains.cfg), the count kept in ServerConfig offset 7020, and an index
// from lower-case name to position. Position 0 is the primary domain, the
// fallback of lookups that may fall back.
//
// Entry layout: byte 0 name length (0..95), bytes 1..95 the lower-case name,
// byte 95 the binding flag (1 when the domain has a bind.dat). A name of 95
// characters owns byte 95; the binding flag of such a domain is kept beside
// the table so that neither overwrites the other.
//
// Each domain's record is its domain.cfg (domain_file.h), read through the
// domain record cache.
//
// In storage mode 2, with the database library loaded, the list comes
// from the database when it holds any domain, a record is read from the
// database before domain.cfg, and records and bindings are written to the
// database too (domain.cfg and bind.dat are written in every mode).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/env.h"
#include "platform/lock_table.h"
#include "store/db/backend_library.h"
#include "store/domain_store.h"
#include "store/file/domain_cache.h"

namespace tarvelin {

class ServerConfig;

inline constexpr int kDomainEntrySize = 96;

class FileDomainStore : public DomainStore {
 public:
  // The list follows the installation as its owner changes it: the
  // configuration folder, the record that holds the count (offset 7020),
  // and whether subdomains.dat exists. Works through `env` and asks
  // `backend` (when given) in storage mode 2; both outlive the store.
  FileDomainStore(Env& env, const std::string& config_path, ServerConfig& record,
                  const bool& subdomains_enabled, LockTable& locks,
                  const BackendLibrary* backend = nullptr)
      : env_(env),
        config_path_(config_path),
        record_(record),
        subdomains_enabled_(subdomains_enabled),
        locks_(locks),
        backend_(backend),
        cache_(locks) {}

  // Reads domains.cfg (or the oldest layout inside settings.cfg), applies
  // the layout upgrades and rebuilds the name index; the record of changes
  // starts empty. True when a store was read.
  bool Load() override;
  // Replaces domains.cfg with FileImage().
  Status SaveList() const override;

  // The count of offset 7020 (a negative stored count reads as 0).
  int Count() const override;
  int TableEntries() const override { return Capacity(); }
  std::string NameAt(int position) const override;

  // Position of a name (lower-cased) through the index, then bracketed
  // address literals (when setting 179 is on), then subdomains.dat. A name
  // that does not resolve gives -1 when strict, else 0.
  int FindPosition(std::string_view name, bool strict) const override;
  // True when FindPosition resolves the name without falling back; an
  // address ("a@b", no ":") is reduced to its domain.
  bool Exists(std::string_view name) const override;

  // The name whose record a load by `name` reads: lower-cased, a bracketed
  // address literal (setting 179 on) replaced by its domain, and a name
  // without domain.cfg mapped through subdomains.dat. Unresolved parts stay.
  std::string ResolveRecordName(std::string_view name) const override;

  // Adds the lower-cased name (cut to 95 characters) at the end.
  void Append(std::string_view name) override;
  // Replaces the name at the position (lower-cased, cut to 95 characters),
  // keeping its binding flag. False for a position outside the table.
  bool RenameEntry(int position, std::string_view name) override;
  // Removes the entry; later entries, with their binding flags, move one
  // position down and the count drops by one. False for a position outside
  // 0 .. Count()-1.
  bool RemoveEntry(int position) override;

  bool BindingFlag(int position) const override;
  // The first line of the domain's bind.dat, trimmed; empty when the entry
  // has no binding flag or the file is missing.
  std::string GetBinding(int position) const override;
  // A non-empty text (cut to 255 characters) becomes the single line of
  // the domain's bind.dat, creating its folder when missing, and sets the
  // binding flag; an empty one removes bind.dat and clears the flag. False,
  // with flag and file unchanged, when the file cannot be written or
  // removed, or the position names no domain folder.
  bool SetBinding(int position, std::string_view addresses) override;
  // The first position whose binding list holds the address (compared like
  // list items: case-insensitive, trimmed), or -1.
  int PositionOfAddress(std::string_view address) const override;

  bool HasChanges() const override;
  std::vector<DomainListChange> TakeChanges() override;
  void Replay(const std::vector<DomainListChange>& changes) override;

  // The domain's configuration folder, ending with a separator; empty when
  // the name cannot be a folder name (empty, ".", "..", or holding a
  // separator or a zero byte), so no caller reaches outside the
  // configuration directory.
  std::string FolderOf(std::string_view name) const;

  // domain.cfg of the resolved name's folder, through the cache (in
  // database mode the database's record comes before the file). The stamp
  // is taken before the read: a rewrite in between leaves the entry with
  // an older stamp than its bytes, so it is read again later rather than
  // served stale.
  Status LoadRecord(std::string_view resolved_name, DomainRecord* record) override;
  // Replaces domain.cfg, creating the folder when missing; in database
  // mode stores the record in the database first, and fails when the
  // database refuses it (domain.cfg is written all the same). The cache is
  // not filled: its entry turns stale by the file's new stamp.
  Status SaveRecord(std::string_view name, const DomainRecord& record) override;
  // DomainCache::SetUp from the record.
  void SetUpCache() override;
  const DomainCache& cache() const { return cache_; }

  // The bytes domains.cfg holds: count entries, at most the table.
  std::string FileImage() const;

 private:
  struct Resolution {
    int position = -1;
    std::string name;
  };

  uint8_t* Entry(int position) { return table_.data() + position * kDomainEntrySize; }
  const uint8_t* Entry(int position) const { return table_.data() + position * kDomainEntrySize; }
  int Capacity() const { return static_cast<int>(table_.size() / kDomainEntrySize); }
  void SetCount(int count);
  void StoreName(int position, std::string_view lower_name);
  void SetBindingFlag(int position, bool bound);
  void RebuildNameIndex();
  void Record(DomainListChange change);
  void ReplayOne(const DomainListChange& change);

  // Storage mode 2 with the database library loaded.
  bool Database() const;
  // The list from the database, when it holds any domain.
  bool ReadDatabaseList();
  void ReadDomainsFile(const std::string& path);
  void ReadLegacySettings();
  void UpgradeFromFixedTable();
  void WidenShortEntries();
  void RebuildIndex();

  int IndexLookup(const std::string& lower_name) const;
  Resolution ResolveAddressLiteral(std::string_view text) const;
  Resolution ResolveSubdomain(const std::string& lower_name) const;
  int FindPositionWithoutFallback(const std::string& lower_name) const;

  Env& env_;
  const std::string& config_path_;
  ServerConfig& record_;
  const bool& subdomains_enabled_;
  LockTable& locks_;
  const BackendLibrary* backend_;  // null: files only
  std::vector<uint8_t> table_;
  std::vector<bool> long_name_bound_;           // binding flags of 95-character names
  std::unordered_map<std::string, int> index_;  // name -> position
  std::vector<DomainListChange> changes_;       // since the last Load or TakeChanges
  DomainCache cache_;
};

}  // namespace tarvelin
