// The keys that register the automation classes and their type library in
// an object registry, and the lookup of a class name in one.
//
// For each creatable class: "CLSID\{clsid}" with the description, its
// InprocServer32 (the library file, ThreadingModel "Free"), ProgID,
// TypeLib and Version subkeys; the ProgID "QuorantServer.X" with the
// description and its Clsid; then "OrvikCOM.X" (empty) and its Clsid. The
// type library: "TypeLib\{libid}\1.0" with its help text, "0\win32" (the
// library file), FLAGS and HELPDIR; and "Interface\{iid}" with
// ProxyStubClsid32 and TypeLib for every interface it declares, the
// service object's too. ServiceObject has no factory: no class keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/guid.h"
#include "foundation/status.h"
#include "jobs/registration/reg_file.h"

namespace tarvelin::registration {

inline constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT";

// Writes every key above; `library_path` is the full path of the library.
void AddClassKeys(RegFile& file, const std::string& library_path);
// Deletes exactly those keys (the "OrvikCOM." ones last); keys that are
// already gone are no failure.
void RemoveClassKeys(RegFile& file);

// The class a name ("OrvikCOM.X" or "QuorantServer.X", any case) is
// registered for: the default value of its "\Clsid" subkey names a class
// identifier whose InprocServer32 key exists and which is one of the
// creatable classes. NotFound "Class not registered" otherwise.
Result<Guid> RegisteredClass(const RegFile& file, std::string_view class_name);

// The names of the creatable classes, in factory order.
std::vector<std::string> CreatableClassNames();

}  // namespace tarvelin::registration
