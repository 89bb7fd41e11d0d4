#include "backend/last_users_domain.h"

#include <optional>

namespace tarvelin::backend {
namespace {

std::optional<std::string>& Remembered() {
  thread_local std::optional<std::string> domain;
  return domain;
}

}  // namespace

void RememberUsersDomain(std::string_view domain) { Remembered() = std::string(domain); }

Result<std::string> LastUsersDomain() {
  if (!Remembered()) {
    return Status::NotFound("no DBGetUsers call on this thread names the domain to remove from");
  }
  return *Remembered();
}

}  // namespace tarvelin::backend
