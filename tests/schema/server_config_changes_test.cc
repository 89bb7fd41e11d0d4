#include "schema/server_config_changes.h"

#include <gtest/gtest.h>

#include "schema/config_offsets.h"

namespace tarvelin {
namespace {

TEST(ServerConfigChangesTest, CopiesChangedFieldsWholeAndUncoveredBytesAlone) {
  ServerConfig base;
  base.SetText(offsets::kHostName, "a-long-host.example");
  base.SetNumber(1028, 2, 25);
  ServerConfig changed = base;
  changed.SetText(offsets::kHostName, "short");  // bytes past the length stay from before
  changed.SetByte(147, 0x5A);                    // no field covers byte 147

  ServerConfig target = base;
  target.SetText(offsets::kHostName, "someone-else.example");
  target.SetNumber(1028, 2, 2525);  // the other program's change
  target.SetByte(146, 7);
  CopyChangedFields(base, changed, target);

  ServerConfig expected = changed;
  expected.SetNumber(1028, 2, 2525);
  expected.SetByte(146, 7);
  EXPECT_TRUE(target == expected) << "the host name field is the changed one, byte for byte";
}

TEST(ServerConfigChangesTest, NoChangeLeavesTheTarget) {
  ServerConfig base;
  ServerConfig target;
  target.SetText(offsets::kHostName, "other.example");
  target.SetByte(kServerConfigSize - 1, 3);
  const ServerConfig before = target;
  CopyChangedFields(base, base, target);
  EXPECT_TRUE(target == before);
}

}  // namespace
}  // namespace tarvelin
