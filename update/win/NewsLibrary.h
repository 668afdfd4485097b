#pragma once
// News.dll from the program folder, its four functions found by name. A library that is
// missing or lacks an export fetches nothing: the updater then keeps the page it had.

#include "news/NewsExports.h"
#include "platform/win/Handles.h"
#include "update/NewsPage.h"

#include <string>

namespace likenex::update {

class NewsLibrary final : public NewsSource {
public:
    explicit NewsLibrary(const std::wstring& path);

    [[nodiscard]] bool loaded() const { return setUrl_ && browse_ && countOfItems_ && getItem_; }

    bool setUrl(const std::string& address) override;
    bool browse() override;
    std::int32_t countOfItems() override;
    bool getItem(news::RSSITEM& item, std::int32_t index) override;

private:
    UniqueModule module_;  // loaded for the whole run: the functions below point into it
    news::SetUrlFunction setUrl_ = nullptr;
    news::BrowseFunction browse_ = nullptr;
    news::CountOfItemsFunction countOfItems_ = nullptr;
    news::GetItemFunction getItem_ = nullptr;
};

}  // namespace likenex::update
