// A problem found in a file of an installation: which file (its full
// path), what is wrong with it, and how bad that is. The load of the
// configuration (config/load_damage.h) and the check of a whole
// installation (jobs/check/installation_check.h) report them.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

enum class ProblemLevel {
  kDamaged,  // the file is damaged or cannot be read: data are lost or read wrong
  kError,    // the files read, but disagree: two accounts answer one alias, share a folder
  kWarning,  // worth a look, not wrong by itself: a folder outside the installation
};

// "damaged", "error", "warning".
std::string_view LevelName(ProblemLevel level);

struct FileProblem {
  ProblemLevel level = ProblemLevel::kDamaged;
  std::string file;
  std::string problem;
};

}  // namespace tarvelin
