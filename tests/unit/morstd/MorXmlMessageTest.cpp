// The XML reader on documents it refuses: the message box each failure shows (through
// the host layer's journal, so host only), and that no document, however malformed,
// makes it read or write outside its working copy (the sanitizers watch these runs).
#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morstd/MorXml.h"
#include "platform/win.h"
#include "support/HostFixture.h"

namespace {

using morstd::cMorXml;

constexpr char kDeclaration[] = "<?xml version=\"1.0\"?>";

class MorXmlMessageTest : public dhtest::HostFixture {
 protected:
  // Parses `text` and returns the one message box it showed as "caption|text", "" when
  // it showed none; the parse's result goes to `*result`.
  std::string ParseShowing(const std::string& text, int* result) {
    hostwin::ClearMessageJournal();
    cMorXml xml;
    *result = xml.Parse(text.c_str());
    const auto journal = hostwin::MessageJournal();
    if (journal.empty()) return "";
    EXPECT_EQ(1u, journal.size());
    EXPECT_EQ(nullptr, journal[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), journal[0].flags);
    // A partial tree after a failure still answers queries without harm.
    EXPECT_EQ(nullptr, xml.FindByPath("/never/there"));
    xml.GetValue(nullptr);
    return journal[0].caption + "|" + journal[0].text;
  }
  std::string MakeNodeFailure(const std::string& body) {
    int result = -1;
    const std::string shown = ParseShowing(kDeclaration + body, &result);
    EXPECT_EQ(0, result) << body;
    return shown;
  }
};

TEST_F(MorXmlMessageTest, DeclarationErrorsShowTheHeaderMessage) {
  const std::string header = "パース失敗|XMLヘッダーエラー";
  for (const std::string& text : {
           std::string("<a>x</a>"),                              // no declaration
           std::string("\xEF\xBB\xBF<?xml version=\"1.0\"?><a>x</a>"),  // byte-order mark
           std::string("<?XML version=\"1.0\"?><a>x</a>"),       // case matters
           std::string("<?xml version=\"1.0\"<a>x</a>"),         // no "?>"
           std::string("<?xml encoding=\"Shift_JIS?><a>x</a>"),  // encoding never closed
       }) {
    int result = -1;
    EXPECT_EQ(header, ParseShowing(text, &result)) << text;
    EXPECT_EQ(0, result);
  }
}

TEST_F(MorXmlMessageTest, TextWithoutElementsFailsSilently) {
  for (const std::string& text : {std::string(""), std::string("plain text"),
                                 std::string("<?xml version=\"1.0\"?>"),
                                 std::string("<?xml?></a><!-- c -->")}) {
    int result = -1;
    EXPECT_EQ("", ParseShowing(text, &result)) << text;
    EXPECT_EQ(0, result);
  }
}

TEST_F(MorXmlMessageTest, EachMalformedElementShowsItsCode) {
  const struct {
    const char* body;
    int code;
  } cases[] = {
      {"<a/><?b/>", -1},                  // an element the count did not see
      {"<!-- never closed <a>x</a>", -2},
      {"< ", -4},
      {"<abc", -5},
      {"<a>", -6},
      {"<a ", -7},
      {"<a x=1>t</a>", -8},
      {"<a>   ", -10},
      {"<a>text", -11},
      {"<a><b>", -11},
      {"<a><!-- open <b>x</b></a>", -12},
      {"<a><b>x</b><!--</a>-->", -13},
      {"<a><b>x</b></c></a>", -14},
      {"<a>x</a><!-- open", -15},
      {"<a>x</a>junk", -16},
      {"<a><b>x</a>", -100},              // the child's own code is not passed up
      {"<a><?b>x</?b></a>", -100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ("XMLパース失敗|MakeNode Err=" + std::to_string(c.code), MakeNodeFailure(c.body))
        << c.body;
  }
}

TEST_F(MorXmlMessageTest, TwoCommentsInARowBeforeAnElementFail) {
  const std::string shown = MakeNodeFailure("<!-- one --><!-- two --><a>x</a>");
  EXPECT_EQ(0u, shown.find("XMLパース失敗|MakeNode Err=")) << shown;
}

TEST_F(MorXmlMessageTest, LeftOverTextIsShownAndTheParseSucceeds) {
  int result = -1;
  EXPECT_EQ("|EndPtr!=ptr", ParseShowing(std::string(kDeclaration) + "<a>x</a></b>", &result));
  EXPECT_EQ(1, result);
}

// Attribute values holding '=' or '>' make the attribute count disagree with the
// text: the start tag is refused instead of being read on into the document.
TEST_F(MorXmlMessageTest, AttributeValuesWithEqualsOrGreaterThanAreRefused) {
  for (const char* body : {"<a x=\"1=2\">t</a>", "<a x=\"1>2\">t</a>", "<a x=\"1\" y=\"=\"/>",
                           "<r><a x=\"a>b\" y=\"c\">t</a></r>", "<a x=\"1\"=>t</a>",
                           "<a x=\"1>t</a>"}) {
    const std::string shown = MakeNodeFailure(body);
    EXPECT_TRUE(shown == "XMLパース失敗|MakeNode Err=-8" || shown == "XMLパース失敗|MakeNode Err=-100")
        << body << " showed " << shown;
  }
}

TEST_F(MorXmlMessageTest, NamesBeyondTheEndTagBufferAreRefused) {
  const std::string name(cMorXml::kMaxNameLength + 1, 'n');
  EXPECT_EQ("XMLパース失敗|MakeNode Err=-17", MakeNodeFailure("<" + name + ">v</" + name + ">"));
  EXPECT_EQ("XMLパース失敗|MakeNode Err=-17", MakeNodeFailure("<" + name + "/>"));
  const std::string huge(5000, 'h');
  EXPECT_EQ("XMLパース失敗|MakeNode Err=-100",
            MakeNodeFailure("<r><" + huge + ">v</" + huge + "></r>"));
}

TEST_F(MorXmlMessageTest, NestingBeyondTheLimitIsRefused) {
  std::string nested;
  for (int i = 0; i <= cMorXml::kMaxDepth; ++i) nested += "<e>";
  nested += "x";
  for (int i = 0; i <= cMorXml::kMaxDepth; ++i) nested += "</e>";
  EXPECT_EQ("XMLパース失敗|MakeNode Err=-100", MakeNodeFailure(nested));
}

// Truncations of a valid document end at every possible place inside a construct; each
// either parses or fails with a message box, never outside the copy.
TEST_F(MorXmlMessageTest, EveryTruncationOfADocumentEndsCleanly) {
  const std::string full = std::string(kDeclaration) +
                           "<!-- c -->\r\n<UpdatePatch v=\"1\"><Version>1.0</Version>"
                           "<x a=\"&amp;\" b=\"2\"/><y>表示　</y><!-- d --></UpdatePatch>\r\n";
  for (size_t length = 0; length <= full.size(); ++length) {
    hostwin::ClearMessageJournal();
    cMorXml xml;
    const int result = xml.Parse(full.substr(0, length).c_str());
    if (length == full.size()) {
      EXPECT_EQ(1, result);
    }
    if (result == 1) xml.GetValue(xml.FindByPath("/UpdatePatch/y"));
    EXPECT_LE(hostwin::MessageJournal().size(), 1u) << length;
  }
}

}  // namespace

#endif  // _WIN32
