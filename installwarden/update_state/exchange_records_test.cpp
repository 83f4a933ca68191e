#include "update_state/exchange_records.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "testing/temp_directory.h"

namespace installwarden {
namespace {

using nlohmann::json;

const char kId[] = "6f9619ff-8b86-d011-b42d-00c04fc964ff";

json validStatusJson() {
  return {{"id", kId},       {"pid", 77},          {"birth", 1700000000123456u},
          {"ownerBirth", 0}, {"phase", "ready"},   {"visible", true},
          {"retries", 1},    {"logPosition", 300}, {"reopenDetected", false}};
}

json validCommandJson() { return {{"id", kId}, {"phase", "closing"}, {"sequence", 3}}; }

json validReceiptJson() { return {{"id", kId}, {"version", "1.1"}, {"ok", true}}; }

enum class Record { kStatus, kCommand, kReceipt };

bool decodes(Record record, const std::string& bytes) {
  switch (record) {
    case Record::kStatus:
      return parseStatus(bytes).has_value();
    case Record::kCommand:
      return parseCommand(bytes).has_value();
    case Record::kReceipt:
      return parseReceipt(bytes).has_value();
  }
  return false;
}

json validJson(Record record) {
  switch (record) {
    case Record::kStatus:
      return validStatusJson();
    case Record::kCommand:
      return validCommandJson();
    case Record::kReceipt:
      return validReceiptJson();
  }
  return {};
}

// One key of a valid record replaced by a raw JSON text, or removed when `raw` is empty.
struct FieldCase {
  const char* name;
  Record record;
  const char* key;
  const char* raw;
  bool decodes;
  friend void PrintTo(const FieldCase& c, std::ostream* out) { *out << c.name; }
};

class StrictReading : public ::testing::TestWithParam<FieldCase> {};

TEST_P(StrictReading, TakesOnlyExactTypesAndRanges) {
  const auto& change = GetParam();
  json record = validJson(change.record);
  if (std::string(change.raw).empty()) {
    record.erase(change.key);
  } else {
    record[change.key] = json::parse(change.raw);
  }
  EXPECT_EQ(decodes(change.record, record.dump()), change.decodes) << record.dump();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrictReading,
    ::testing::Values(
        FieldCase{"StatusExtraKey", Record::kStatus, "extra", "[]", true},
        FieldCase{"StatusMissingReopen", Record::kStatus, "reopenDetected", "", false},
        FieldCase{"StatusNullPhase", Record::kStatus, "phase", "null", false},
        FieldCase{"StatusPidNegative", Record::kStatus, "pid", "-1", true},
        FieldCase{"StatusPidAboveInt32", Record::kStatus, "pid", "2147483648", false},
        FieldCase{"StatusPidFloat", Record::kStatus, "pid", "77.0", false},
        FieldCase{"StatusBirthNegative", Record::kStatus, "birth", "-1", false},
        FieldCase{"StatusBirthUInt64Max", Record::kStatus, "birth", "18446744073709551615", true},
        FieldCase{"StatusBirthString", Record::kStatus, "birth", R"("1")", false},
        FieldCase{"StatusOwnerBirthExponent", Record::kStatus, "ownerBirth", "1e3", false},
        FieldCase{"StatusVisibleNumber", Record::kStatus, "visible", "1", false},
        FieldCase{"StatusVisibleString", Record::kStatus, "visible", R"("true")", false},
        FieldCase{"StatusRetriesNegative", Record::kStatus, "retries", "-3", true},
        FieldCase{"StatusRetriesAboveInt64", Record::kStatus, "retries", "9223372036854775808",
                  false},
        FieldCase{"StatusLogPositionNegative", Record::kStatus, "logPosition", "-1", false},
        FieldCase{"CommandSequenceString", Record::kCommand, "sequence", R"("3")", false},
        FieldCase{"CommandSequenceNegative", Record::kCommand, "sequence", "-3", true},
        FieldCase{"CommandSequenceInt64Min", Record::kCommand, "sequence", "-9223372036854775808",
                  true},
        FieldCase{"CommandSequenceFloat", Record::kCommand, "sequence", "3.5", false},
        FieldCase{"CommandMissingPhase", Record::kCommand, "phase", "", false},
        FieldCase{"CommandPhaseNumber", Record::kCommand, "phase", "1", false},
        FieldCase{"ReceiptOkString", Record::kReceipt, "ok", R"("true")", false},
        FieldCase{"ReceiptOkNull", Record::kReceipt, "ok", "null", false},
        FieldCase{"ReceiptMissingVersion", Record::kReceipt, "version", "", false},
        FieldCase{"ReceiptExtraKey", Record::kReceipt, "note", R"("hi")", true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(StrictReading, RejectsNonObjectsAndBrokenText) {
  for (const Record record : {Record::kStatus, Record::kCommand, Record::kReceipt}) {
    for (const std::string bytes : {"", "[]", "null", "{", "{}", "\xFF"}) {
      EXPECT_FALSE(decodes(record, bytes)) << bytes;
    }
  }
}

TEST(StatusEncoding, WritesCompactKeysInFieldOrder) {
  UpdateStatus status;
  status.id = kId;
  status.pid = 77;
  status.birth = 1700000000123456u;
  status.ownerBirth = 0;
  status.phase = "installing";
  status.visible = true;
  status.retries = 2;
  status.logPosition = 18446744073709551615u;
  status.reopenDetected = true;
  EXPECT_EQ(encodeStatus(status),
            R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","pid":77,"birth":1700000000123456,)"
            R"("ownerBirth":0,"phase":"installing","visible":true,"retries":2,)"
            R"("logPosition":18446744073709551615,"reopenDetected":true})");
}

TEST(StatusEncoding, ReadsBackWhatItWrites) {
  UpdateStatus status;
  status.id = kId;
  status.pid = -2147483647 - 1;
  status.birth = 5;
  status.ownerBirth = 6;
  status.phase = "failed";
  status.retries = -9223372036854775807 - 1;
  const auto decoded = parseStatus(encodeStatus(status));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->pid, status.pid);
  EXPECT_EQ(decoded->birth, 5u);
  EXPECT_EQ(decoded->ownerBirth, 6u);
  EXPECT_EQ(decoded->phase, "failed");
  EXPECT_EQ(decoded->retries, status.retries);
}

TEST(ExchangeFiles, ReadEachFileFromTheRoot) {
  test_support::TempDirectory root;
  EXPECT_FALSE(readStatus(root.path()).has_value());
  EXPECT_FALSE(readCommand(root.path()).has_value());
  EXPECT_FALSE(readReceipt(root.path()).has_value());
  root.write("status.json", validStatusJson().dump());
  root.write("command.json", validCommandJson().dump());
  root.write("launched.json", validReceiptJson().dump());
  EXPECT_EQ(readStatus(root.path())->phase, "ready");
  EXPECT_EQ(readCommand(root.path())->sequence, 3);
  EXPECT_TRUE(readReceipt(root.path())->ok);
}

}  // namespace
}  // namespace installwarden
