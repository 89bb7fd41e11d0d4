#include "jobs/challenge/challenge_folder.h"

namespace tarvelin {

namespace {

constexpr size_t kFolderNameMax = 255;

}  // namespace

std::string ChallengeRoot(std::string_view spam_directory) {
  std::string root(spam_directory);
  if (!root.empty() && root.back() != '/') root += '/';
  return root + "challenge/";
}

std::string CleanChallengeFolderName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  std::string cleaned;
  cleaned.reserve(name.size());
  for (const char c : name) {
    if (c != '\\' && c != '/') cleaned += c;
  }
  // Each pass turns every ".." into "."; runs of dots shrink until one is
  // left, so no ".." survives.
  for (size_t at = cleaned.find(".."); at != std::string::npos; at = cleaned.find("..", at)) {
    cleaned.erase(at, 1);
  }
  return cleaned;
}

bool NamesNoFolder(std::string_view cleaned) { return cleaned.empty() || cleaned == "."; }

std::string ChallengeFolderPath(std::string_view root, std::string_view name) {
  const std::string cleaned = CleanChallengeFolderName(name);
  std::string path(root);
  if (!cleaned.empty()) path += cleaned + "/";
  return path;
}

std::string HostileFolderNameReason(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return "it holds a NUL character";
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos) {
    return "it holds a path separator";
  }
  if (name.find("..") != std::string_view::npos) return "it holds \"..\"";
  if (NamesNoFolder(name)) return "it names no folder below the challenge folder";
  if (name.size() > kFolderNameMax) return "it is longer than 255 characters";
  return {};
}

}  // namespace tarvelin
