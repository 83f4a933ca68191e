#include "assistant/xml_plist_guard.h"

#include <gtest/gtest.h>

#include <string>

namespace installwarden {
namespace {

struct ShapeCase {
  const char* name;
  std::string xml;
  bool within;  // at most 3 levels deep and 6 elements
};

class XmlPlistShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(XmlPlistShape, CountsWhatAParserCouldNest) {
  EXPECT_EQ(xmlPlistWithinBounds(GetParam().xml, 3, 6), GetParam().within);
}

INSTANTIATE_TEST_SUITE_P(
    XmlPlistGuard, XmlPlistShape,
    ::testing::Values(
        ShapeCase{"ThreeDeep", "<a><b><c/></b></a>", true},
        ShapeCase{"FourDeep", "<a><b><c><d/></c></b></a>", false},
        ShapeCase{"SiblingsDoNotNest", "<a><b/><b></b><b x='1'/></a>", true},
        ShapeCase{"SevenElements", "<a><b/><b/><b/><b/><b/><b/></a>", false},
        ShapeCase{"UsualPrologue",
                  "\xEF\xBB\xBF\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"x.dtd\">\n"
                  "<plist version=\"1.0\"><dict><key>k</key><true/></dict></plist>\n",
                  true},
        ShapeCase{"EntitiesAreText", "<a><b>&lt;c&gt;&lt;d&gt;&#60;e&#62;</b></a>", true},
        // Closing tags that a parser does not see as such close nothing.
        ShapeCase{"ClosesInComments", "<a><!--</a>--><b><!--</b>--><c><d/></c></b></a>", false},
        ShapeCase{"ClosesInCdata", "<a><![CDATA[</a>]]><b><![CDATA[</b>]]><c><d/></c></b></a>",
                  false},
        ShapeCase{"ClosesInInstructions", "<a><?x </a>?><b><?y \"?>\" </b>?><c><d/></c></b></a>",
                  false},
        ShapeCase{"ClosesInAttributes", "<a x=\"/>\"><b y=\"</b>\"><c><d/></c></b></a>", false},
        ShapeCase{"ClosesOfAnotherName", "<a></b><b></c><c><d/></c></b></a>", false},
        // Opening tags in skipped text may be elements to a parser that skips less.
        ShapeCase{"OpensInComments", "<a><!--<b><c>--><d/></a>", false},
        ShapeCase{"OpensInAttributes", "<a x=\"<b><c>\"><d/></a>", false},
        // Refused whatever their depth: an internal subset's entities could expand to elements.
        ShapeCase{"InternalSubset", "<!DOCTYPE a [<!ENTITY e \"<b/>\">]><a>&e;</a>", false},
        ShapeCase{"TextBeforeTheFirstTag", "{\"a\": [[[[1]]]]}", false},
        ShapeCase{"Empty", "", false}, ShapeCase{"UnendedComment", "<a><!-- </a>", false},
        ShapeCase{"UnendedTag", "<a><b x=\"y>", false},
        ShapeCase{"TagInsideATag", "<a <b>>", false}, ShapeCase{"EndsWithLessThan", "<a><", false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace installwarden
