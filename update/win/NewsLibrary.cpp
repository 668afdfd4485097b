#include "update/win/NewsLibrary.h"

#include "platform/win/ModuleExport.h"

namespace likenex::update {

NewsLibrary::NewsLibrary(const std::wstring& path)
    : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
    if (!module_) return;
    setUrl_ = exportedFunction<news::SetUrlFunction>(module_.get(), news::kSetUrlExport);
    browse_ = exportedFunction<news::BrowseFunction>(module_.get(), news::kBrowseExport);
    countOfItems_ = exportedFunction<news::CountOfItemsFunction>(module_.get(), news::kCountOfItemsExport);
    getItem_ = exportedFunction<news::GetItemFunction>(module_.get(), news::kGetItemExport);
}

bool NewsLibrary::setUrl(const std::string& address) { return loaded() && setUrl_(address.c_str()) != 0; }

bool NewsLibrary::browse() { return loaded() && browse_() != 0; }

std::int32_t NewsLibrary::countOfItems() { return loaded() ? countOfItems_() : 0; }

bool NewsLibrary::getItem(news::RSSITEM& item, std::int32_t index) { return loaded() && getItem_(&item, index) != 0; }

}  // namespace likenex::update
