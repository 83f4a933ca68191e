#include "text/screen_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenTextTest, ShowsWhatAScreenShows) {
  struct Case {
    QString raw;
    std::optional<QString> shown;
  };
  const Case cases[] = {
      {"_Open", "Open"},
      {"Save _As…", "Save As…"},
      {"打开(_O)", "打开"},
      {"另存为（_A）", "另存为"},
      {"  Page   Setup ", "Page Setup"},
      {"LS_COLORS is not set", "LS_COLORS is not set"},
      {"Drag & Drop", "Drag & Drop"},
      {"Cannot open %s", std::nullopt},
      {"%d files", std::nullopt},
      {"在 <%2$s> 中不允许元素", std::nullopt},
      {"%'.1f MB", std::nullopt},
      {"%1 of %2", std::nullopt},
      {"Saved {name}", std::nullopt},
      {"Path ${HOME}", std::nullopt},
      {"<b>Bold</b> text", std::nullopt},
      {"First line\nSecond line", std::nullopt},
      {"1024", std::nullopt},
      {"", std::nullopt},
      {"50%", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(screenText(c.raw), c.shown) << c.raw.toStdString();
}

TEST(ScreenTextTest, TellsHowAStringIsWritten) {
  struct Case {
    QString text;
    Writing writing;
  };
  const Case cases[] = {
      {"Software Update", Writing::Latin}, {"软件更新", Writing::Chinese},
      {"軟體更新", Writing::Chinese},      {"PDF 文档", Writing::Mixed},
      {"A4 纸张", Writing::Chinese},       {"打开 “x” 文件", Writing::Chinese},
      {"Привет", Writing::Other},          {"12:30", Writing::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(writingOf(c.text), c.writing) << c.text.toStdString();
}

TEST(ScreenTextTest, WrapsBetweenWordsAndChineseCharacters) {
  const auto fitsIn = [](int characters) {
    return [characters](const QString& line) { return line.size() <= characters; };
  };
  EXPECT_EQ(wrapText("the quick brown fox jumps", fitsIn(10)),
            QStringList({"the quick", "brown fox", "jumps"}));
  EXPECT_EQ(wrapText("请在继续之前阅读条款", fitsIn(4)),
            QStringList({"请在继续", "之前阅读", "条款"}));
  // Closing punctuation stays on the line before; an overlong word gets a line of its own.
  EXPECT_EQ(wrapText("今天天气，很好", fitsIn(4)), QStringList({"今天天", "气，很好"}));
  EXPECT_EQ(wrapText("a verylongword b", fitsIn(5)), QStringList({"a", "verylongword", "b"}));
  EXPECT_EQ(wrapText("使用 Python 编写", fitsIn(9)), QStringList({"使用 Python", "编写"}));
}

}  // namespace
