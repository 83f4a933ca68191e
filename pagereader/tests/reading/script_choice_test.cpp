// One Chinese script per page, with a converter that knows a handful of characters.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "reading/script_choice.h"

namespace pagereader {
namespace {

class FakeScripts final : public ChineseScripts {
 public:
  std::string toSimplified(std::string_view text) override { return mapped(text, simplified_); }
  std::string toTraditional(std::string_view text) override { return mapped(text, traditional_); }

 private:
  // Character by character, as the tables do for these.
  static std::string mapped(std::string_view text,
                            const std::map<std::string, std::string>& table) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t length = static_cast<unsigned char>(text[i]) >= 0xE0 ? 3 : 1;
      const std::string character(text.substr(i, length));
      const auto found = table.find(character);
      out += found == table.end() ? character : found->second;
      i += length;
    }
    return out;
  }
  std::map<std::string, std::string> simplified_{{"軟", "软"}, {"體", "体"}, {"簡", "简"},
                                                 {"請", "请"}, {"設", "设"}, {"啟", "启"}};
  std::map<std::string, std::string> traditional_{{"软", "軟"}, {"体", "體"}, {"简", "簡"},
                                                  {"请", "請"}, {"设", "設"}, {"启", "啟"}};
};

// The recogniser knows 體, 簡, 請, 啟 and 設, but not 軟.
const CharacterClasses kKnown = *CharacterClasses::fromDictionary(
    "软\n体\n體\n简\n簡\n请\n請\n启\n啟\n设\n設\n更\n新\n中\n文\n定\n");

TEST(ScriptChoice, ATraditionalPageIsWrittenInTraditionalButADeliberateSimplifiedLineStays) {
  struct Case {
    std::string name;
    std::vector<std::string> read;
    std::vector<std::string> written;
  };
  const Case cases[] = {
      {"mostly Traditional: Simplified forms the recogniser had to use become Traditional",
       {"软體更新", "請启动", "设定", "請更新"},
       {"軟體更新", "請啟动", "設定", "請更新"}},
      {"the language picker on a Traditional screen keeps its Simplified entry",
       {"软體更新", "請設定", "简体中文"},
       {"軟體更新", "請設定", "简体中文"}},
      {"mostly Simplified: nothing changes, a Traditional entry included",
       {"软件更新", "请设定", "简体中文", "繁體中文"},
       {"软件更新", "请设定", "简体中文", "繁體中文"}},
      {"no Chinese at all", {"Software Update", ""}, {"Software Update", ""}},
      {"as much of each: left as read", {"體", "简"}, {"體", "简"}},
  };
  FakeScripts scripts;
  for (const Case& c : cases) {
    EXPECT_EQ(oneScriptPerPage(c.read, scripts, kKnown), c.written) << c.name;
  }
}

}  // namespace
}  // namespace pagereader
