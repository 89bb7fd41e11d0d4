#include "jobs/registration/class_registration.h"

#include <functional>

#include "jobs/registration/class_keys.h"
#include "jobs/registration/reg_file.h"
#include "platform/file_system.h"
#include "platform/process_identity.h"
#include "platform/system_error.h"

namespace tarvelin::registration {

namespace {

// The status's message with the system's words for its error number.
std::string Why(const Status& status) {
  std::string why = status.message();
  if (status.sys_errno() != 0) why += ": " + SystemErrorText(status.sys_errno());
  return why;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Reads, changes and replaces the file under its lock. `create` false
// leaves a missing file missing. Failures carry the system's words in their
// message and no error number, which callers would print a second time.
Result<RegistrationDone> ChangeRegistry(Env& env, const std::string& registry_file, bool create,
                                        const std::function<void(RegFile&)>& change) {
  const std::string cannot = "cannot change the registry file " + registry_file + ": ";
  if (create) {
    if (Status made = env.CreateDirectories(FolderOf(registry_file)); !made.ok()) {
      return Status::IOError(cannot + Why(made));
    }
  }
  std::unique_ptr<FileLock> lock;
  Result<FileStamp> stamp = env.GetFileStamp(registry_file);
  if (create || (stamp.ok() && stamp->exists)) {
    Result<std::unique_ptr<FileLock>> locked = env.LockByte(registry_file + ".lock", 0);
    if (!locked.ok()) return Status::IOError(cannot + Why(locked.status()));
    lock = std::move(*locked);
  }
  std::string text;
  if (Status read = env.ReadFile(registry_file, &text); !read.ok()) {
    if (read.code() != StatusCode::kNotFound) {
      return Status::IOError(cannot + Why(read));
    }
    if (!create) return RegistrationDone{registry_file, CreatableClassNames()};
    text.clear();
  }
  Result<RegFile> file = RegFile::Parse(text);
  if (!file.ok()) {
    return Status::Corruption("the registry file " + registry_file + " is damaged (" +
                              file.status().message() + "); it was left as it is");
  }
  change(*file);
  const std::string changed = file->Serialize();
  if (changed != text) {
    if (Status written = WriteFileAtomic(env, registry_file, changed); !written.ok()) {
      return Status::IOError(cannot + Why(written));
    }
  }
  return RegistrationDone{registry_file, CreatableClassNames()};
}

}  // namespace

Result<std::string> RegistryFilePath(Env& env) {
  std::string named = env.GetVariable("TARVELIN_REGISTRY");
  if (!named.empty()) return named;
  if (RunningAsSuperUser()) return std::string("/etc/tarvelin/registry.reg");
  std::string config = env.GetVariable("XDG_CONFIG_HOME");
  if (config.empty()) {
    const std::string home = env.GetVariable("HOME");
    if (home.empty()) {
      return Status::InvalidArgument(
          "no registry file: neither TARVELIN_REGISTRY, XDG_CONFIG_HOME nor HOME is set");
    }
    config = home + "/.config";
  }
  return config + "/tarvelin/registry.reg";
}

Result<RegistrationDone> RegisterClasses(Env& env, const std::string& registry_file,
                                         const std::string& library_path) {
  return ChangeRegistry(env, registry_file, /*create=*/true,
                        [&](RegFile& file) { AddClassKeys(file, library_path); });
}

Result<RegistrationDone> UnregisterClasses(Env& env, const std::string& registry_file) {
  return ChangeRegistry(env, registry_file, /*create=*/false,
                        [](RegFile& file) { RemoveClassKeys(file); });
}

}  // namespace tarvelin::registration
