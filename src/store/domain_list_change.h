// DomainListChange: one change this process made to the domain list, by
// name rather than position, so that it can be made again on a list that
// another program rewrote meanwhile (the merge of core/config/).
#pragma once

#include <string>

namespace tarvelin {

struct DomainListChange {
  enum class Kind {
    kAdd,     // `name` appended
    kRename,  // `name` renamed to `new_name`
    kRemove,  // `name` removed
    kBind,    // `name`'s binding flag set to `bound`
  };

  Kind kind = Kind::kAdd;
  std::string name;  // as stored: lower-case, at most 95 characters
  std::string new_name;
  bool bound = false;

  bool operator==(const DomainListChange&) const = default;
};

}  // namespace tarvelin
