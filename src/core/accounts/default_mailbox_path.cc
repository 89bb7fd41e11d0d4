#include "core/accounts/default_mailbox_path.h"

#include <cstdint>

#include "core/domains/domain_records.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kSplitByAliasStart = 22140;  // variable 303
constexpr int kSplitLength = 22141;        // variable 304

std::string Without(std::string_view text, std::string_view removed) {
  std::string kept;
  for (const char c : text) {
    if (removed.find(c) == std::string_view::npos) kept += c;
  }
  return kept;
}

// An alias part without the characters a folder name cannot hold. When
// nothing usable is left ("*", "?", "|/"), the folder would be the one
// above it, the domain's own: the part then becomes "_" and the hex codes
// of its bytes ("*" gives "_2a"), a stable name that only this text makes.
std::string AliasPart(std::string_view text) {
  std::string part = Without(text, "\"*/<>?|");
  if (!part.empty() || text.empty()) return part;
  static constexpr char kHex[] = "0123456789abcdef";
  part = "_";
  for (const char c : text) {
    part += kHex[static_cast<uint8_t>(c) >> 4];
    part += kHex[static_cast<uint8_t>(c) & 0xF];
  }
  return part;
}

}  // namespace

std::string DefaultMailboxPath(Context& context, std::string_view domain,
                               std::string_view alias_list) {
  std::string prefix = DomainMailboxRoot(context, domain);
  if (prefix.empty()) prefix = domain;
  std::string path = Without(WithTrailingSeparator(prefix), "\"*<>?|");

  const ServerConfig& config = context.config.record;
  const int split = config.Byte(kSplitLength);
  if (config.Byte(kSplitByAliasStart) != 0 && split > 0) {
    path += AliasPart(CutTo(alias_list, static_cast<size_t>(split)));
    path += kPathSeparator;
  }
  std::string primary = Trim(alias_list.substr(0, alias_list.find(';')));
  if (!primary.empty() && primary.back() == '.') primary.back() = '_';
  path += AliasPart(primary);
  path += kPathSeparator;
  return path;
}

}  // namespace tarvelin
