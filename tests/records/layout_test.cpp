// Layout parsing: expansion of repeat counts, literals, reversion point, refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "records/records.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using K = FieldDescriptor;
using records_test::ErrorOf;

std::string Kinds(const Layout& layout) {
    std::string text;
    for (const FieldDescriptor& f : layout.descriptors) text += "IFEAX/'"[f.kind];
    return text;
}

TEST(ParseLayout, ExpandsRepeatedGroupAndKeepsWidths) {
    const Layout layout = ParseLayout("(1X,I5,5(4X,E10.3))");
    EXPECT_EQ(Kinds(layout), "XIXEXEXEXEXE");
    EXPECT_EQ(layout.descriptors[0].width, 1);
    EXPECT_EQ(layout.descriptors[1].width, 5);
    EXPECT_EQ(layout.descriptors[3].width, 10);
    EXPECT_EQ(layout.descriptors[3].decimals, 3);
    EXPECT_EQ(layout.reversion, 2);  // the start of the group 5(4X,E10.3)
    EXPECT_EQ(layout.source, "(1X,I5,5(4X,E10.3))");
}

TEST(ParseLayout, NestedGroupsAndRepeatedDescriptors) {
    const Layout layout = ParseLayout("(2(I2,2(F3.1)),3A1)");
    EXPECT_EQ(Kinds(layout), "IFFIFFAAA");
    EXPECT_EQ(layout.reversion, 0);
}

TEST(ParseLayout, ReversionIsTheLastTopLevelGroup) {
    EXPECT_EQ(ParseLayout("(I1,(I2,(I3)),2(I4),I5)").reversion, 3);
    EXPECT_EQ(ParseLayout("(10E10.3)").reversion, 0);
    EXPECT_FALSE(ParseLayout("(I5,(1X))").dataAfterReversion);
}

TEST(ParseLayout, LiteralsWithDoubledApostrophesAndQuotes) {
    const Layout layout = ParseLayout("('it''s',\"a \"\"b\"\"\",'')");
    ASSERT_EQ(layout.descriptors.size(), 3u);
    EXPECT_EQ(layout.descriptors[0].text, "it's");
    EXPECT_EQ(layout.descriptors[1].text, "a \"b\"");
    EXPECT_EQ(layout.descriptors[2].text, "");
}

TEST(ParseLayout, LiteralTextsSurviveCopiesAndMoves) {
    Layout copy;
    {
        Layout original = ParseLayout("('x',I1,'short')");
        copy = original;
        Layout moved = std::move(original);
        EXPECT_EQ(moved.descriptors[2].text, "short");
    }
    EXPECT_EQ(copy.descriptors[0].text, "x");
    EXPECT_EQ(copy.descriptors[2].text, "short");
}

TEST(ParseLayout, BlanksOutsideLiteralsHaveNoMeaning) {
    const Layout layout = ParseLayout("  ( 2 I 5 , F1 0. 3 , ' a b ' )");
    EXPECT_EQ(Kinds(layout), "IIF'");
    EXPECT_EQ(layout.descriptors[2].width, 10);
    EXPECT_EQ(layout.descriptors[2].decimals, 3);
    EXPECT_EQ(layout.descriptors[3].text, " a b ");
}

TEST(ParseLayout, SlashesNeedNoCommas) {
    EXPECT_EQ(Kinds(ParseLayout("(/,/,5X,I3,/)")), "//XI/");
    EXPECT_EQ(Kinds(ParseLayout("(I3//I4)")), "I//I");
    EXPECT_EQ(Kinds(ParseLayout("(2/)")), "//");
}

TEST(ParseLayout, EndsAtTheParenthesisClosingTheFirst) {
    const Layout layout = ParseLayout("(I5,(I2))(F3.0) trailing junk");
    EXPECT_EQ(layout.source, "(I5,(I2))");
    EXPECT_EQ(Kinds(layout), "II");
}

TEST(ParseLayout, AWithoutWidthAndEmptyLayout) {
    const Layout layout = ParseLayout("(A,A3)");
    EXPECT_EQ(layout.descriptors[0].width, 0);
    EXPECT_EQ(layout.descriptors[1].width, 3);
    EXPECT_TRUE(ParseLayout("()").descriptors.empty());
}

