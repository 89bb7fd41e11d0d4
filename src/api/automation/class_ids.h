// The fixed identity of each automation class (jobs/registration/class_ids.h,
// where the registration finds it too).
#pragma once

#include "api/automation/guid.h"
#include "jobs/registration/class_ids.h"

namespace tarvelin::automation {

using registration::AllClassIds;
using registration::ClassIds;
using registration::ClassIdsNamed;
using registration::kLegacyPrefix;
using registration::kTypeLibraryHelp;
using registration::kTypeLibraryMajor;
using registration::kTypeLibraryMinor;
using registration::kTypeLibraryName;
using registration::TypeLibraryId;

}  // namespace tarvelin::automation
