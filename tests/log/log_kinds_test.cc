#include "log/log_kinds.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

TEST(LogKinds, LevelsWantTheirEntryBits) {
  struct Case {
    uint8_t level;
    uint32_t bits;
    bool wanted;
  };
  const Case cases[] = {
      {0, 1, false}, {0, 3, false}, {1, 1, true},  {1, 2, false}, {1, 3, true},
      {2, 1, false}, {2, 2, true},  {2, 3, true},  {3, 1, true},  {3, 2, true},
      {3, 4, false}, {4, 1, false}, {5, 1, false}, {7, 3, false}, {255, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LogLevelWants(c.level, c.bits), c.wanted)
        << "level " << int(c.level) << " bits " << c.bits;
  }
}

TEST(LogKinds, EachKindReadsItsOwnSetting) {
  // Kind and the offset of its level; every other level byte stays 0.
  const std::pair<int, int> levels[] = {{0, 2869}, {1, 3126}, {2, 21390}, {3, 3383},  {4, 3635},
                                        {5, 227},  {7, 153},  {8, 21389}, {9, 22839}, {10, 25403}};
  for (const auto& [kind, offset] : levels) {
    ServerConfig record;
    for (const auto& [other, other_offset] : levels) record.SetByte(other_offset, 0);
    EXPECT_FALSE(LogKindWants(record, kind, 3)) << kind;
    record.SetByte(offset, 1);
    EXPECT_TRUE(LogKindWants(record, kind, 1)) << kind;
    EXPECT_FALSE(LogKindWants(record, kind, 2)) << kind;
    for (const auto& [other, other_offset] : levels) {
      if (other != kind) {
        EXPECT_FALSE(LogKindWants(record, other, 1)) << other << " by " << kind;
      }
    }
  }
}

TEST(LogKinds, FixedKindsAndTheChangeLogSwitch) {
  ServerConfig record;
  record.SetByte(log_offsets::kChangeLog, 0);
  for (int kind : {11, 12, 13, 15}) EXPECT_TRUE(LogKindWants(record, kind, 0)) << kind;
  EXPECT_FALSE(LogKindWants(record, 6, 3));
  EXPECT_FALSE(LogKindWants(record, 14, 1));
  record.SetByte(log_offsets::kChangeLog, 1);
  EXPECT_TRUE(LogKindWants(record, 14, 1));
  EXPECT_TRUE(LogKindWants(record, 14, 2)) << "a switch, not a level";
  for (int kind : {-1, 16, 1000}) {
    EXPECT_EQ(FindLogKind(kind), nullptr);
    EXPECT_FALSE(LogKindWants(record, kind, 3));
  }
}

TEST(LogKinds, FileStemsAndDayFileNames) {
  ServerConfig record;
  record.SetText(log_offsets::kLogDirectory, "/var/log/tarvelin/");
  struct Case {
    int kind;
    std::string tag;
    std::string stem;
  };
  const Case cases[] = {
      {0, "", "/var/log/tarvelin/s"},
      {4, "", "/var/log/tarvelin/antivirus/"},
      {6, "", "/var/log/tarvelin/im/"},
      {11, "", "/var/log/tarvelin/e"},
      {12, "", "/var/log/tarvelin/"},
      {14, "", "/var/log/tarvelin/maintenance/"},
      {0, "node1-", "/var/log/tarvelin/snode1-"},
      {10, "n2_", "/var/log/tarvelin/sip/n2_"},
      {16, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LogFileStem({record, c.tag}, c.kind), c.stem) << c.kind;
  }
  record.SetText(log_offsets::kLogDirectory, "/var/log/tarvelin");
  EXPECT_EQ(LogFileStem({record, ""}, 1), "/var/log/tarvelin/p") << "separator added";

  const CivilDate date{2024, 3, 5};
  EXPECT_EQ(LogFileName("/l/s", date, -1), "/l/s20240305.log");
  EXPECT_EQ(LogFileName("/l/s", date, 0), "/l/s20240305-00.log");
  EXPECT_EQ(LogFileName("/l/s", date, 7), "/l/s20240305-07.log");
  EXPECT_EQ(LogFileName("/l/s", date, 123), "/l/s20240305-123.log");
}

}  // namespace
}  // namespace tarvelin
