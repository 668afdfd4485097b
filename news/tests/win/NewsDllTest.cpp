// News.dll as its caller sees it: loaded by path, its four functions found by name, the feed
// fetched over HTTP from a local server by the system's XML DOM.

#include "test_support/HttpFixtureServer.h"  // winsock2.h before windows.h

#include "news/NewsExports.h"
#include "news/NewsFeed.h"
#include "news/RssItem.h"
#include "news/win/DomFeedLoader.h"
#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"
#include "platform/win/ModuleExport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace likenex::news {
namespace {

std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(LIKENEX_NEWS_FIXTURES) + "\\" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fresh library for each test: its one feed starts with no address and no items.
struct NewsDllTest : ::testing::Test {
    UniqueModule library{LoadLibraryW(LIKENEX_NEWS_DLL)};
    SetUrlFunction setUrl = nullptr;
    BrowseFunction browse = nullptr;
    CountOfItemsFunction countOfItems = nullptr;
    GetItemFunction getItem = nullptr;
    test::HttpFixtureServer server;

    void SetUp() override {
        ASSERT_TRUE(library) << "News.dll did not load";
        setUrl = exportedFunction<SetUrlFunction>(library.get(), kSetUrlExport);
        browse = exportedFunction<BrowseFunction>(library.get(), kBrowseExport);
        countOfItems = exportedFunction<CountOfItemsFunction>(library.get(), kCountOfItemsExport);
        getItem = exportedFunction<GetItemFunction>(library.get(), kGetItemExport);
        ASSERT_TRUE(setUrl && browse && countOfItems && getItem) << "an export is missing or decorated";
        ASSERT_TRUE(server.running());
    }

