#include "api/automation/registry_resolver.h"

#include "jobs/registration/class_keys.h"
#include "jobs/registration/class_registration.h"

namespace tarvelin::automation {

Result<Guid> RegistryResolver::Resolve(std::string_view class_name) {
  const Status unregistered = Status::NotFound("Class not registered");
  Result<std::string> path = registration::RegistryFilePath(env_);
  if (!path.ok()) return unregistered;
  Result<FileStamp> stamp = env_.GetFileStamp(*path);
  if (!stamp.ok() || !stamp->exists) return unregistered;
  std::lock_guard<std::mutex> lock(mutex_);
  if (*path != path_ || !(*stamp == stamp_)) {
    file_.reset();
    path_ = *path;
    stamp_ = *stamp;
    // Read through one open version, so the text belongs to the stamp kept.
    Result<std::unique_ptr<ReadableFile>> opened = env_.NewReadableFile(*path);
    if (opened.ok()) {
      stamp_ = (*opened)->stamp();
      std::string text(static_cast<size_t>(stamp_.size), '\0');
      Result<size_t> read = (*opened)->ReadAt(0, text.data(), text.size());
      if (read.ok()) {
        text.resize(*read);
        Result<registration::RegFile> parsed = registration::RegFile::Parse(text);
        if (parsed.ok()) file_ = std::move(*parsed);
      }
    }
  }
  if (!file_) return unregistered;
  return registration::RegisteredClass(*file_, class_name);
}

ClassResolver ResolveThroughRegistry(Env& env) {
  auto resolver = std::make_shared<RegistryResolver>(env);
  return [resolver](std::string_view class_name) { return resolver->Resolve(class_name); };
}

}  // namespace tarvelin::automation
