// Builders for the files of a test installation.
#pragma once

#include <string>
#include <vector>

#include "schema/server_config.h"

namespace tarvelin::testing {

// The settings.cfg bytes of a record (scrambled).
std::string SettingsFileOf(const ServerConfig& record);
// The record a settings.cfg holds (unscrambled; short files zero-padded).
ServerConfig RecordOfSettingsFile(const std::string& bytes);
// domains.cfg bytes: 96-byte entries, lower-case names, binding flag 0.
std::string DomainsFileOf(const std::vector<std::string>& names);
// A record with `count` at the domain-count offset.
ServerConfig RecordWithDomainCount(int count);

}  // namespace tarvelin::testing
