#include "news/win/DomFeedLoader.h"

#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"

#include <msxml2.h>
#include <ole2.h>

#include <climits>
#include <string>

namespace likenex::news {
namespace {

// {2933BF95-7B36-11D2-B20E-00C04F983E60}: IXMLDOMDocument2, which carries setProperty.
constexpr GUID kDomDocument2Interface = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

UniqueBstr makeBstr(std::u16string_view text) {
    if (text.size() > UINT_MAX) return UniqueBstr();
    return UniqueBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size())));
}

std::u16string fromBstr(BSTR text) {
    if (!text) return {};
    // SysStringLen, not a scan for the terminator: a node's text may hold U+0000.
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

class DomElement final : public FeedElement {
public:
    explicit DomElement(ComPtr<IXMLDOMNode> node) : node_(std::move(node)) {}

    NodeText childText(std::u16string_view path) override {
        const UniqueBstr query = makeBstr(path);
        if (!query) return {NodeStatus::failed, {}};
        ComPtr<IXMLDOMNode> child;
        const HRESULT found = node_->selectSingleNode(query.get(), child.put());
        if (FAILED(found)) return {NodeStatus::failed, {}};
        if (!child) return {NodeStatus::missing, {}};  // S_FALSE: no such node
        BSTR raw = nullptr;
        const HRESULT read = child->get_text(&raw);
        const UniqueBstr text(raw);
        if (FAILED(read)) return {NodeStatus::failed, {}};
        return {NodeStatus::found, fromBstr(text.get())};
    }

private:
    ComPtr<IXMLDOMNode> node_;
};

// Holds the document as well as the list, so the nodes stay valid while they are walked.
class DomDocument final : public FeedDocument {
public:
    DomDocument(ComPtr<IXMLDOMDocument2> document, ComPtr<IXMLDOMNodeList> items)
        : document_(std::move(document)), items_(std::move(items)) {}

    bool itemCount(std::size_t& count) override {
        long length = 0;
        if (FAILED(items_->get_length(&length)) || length < 0) return false;
        if (FAILED(items_->reset())) return false;
        count = static_cast<std::size_t>(length);
        return true;
    }

    std::unique_ptr<FeedElement> item(std::size_t index) override {
        if (index > LONG_MAX) return nullptr;
        ComPtr<IXMLDOMNode> node;
        // S_FALSE with no node when the index is past the list: the walk ends there too.
        if (FAILED(items_->get_item(static_cast<long>(index), node.put())) || !node) return nullptr;
        return std::make_unique<DomElement>(std::move(node));
    }

private:
    ComPtr<IXMLDOMDocument2> document_;
    ComPtr<IXMLDOMNodeList> items_;
};

}  // namespace

bool DomFeedLoader::createDocument(ComPtr<IXMLDOMDocument2>& document) const {
    ComPtr<IUnknown> object;
    if (FAILED(CoCreateInstance(documentClass_, nullptr, CLSCTX_ALL, IID_IUnknown,
                                reinterpret_cast<void**>(object.put()))))
        return false;
    if (FAILED(OleRun(object.get()))) return false;
    ComPtr<IXMLDOMDocument2> made;
    if (FAILED(object->QueryInterface(kDomDocument2Interface, reinterpret_cast<void**>(made.put())))) return false;
    if (FAILED(made->put_async(VARIANT_FALSE)) || FAILED(made->put_resolveExternals(VARIANT_FALSE)) ||
        FAILED(made->put_validateOnParse(VARIANT_FALSE)))
        return false;
    const UniqueBstr prohibitDtd = makeBstr(u"ProhibitDTD");
    if (!prohibitDtd) return false;
    VARIANT on;
    VariantInit(&on);
    on.vt = VT_BOOL;
    on.boolVal = VARIANT_TRUE;
    if (FAILED(made->setProperty(prohibitDtd.get(), on))) return false;
    document = std::move(made);
    return true;
}

LoadedFeed DomFeedLoader::load(std::string_view address) {
    (void)CoInitialize(nullptr);  // S_FALSE when the thread already has COM: fine either way

    ComPtr<IXMLDOMDocument2> document;
    if (!createDocument(document)) return LoadedFeed::componentFailure();

    // The address is 8-bit text in the system code page; the DOM wants it as a BSTR.
    const std::wstring wide = systemCodePage().toWide(address);
    UniqueBstr source = makeBstr(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
    if (!source) return LoadedFeed::componentFailure();
    VARIANT where;
    VariantInit(&where);
    where.vt = VT_BSTR;
    where.bstrVal = source.get();  // still owned by `source`
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT result = document->load(where, &loaded);
    if (FAILED(result)) return LoadedFeed::componentFailure();
    if (loaded != VARIANT_TRUE) return LoadedFeed();  // no answer, or not XML: no items
    // Only a component that ignored ProhibitDTD gets here with a document type.
    ComPtr<IXMLDOMDocumentType> documentType;
    if (FAILED(document->get_doctype(documentType.put()))) return LoadedFeed::componentFailure();
    if (documentType) return LoadedFeed();

    const UniqueBstr tag = makeBstr(u"item");
    ComPtr<IXMLDOMNodeList> items;
    if (!tag || FAILED(document->getElementsByTagName(tag.get(), items.put())) || !items)
        return LoadedFeed::componentFailure();
    return LoadedFeed(std::make_unique<DomDocument>(std::move(document), std::move(items)));
}

}  // namespace likenex::news
