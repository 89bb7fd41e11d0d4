#include "jobs/registration/class_ids.h"

namespace tarvelin::registration {

namespace {

Guid Fixed(std::string_view text) { return *ParseGuid(text); }

}  // namespace

const Guid& TypeLibraryId() {
  static const Guid id = Fixed("{28ACCF62-4A87-4EEC-9119-4691E5F26222}");
  return id;
}

const std::vector<ClassIds>& AllClassIds() {
  static const std::vector<ClassIds> ids = {
      {"APIObject", "API Object ", "IAPIObject", Fixed("{A6691052-3487-4DAC-BBE2-31965D0CCA49}"),
       Fixed("{E1E42F6D-2F00-4C8A-B02E-CC0912D7F032}"), true},
      {"DomainObject", "Domain Object", "IDomainObject",
       Fixed("{5A3EC440-B11E-4626-A8F8-D1C16A143B7A}"),
       Fixed("{EBB8E5E0-74AC-4D2F-A8E3-178D00DC3702}"), true},
      {"AccountObject", "Account Object", "IAccountObject",
       Fixed("{053B326F-DEB7-4386-AF43-B3C4A9EAA5C8}"),
       Fixed("{0BF3094F-3992-4904-BF56-D6BFB6FB94F4}"), true},
      {"RemoteAccountObject", "Remote Account Object", "IRemoteAccountObject",
       Fixed("{9F191A98-5BB2-4473-A2EF-88E157B189D6}"),
       Fixed("{53649617-6A27-4162-BDFC-459686610C0C}"), true},
      {"ScheduleObject", "Schedule Object", "IScheduleObject",
       Fixed("{1D2F9D13-54A3-414B-ACA2-DEAF33A5C1A5}"),
       Fixed("{55A21583-5AD8-480C-BCDA-7B98A58B832D}"), true},
      {"StatisticsObject", "Statistics Object", "IStatisticsObject",
       Fixed("{7D583AA7-DE6D-4D22-8B82-A73B26C354FE}"),
       Fixed("{9696BB14-B35B-44DE-8B1D-80C1359A0684}"), true},
      {"ServiceObject", "Service Object", "IServiceObject",
       Fixed("{5634AA85-250A-46C1-BA77-88380B6E797F}"),
       Fixed("{F6600EE0-2DEA-4FC0-A5B2-E6C47A255424}"), false},
  };
  return ids;
}

const ClassIds* ClassIdsNamed(std::string_view name) {
  for (const ClassIds& ids : AllClassIds()) {
    if (ids.name == name) return &ids;
  }
  return nullptr;
}

}  // namespace tarvelin::registration
