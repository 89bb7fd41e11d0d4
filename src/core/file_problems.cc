#include "core/file_problems.h"

namespace tarvelin {

std::string_view LevelName(ProblemLevel level) {
  switch (level) {
    case ProblemLevel::kDamaged:
      return "damaged";
    case ProblemLevel::kError:
      return "error";
    case ProblemLevel::kWarning:
      return "warning";
  }
  return "damaged";
}

}  // namespace tarvelin
