#include "core/run.h"

#include <gtest/gtest.h>

namespace pagereader {
namespace {

class FakeImage : public Image {
 public:
  explicit FakeImage(PixelExtent size) : size_(size) {}
  std::uint32_t width() const override { return size_.width; }
  std::uint32_t height() const override { return size_.height; }

 private:
  PixelExtent size_;
};

class FakeLoader : public ImageLoader {
 public:
  std::unique_ptr<Image> load(const std::string& path) override {
    paths.push_back(path);
    if (!readable) return nullptr;
    return std::make_unique<FakeImage>(size);
  }
  bool readable = true;
  PixelExtent size{1000, 500};
  std::vector<std::string> paths;
};

class FakeRecognizer : public Recognizer {
 public:
  Recognition recognize(const Image& image) override {
    ++calls;
    EXPECT_GE(image.width(), minimum.width);
    EXPECT_GE(image.height(), minimum.height);
    return result;
  }
  PixelExtent minimumImageSize() const override { return minimum; }
  Recognition result = std::vector<Observation>{};
  PixelExtent minimum{7, 7};
  int calls = 0;
};

struct RunTest : ::testing::Test {
  RunOutcome run(std::vector<std::string> arguments) {
    return runPagereader(arguments, loader, recognizer);
  }
  FakeLoader loader;
  FakeRecognizer recognizer;
};

TEST_F(RunTest, UsageErrorsStopBeforeTheFileIsOpened) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"pagereader", "--scale", "0"},
           {"pagereader", "--image", "gone.png", "--scale", "-1"}}) {
    const RunOutcome outcome = run(arguments);
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_FALSE(outcome.output.ok);
    EXPECT_FALSE(outcome.output.blocks);
  }
  EXPECT_TRUE(loader.paths.empty());
  EXPECT_EQ(recognizer.calls, 0);
}

TEST_F(RunTest, AnUnreadableImageIsReportedWithoutRecognising) {
  loader.readable = false;
  const RunOutcome outcome = run({"pagereader", "--image", " dir/a b.png\n"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.output.error, "Failed to read image at path");
  EXPECT_EQ(loader.paths, std::vector<std::string>{"dir/a b.png"});
  EXPECT_EQ(recognizer.calls, 0);
}

TEST_F(RunTest, ARecognitionFailureCarriesItsDescription) {
  recognizer.result = common::Failure{"could not load the language data"};
  const RunOutcome outcome = run({"pagereader", "--image", "a.png"});
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.output.error, "Vision OCR failed: could not load the language data");
  EXPECT_FALSE(outcome.output.blocks);
}

TEST_F(RunTest, SuccessPrintsTheBlocksInImagePixelsDividedByTheScale) {
  recognizer.result = std::vector<Observation>{{Candidate{"Hello", 0.5f}, {0.1, 0.2, 0.5, 0.1}}};
  const RunOutcome outcome = run({"pagereader", "--image", "a.png", "--scale", "2"});
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(jsonLine(outcome.output),
            "{\"ok\":true,\"blocks\":[{\"text\":\"Hello\",\"bbox\":[50,175,250,25],"
            "\"confidence\":0.5}]}\n");
}

TEST_F(RunTest, NoTextIsSuccessWithAnEmptyList) {
  const RunOutcome outcome = run({"pagereader", "--image", "a.png"});
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(jsonLine(outcome.output), "{\"ok\":true,\"blocks\":[]}\n");
}

TEST_F(RunTest, AnImageSmallerThanTheRecogniserReadsHasNoText) {
  recognizer.result = common::Failure{"the text recogniser could not read the image"};
  struct Case {
    PixelExtent minimum, size;
    bool recognised;
  };
  const Case cases[] = {
      {{7, 7}, {1, 1}, false},     {{7, 7}, {6, 6}, false},  {{7, 7}, {6, 4000}, false},
      {{7, 7}, {4000, 6}, false},  {{7, 7}, {7, 7}, true},   {{7, 7}, {7, 4000}, true},
      {{20, 1}, {19, 500}, false}, {{20, 1}, {20, 1}, true}, {{0, 0}, {1, 1}, true},
  };
  for (const Case& c : cases) {
    recognizer.minimum = c.minimum;
    loader.size = c.size;
    recognizer.calls = 0;
    const RunOutcome outcome = run({"pagereader", "--image", "a.png"});
    const std::string label = std::to_string(c.size.width) + "x" + std::to_string(c.size.height) +
                              " needing " + std::to_string(c.minimum.width) + "x" +
                              std::to_string(c.minimum.height);
    EXPECT_EQ(recognizer.calls, c.recognised ? 1 : 0) << label;
    EXPECT_EQ(outcome.exitStatus, c.recognised ? 1 : 0) << label;
    if (!c.recognised) {
      EXPECT_EQ(jsonLine(outcome.output), "{\"ok\":true,\"blocks\":[]}\n") << label;
    }
  }
}

TEST_F(RunTest, AnUnencodableBoxPrintsTheFallbackLineAndFails) {
  recognizer.result = std::vector<Observation>{{Candidate{"x", 0.5f}, {0.1, 0.2, 0.5, 0.1}}};
  const PrintedRun printed =
      printedRun(run({"pagereader", "--image", "a.png", "--scale", "1e-320"}));
  EXPECT_EQ(printed.line, "{\"ok\":false,\"error\":\"Failed to encode JSON\"}\n");
  EXPECT_EQ(printed.exitStatus, 1);
}

TEST_F(RunTest, PrintedRunKeepsTheStatusOfEncodableOutcomes) {
  const PrintedRun success = printedRun(run({"pagereader", "--image", "a.png"}));
  EXPECT_EQ(success.line, "{\"ok\":true,\"blocks\":[]}\n");
  EXPECT_EQ(success.exitStatus, 0);
  const PrintedRun usage = printedRun(run({"pagereader"}));
  EXPECT_EQ(usage.exitStatus, 2);
}

}  // namespace
}  // namespace pagereader
