#include "update_state/update_request.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "testing/temp_directory.h"

namespace installwarden {
namespace {

using nlohmann::json;

json validRequestJson() {
  return {{"id", "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
          {"appPath", "/Applications/Quorvelin Pro.app"},
          {"sourceVersion", "1.0"},
          {"version", "1.1"},
          {"ownerPid", 4242},
          {"jobLabel", "com.example.quorvelin.ShipIt"},
          {"logPath", "/tmp/ShipIt.log"},
          {"logOffset", 12},
          {"messages", {{"updateTitle", "Updating"}}}};
}

// One key replaced by a raw JSON text (or removed when `raw` is empty).
struct RequestCase {
  const char* name;
  const char* key;
  const char* raw;
  bool valid;
  friend void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.name; }
};

std::string requestWith(const RequestCase& change) {
  json request = validRequestJson();
  if (std::string(change.raw).empty()) {
    request.erase(change.key);
  } else {
    request[change.key] = json::parse(change.raw);
  }
  return request.dump();
}

class RequestRules : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestRules, DecidesValidity) {
  const auto& change = GetParam();
  EXPECT_EQ(parseValidRequest(requestWith(change)).has_value(), change.valid)
      << requestWith(change);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestRules,
    ::testing::Values(
        RequestCase{"ExtraKeyIgnored", "extra", R"({"a":[1,null]})", true},
        RequestCase{"MissingMessages", "messages", "", false},
        RequestCase{"MissingSourceVersion", "sourceVersion", "", false},
        RequestCase{"MissingLogOffset", "logOffset", "", false},
        RequestCase{"EmptyMessages", "messages", "{}", true},
        RequestCase{"MessageNotString", "messages", R"({"updateTitle":1})", false},
        RequestCase{"MessagesArray", "messages", R"(["a"])", false},
        RequestCase{"NullId", "id", "null", false},
        RequestCase{"NullMessages", "messages", "null", false},
        RequestCase{"OwnerPidZero", "ownerPid", "0", true},
        RequestCase{"OwnerPidNegative", "ownerPid", "-5", true},
        RequestCase{"OwnerPidInt32Max", "ownerPid", "2147483647", true},
        RequestCase{"OwnerPidInt32Min", "ownerPid", "-2147483648", true},
        RequestCase{"OwnerPidAboveInt32", "ownerPid", "2147483648", false},
        RequestCase{"OwnerPidBelowInt32", "ownerPid", "-2147483649", false},
        RequestCase{"OwnerPidAsString", "ownerPid", R"("4242")", false},
        RequestCase{"OwnerPidAsFloat", "ownerPid", "4242.0", false},
        RequestCase{"OwnerPidAsExponent", "ownerPid", "1e3", false},
        RequestCase{"OwnerPidAsBool", "ownerPid", "true", false},
        RequestCase{"LogOffsetNegative", "logOffset", "-1", false},
        RequestCase{"LogOffsetUInt64Max", "logOffset", "18446744073709551615", true},
        RequestCase{"LogOffsetBeyondUInt64", "logOffset", "18446744073709551616", false},
        RequestCase{"IdUpperCase", "id", R"("6F9619FF-8B86-D011-B42D-00C04FC964FF")", true},
        RequestCase{"IdLowerCase", "id", R"("6f9619ff-8b86-d011-b42d-00c04fc964ff")", true},
        RequestCase{"IdWithoutHyphens", "id", R"("6F9619FF8B86D011B42D00C04FC964FF")", false},
        RequestCase{"IdWithBraces", "id", R"("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")", false},
        RequestCase{"IdNotHex", "id", R"("6F9619FF-8B86-D011-B42D-00C04FC964FG")", false},
        RequestCase{"IdHyphenMisplaced", "id", R"("6F9619F-F8B86-D011-B42D-00C04FC964FF")", false},
        RequestCase{"IdAsNumber", "id", "12", false},
        RequestCase{"AppPathRelative", "appPath", R"("Applications/X.app")", false},
        RequestCase{"AppPathTrailingSlash", "appPath", R"("/Applications/X.app/")", false},
        RequestCase{"AppPathUpperCaseSuffix", "appPath", R"("/Applications/X.APP")", false},
        RequestCase{"AppPathOnlyRootAndSuffix", "appPath", R"("/.app")", true},
        RequestCase{"VersionEmpty", "version", R"("")", false},
        RequestCase{"SourceVersionEmpty", "sourceVersion", R"("")", true},
        RequestCase{"LabelDottedWords", "jobLabel", R"("com.example.app.ShipIt")", true},
        RequestCase{"LabelHyphensDigits", "jobLabel", R"("com.ex-ample2.app-9.ShipIt")", true},
        RequestCase{"LabelOnlySuffix", "jobLabel", R"(".ShipIt")", false},
        RequestCase{"LabelDotBeforeSuffix", "jobLabel", R"("..ShipIt")", true},
        RequestCase{"LabelLowerCaseSuffix", "jobLabel", R"("com.example.shipit")", false},
        RequestCase{"LabelWithSpace", "jobLabel", R"("com.example app.ShipIt")", false},
        RequestCase{"LabelWithUnderscore", "jobLabel", R"("com.example_app.ShipIt")", false},
        RequestCase{"LabelTextAfterSuffix", "jobLabel", R"("com.example.ShipIt.old")", false},
        RequestCase{"LabelNewlineAfterSuffix", "jobLabel", R"("com.example.ShipIt\n")", false},
        RequestCase{"LabelNonAscii", "jobLabel", R"("com.exämple.ShipIt")", false},
        RequestCase{"LabelSlash", "jobLabel", R"("com/example.ShipIt")", false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(RequestDecoding, RejectsTextThatIsNotAJsonObject) {
  for (const std::string bytes :
       {"", "[]", "null", "\"text\"", "{", R"({"id":"x"} trailing)", "\xEF\xBB"}) {
    EXPECT_FALSE(parseValidRequest(bytes).has_value()) << bytes;
  }
}

TEST(RequestDecoding, RejectsInvalidUtf8InsideAString) {
  json request = validRequestJson();
  std::string bytes = request.dump();
  const auto at = bytes.find("Updating");
  bytes[at] = '\xC3';  // a lead byte followed by an ASCII letter
  EXPECT_FALSE(parseValidRequest(bytes).has_value());
}

TEST(RequestDecoding, KeepsEveryFieldUnchanged) {
  const auto request = parseValidRequest(validRequestJson().dump());
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->id, "6F9619FF-8B86-D011-B42D-00C04FC964FF");
  EXPECT_EQ(request->appPath, "/Applications/Quorvelin Pro.app");
  EXPECT_EQ(request->sourceVersion, "1.0");
  EXPECT_EQ(request->version, "1.1");
  EXPECT_EQ(request->ownerPid, 4242);
  EXPECT_EQ(request->jobLabel, "com.example.quorvelin.ShipIt");
  EXPECT_EQ(request->logPath, "/tmp/ShipIt.log");
  EXPECT_EQ(request->logOffset, 12u);
  EXPECT_EQ(request->messages, (std::map<std::string, std::string>{{"updateTitle", "Updating"}}));
}

class RequestFile : public ::testing::Test {
 protected:
  test_support::TempDirectory root;
};

TEST_F(RequestFile, ReadsAValidFile) {
  root.write("request.json", validRequestJson().dump());
  EXPECT_TRUE(validatedRequest(root.path()).has_value());
  EXPECT_TRUE(validatedRequest(root.path() + "/").has_value());
}

TEST_F(RequestFile, MissingFileOrDirectoryInItsPlace) {
  EXPECT_FALSE(validatedRequest(root.path()).has_value());
  std::filesystem::create_directory(root.file("request.json"));
  EXPECT_FALSE(validatedRequest(root.path()).has_value());
}

TEST_F(RequestFile, FifoIsRefusedWithoutBlocking) {
  ASSERT_EQ(::mkfifo(root.file("request.json").c_str(), 0600), 0);
  EXPECT_FALSE(validatedRequest(root.path()).has_value());
}

TEST_F(RequestFile, SymlinkToAValidFileIsFollowed) {
  root.write("elsewhere.json", validRequestJson().dump());
  std::filesystem::create_symlink(root.file("elsewhere.json"), root.file("request.json"));
  EXPECT_TRUE(validatedRequest(root.path()).has_value());
}

TEST_F(RequestFile, OversizedFileIsRefused) {
  json request = validRequestJson();
  request["padding"] = std::string(5 * 1024 * 1024, 'x');
  root.write("request.json", request.dump());
  EXPECT_FALSE(validatedRequest(root.path()).has_value());
}

}  // namespace
}  // namespace installwarden
