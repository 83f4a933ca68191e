// Runs the built pagereader the way its caller does and checks the one line it prints, its exit
// status and its silence on standard error.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "testing/run_process.h"

namespace pagereader::e2e {
namespace {

namespace fs = std::filesystem;
using ProgramRun = test_support::ProcessOutcome;

const std::string kProgram = PAGEREADER_PROGRAM;
const fs::path kFixtures = PAGEREADER_FIXTURES;
const std::string kMissing = "{\"ok\":false,\"error\":\"Missing --image <path>\"}\n";
const std::string kBadScale = "{\"ok\":false,\"error\":\"Invalid --scale (must be > 0)\"}\n";
const std::string kUnreadable = "{\"ok\":false,\"error\":\"Failed to read image at path\"}\n";

ProgramRun pagereader(std::vector<std::string> arguments, const std::string& program = kProgram) {
  arguments.insert(arguments.begin(), program);
  return test_support::runProcess(arguments, {}, std::chrono::seconds(60));
}

// The lines with their spaces dropped: whether the engine puts a space between a Chinese and a
// Latin word is its guess, not what these tests are about.
std::vector<std::string> withoutSpaces(std::vector<std::string> lines) {
  for (std::string& line : lines) std::erase(line, ' ');
  return lines;
}

std::vector<std::string> texts(const std::string& output) {
  std::vector<std::string> lines;
  const nlohmann::json parsed = nlohmann::json::parse(output);
  for (const auto& block : parsed.at("blocks")) {
    lines.push_back(block.at("text").get<std::string>());
  }
  return lines;
}

struct PagereaderCliTest : ::testing::Test {
  static void SetUpTestSuite() {
    scratch = fs::temp_directory_path() / ("pagereader_cli_" + std::to_string(getpid()));
    fs::create_directories(scratch / "folder.png");
    std::ofstream(scratch / "notes.png") << "plain words, not a picture\n";
    std::ofstream(scratch / "empty.png");
    mkfifo((scratch / "pipe.png").c_str(), 0600);
    fs::copy_file(kFixtures / "english.png", scratch / "screen shot 截图.png");
  }
  static void TearDownTestSuite() { fs::remove_all(scratch); }
  static fs::path scratch;
};
fs::path PagereaderCliTest::scratch;

TEST_F(PagereaderCliTest, CommandLineAndLoadingFailures) {
  const std::string english = (kFixtures / "english.png").string();
  const std::string missing = (scratch / "missing.png").string();
  struct Case {
    std::vector<std::string> arguments;
    std::string output;
    int status;
  };
  const Case cases[] = {
      {{}, kMissing, 2},
      {{"--image"}, kMissing, 2},
      {{"--image", " \n", "--image", english}, kMissing, 2},
      {{"--image=" + english}, kMissing, 2},
      {{"--scale", "0"}, kMissing, 2},
      {{"--image", missing, "--scale", "0"}, kBadScale, 2},
      {{"--image", english, "--scale", "-1"}, kBadScale, 2},
      {{"--image", english, "--scale", "nan"}, kBadScale, 2},
      {{"--image", english, "--scale", "0", "--scale", "2"}, kBadScale, 2},
      {{"--image", missing}, kUnreadable, 1},
      {{"--image", (scratch / "notes.png").string()}, kUnreadable, 1},
      {{"--image", (scratch / "empty.png").string()}, kUnreadable, 1},
      {{"--image", (scratch / "folder.png").string()}, kUnreadable, 1},
      {{"--image", (scratch / "pipe.png").string()}, kUnreadable, 1},
  };
  for (const Case& c : cases) {
    const ProgramRun run = pagereader(c.arguments);
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.standardOutput, c.output);
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(run.standardError, "");
  }
}

TEST_F(PagereaderCliTest, RecognisesTheFixtureLines) {
  struct Case {
    std::string image;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"english.png", {"Software Update", "Restart the application to finish the update."}},
      {"simplified.png", {"软件更新", "请重新启动应用程序以完成更新。"}},
      {"traditional.png", {"軟體更新", "請重新啟動應用程式以完成更新。"}},
      {"mixed.png", {"Wi-Fi 设置", "文件 report.pdf 已保存到桌面。"}},
      {"two_pages.tif", {"First page"}},  // the second page is never read
      {"no_text.png", {}},
  };
  for (const Case& c : cases) {
    const ProgramRun run = pagereader({"--image", (kFixtures / c.image).string()});
    SCOPED_TRACE(c.image);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.standardError, "");
    ASSERT_EQ(std::count(run.standardOutput.begin(), run.standardOutput.end(), '\n'), 1);
    EXPECT_EQ(withoutSpaces(texts(run.standardOutput)), withoutSpaces(c.lines));
  }
}

