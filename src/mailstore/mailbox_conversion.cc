#include "mailstore/mailbox_conversion.h"

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/text.h"
#include "mailstore/mailbox_location.h"
#include "mailstore/message_conversion.h"
#include "mailstore/message_file_name.h"
#include "platform/atomic_file_writer.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr std::string_view kInbox = "inbox";
constexpr std::string_view kSpamFolder = "~spam";
// New message files flushed together; each is closed and holds only its
// names until then.
constexpr size_t kBatchFiles = 256;

// System folders begin with "~" and hidden ones with "."; of those only the
// spam folder holds messages.
bool HoldsMessages(std::string_view folder_name) {
  if (!folder_name.starts_with('.') && !folder_name.starts_with('~')) return true;
  return EqualsNoCase(folder_name, kSpamFolder);
}

class Converter {
 public:
  Converter(Env& env, const MailboxConversion& how)
      : env_(env),
        how_(how),
        source_extension_(how.from_imap ? kImapExtension : kPop3Extension),
        target_extension_(how.from_imap ? kPop3Extension : kImapExtension) {}

  bool found() const { return found_; }

  void ConvertTree(const std::string& folder) {
    if (!DirectoryExists(env_, folder)) env_.CreateDirectories(folder);
    const Result<PathInfo> info = env_.GetPathInfo(folder, Links::kFollow);
    if (!info.ok()) return;
    const PathIdentity identity = info->identity();
    if (std::find(visiting_.begin(), visiting_.end(), identity) != visiting_.end()) return;
    std::vector<DirectoryEntry> entries;
    env_.ListDirectory(folder, &entries);
    ConvertFiles(folder, entries);
    if (!how_.recursive) return;
    visiting_.push_back(identity);
    for (const DirectoryEntry& entry : entries) {
      if (how_.probe && found_) break;
      if (entry.is_directory && HoldsMessages(entry.name)) {
        ConvertTree(folder + entry.name + kPathSeparator);
      }
    }
    visiting_.pop_back();
  }

 private:
  struct Written {
    std::string source;
    AtomicFileWriter new_form;
  };

  void ConvertFiles(const std::string& folder, const std::vector<DirectoryEntry>& entries) {
    std::vector<Written> batch;
    for (const DirectoryEntry& entry : entries) {
      if (entry.is_directory || !entry.name.ends_with(source_extension_)) continue;
      found_ = true;
      if (how_.probe) return;
      Written written{folder + entry.name, AtomicFileWriter(env_)};
      const std::string target = folder + ConvertedMessageName(entry.name, target_extension_);
      if (how_.from_imap ? WritePop3Form(env_, written.source, target, &written.new_form)
                         : WriteImapForm(env_, written.source, target, &written.new_form)) {
        batch.push_back(std::move(written));
      }
      if (batch.size() >= kBatchFiles) PutBatchInPlace(folder, &batch);
    }
    PutBatchInPlace(folder, &batch);
  }

  // One flush makes the whole batch durable before any old file goes;
  // what is not put in place is discarded with the batch.
  void PutBatchInPlace(const std::string& folder, std::vector<Written>* batch) {
    if (!batch->empty() && env_.SyncFileSystem(folder).ok()) {
      for (Written& written : *batch) PutInPlace(env_, written.source, &written.new_form);
    }
    batch->clear();
  }

  Env& env_;
  const MailboxConversion how_;
  const std::string_view source_extension_;
  const std::string_view target_extension_;
  bool found_ = false;
  std::vector<PathIdentity> visiting_;  // the folders the walk is inside
};

// Moves the files of `from` whose names end in `extension` into `to`,
// never over a file of the same name.
void MoveMessages(Env& env, const std::string& from, const std::string& to,
                  std::string_view extension) {
  std::vector<DirectoryEntry> entries;
  env.ListDirectory(from, &entries);
  for (const DirectoryEntry& entry : entries) {
    if (entry.is_directory || !entry.name.ends_with(extension)) continue;
    env.RenameFile(from + entry.name, to + entry.name, /*replace=*/false);
  }
}

// Whether `folder` holds a file whose name ends in `extension`.
bool HoldsFilesEndingIn(Env& env, const std::string& folder, std::string_view extension) {
  std::vector<DirectoryEntry> entries;
  env.ListDirectory(folder, &entries);
  return std::any_of(entries.begin(), entries.end(), [extension](const DirectoryEntry& entry) {
    return !entry.is_directory && entry.name.ends_with(extension);
  });
}

std::string StartFolder(const std::string& root, const std::string& inbox,
                        const MailboxConversion& how) {
  return how.from_imap && !how.recursive ? inbox : root;
}

}  // namespace

bool ConvertMailbox(Env& env, std::string_view mail_root, std::string_view mailbox_path,
                    const MailboxConversion& how) {
  const std::string root = MailboxFolder(mail_root, mailbox_path);
  if (root.empty()) return false;
  const std::string inbox = root + std::string(kInbox) + kPathSeparator;
  Converter converter(env, how);
  converter.ConvertTree(StartFolder(root, inbox, how));
  if (!how.probe) {
    if (how.from_imap) {
      MoveMessages(env, inbox, root, kPop3Extension);
    } else {
      env.CreateDirectories(inbox);
      MoveMessages(env, root, inbox, kImapExtension);
    }
  }
  return converter.found();
}

bool MailboxConversionHasWork(Env& env, std::string_view mail_root, std::string_view mailbox_path,
                              const MailboxConversion& how) {
  const std::string root = MailboxFolder(mail_root, mailbox_path);
  if (root.empty()) return false;
  const std::string inbox = root + std::string(kInbox) + kPathSeparator;
  const std::string start = StartFolder(root, inbox, how);
  // The probe creates only its start folder, which exists here.
  if (DirectoryExists(env, start)) {
    Converter probe(env, {.from_imap = how.from_imap, .probe = true, .recursive = how.recursive});
    probe.ConvertTree(start);
    if (probe.found()) return true;
  }
  return how.from_imap ? HoldsFilesEndingIn(env, inbox, kPop3Extension)
                       : HoldsFilesEndingIn(env, root, kImapExtension);
}

}  // namespace tarvelin
