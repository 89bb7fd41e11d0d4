// The account database's connection text (configuration variable 97) as
// db.so is to receive it. db.so never learns the configuration folder, so
// paths relative to it are made whole here: an empty text is the SQLite
// database tarvelin.db of the configuration folder, and an SQLite
// "database=" that is not absolute lies in that folder.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr char kDefaultDatabaseFile[] = "tarvelin.db";

std::string ResolveConnectionText(std::string_view text, const std::string& config_path);

}  // namespace tarvelin
