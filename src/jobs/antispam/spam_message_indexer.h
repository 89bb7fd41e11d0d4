// Indexing the sorted messages of one folder for the antispam engine: each
// message file (".tmp" or ".imap", any letter case, directly in the folder)
// that does not yet carry the folder's class gets the X-AntiSpam-Status
// header set to it (mailstore/spam_status_header.h) and a copy in the
// index queue, ConfigPath + "../spam/index/" and one of "spam/",
// "genuine/", "genuine-spam/", "spam-genuine/".
//
// A message is rewritten into a new file beside it that is renamed over it
// (with the old modification time) only once the copy is in the queue, so
// a reader sees either the old or the new message, never none or half of
// one, and a message that cannot be rewritten or copied stays as it was.
// A message changed by another program meanwhile is left for the next run;
// a link named like a message is never followed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace tarvelin {

struct SpamIndexTally {
  int64_t accounts = 0;    // eligible accounts indexed
  int64_t messages = 0;    // message files looked at
  int64_t classified = 0;  // rewritten and copied into the queue
  int64_t failed = 0;      // left as they were: unreadable, not writable
};

class SpamMessageIndexer {
 public:
  // `index_root` ends with a separator; `env` outlives the indexer.
  SpamMessageIndexer(Env& env, std::string index_root);

  // Indexes the messages of `folder` (ending with a separator) with
  // `status` 0 (genuine) or 1 (spam). A folder that cannot be listed has
  // nothing to index.
  void IndexFolder(std::string_view folder, int status, SpamIndexTally* tally);

 private:
  enum class Outcome { kUntouched, kClassified, kFailed };

  Outcome IndexMessage(const std::string& path, std::string_view name, int status);
  // The queue folder for a message given `status` that carried `previous`
  // (-1: no classification); null when it cannot be created.
  const std::string* QueueFolder(int status, int previous);

  Env& env_;
  std::string index_root_;
  // Each queue folder once it is made.
  std::array<std::string, 4> queue_folders_;
  // Reused for every folder and message: the names listed, one read block
  // and the rewritten bytes.
  std::vector<std::string> names_;
  std::string block_;
  std::string out_;
};

// Whether `name` is a message file name: ".tmp" or ".imap" in any case.
bool IsMessageFileName(std::string_view name);

}  // namespace tarvelin
