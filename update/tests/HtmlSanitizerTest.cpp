#include "update/HtmlSanitizer.h"

#include "base/Text.h"
#include "update/tests/ActiveContentCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace likenex::update {
namespace {

std::u16string u16(std::string_view utf8) { return *text::utf16FromUtf8(utf8); }
std::string u8(std::u16string_view utf16) { return text::utf8FromUtf16(utf16); }
std::string sanitized(std::string_view html) { return u8(sanitizeHtml(u16(html))); }

std::vector<std::string> attackCorpus() {
    std::ifstream in(LIKENEX_UPDATE_FIXTURES "/attacks.txt", std::ios::binary);
    EXPECT_TRUE(in) << "attacks.txt";
    std::vector<std::string> attacks;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line.rfind("# ", 0) != 0) attacks.push_back(line);
    return attacks;
}

TEST(HtmlSanitizer, OrdinaryNewsMarkupPassesByteForByte) {
    for (const char* benign : {
             "plain text: 2 > 1 &amp; &lt;script&gt; stays text",
             "<p>para</p><P ALIGN=\"center\">upper case kept</P>",
             "line<br>line<br/>line<br />line",
             "<b>b</b><i>i</i><u>u</u><strong>s</strong><em>e</em><span>span</span>",
             "<font color=\"#FF0000\" size=\"+1\" face=\"Arial, "
             "\xe6\x96\xb0\xe7\xb4\xb0\xe6\x98\x8e\xe9\xab\x94\">f</font>",
             "<ul><li>one</li></ul><ol type=\"1\" start=\"3\"><li>three</li></ol>",
             "<table width=\"100%\" border=\"0\" cellpadding=\"3\"><tr><td colspan=\"2\" "
             "nowrap>c</td><th>h</th></tr></table>",
             "<a href=\"http://news.example.com/a?b=1&amp;c=2\" target=\"_blank\" title=\"t\">link</a>",
             "<a href=\"HTTPS://news.example.com/\">upper-case scheme</a>",
             "<img src=\"https://news.example.com/a.png\" alt=\"\" width=\"10\" height=\"10\" border=\"0\">",
             "\xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80 &nbsp;&#9786;",
         })
        EXPECT_EQ(sanitized(benign), benign);
}

TEST(HtmlSanitizer, ActiveContentIsDroppedAndTheRestKept) {
    EXPECT_EQ(sanitized("a<script>alert(1)</script>b"), "ab");
    EXPECT_EQ(sanitized("a<STYLE type=text/css>body{}</Style >b"), "ab");
    EXPECT_EQ(sanitized("a<script>never closed"), "a");
    EXPECT_EQ(sanitized("<object data=\"http://x.example.com/\"><p>fallback</p></object>"), "<p>fallback</p>");
    EXPECT_EQ(sanitized("<form action=\"http://x.example.com/\"><input value=\"go\">text</form>"), "text");
    EXPECT_EQ(sanitized("<meta http-equiv=\"refresh\" content=\"0\"><base href=\"http://x.example.com/\">k"), "k");
    EXPECT_EQ(sanitized("<!-- a --><!--[if IE]><b>x</b><![endif]-->k<!unterminated"), "k");
    EXPECT_EQ(sanitized("<p onclick=\"alert(1)\" align=\"left\" style=\"color:red\">p</p>"), "<p align=\"left\">p</p>");
    EXPECT_EQ(sanitized("<a href=\"javascript:alert(1)\" title=\"t\">x</a>"), "<a title=\"t\">x</a>");
    EXPECT_EQ(sanitized("<img src=\"data:image/png;base64,AAAA\" alt=\"a\">"), "<img alt=\"a\">");
    EXPECT_EQ(sanitized("</p class=\"x\">"), "</p>");
}

TEST(HtmlSanitizer, WhatIsKeptIsWrittenBackInOnePlainForm) {
    // Values end up in double quotes with any double quote inside escaped.
    EXPECT_EQ(sanitized("<a href='http://x.example.com/\"onmouseover=\"alert(1)'>x</a>"),
              "<a href=\"http://x.example.com/&quot;onmouseover=&quot;alert(1)\">x</a>");
    EXPECT_EQ(sanitized("<font color=red size=2>f</font>"), "<font color=\"red\" size=\"2\">f</font>");
    EXPECT_EQ(sanitized("<img alt='\"><script>alert(1)</script>'>"),
              "<img alt=\"&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">");
    EXPECT_EQ(sanitized("<a  href=\"http://x.example.com/\"\ttarget=\"_blank\" >x</a>"),
              "<a href=\"http://x.example.com/\" target=\"_blank\">x</a>");
    // A '<' that opens no tag, or a tag cut off by the end of the text, stays text: in the page
    // it must not merge with the markup that follows.
    EXPECT_EQ(sanitized("1 < 2 <3 </ <"), "1 &lt; 2 &lt;3 &lt;/ &lt;");
    EXPECT_EQ(sanitized("cut <img src=\"http://x.example.com/a.png\" onerror=alert(1) "),
              "cut &lt;img src=\"http://x.example.com/a.png\" onerror=alert(1) ");
    EXPECT_EQ(sanitized("<p title=\"never closed>x"), "&lt;p title=\"never closed>x");
}

TEST(HtmlSanitizer, NoAttackFromTheCorpusLeavesActiveContent) {
    const std::vector<std::string> attacks = attackCorpus();
    ASSERT_GT(attacks.size(), 100u);
    for (const std::string& attack : attacks) {
        const std::u16string out = sanitizeHtml(u16(attack));
        EXPECT_EQ(testing::activeContentIn(out), "") << attack << "\n  gave " << u8(out);
        // Sanitizing what was already sanitized changes nothing: the output is in plain form.
        EXPECT_EQ(sanitizeHtml(out), out) << attack;
    }
}

TEST(HtmlSanitizer, TheCheckItselfSeesActiveContent) {
    for (const char* active : {"<script>", "<img src=x>", "<a href=\"javascript:x\">", "<b onclick=\"x\">",
                               "<a href=\"http://x.example.com/\" style=\"x\">", "<iframe>", "a < b",
                               "<img src=\"java&#x09;script:x\">", "<a href=\" &#10;javascript:x\">"})
        EXPECT_NE(testing::activeContentIn(u16(active)), "") << active;
}

TEST(PageLinks, OnlyHttpAndHttpsWithQuotesEscaped) {
    EXPECT_EQ(safeHref(u"http://news.example.com/a?b=1&c=2"), u"http://news.example.com/a?b=1&c=2");
    EXPECT_EQ(safeHref(u"https://news.example.com/"), u"https://news.example.com/");
    EXPECT_EQ(safeHref(u"http://news.example.com/\" onclick=\"alert(1)"),
              u"http://news.example.com/&quot; onclick=&quot;alert(1)");
    for (const char16_t* bad :
         {u"javascript:alert(1)", u"vbscript:msgbox(1)", u"data:text/html,x", u" http://x.example.com/",
          u"file:///C:/x", u"//x.example.com/", u"news.example.com", u""})
        EXPECT_EQ(safeHref(bad), u"") << u8(bad);
    EXPECT_EQ(escapeText(u"2007-05-01T10:00:00+08:00"), u"2007-05-01T10:00:00+08:00");
    EXPECT_EQ(escapeText(u"<b>\"&\"</b>"), u"&lt;b&gt;&quot;&amp;&quot;&lt;/b&gt;");
}

}  // namespace
}  // namespace likenex::update
