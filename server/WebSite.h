#pragma once
// The pages, downloads and news feed of the web side. Plain HTML without scripts, small
// enough for a phone; every value that comes from a user or the database is escaped.
//
// Addresses: "/" home; "/?c=search&type=0&q=..." search by title; "/?c=help"; "/?c=reg"
// registration; "/?c=forgot&type=pwd"; "/my.aspx?mc=account&to=pay" the account page;
// "/a/N" an avatar's page and "/a/N.bmp" its still picture and "/a/N.png" its action script animated (open avatars
// only); "/c/CODE" an avatar code's page, with its pictures and random codes as
// CodePictures.h says; "/Download/NAME" the update host's files; the news base path (by default "/news.xml") the RSS 2.0 feed.

#include "catalogue/Catalogue.h"
#include "server/Accounts.h"
#include "server/AddressQuota.h"
#include "server/AvatarPicture.h"
#include "server/CodePictures.h"
#include "server/HttpServer.h"
#include "server/ServerConfig.h"
#include "server/SignInThrottle.h"
#include "server/Storage.h"

#include <string>

namespace likenex {

class WebSite {
public:
    WebSite(Storage& storage, Accounts& accounts, SignInThrottle& throttle, const Catalogue& catalogue,
            const ServerConfig& config, std::string programDirectory);

    [[nodiscard]] HttpResponse respond(const HttpRequest& request);

    // Composes and stores the pictures of a stored open avatar, so that its page's first
    // visitor reads them instead of waiting for them: meant for the picture pool, right after
    // the avatar was stored. Never throws: returns what failed, for the log, or an empty text
    // (also when the avatar is not open or the data set is missing).
    [[nodiscard]] std::string prepareAvatarPictures(std::int64_t number) noexcept;

private:
    HttpResponse home();
    HttpResponse search(const std::string& query);
    HttpResponse help();
    HttpResponse registration(const HttpRequest& request);
    HttpResponse forgotten();
    HttpResponse account(const HttpRequest& request);
    HttpResponse avatarPage(std::int64_t number, const HttpRequest& request);
    HttpResponse avatarPicture(std::int64_t number);
    HttpResponse avatarAnimation(std::int64_t number);
    HttpResponse codePage(std::string_view code);
    HttpResponse download(std::string_view name);
    HttpResponse feed();
    // The account signed in by a posted name and password, through the throttle.
    std::optional<Account> postedSignIn(const std::map<std::string, std::string>& form, const std::string& peer,
                                        std::string& message);
    // What the person is told when the throttle turns a password attempt away.
    [[nodiscard]] static std::string throttledMessage(const SignInThrottle::Attempt& attempt);

    Storage& storage_;
    Accounts& accounts_;
    SignInThrottle& throttle_;
    const Catalogue& catalogue_;
    ServerConfig config_;
    std::string programDirectory_;
    std::string newsPath_;
    AvatarPictures pictures_;
    CodePictures codes_;
    CodePageConversion codePage_;  // the client's, in which typed passwords are digested
    // Accounts created per client address (config_ is set before it).
    AddressQuota registrations_{config_.registrationsPerHour, std::chrono::hours(1)};
};

// Writes the data directory's news file with one first item when there is none. Lines:
// ISO 8601 UTC date, tab, title, tab, link, tab, HTML content.
void writeDefaultNews(const std::string& dataDirectory);

// The RSS 2.0 document of a news file's lines, newest first.
[[nodiscard]] std::string rssFeed(const std::string& newsText, const std::string& publicBase);

}  // namespace likenex
