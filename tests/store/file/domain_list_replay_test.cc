// The list changes a program made, made again by name on a list another
// program saved meanwhile: no blank entry and no name twice, whatever the
// other program did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/context.h"
#include "schema/config_offsets.h"
#include "store/file/file_domain_store.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using Kind = DomainListChange::Kind;
using testing::DomainsFileOf;
using testing::TempDir;

class DomainListReplayTest : public ::testing::Test {
 protected:
  DomainListReplayTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
  }
  FileDomainStore& domains() { return dynamic_cast<FileDomainStore&>(context_.domains()); }
  void LoadList(const std::vector<std::string>& names) {
    dir_.Write("config/domains.cfg", DomainsFileOf(names));
    context_.config.record.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(names.size()));
    domains().Load();
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int position = 0; position < domains().Count(); ++position) {
      names.push_back(domains().NameAt(position));
    }
    return names;
  }

  TempDir dir_;
  Context context_;
};

TEST_F(DomainListReplayTest, ChangesAreRecordedByNameUntilTakenOrLoaded) {
  LoadList({"a.example", "b.example", "c.example"});
  EXPECT_FALSE(domains().HasChanges()) << "a load is nobody's change";
  domains().Append("New.Example");
  domains().RenameEntry(0, "Z.example");
  domains().RemoveEntry(1);
  ASSERT_TRUE(domains().SetBinding(0, "192.0.2.1"));
  EXPECT_TRUE(domains().HasChanges());
  const std::vector<DomainListChange> expected = {
      {Kind::kAdd, "new.example", "", false},
      {Kind::kRename, "a.example", "z.example", false},
      {Kind::kRemove, "b.example", "", false},
      {Kind::kBind, "z.example", "", true},
  };
  EXPECT_EQ(domains().TakeChanges(), expected);
  EXPECT_FALSE(domains().HasChanges());

  domains().Append("other.example");
  LoadList({"a.example"});
  EXPECT_FALSE(domains().HasChanges());
}

TEST_F(DomainListReplayTest, ReplayOnAnotherProgramsListSkipsWhatWouldBlankOrDuplicate) {
  const struct {
    const char* what;
    std::vector<std::string> stored;  // the other program's list
    std::vector<DomainListChange> changes;
    std::vector<std::string> names;  // afterwards
    size_t replayed;                 // changes made and recorded again
  } cases[] = {
      {"an add is appended",
       {"a.example", "b.example"},
       {{Kind::kAdd, "c.example", ""}},
       {"a.example", "b.example", "c.example"},
       1},
      {"an add of a name the other program added too",
       {"a.example", "c.example"},
       {{Kind::kAdd, "c.example", ""}},
       {"a.example", "c.example"},
       0},
      {"a rename",
       {"a.example", "b.example"},
       {{Kind::kRename, "a.example", "z.example"}},
       {"z.example", "b.example"},
       1},
      {"a rename of a name the other program removed",
       {"b.example"},
       {{Kind::kRename, "a.example", "z.example"}},
       {"b.example"},
       0},
      {"a rename onto a name the other program added",
       {"a.example", "z.example"},
       {{Kind::kRename, "a.example", "z.example"}},
       {"a.example", "z.example"},
       0},
      {"a removal of a moved entry",
       {"x.example", "a.example", "b.example"},
       {{Kind::kRemove, "a.example", ""}},
       {"x.example", "b.example"},
       1},
      {"a removal of a name the other program removed",
       {"a.example"},
       {{Kind::kRemove, "b.example", ""}},
       {"a.example"},
       0},
      {"changes in order",
       {"a.example"},
       {{Kind::kAdd, "x.example", ""},
        {Kind::kRename, "x.example", "y.example"},
        {Kind::kRemove, "a.example", ""}},
       {"y.example"},
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadList(c.stored);
    domains().Replay(c.changes);
    EXPECT_EQ(Names(), c.names);
    EXPECT_EQ(domains().FileImage(), DomainsFileOf(c.names));
    EXPECT_EQ(domains().TakeChanges().size(), c.replayed);
    for (const std::string& name : c.names) {
      EXPECT_EQ(domains().NameAt(domains().FindPosition(name, true)), name);
    }
  }
}

TEST_F(DomainListReplayTest, ABindingSetsOnlyTheFlagOfTheEntryByItsName) {
  LoadList({"x.example", "a.example"});
  domains().Replay({{Kind::kBind, "a.example", "", true}, {Kind::kBind, "gone.example", "", true}});
  EXPECT_FALSE(domains().BindingFlag(0));
  EXPECT_TRUE(domains().BindingFlag(1));
  EXPECT_FALSE(dir_.Exists("config/a.example/bind.dat")) << "written when the change was made";
  EXPECT_EQ(domains().TakeChanges().size(), 1u);
}

}  // namespace
}  // namespace tarvelin
