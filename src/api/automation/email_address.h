// The e-mail addresses the domain and account objects take: the alias is
// the text before the first "@", trimmed; the domain the text after it,
// trimmed and lower-cased, or the caller's default when that is empty.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin::automation {

struct AddressParts {
  std::string alias;
  std::string domain;
};

AddressParts SplitEmail(std::string_view email, std::string_view default_domain);

}  // namespace tarvelin::automation
