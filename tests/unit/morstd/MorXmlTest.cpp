// The XML reader on documents it accepts: the tree, texts, paths and Shift-JIS content.
// Documents that make it show a message box are in MorXmlMessageTest (host only).
#include <gtest/gtest.h>

#include <string>

#include "morstd/MorXml.h"
#include "unit/morstd/MorTestSupport.h"

namespace {

using morstd::cMorXml;
using morstd::XmlNode;

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

std::string Doc(const std::string& body) { return kDeclaration + body; }

// The decoded text at `path`, or "<none>" when there is no element or no text.
std::string ValueAt(cMorXml* xml, const char* path) {
  const XmlNode* node = xml->FindByPath(path);
  if (!node) return "<none>";
  const char* value = xml->GetValue(node);
  return value ? value : "<no text>";
}

TEST(MorXml, SiblingsLinkInDocumentOrderAndPathsFindTheFirst) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a>\r\n  <b>x</b>\r\n  <b>y</b>\r\n</a>\r\n").c_str()));
  EXPECT_EQ(3, xml.GetNodeCount());
  EXPECT_EQ(3, xml.GetNodeCapacity());
  EXPECT_STREQ("Shift_JIS", xml.GetEncoding());
  const XmlNode* a = xml.FindByPath("/a");
  const XmlNode* b = xml.FindByPath("/a/b");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b, a->firstChild);
  EXPECT_EQ(a, b->parent);
  EXPECT_STREQ("x", xml.GetValue(b));
  ASSERT_NE(nullptr, b->next);
  EXPECT_STREQ("y", xml.GetValue(b->next));
  EXPECT_EQ(nullptr, b->next->next);
  EXPECT_EQ(nullptr, xml.GetValue(a));  // an element holding elements has no text
  EXPECT_EQ(nullptr, a->parent);
}

TEST(MorXml, TopLevelElementsAreSiblingsAndTheFirstIsTheDefaultNode) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse("<?xml version=\"1.0\"?><a>1</a>\n<b>2</b>"));
  EXPECT_STREQ("", xml.GetEncoding());  // no encoding attribute: recorded as empty
  const XmlNode* a = xml.FindByPath("/a");
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(xml.FindByPath("/b"), a->next);
  EXPECT_STREQ("1", xml.GetValue(nullptr));
  EXPECT_EQ("2", ValueAt(&xml, "/b"));
}

TEST(MorXml, TextLosesLeadingAndKeepsTrailingWhiteSpace) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a>  hello  </a>").c_str()));
  EXPECT_EQ("hello  ", ValueAt(&xml, "/a"));
}

TEST(MorXml, EntitiesAreDecodedOneLevelDeep) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<r><a>x &amp;lt; y</a><b>&amp;&lt;&gt;&apos;&quot;</b>"
                             "<c>&#65; &unknown; & &amp</c></r>")
                             .c_str()));
  EXPECT_EQ("x &lt; y", ValueAt(&xml, "/r/a"));
  EXPECT_EQ("&<>'\"", ValueAt(&xml, "/r/b"));
  EXPECT_EQ("&#65; &unknown; & &amp", ValueAt(&xml, "/r/c"));
}

TEST(MorXml, EmptyEndTagGivesEmptyTextAndEmptyElementTagNone) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<r><a></a><b/><c x=\"1\"/><d>  </d></r>").c_str()));
  EXPECT_EQ("", ValueAt(&xml, "/r/a"));
  EXPECT_EQ("<no text>", ValueAt(&xml, "/r/b"));
  EXPECT_EQ("<no text>", ValueAt(&xml, "/r/c"));
  EXPECT_EQ("", ValueAt(&xml, "/r/d"));  // white space up to the end tag is dropped
}

TEST(MorXml, PathStepsCompareWholeNamesWithCase) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a><Data1><Key>one</Key></Data1><Data2><Key>two</Key></Data2>"
                             "<data3><Key>three</Key></data3></a>")
                             .c_str()));
  EXPECT_EQ("two", ValueAt(&xml, "/a/Data2/Key"));
  EXPECT_EQ("one", ValueAt(&xml, "/a/Data1/Key"));
  EXPECT_EQ("<none>", ValueAt(&xml, "/a/Data/Key"));
  EXPECT_EQ("<none>", ValueAt(&xml, "/a/Data3/Key"));
  EXPECT_EQ("<none>", ValueAt(&xml, "/a/Data2/Key/More"));
}

