// The indexed lookups against a plain scan of users.cfg in file order, on
// many random stores that another process keeps changing between calls.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "store/file/account_cache.h"
#include "core/accounts/account_lookup.h"
#include "store/file/users_file.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "foundation/list_match.h"
#include "foundation/scramble.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "platform/posix_env.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;

void InOtherProcess(const std::function<void()>& body) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

const std::vector<std::string> kPool = {"john", "mary",  "info", "bob",  "a",    "x.y",
                                        "z-1",  "carol", "[g0]", "[g1]", "[g2]", "[1.2.3.4]"};

class LookupPropertyTest : public ::testing::Test {
 protected:
  LookupPropertyTest() {
    context_.api.config_path = dir_.path() + "config/";
    dir_.Write("config/domains.cfg", testing::DomainsFileOf({"example.org"}));
    context_.config.record.SetNumber(offsets::kDomainCount, 4, 1);
    context_.domains().Load();
    context_.accounts().SetUpCache();
  }

  std::string Folder() const { return dir_.path() + "config/example.org/"; }
  std::string Path() const { return Folder() + "users.cfg"; }
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

  std::string Variant(std::string text) {
    for (char& c : text) {
      if (Chance(40) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    if (Chance(25)) text = " " + text;
    if (Chance(25)) text += Chance(50) ? "\t" : "  ";
    return text;
  }

  std::string RandomList() {
    std::string list;
    const size_t items = Pick(5);
    for (size_t i = 0; i < items; ++i) {
      if (i > 0 || Chance(10)) list += ";";
      if (!Chance(10)) list += Variant(kPool[Pick(kPool.size())]);
    }
    if (Chance(10)) list += ";";
    return list;
  }

  UserRecord RandomRecord() {
    static const uint8_t kTypes[] = {0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 200};
    const uint8_t type = kTypes[Pick(sizeof kTypes)];
    UserRecord record =
        MakeRecord(RandomList(), Chance(50) ? "pw" + std::to_string(Pick(99)) : "~#", type);
    record[2000] = static_cast<uint8_t>(Pick(256));
    return record;
  }

  std::vector<UserRecord> RandomStore(size_t count) {
    std::vector<UserRecord> records;
    for (size_t i = 0; i < count; ++i) records.push_back(RandomRecord());
    return records;
  }

  void WriteRandomGroups() {
    std::string groups;
    for (int g = 0; g < 3; ++g) {
      groups += "G" + std::to_string(g) + "\n";
      for (size_t m = Pick(4); m > 0; --m) {
        const size_t kind = Pick(6);
        if (kind == 0) {
          groups += "[g" + std::to_string(Pick(3)) + "]\n";  // nested, cycles included
        } else if (kind == 1) {
          groups += "m.txt\n";
        } else {
          groups += Variant(kPool[Pick(8)]) + "\n";
        }
      }
      groups += "\n";
    }
    dir_.Write("config/groups.dat", groups);
    dir_.Write("config/m.txt", Variant(kPool[Pick(8)]) + "\n");
  }

  std::vector<std::string> Queries() {
    std::vector<std::string> queries = {"", ";", "nobody", "[g0]"};
    for (const std::string& alias : kPool) queries.push_back(Variant(alias));
    for (int i = 0; i < 6; ++i) queries.push_back(RandomList());
    return queries;
  }

  // The reference: every record in file order, ListMatch with groups.
  int Scan(const std::string& query) const {
    std::string bytes;
    if (!context_.env().ReadFile(Path(), &bytes).ok()) return -1;
    const GroupFileReader groups = GroupFilesOf(context_);
    for (size_t i = 0; (i + 1) * kUserRecordSize <= bytes.size(); ++i) {
      UserRecord record;
      std::memcpy(record.data(), bytes.data() + i * kUserRecordSize, kUserRecordSize);
      ScrambleBytes(record.data(), record.size(), 0);
      if (ListMatch(query, AliasListOf(record), groups)) return static_cast<int>(i);
    }
    return -1;
  }

  void CheckAll(const std::string& context) {
    for (const std::string& query : Queries()) {
      const int expected = Scan(query);
      ASSERT_EQ(PositionOfAlias(context_, "example.org", query), expected)
          << context << " query '" << query << "'";
      ASSERT_EQ(AliasAvailable(context_, "example.org", query), expected < 0) << context;
      if (query.find_first_of(";@<\"") != std::string::npos) continue;
      FoundAccount found;
      const bool hit = FindAccount(context_, query + "@example.org", false, &found);
      ASSERT_EQ(hit, expected >= 0 && !Trim(query).empty()) << context << " '" << query << "'";
      if (!hit) continue;
      ASSERT_EQ(found.position, expected) << context << " '" << query << "'";
      UserRecord stored;
      LoadUserAt(context_.env(), Folder(), expected, &stored);
      ASSERT_EQ(found.record, stored) << context << " '" << query << "'";
    }
  }

  // One change by another program: through the library's writer, in place
  // at the same size, a whole same-size file renamed over it, a removal, or
  // a new groups.dat.
  void ChangeInOtherProcess(int kind) {
    const int count = CountUsers(context_.env(), Folder());
    const UserRecord record = RandomRecord();
    const std::vector<UserRecord> replacement = RandomStore(static_cast<size_t>(count));
    const int position = count == 0 ? -1 : static_cast<int>(Pick(static_cast<size_t>(count)));
    const int write_at = Chance(50) ? -1 : position;
    InOtherProcess([&] {
      PosixEnv env;  // the other program's own
      switch (kind) {
        case 0: {
          int at = write_at;
          WriteUserAt(env, Folder(), record, &at, false);
          break;
        }
        case 1:
          if (position >= 0) {
            FILE* file = std::fopen(Path().c_str(), "r+b");
            std::fseek(file, static_cast<long>(position) * kUserRecordSize, SEEK_SET);
            const std::string bytes = FileOf({record});
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
          }
          break;
        case 2:
          WriteFileAtomic(env, Path(), FileOf(replacement));
          break;
        case 3: {
          UserRecord removed;
          RemoveUserAt(env, Folder(), position, &removed);
          break;
        }
        default:
          WriteRandomGroups();
      }
    });
  }

  testing::TempDir dir_;
  Context context_;
  std::mt19937 rng_;
};

TEST_F(LookupPropertyTest, IndexedLookupsAnswerAsAPlainScan) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    rng_.seed(seed);
    WriteRandomGroups();
    dir_.Write("config/example.org/users.cfg", FileOf(RandomStore(Pick(40))));
    CheckAll("seed " + std::to_string(seed));
    for (int step = 0; step < 6; ++step) {
      const int kind = static_cast<int>(Pick(5));
      ChangeInOtherProcess(kind);
      CheckAll("seed " + std::to_string(seed) + " step " + std::to_string(step) + " kind " +
               std::to_string(kind));
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace tarvelin
