#include "jobs/registration/class_keys.h"

#include "jobs/registration/class_ids.h"
#include "jobs/registration/class_names.h"

namespace tarvelin::registration {

namespace {

// The proxy of dual interfaces, which marshals them by their type library.
constexpr std::string_view kDualProxy = "{00020424-0000-0000-C000-000000000046}";

std::string Key(std::string_view path) {
  return std::string(kClassesRoot) + "\\" + std::string(path);
}

std::string ClassKey(const ClassIds& ids) { return Key("CLSID\\" + GuidText(ids.clsid)); }

std::string TypeLibVersion() {
  return std::to_string(kTypeLibraryMajor) + "." + std::to_string(kTypeLibraryMinor);
}

std::string TypeLibKey() {
  return Key("TypeLib\\" + GuidText(TypeLibraryId()) + "\\" + TypeLibVersion());
}

std::string InterfaceKey(const ClassIds& ids) { return Key("Interface\\" + GuidText(ids.iid)); }

std::string Folder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

void AddClassKeys(RegFile& file, const std::string& library_path) {
  const std::string libid = GuidText(TypeLibraryId());
  file.SetValue(TypeLibKey(), "", kTypeLibraryHelp);
  file.SetValue(TypeLibKey() + "\\0\\win32", "", library_path);
  file.SetValue(TypeLibKey() + "\\FLAGS", "", "0");
  file.SetValue(TypeLibKey() + "\\HELPDIR", "", Folder(library_path));
  for (const ClassIds& ids : AllClassIds()) {
    file.SetValue(InterfaceKey(ids), "", ids.interface_name);
    file.SetValue(InterfaceKey(ids) + "\\ProxyStubClsid32", "", kDualProxy);
    file.SetValue(InterfaceKey(ids) + "\\TypeLib", "", libid);
    file.SetValue(InterfaceKey(ids) + "\\TypeLib", "Version", TypeLibVersion());
  }
  for (const ClassIds& ids : AllClassIds()) {
    if (!ids.creatable) continue;
    const std::string clsid = GuidText(ids.clsid);
    file.SetValue(ClassKey(ids), "", ids.description);
    file.SetValue(ClassKey(ids) + "\\InprocServer32", "", library_path);
    file.SetValue(ClassKey(ids) + "\\InprocServer32", "ThreadingModel", "Free");
    file.SetValue(Key(ProgId(ids)), "", ids.description);
    file.SetValue(Key(ProgId(ids)) + "\\Clsid", "", clsid);
    file.SetValue(ClassKey(ids) + "\\ProgID", "", ProgId(ids));
    file.SetValue(ClassKey(ids) + "\\TypeLib", "", libid);
    file.SetValue(ClassKey(ids) + "\\Version", "", TypeLibVersion());
  }
  for (const ClassIds& ids : AllClassIds()) {
    if (!ids.creatable) continue;
    file.SetValue(Key(LegacyName(ids)), "", "");
    file.SetValue(Key(LegacyName(ids)) + "\\Clsid", "", GuidText(ids.clsid));
  }
}

void RemoveClassKeys(RegFile& file) {
  for (const ClassIds& ids : AllClassIds()) {
    if (!ids.creatable) continue;
    file.DeleteKey(ClassKey(ids) + "\\ProgID");
    file.DeleteKey(Key(ProgId(ids)) + "\\Clsid");
    file.DeleteKey(Key(ProgId(ids)));
    file.DeleteKey(ClassKey(ids) + "\\InprocServer32");
    file.DeleteKey(ClassKey(ids) + "\\TypeLib");
    file.DeleteKey(ClassKey(ids) + "\\Version");
    file.DeleteKey(ClassKey(ids));
  }
  for (const ClassIds& ids : AllClassIds()) {
    file.DeleteKey(InterfaceKey(ids) + "\\ProxyStubClsid32");
    file.DeleteKey(InterfaceKey(ids) + "\\TypeLib");
    file.DeleteKey(InterfaceKey(ids));
  }
  file.DeleteKey(TypeLibKey() + "\\0\\win32");
  file.DeleteKey(TypeLibKey() + "\\FLAGS");
  file.DeleteKey(TypeLibKey() + "\\HELPDIR");
  file.DeleteKey(TypeLibKey());
  for (const ClassIds& ids : AllClassIds()) {
    if (!ids.creatable) continue;
    file.DeleteKey(Key(LegacyName(ids)) + "\\Clsid");
    file.DeleteKey(Key(LegacyName(ids)));
  }
}

Result<Guid> RegisteredClass(const RegFile& file, std::string_view class_name) {
  const Status unregistered = Status::NotFound("Class not registered");
  std::optional<std::string> text = file.Value(Key(class_name) + "\\Clsid", "");
  if (!text) return unregistered;
  std::optional<Guid> clsid = ParseGuid(*text);
  if (!clsid) return unregistered;
  if (!file.HasKey(Key("CLSID\\" + GuidText(*clsid)) + "\\InprocServer32")) return unregistered;
  for (const ClassIds& ids : AllClassIds()) {
    if (ids.creatable && ids.clsid == *clsid) return *clsid;
  }
  return unregistered;
}

std::vector<std::string> CreatableClassNames() {
  std::vector<std::string> names;
  for (const ClassIds& ids : AllClassIds()) {
    if (ids.creatable) names.emplace_back(ids.name);
  }
  return names;
}

}  // namespace tarvelin::registration