TEST_F(PagereaderCliTest, TrimsTheImagePathAndIgnoresAScaleThatIsNoNumber) {
  // Built with append: GCC 12's Release build reports a false -Wrestrict for " " + path.
  const std::string paddedPath =
      std::string(" ").append((scratch / "screen shot 截图.png").string()).append("\n");
  const ProgramRun run = pagereader({"--scale", "1,5", "--image", paddedPath});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(texts(run.standardOutput),
            (std::vector<std::string>{"Software Update",
                                      "Restart the application to finish the update."}));
}

TEST_F(PagereaderCliTest, BoxesAreDividedByTheScale) {
  const std::string image = (kFixtures / "english.png").string();
  const auto boxes = [&](const std::string& scale) {
    const ProgramRun run = pagereader({"--image", image, "--scale", scale});
    EXPECT_EQ(run.exitStatus, 0);
    std::vector<std::vector<double>> result;
    const nlohmann::json parsed = nlohmann::json::parse(run.standardOutput);
    for (const auto& block : parsed.at("blocks")) {
      result.push_back(block.at("bbox").get<std::vector<double>>());
      const double confidence = block.at("confidence").get<double>();
      EXPECT_EQ(static_cast<double>(static_cast<float>(confidence)), confidence);  // from a float
      EXPECT_GT(confidence, 0.5);
      EXPECT_LE(confidence, 1.0);
    }
    return result;
  };
  const auto whole = boxes("1");
  const auto half = boxes("2");
  const auto none = boxes("inf");
  ASSERT_EQ(whole.size(), 2u);
  ASSERT_EQ(half.size(), whole.size());
  ASSERT_EQ(none.size(), whole.size());
  for (std::size_t line = 0; line < whole.size(); ++line) {
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(half[line][i], whole[line][i] / 2);
      EXPECT_EQ(none[line][i], 0.0);
    }
  }
  // The first line lies in the upper part of the image, measured from its top.
  EXPECT_GT(whole[0][1], 0);
  EXPECT_LT(whole[0][1], whole[1][1]);
}

// A grey PGM with a dark diagonal, so that the picture is not blank.
fs::path greyPicture(const fs::path& path, int width, int height) {
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << width << " " << height << "\n255\n";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.put(static_cast<char>((x + y) % 7 == 0 ? 0 : 255));
  }
  return path;
}

TEST_F(PagereaderCliTest, AnImageTooSmallForTheRecogniserHasNoText) {
  const std::pair<int, int> sizes[] = {{1, 1}, {6, 6}, {6, 400}, {400, 6}, {7, 7}, {7, 400}};
  for (const auto& [width, height] : sizes) {
    const std::string name = std::to_string(width) + "x" + std::to_string(height) + ".pgm";
    const ProgramRun run = pagereader({"--image", greyPicture(scratch / name, width, height)});
    SCOPED_TRACE(name);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(nlohmann::json::parse(run.standardOutput).at("ok"), true) << run.standardOutput;
  }
}

// The program finds its models in share/pagereader beside its bin/ directory, so a copy of it in
// a scratch prefix reads whatever models that prefix holds.
TEST_F(PagereaderCliTest, MissingOrDamagedModelsAreARecognitionFailure) {
  const fs::path models = fs::path(kProgram).parent_path() / PAGEREADER_MODELS_FROM_PROGRAM;
  const std::string image = (kFixtures / "english.png").string();
  struct Case {
    std::string name;
    std::string replaced;  ///< model file replaced by `contents`, or removed when empty
    std::string contents;
    std::string reason;
  };
  const Case cases[] = {
      {"no models", "", "", "is missing or unreadable"},
      {"missing recogniser", "text_recognizer.onnx", "", "is missing or unreadable"},
      {"damaged detector", "text_detector.onnx", "not a network", "is damaged"},
      {"damaged recogniser", "text_recognizer.onnx", "not a network", "is damaged"},
      {"dictionary of another model", "text_dictionary.txt", "a\nb\n", "does not belong"},
      {"dictionary that is not UTF-8", "text_dictionary.txt", "\xff\n", "is damaged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path prefix = scratch / "prefix";
    fs::remove_all(prefix);
    fs::create_directories(prefix / "bin");
    fs::copy_file(kProgram, prefix / "bin" / "pagereader");
    const fs::path copiedModels =
        (prefix / "bin" / PAGEREADER_MODELS_FROM_PROGRAM).lexically_normal();
    if (!c.replaced.empty()) {
      fs::create_directories(copiedModels.parent_path());
      fs::copy(models, copiedModels);
      fs::remove(copiedModels / c.replaced);
      if (!c.contents.empty()) std::ofstream(copiedModels / c.replaced) << c.contents;
    }
    const ProgramRun run = pagereader({"--image", image}, (prefix / "bin" / "pagereader").string());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.standardError, "");
    const nlohmann::json output = nlohmann::json::parse(run.standardOutput);
    EXPECT_EQ(output.at("ok"), false);
    EXPECT_FALSE(output.contains("blocks"));
    const std::string error = output.at("error").get<std::string>();
    EXPECT_TRUE(error.starts_with("Vision OCR failed: the text ")) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace pagereader::e2e