TEST(MorXml, FirstStepFindsAnyDepthAndLaterStepsOnlyChildren) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a><b><c>deep</c></b><c>shallow</c></a>").c_str()));
  EXPECT_EQ("deep", ValueAt(&xml, "/c"));  // first in document order, at any depth
  EXPECT_EQ("shallow", ValueAt(&xml, "/a/c"));
  EXPECT_EQ("deep", ValueAt(&xml, "ignored/b/c"));  // text before the first '/' is ignored
  EXPECT_EQ(nullptr, xml.FindByPath("a"));
  EXPECT_EQ(nullptr, xml.FindByPath(""));
  EXPECT_EQ(nullptr, xml.FindByPath(nullptr));
}

TEST(MorXml, AttributeStepMatchesTheFirstAttributeOnly) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<list><Item kind=\"a\" id=\"3\">second-attr</Item>"
                             "<Item id=\"3\" kind=\"b\">first-attr</Item>"
                             "<Item>none</Item></list>")
                             .c_str()));
  EXPECT_EQ("first-attr", ValueAt(&xml, "/list/Item id=\"3\""));
  EXPECT_EQ("first-attr", ValueAt(&xml, "/Item id=\"3\""));
  EXPECT_EQ("second-attr", ValueAt(&xml, "/list/Item kind=\"a\""));
  EXPECT_EQ("<none>", ValueAt(&xml, "/list/Item kind=\"b\""));
  EXPECT_EQ("<none>", ValueAt(&xml, "/list/Item id=\"4\""));
  // Malformed steps: no space before the attribute, no closing quote.
  EXPECT_EQ(nullptr, xml.FindByPath("/list/Item,id=\"3\""));
  EXPECT_EQ(nullptr, xml.FindByPath("/list/Item id=\"3"));
}

TEST(MorXml, AttributesAreCutRawWithTheirSpacing) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a x =\"  1\" y=\"&amp;\"\r\n z=\"\">t</a>").c_str()));
  const XmlNode* a = xml.FindByPath("/a");
  ASSERT_NE(nullptr, a);
  ASSERT_EQ(3, a->attributeCount);
  EXPECT_STREQ("x ", a->attributeNames[0]);  // white space before '=' stays in the name
  EXPECT_STREQ("1", a->attributeValues[0]);  // leading white space of a value is dropped
  EXPECT_STREQ("y", a->attributeNames[1]);
  EXPECT_STREQ("&amp;", a->attributeValues[1]);
  EXPECT_STREQ("z", a->attributeNames[2]);
  EXPECT_STREQ("", a->attributeValues[2]);
  EXPECT_EQ("t", ValueAt(&xml, "/a"));
}

TEST(MorXml, OneCommentIsSkippedAtEachPlace) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<!-- before -->\n<a><!-- first child -->"
                             "<b>1</b><!-- after b --><c>2</c></a><!-- end -->")
                             .c_str()));
  EXPECT_EQ("1", ValueAt(&xml, "/a/b"));
  EXPECT_EQ("2", ValueAt(&xml, "/a/c"));
  EXPECT_EQ(3, xml.GetNodeCount());
}

TEST(MorXml, MixedContentStaysRawAndItsRecordsStayUnused) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a>text <b>bold</b> more</a>").c_str()));
  EXPECT_EQ("text <b>bold</b> more", ValueAt(&xml, "/a"));
  EXPECT_EQ(nullptr, xml.FindByPath("/a/b"));
  EXPECT_EQ(nullptr, xml.FindByPath("/b"));  // the unused record matches nothing
  EXPECT_EQ(2, xml.GetNodeCapacity());
  EXPECT_EQ(1, xml.GetNodeCount());
}

TEST(MorXml, ShiftJisNamesAndValuesPassThrough) {
  // "表" and "ソ" end in the byte 0x5C; "　" is the ideographic space 0x81 0x40.
  ASSERT_EQ('\x5C', "表"[1]);
  ASSERT_EQ('\x5C', "ソ"[1]);
  ASSERT_EQ(std::string("\x81\x40"), "　");
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<設定>\r\n　<表示 名前=\"ソフト\">\r\n　表示ソフト　</表示>"
                             "<値>　　二つ</値></設定>")
                             .c_str()));
  EXPECT_EQ("表示ソフト　", ValueAt(&xml, "/設定/表示"));
  EXPECT_EQ("表示ソフト　", ValueAt(&xml, "/設定/表示 名前=\"ソフト\""));
  EXPECT_EQ("　二つ", ValueAt(&xml, "/設定/値"));  // one ideographic space is skipped
}

