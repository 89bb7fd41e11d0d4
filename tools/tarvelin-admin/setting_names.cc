#include "setting_names.h"

#include <vector>

#include "cli_output.h"
#include "cli_values.h"
#include "command_suggestion.h"
#include "foundation/text.h"
#include "schema/shipped_property_text.h"

namespace tarvelin::cli {

namespace {

const char* PrefixOf(SettingFamily family) {
  switch (family) {
    case SettingFamily::kConfig:
      return "c_";
    case SettingFamily::kDomain:
      return "d_";
    case SettingFamily::kAccount:
      return "u_";
    case SettingFamily::kRemote:
      return "ra_";
    case SettingFamily::kSchedule:
      return "sc_";
  }
  return "";
}

const char* FamilyWord(SettingFamily family) {
  switch (family) {
    case SettingFamily::kConfig:
      return "configuration";
    case SettingFamily::kDomain:
      return "domain";
    case SettingFamily::kAccount:
      return "account";
    case SettingFamily::kRemote:
      return "remote-account";
    case SettingFamily::kSchedule:
      return "schedule";
  }
  return "";
}

}  // namespace

SettingNames::SettingNames(const Context& context, SettingFamily family)
    : family_(family), prefix_(PrefixOf(family)), table_(&context.properties()) {
  if (table_->entries().empty()) {
    shipped_ = std::make_unique<PropertyTable>(PropertyTable::FromText(ShippedPropertyText()));
    table_ = shipped_.get();
  }
}

const PropertyEntry* SettingNames::Find(const std::string& lower_name) const {
  for (const std::string& name : {lower_name, prefix_ + lower_name}) {
    if (!name.starts_with(prefix_)) continue;
    if (const PropertyEntry* entry = table_->Lookup(name); entry && entry->name == name) {
      return entry;
    }
  }
  return nullptr;
}

int32_t SettingNames::IdOf(const std::string& word) const {
  if (!word.empty() && word[0] >= '0' && word[0] <= '9') return ParseId(word);
  const std::string lower = ToLower(word);
  if (const PropertyEntry* entry = Find(lower)) return entry->number;
  std::vector<std::string> names;
  for (const PropertyEntry& entry : table_->entries()) {
    if (entry.name.starts_with(prefix_)) names.push_back(entry.name);
  }
  std::string message = std::string("no ") + FamilyWord(family_) + " setting named '" + word + "'";
  std::string nearest = NearestWord(lower.starts_with(prefix_) ? lower : prefix_ + lower, names);
  if (!nearest.empty()) {
    if (const PropertyEntry* entry = Find(nearest); entry && !entry->spelled.empty()) {
      nearest = entry->spelled;
    }
    message += "; did you mean '" + nearest + "'?";
  }
  throw CommandError(message, ExitCode::kNotFound);
}

std::string SettingNames::NameOf(int32_t id) const {
  for (const PropertyEntry& entry : table_->entries()) {
    if (entry.number == id && entry.name.starts_with(prefix_)) {
      return entry.spelled.empty() ? entry.name : entry.spelled;
    }
  }
  return "";
}

std::string SettingNames::Label(int32_t id) const {
  const std::string name = NameOf(id);
  return name.empty() ? std::to_string(id) : name + " (" + std::to_string(id) + ")";
}

}  // namespace tarvelin::cli
