#include "api/automation/email_address.h"

#include "foundation/text.h"

namespace tarvelin::automation {

AddressParts SplitEmail(std::string_view email, std::string_view default_domain) {
  AddressParts parts;
  const size_t at = email.find('@');
  parts.alias = Trim(email.substr(0, at));
  if (at != std::string_view::npos) parts.domain = ToLower(Trim(email.substr(at + 1)));
  if (parts.domain.empty()) parts.domain = std::string(default_domain);
  return parts;
}

}  // namespace tarvelin::automation
