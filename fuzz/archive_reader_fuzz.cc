// libFuzzer target for the backup archive reader: each input is unpacked
// into the configuration folder of a scratch installation, and nothing may
// appear in the scratch directory outside that installation.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "jobs/backup/backup_reader.h"
#include "platform/posix_env.h"

namespace fs = std::filesystem;

namespace {

const fs::path& Scratch() {
  static const fs::path scratch = [] {
    std::string pattern = (fs::temp_directory_path() / "archive-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return scratch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path scratch = Scratch();
  const fs::path install = scratch / "inst";
  const fs::path archive = scratch / "archive";
  fs::remove_all(install);
  fs::create_directories(install / "config");
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  tarvelin::UnpackOptions options;
  options.threads = 0;
  options.durable = false;
  static tarvelin::PosixEnv env;
  tarvelin::UnpackArchive(env, archive.string(), (install / "config").string() + "/", options);

  for (const auto& entry : fs::directory_iterator(scratch)) {
    const std::string name = entry.path().filename().string();
    if (name != "inst" && name != "archive") {
      std::fprintf(stderr, "written outside the installation: %s\n", entry.path().c_str());
      std::abort();
    }
  }
  for (const auto& entry : fs::recursive_directory_iterator(install)) {
    if (entry.is_symlink()) {
      std::fprintf(stderr, "a link was created: %s\n", entry.path().c_str());
      std::abort();
    }
  }
  return 0;
}
