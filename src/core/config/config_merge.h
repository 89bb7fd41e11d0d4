// Saving settings.cfg and domains.cfg while other programs change them too.
//
// Each Context keeps its baseline (config/config_state.h): the record and
// the stamps of both files as it last loaded or saved them; the domain
// store records the list changes made since (DomainStore::TakeChanges). A
// save holds kSettingsLock; when another program rewrote a file since the
// baseline, it reloads both through the load path and makes this process's
// changes again on what it read: the record's fields that differ from the
// baseline, and the list changes by name. The domain count follows the
// merged list. The result is written and becomes the new baseline. When
// neither file moved, what is written is the configuration in memory, as a
// single program always wrote it.
//
// Lock order: kSettingsLock comes before any domain's accounts lock.
#pragma once

#include "foundation/status.h"
#include "platform/cross_process_locks.h"
#include "platform/env.h"

namespace tarvelin {

class Context;

// The baseline becomes the configuration in memory with the stamps given
// (taken before the files were read), except the domain count, which is
// `stored_count`: what settings.cfg held before the list was loaded.
void TakeBaseline(Context& context, uint32_t stored_count, const FileStamp& settings_stamp,
                  const FileStamp& domains_stamp);

// Waits for kSettingsLock of the installation.
Result<CrossProcessLocks::Held> LockConfiguration(Context& context);

// With kSettingsLock held: when either file exists and was rewritten since
// the baseline, reloads the configuration and makes this process's changes
// again on it, as described above; the baseline becomes the files as read
// and the changes stay pending for the next save. A missing domains.cfg is
// not read: the list in memory stays, to be written whole. Nothing happens
// before a first load.
void CatchUpWithStoredConfiguration(Context& context);

// LockConfiguration, then CatchUpWithStoredConfiguration: for the steps
// that check the list or the record before they change it.
Result<CrossProcessLocks::Held> LockCurrentConfiguration(Context& context);

// Under kSettingsLock: catches up, then writes both files (as
// WriteConfiguration) when this process changed the record or the list, a
// file is missing, or nothing was loaded yet; otherwise writes nothing. The
// lock's failure, or the first failed write.
Status SaveMergedConfiguration(Context& context);

}  // namespace tarvelin
