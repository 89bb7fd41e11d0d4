// Query texts of any kind: the expression language must reject bad input
// with an error, never crash or recurse without bound, and a walk's
// prepared condition must answer as rendering and parsing every record does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "schema/query_filter.h"
#include "schema/user_record.h"
#include "schema/property_table.h"
#include "foundation/bytes.h"
#include "foundation/expression_evaluator.h"
#include "core/context.h"

namespace {

struct Fixture {
  Fixture() {
    context.api.initialised = true;
    table = tarvelin::PropertyTable::FromText(
        "U_Type = 0; // integer\nU_Name = 2; // string\nU_Alias = 3; // string\n"
        "U_AccountExpiryDate = 19; // date\nU_LimitMailboxSizeValue = 40; // integer\n");
    records[0][0] = 0;
    tarvelin::PutPString(records[0].data() + 4, 254, "O'Brien u_type = 1;note");
    tarvelin::PutPString(records[0].data() + 260, 255, "john;j.smith");
    records[1][0] = 1;
    tarvelin::PutPString(records[1].data() + 260, 255, "news'");
  }
  tarvelin::Context context;
  tarvelin::PropertyTable table;
  tarvelin::UserRecord records[2] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture* const fixture = new Fixture;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    tarvelin::EvaluateExpression(text);
  } catch (const tarvelin::ExpressionError&) {
  }
  const tarvelin::QueryFilter filter(fixture->context.config.record, fixture->table, text.substr(0, 255));
  for (const tarvelin::UserRecord& record : fixture->records) {
    if (filter.Accepts(record.data()) != filter.AcceptsByReparsing(record.data())) std::abort();
  }
  return 0;
}