TEST(ParseLayout, MalformedLayoutsNameLayoutAndPosition) {
    EXPECT_EQ(ErrorOf([] { ParseLayout("(I5,Q3)"); }), "layout (I5,Q3): unknown descriptor Q at position 5");
    EXPECT_EQ(ErrorOf([] { ParseLayout("(I5 F3.0)"); }), "layout (I5 F3.0): missing comma at position 5");
    EXPECT_EQ(ErrorOf([] { ParseLayout("(I5"); }), "layout (I5: missing ) at position 4");
    EXPECT_EQ(ErrorOf([] { ParseLayout("I5"); }), "layout I5: a layout begins with ( at position 1");
    for (const char* bad : {"(I5,)", "(,I5)", "(F10)", "(E10.)", "(I)", "(I0)", "(0I5)", "('abc)", "(2'a')",
                            "(())", "(I5.2)", ""}) {
        EXPECT_NE(ErrorOf([&] { ParseLayout(bad); }).find("position"), std::string::npos) << bad;
    }
}

TEST(ParseLayout, ExpansionUpToTheLimitIsAccepted) {
    EXPECT_EQ(ParseLayout("(100(100(I1)))").descriptors.size(), 10000u);
    EXPECT_NE(ErrorOf([] { ParseLayout("(100(100(I1)),I1)"); }).find("more than 10000"), std::string::npos);
}

TEST(ParseLayout, HostileExpansionIsRefused) {
    const std::string error = ErrorOf([] { ParseLayout("(10000(10000(I5)))"); });
    EXPECT_NE(error.find("more than 10000 descriptors"), std::string::npos) << error;
    EXPECT_NE(ErrorOf([] { ParseLayout("(99999999999I5)"); }).find("number above"), std::string::npos);
    std::string deep(60, '(');
    deep += "I1" + std::string(60, ')');
    EXPECT_NE(ErrorOf([&] { ParseLayout(deep); }).find("nested too deep"), std::string::npos);
}

TEST(CachedLayout, ParsesEachLiteralOnce) {
    static const char text[] = "(I5,F10.3)";
    const Layout& first = records_detail::CachedLayout(text, sizeof text - 1);
    const Layout& again = records_detail::CachedLayout(text, sizeof text - 1);
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(Kinds(first), "IF");
    static const char other[] = "(I5,F10.3)";
    EXPECT_NE(&records_detail::CachedLayout(other, sizeof other - 1), &first);
}

TEST(CachedLayout, ArrayRewrittenInPlaceIsParsedAgain) {
    char text[] = "(I5)";
    EXPECT_EQ(records_detail::CachedLayout(text, 4).descriptors[0].width, 5);
    text[2] = '7';
    EXPECT_EQ(records_detail::CachedLayout(text, 4).descriptors[0].width, 7);
}

TEST(CachedLayout, RewriteSeenAtEveryPlaceOfALongerArray) {
    // The text is compared whole on every use: a change anywhere counts.
    char text[] = "(I1,I2,I3,I4,I5,I6)";
    for (std::size_t field = 0; field < 6; ++field) {
        const std::size_t digit = 2 + 3 * field;
        EXPECT_EQ(records_detail::CachedLayout(text, sizeof text - 1).descriptors[field].width, std::int32_t(field + 1));
        text[digit] = '9';
        EXPECT_EQ(records_detail::CachedLayout(text, sizeof text - 1).descriptors[field].width, 9);
        text[digit] = static_cast<char>('1' + field);
    }
}

TEST(CachedLayout, ManyLayoutsStayDistinct) {
    // Enough entries to make the table grow several times.
    static char texts[300][12];
    std::vector<const Layout*> found;
    for (int i = 0; i < 300; ++i) {
        std::snprintf(texts[i], sizeof texts[i], "(I%d)", i + 1);
        found.push_back(&records_detail::CachedLayout(texts[i], std::strlen(texts[i])));
    }
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(&records_detail::CachedLayout(texts[i], std::strlen(texts[i])), found[static_cast<std::size_t>(i)]);
        EXPECT_EQ(found[static_cast<std::size_t>(i)]->descriptors[0].width, i + 1);
    }
}

}  // namespace
}  // namespace tc
