// The fixed identity of each automation class: its name, the help text the
// type library gives it, its class and interface identifiers. These are a
// contract with registered clients: never change them. They live below the
// automation objects so that the registration (the library's exports and
// the CLI alike) writes the same ones the objects are made by.
#pragma once

#include <string_view>
#include <vector>

#include "foundation/guid.h"

namespace tarvelin::registration {

struct ClassIds {
  std::string_view name;            // "APIObject"
  std::string_view description;     // "API Object "
  std::string_view interface_name;  // "IAPIObject"
  Guid clsid;
  Guid iid;
  bool creatable;  // ServiceObject is declared, never made
};

inline constexpr std::string_view kTypeLibraryName = "QuorantServer";
inline constexpr std::string_view kTypeLibraryHelp = "Quorant Server COM";
inline constexpr std::string_view kLegacyPrefix = "OrvikCOM";
inline constexpr int kTypeLibraryMajor = 1;
inline constexpr int kTypeLibraryMinor = 0;

const Guid& TypeLibraryId();

// The six creatable classes in the order their factories are made, then
// ServiceObject.
const std::vector<ClassIds>& AllClassIds();
// By class name, exactly; null for another name.
const ClassIds* ClassIdsNamed(std::string_view name);

}  // namespace tarvelin::registration