    std::vector<RSSITEM> items() {
        std::vector<RSSITEM> out;
        for (std::int32_t i = 0; i < countOfItems(); ++i) {
            RSSITEM item;
            if (getItem(&item, i) != 1) break;
            out.push_back(item);
        }
        return out;
    }
};

std::u16string title(const RSSITEM& item) { return std::u16string(fieldText(item.title)); }

TEST_F(NewsDllTest, AddressMustBeHttpWithADottedHost) {
    EXPECT_EQ(browse(), 0);  // nothing stored yet
    EXPECT_EQ(setUrl("http://localhost/news.xml"), 0);
    EXPECT_EQ(setUrl("ftp://news.example.com/news.xml"), 0);
    EXPECT_EQ(setUrl("xhttp://news.example.com/"), 0);
    EXPECT_EQ(browse(), 0);  // still nothing stored
    EXPECT_EQ(setUrl("http://news.example.com:8080/feed/news.xml?v=1.0&ln=en"), 1);
    EXPECT_EQ(setUrl(nullptr), 0);
}

TEST_F(NewsDllTest, ItemsComeNewestFirstWithEveryField) {
    server.serve("/news.xml", readFixture("dates.xml"));
    ASSERT_EQ(setUrl(server.url("/news.xml?v=1.0&ln=en").c_str()), 1);
    ASSERT_EQ(browse(), 1);
    ASSERT_EQ(server.requests(), std::vector<std::string>{"/news.xml?v=1.0&ln=en"});
    ASSERT_EQ(countOfItems(), 5);
    const std::vector<RSSITEM> got = items();
    ASSERT_EQ(got.size(), 5u);
    // Equal dates keep feed order; the undated item sorts last.
    EXPECT_EQ(title(got[0]), u"June");
    EXPECT_EQ(title(got[1]), u"June again");
    EXPECT_EQ(title(got[2]), u"Mid May");
    EXPECT_EQ(title(got[3]), u"May");
    EXPECT_EQ(title(got[4]), u"Undated");
    EXPECT_EQ(linkText(got[3]), "http://news.example.com/item?id=1&ln=en");
    EXPECT_EQ(fieldText(got[3].content), u"<p>First <b>news</b>.</p>");
    EXPECT_EQ(fieldText(got[0].content), u"<p>Second</p>");
    EXPECT_EQ(fieldText(got[2].date), u"2007-05-15");
    EXPECT_EQ(fieldText(got[4].date), u"");

    // Out of range: refused, and the caller's record is not touched.
    RSSITEM record;
    std::memset(&record, 0x5A, sizeof record);
    const RSSITEM before = record;
    EXPECT_EQ(getItem(&record, -1), 0);
    EXPECT_EQ(getItem(&record, 5), 0);
    EXPECT_EQ(getItem(nullptr, 0), 0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST_F(NewsDllTest, MissingChildrenLeaveTheirFieldsEmpty) {
    server.serve("/news.xml", readFixture("missing-children.xml"));
    ASSERT_EQ(setUrl(server.url("/news.xml").c_str()), 1);
    ASSERT_EQ(browse(), 1);
    const std::vector<RSSITEM> got = items();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(title(got[0]), u"");
    EXPECT_EQ(linkText(got[0]), "http://news.example.com/no-title");
    EXPECT_EQ(linkText(got[1]), "");
    EXPECT_EQ(fieldText(got[2].content), u"");
    // A node's text is all the text below it; the plain <date> is not dc:date.
    EXPECT_EQ(title(got[3]), u"Nested markup text \u263A");
    EXPECT_EQ(fieldText(got[3].date), u"2007-05-01");
    EXPECT_EQ(title(got[4]), u"");  // the empty <item/>, undated, last
}

TEST_F(NewsDllTest, LongTextsAreCutToTheirFields) {
    const std::string longTitle(400, 'T');
    const std::string longLink = "http://news.example.com/" + std::string(600, 'l');
    server.serve("/long.xml",
                 "<?xml version=\"1.0\"?><rss xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><item><title>" +
                     longTitle + "</title><link>" + longLink +
                     "</link><dc:date>2007-01-01</dc:date></item></channel></rss>");
    ASSERT_EQ(setUrl(server.url("/long.xml").c_str()), 1);
    ASSERT_EQ(browse(), 1);
    const std::vector<RSSITEM> got = items();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(title(got[0]), std::u16string(299, u'T'));
    EXPECT_EQ(linkText(got[0]), longLink.substr(0, 511));
    EXPECT_EQ(got[0].link[511], '\0');
}

TEST_F(NewsDllTest, AFeedThatDoesNotLoadGivesNoItemsAndARefreshReplacesThem) {
    server.serve("/news.xml", readFixture("dates.xml"));
    ASSERT_EQ(setUrl(server.url("/news.xml").c_str()), 1);
    ASSERT_EQ(browse(), 1);
    ASSERT_EQ(countOfItems(), 5);

    server.serve("/news.xml", readFixture("malformed\\unclosed.xml"));
    EXPECT_EQ(browse(), 1);
    EXPECT_EQ(countOfItems(), 0);

    server.serve("/news.xml", readFixture("missing-children.xml"));
    EXPECT_EQ(browse(), 1);
    EXPECT_EQ(countOfItems(), 5);

    server.remove("/news.xml");  // 404
    EXPECT_EQ(browse(), 1);
    EXPECT_EQ(countOfItems(), 0);

    // A refused address keeps the one before.
    server.serve("/news.xml", readFixture("dates.xml"));
    EXPECT_EQ(setUrl("http://nodot/news.xml"), 0);
    EXPECT_EQ(browse(), 1);
    EXPECT_EQ(countOfItems(), 5);
}

// A feed may come over plain HTTP from anyone on the way: a document type in it, with the
// entities it could declare (a local file's text, a fetched one, an expansion without end),
// leaves the page without items, and nothing it names is fetched.
TEST_F(NewsDllTest, AFeedWithADocumentTypeGivesNoItems) {
    const std::string item =
        "<rss xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><item><title>Title &inner;</title>"
        "<dc:date>2007-01-01</dc:date></item></channel></rss>";
    server.serve("/outside.dtd", "<!ENTITY inner \"FETCHED\">", "application/xml-dtd");
    server.serve("/local.xml",
                 "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY inner SYSTEM "
                 "\"file:///C:/windows/win.ini\">\n]>\n" +
                     item);
    server.serve("/expanded.xml",
                 "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY inner \"EXPANDED\">\n]>\n" + item);
    server.serve("/external.xml",
                 "<?xml version=\"1.0\"?>\n<!DOCTYPE rss SYSTEM \"" + server.url("/outside.dtd") + "\">\n" + item);
    // The same item without a document type loads, so the refusals below are the type's.
    server.serve("/plain.xml", "<?xml version=\"1.0\"?>\n" + std::string(item).replace(item.find(" &inner;"), 8, ""));
    ASSERT_EQ(setUrl(server.url("/plain.xml").c_str()), 1);
    ASSERT_EQ(browse(), 1);
    ASSERT_EQ(countOfItems(), 1);

    for (const char* path : {"/local.xml", "/expanded.xml", "/external.xml"}) {
        SCOPED_TRACE(path);
        ASSERT_EQ(setUrl(server.url(path).c_str()), 1);
        EXPECT_EQ(browse(), 1);
        EXPECT_EQ(countOfItems(), 0);
    }
    for (const std::string& request : server.requests()) EXPECT_NE(request, "/outside.dtd");
}

TEST(DomFeedLoaderTest, TheDocumentIsMadeWithoutExternalsOrValidation) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        const DomFeedLoader loader;
        ComPtr<IXMLDOMDocument2> document;
        ASSERT_TRUE(loader.createDocument(document));
        VARIANT_BOOL value = VARIANT_TRUE;
        EXPECT_EQ(document->get_async(&value), S_OK);
        EXPECT_EQ(value, VARIANT_FALSE);
        value = VARIANT_TRUE;
        EXPECT_EQ(document->get_resolveExternals(&value), S_OK);
        EXPECT_EQ(value, VARIANT_FALSE);
        value = VARIANT_TRUE;
        EXPECT_EQ(document->get_validateOnParse(&value), S_OK);
        EXPECT_EQ(value, VARIANT_FALSE);
    }
    CoUninitialize();
}

// What reaches the debugger output: OutputDebugStringA raises DBG_PRINTEXCEPTION_C, which a
// vectored handler sees before anyone handles it.
std::vector<std::string>* gDebugLines = nullptr;

LONG CALLBACK recordDebugText(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (gDebugLines && record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2)
        gDebugLines->emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(DomFeedLoaderTest, AComponentThatCannotBeCreatedWritesErrorFindIt) {
    std::vector<std::string> lines;
    gDebugLines = &lines;
    void* handler = AddVectoredExceptionHandler(1, recordDebugText);
    ASSERT_NE(handler, nullptr);

    // A class nobody registered stands for an XML component that fails.
    constexpr GUID kNoSuchClass = {0x6B1D0E52, 0x3C1A, 0x4F0E, {0x9A, 0x51, 0x2E, 0x7D, 0x10, 0x44, 0xC3, 0x01}};
    DomFeedLoader broken(kNoSuchClass);
    NewsFeed feed(broken, systemCodePage(), [](const char* text) { OutputDebugStringA(text); });
    ASSERT_TRUE(feed.setUrl("http://news.example.com/news.xml"));
    EXPECT_TRUE(feed.browse());
    EXPECT_EQ(feed.countOfItems(), 0);

    // The real component with a feed it cannot load: no items, and nothing written.
    const std::size_t written = lines.size();
    DomFeedLoader real;
    NewsFeed unreachable(real, systemCodePage(), [](const char* text) { OutputDebugStringA(text); });
    ASSERT_TRUE(unreachable.setUrl("http://127.0.0.1:1/news.xml"));
    EXPECT_TRUE(unreachable.browse());
    EXPECT_EQ(unreachable.countOfItems(), 0);

    RemoveVectoredExceptionHandler(handler);
    gDebugLines = nullptr;
    ASSERT_EQ(written, 1u);
    EXPECT_EQ(lines[0], kWalkFailedText);
    EXPECT_EQ(lines.size(), 1u);
}

}  // namespace
}  // namespace likenex::news
