#pragma once
// The feed loader of News.dll: the system's XML DOM document (MSXML's DOMDocument) downloads
// the feed and parses it; the item reader walks it through the FeedDocument interface.
//
// COM is initialised on the calling thread at every load and deliberately left initialised:
// the caller's thread may already use COM, and the library may be asked again.
//
// The feed comes over plain HTTP, so the document is made to refuse a document type: MSXML 3
// would otherwise read external entities (a local file's text into the news page) and expand
// entities without bound. A document that still arrives with a document type, from a
// component that ignores those settings, yields no items.

#include "news/FeedDocument.h"
#include "platform/win/Handles.h"

#include <windows.h>

#include <msxml2.h>

namespace likenex::news {

// {2933BF90-7B36-11D2-B20E-00C04F983E60}: MinGW's libuuid has no CLSID_DOMDocument.
inline constexpr GUID kDomDocumentClass = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

class DomFeedLoader final : public FeedLoader {
public:
    // Tests pass another class to see what a component that cannot be created does.
    explicit DomFeedLoader(const GUID& documentClass = kDomDocumentClass) : documentClass_(documentClass) {}

    [[nodiscard]] LoadedFeed load(std::string_view address) override;

    // A new document set for loading a feed: synchronous, no document type, no external
    // entities, no validation. False when the component cannot be made or refuses a setting.
    // COM must be initialised on the calling thread.
    [[nodiscard]] bool createDocument(ComPtr<IXMLDOMDocument2>& document) const;

private:
    GUID documentClass_;
};

}  // namespace likenex::news
