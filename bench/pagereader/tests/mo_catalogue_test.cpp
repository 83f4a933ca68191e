#include "text/mo_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A catalogue file: header, the table of originals, the table of translations, then the
// strings, each followed by NUL.
std::string moFile(const std::vector<std::pair<std::string, std::string>>& entries,
                   bool bigEndian = false) {
  const auto word = [bigEndian](std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
      out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
  };
  const auto count = static_cast<std::uint32_t>(entries.size());
  const std::uint32_t originals = 28, translations = originals + 8 * count;
  std::uint32_t offset = translations + 8 * count;
  std::string head, tables, strings;
  word(head, 0x950412de);
  word(head, 0);
  word(head, count);
  word(head, originals);
  word(head, translations);
  word(head, 0);
  word(head, 0);
  std::string translationTable;
  for (int side = 0; side < 2; ++side) {
    for (const auto& [id, translation] : entries) {
      const std::string& text = side == 0 ? id : translation;
      word(side == 0 ? tables : translationTable, static_cast<std::uint32_t>(text.size()));
      word(side == 0 ? tables : translationTable, offset);
      strings += text;
      strings.push_back('\0');
      offset += static_cast<std::uint32_t>(text.size()) + 1;
    }
  }
  return head + tables + translationTable + strings;
}

TEST(MoCatalogueTest, ReadsMessagesOfEitherByteOrder) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"", "Content-Type: text/plain; charset=UTF-8\n"},
      {"Cancel", "取消"},
      {std::string("Stock label\x04Open"), "打开"},
      {std::string("%d file\0%d files", 16), std::string("%d 个文件\0", 12)},
  };
  for (bool bigEndian : {false, true}) {
    const auto messages = parseMoCatalogue(moFile(entries, bigEndian));
    ASSERT_TRUE(messages.has_value()) << "big endian " << bigEndian;
    ASSERT_EQ(messages->size(), 3u);
    EXPECT_EQ((*messages)[0].id, "Cancel");
    EXPECT_EQ((*messages)[0].translation, "取消");
    EXPECT_EQ((*messages)[1].context, "Stock label");
    EXPECT_EQ((*messages)[1].id, "Open");
    EXPECT_EQ((*messages)[2].id, "%d file");
    EXPECT_EQ((*messages)[2].translation, "%d 个文件");
  }
}

TEST(MoCatalogueTest, RefusesFilesThatAreNotWellFormed) {
  const std::string good = moFile({{"Cancel", "取消"}});
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string badMagic = good;
  badMagic[0] = 'x';
  std::string hugeCount = good;
  hugeCount[8] = hugeCount[9] = hugeCount[10] = hugeCount[11] = '\x7f';
  std::string stringPastTheEnd = good;
  stringPastTheEnd[28] = '\x7f';  // length of the first original
  std::string tableOutside = good;
  tableOutside[15] = '\x7f';  // offset of the originals' table
  const Case cases[] = {
      {"empty", ""},
      {"header cut short", good.substr(0, 10)},
      {"bad magic", badMagic},
      {"count the file cannot hold", hugeCount},
      {"string past the end", stringPastTheEnd},
      {"table outside the file", tableOutside},
      {"strings cut off", good.substr(0, good.size() - 4)},
  };
  for (const Case& c : cases) EXPECT_FALSE(parseMoCatalogue(c.bytes).has_value()) << c.what;
}

}  // namespace