TEST(MorXml, NamesUpToTheEndTagLimitAndDeepNestingUpToTheLimit) {
  const std::string name(cMorXml::kMaxNameLength, 'n');
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<" + name + ">v</" + name + ">").c_str()));
  EXPECT_EQ("v", ValueAt(&xml, ("/" + name).c_str()));

  std::string nested;
  for (int i = 0; i < cMorXml::kMaxDepth; ++i) nested += "<e>";
  nested += "x";
  for (int i = 0; i < cMorXml::kMaxDepth; ++i) nested += "</e>";
  ASSERT_EQ(1, xml.Parse(Doc(nested).c_str()));
  EXPECT_EQ(cMorXml::kMaxDepth, xml.GetNodeCount());
}

// As 32-bit code, 119,304,648 element starts need 2^32 + 32 bytes of records: a size
// that wraps would give a 32-byte block for them all.
TEST(MorXml, RecordsBeyondTheAddressSpaceAreRefused) {
  if (sizeof(void*) > 4) GTEST_SKIP() << "the size of the records cannot wrap in 64 bits";
  const size_t starts = (size_t{0} - 1) / sizeof(XmlNode) + 1;
  std::string text = "<a>x</a>";
  text.append(starts - 1, '<');
  cMorXml xml;
  xml.SetSkipHeaderCheck(1);
  EXPECT_EQ(0, xml.Parse(text.c_str()));
  EXPECT_EQ(0, xml.GetNodeCapacity());
}

TEST(MorXml, ParseReplacesTheDocumentAndValuesGrowTheirBuffer) {
  cMorXml xml;
  ASSERT_EQ(1, xml.Parse(Doc("<a>first</a>").c_str()));
  EXPECT_EQ("first", ValueAt(&xml, "/a"));
  const std::string longText(300, 'L');
  ASSERT_EQ(1, xml.Parse(Doc("<b>" + longText + "</b>").c_str()));
  EXPECT_EQ(nullptr, xml.FindByPath("/a"));
  EXPECT_EQ(longText, ValueAt(&xml, "/b"));
  ASSERT_EQ(1, xml.Parse(Doc("<c>short</c>").c_str()));
  EXPECT_EQ("short", ValueAt(&xml, "/c"));
}

TEST(MorXml, ValuesOnlyForNodesOfTheDocument) {
  cMorXml xml;
  EXPECT_EQ(nullptr, xml.GetValue(nullptr));  // nothing loaded
  EXPECT_EQ(nullptr, xml.FindByPath("/a"));
  ASSERT_EQ(1, xml.Parse(Doc("<a>1</a>").c_str()));
  XmlNode stranger = {};
  char text[] = "forged";
  stranger.value = text;
  EXPECT_EQ(nullptr, xml.GetValue(&stranger));
  cMorXml other;
  ASSERT_EQ(1, other.Parse(Doc("<a>2</a>").c_str()));
  EXPECT_EQ(nullptr, xml.GetValue(other.FindByPath("/a")));
  xml.Clear();
  EXPECT_EQ(0, xml.GetNodeCapacity());
  EXPECT_EQ(nullptr, xml.GetValue(nullptr));
}

TEST(MorXml, FragmentsWithoutDeclarationWhenTheCheckIsSkipped) {
  cMorXml xml;
  xml.SetSkipHeaderCheck(1);
  ASSERT_EQ(1, xml.Parse("<a><b>x</b></a>"));
  EXPECT_EQ("x", ValueAt(&xml, "/a/b"));
}

TEST(MorXml, MissingMemoryFailsQuietly) {
  cMorXml xml;
  {
    morstdtest::FailingAllocations fail(1);  // the working copy
    EXPECT_EQ(0, xml.Parse(Doc("<a>1</a>").c_str()));
  }
  EXPECT_EQ(0, xml.Parse(nullptr));
  EXPECT_EQ(0, xml.Parse("no element here"));
  EXPECT_EQ(0, xml.Parse(kDeclaration));  // nothing to count
  ASSERT_EQ(1, xml.Parse(Doc("<a>1</a>").c_str()));
  {
    morstdtest::FailingAllocations fail(1);  // the path's working copy
    EXPECT_EQ(nullptr, xml.FindByPath("/a"));
  }
  const XmlNode* a = xml.FindByPath("/a");
  {
    morstdtest::FailingAllocations fail(1);  // the value buffer
    EXPECT_EQ(nullptr, xml.GetValue(a));
  }
  EXPECT_STREQ("1", xml.GetValue(a));
}

}  // namespace
