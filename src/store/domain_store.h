// DomainStore: the domains of an installation. The ordered list (position
// 0 is the primary domain, the fallback of lookups that may fall back) with
// its name index and the address bindings of each domain, and each
// domain's settings record (DomainRecord). Every access to the list and to
// the records goes through this interface; store/file/ keeps them in
// domains.cfg and each domain's domain.cfg.
//
// Names are stored lower-case, at most kDomainNameMax characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "schema/domain_record_layout.h"
#include "store/domain_list_change.h"

namespace tarvelin {

inline constexpr int kDomainNameMax = 95;

class DomainStore {
 public:
  virtual ~DomainStore() = default;

  // Letters, digits, "-", ".", "[" and "]" below code 127; any character of
  // 127 and above.
  static bool ValidName(std::string_view name);
  // Whether a domain name can stand as one folder name: not empty, "." or
  // "..", and without a separator or a zero byte.
  static bool IsFolderName(std::string_view name);

  // Reads the list afresh (applying the upgrades of older layouts) and
  // rebuilds the name index; the record of changes starts empty. True when
  // a stored list was read.
  virtual bool Load() = 0;
  // Writes the list as a whole, so that a crash leaves the old or the new.
  virtual Status SaveList() const = 0;

  virtual int Count() const = 0;
  // Entries the table holds; positions from here up to Count() are empty.
  virtual int TableEntries() const = 0;
  // Empty for a position outside the table.
  virtual std::string NameAt(int position) const = 0;

  // Position of a name (lower-cased) through the index, then bracketed
  // address literals (when setting 179 is on), then subdomains.dat. A name
  // that does not resolve gives -1 when strict, else 0.
  virtual int FindPosition(std::string_view name, bool strict) const = 0;
  // True when FindPosition resolves the name without falling back; an
  // address ("a@b", no ":") is reduced to its domain.
  virtual bool Exists(std::string_view name) const = 0;
  // The name whose record a load by `name` reads: lower-cased, a bracketed
  // address literal (setting 179 on) replaced by its domain, and a name
  // without a record mapped through subdomains.dat. Unresolved parts stay.
  virtual std::string ResolveRecordName(std::string_view name) const = 0;

  // Adds the lower-cased name (cut to 95 characters) at the end.
  virtual void Append(std::string_view name) = 0;
  // Replaces the name at the position (lower-cased, cut to 95 characters),
  // keeping its binding. False for a position outside the table.
  virtual bool RenameEntry(int position, std::string_view name) = 0;
  // Removes the entry; later entries move one position down. False for a
  // position outside 0 .. Count()-1.
  virtual bool RemoveEntry(int position) = 0;

  virtual bool BindingFlag(int position) const = 0;
  // The addresses the domain is bound to, trimmed; empty when none.
  virtual std::string GetBinding(int position) const = 0;
  // A non-empty text (cut to 255 characters) becomes the binding; an empty
  // one removes it. False, with the binding unchanged, when it cannot be
  // stored or the position names no domain.
  virtual bool SetBinding(int position, std::string_view addresses) = 0;
  // The first position whose binding list holds the address (compared like
  // list items: case-insensitive, trimmed), or -1.
  virtual int PositionOfAddress(std::string_view address) const = 0;

  // Every Append, RenameEntry, RemoveEntry and SetBinding since the last
  // Load or TakeChanges is recorded by name, oldest first.
  virtual bool HasChanges() const = 0;
  // The recorded changes; the record starts empty again.
  virtual std::vector<DomainListChange> TakeChanges() = 0;
  // Makes the changes again, in order and by name, on the list as it is
  // (another program's list, just loaded), recording those it makes. A
  // change that would leave a blank entry or a name twice is skipped: an
  // add of a name the list holds, a rename or removal or binding of a name
  // it lacks, a rename onto a name another entry holds. A binding sets
  // only the flag: its bind.dat was written when the change was made.
  virtual void Replay(const std::vector<DomainListChange>& changes) = 0;

  // The record of a name ResolveRecordName gave, from the record cache or
  // the store (then cached). NotFound, the record all zero, when the domain
  // has no readable record.
  virtual Status LoadRecord(std::string_view resolved_name, DomainRecord* record) = 0;
  // Stores the record of the domain `name` (a stored name).
  virtual Status SaveRecord(std::string_view name, const DomainRecord& record) = 0;
  // Sets the record cache up afresh from the configuration.
  virtual void SetUpCache() = 0;
};

}  // namespace tarvelin
