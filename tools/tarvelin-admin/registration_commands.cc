// register and unregister: the automation classes of libtarvelinapi.so in
// the object registry file, so that scripts create them by name.
#include <memory>
#include <string>
#include <vector>

#include "cli_context.h"
#include "jobs/registration/class_registration.h"

namespace tarvelin::cli {

namespace {

constexpr const char* kLibraryName = "libtarvelinapi.so";

constexpr const char* kRegistryHelp =
    "The registry file (default: $TARVELIN_REGISTRY, else /etc/tarvelin/registry.reg as root, "
    "else $XDG_CONFIG_HOME/tarvelin/registry.reg)";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool IsFile(Env& env, const std::string& path) {
  Result<FileStamp> stamp = env.GetFileStamp(path);
  return stamp.ok() && stamp->exists;
}

// The library named, or the one installed with this program: in the
// library folder beside its bin folder, or (in a build tree) beside it or
// one folder up.
std::string LibraryFile(Env& env, const std::string& named) {
  if (!named.empty()) {
    if (!IsFile(env, named)) throw CommandError("no library file " + named, ExitCode::kNotFound);
    return Checked(env.RealPath(named), "cannot resolve " + named);
  }
  const std::string program = Checked(env.ProgramPath(), "cannot find this program's file");
  const std::string folder = FolderOf(program);
  for (const std::string& candidate : {folder + "../" + TARVELIN_LIBDIR + "/" + kLibraryName,
                                       folder + kLibraryName, folder + "../" + kLibraryName}) {
    if (IsFile(env, candidate)) return Checked(env.RealPath(candidate));
  }
  throw CommandError(std::string("cannot find ") + kLibraryName + " installed with " + program +
                         "; name it with --library",
                     ExitCode::kNotFound);
}

std::string RegistryFile(Env& env, const std::string& named) {
  return named.empty() ? Checked(registration::RegistryFilePath(env)) : named;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

void RegisterCommand(Session& session, const std::string& registry, const std::string& library) {
  Env& env = session.context().env();
  const std::string library_file = LibraryFile(env, library);
  const registration::RegistrationDone done =
      Checked(registration::RegisterClasses(env, RegistryFile(env, registry), library_file),
              "cannot register");
  session.out.Emit(
      {{"file", done.file}, {"library", library_file}, {"classes", done.classes}},
      "registered " + Joined(done.classes) + " (" + library_file + ") in " + done.file);
}

void UnregisterCommand(Session& session, const std::string& registry) {
  Env& env = session.context().env();
  const registration::RegistrationDone done = Checked(
      registration::UnregisterClasses(env, RegistryFile(env, registry)), "cannot unregister");
  session.out.Emit({{"file", done.file}, {"classes", done.classes}},
                   "unregistered " + Joined(done.classes) + " from " + done.file);
}

}  // namespace

void RegisterRegistrationCommands(CLI::App& app, Session& session) {
  auto* reg = app.add_subcommand(
      "register",
      "Register the automation classes (OrvikCOM.X and QuorantServer.X) in the object registry; "
      "other programs' keys stay as they are, and a damaged registry file is left untouched "
      "(exit 5)");
  auto registry = std::make_shared<std::string>();
  auto library = std::make_shared<std::string>();
  reg->add_option("--registry", *registry, kRegistryHelp);
  reg->add_option("--library", *library,
                  std::string("The library the classes load from (default: the ") + kLibraryName +
                      " installed with this program)");
  reg->callback([&session, registry, library] { RegisterCommand(session, *registry, *library); });

  auto* unreg = app.add_subcommand(
      "unregister",
      "Take the automation classes out of the object registry; other programs' keys stay as "
      "they are, and a damaged registry file is left untouched (exit 5)");
  auto unreg_registry = std::make_shared<std::string>();
  unreg->add_option("--registry", *unreg_registry, kRegistryHelp);
  unreg->callback([&session, unreg_registry] { UnregisterCommand(session, *unreg_registry); });
}

}  // namespace tarvelin::cli
