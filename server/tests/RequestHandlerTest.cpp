// The protocol's answers without a network: the request handler over SQLite and a small
// catalogue, the upload rules, the sign-in slowing and the settings.
#include "net/Md5.h"
#include "server/Accounts.h"
#include "server/CodePage.h"
#include "server/RequestHandler.h"
#include "server/ServerConfig.h"
#include "server/SignInThrottle.h"
#include "server/UploadCheck.h"
#include "server/WebSite.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using testing::freeUpload;
using testing::TempDirectory;

const std::string kPassword = md5Hex("secret");

class RequestHandlerTest : public ::testing::Test {
protected:
    RequestHandlerTest()
        : storage_(openSqliteStorage(directory_.path() + "/db.sqlite")), accounts_(*storage_, Argon2Cost{1, 8192}),
          throttle_(SignInThrottle::Limits{.firstDelay = 100ms, .longestDelay = 400ms, .longestWait = 1000ms, .maxEntries = 1000}) {
        storage_->migrate();
        catalogue_.replaceTables(testing::testCatalogue());
        EXPECT_EQ(accounts_.addAccount(u"Alice", kPassword), Accounts::AddResult::Added);
        limitUploads({});
    }

    void limitUploads(UploadLimits limits) {
        handler_ = std::make_unique<RequestHandler>(*storage_, accounts_, throttle_, catalogue_,
                                                    ProtocolSettings{3, "http://127.0.0.1:8080/Download/", "http://127.0.0.1:8080/news.xml",
                                                                     "http://127.0.0.1:8080", toWindows1252},
                                                    limits);
    }

    RequestHandler::Outcome send(ProtocolMessage& request, const std::string& peer = "10.0.0.1") {
        EXPECT_TRUE(request.encode());
        return handler_->handle(request.bytes(), peer);
    }
    SaveAvatarReply save(SaveAvatarRequest request, const std::string& peer = "10.0.0.1") {
        auto reply = testing::decodeReply<SaveAvatarReply>(send(request, peer).reply);
        EXPECT_TRUE(reply.has_value());
        return reply.value_or(SaveAvatarReply{});
    }
    AvatarReply open(std::int64_t id) {
        OpenAvatarRequest request;
        request.avatarId = id;
        auto reply = testing::decodeReply<AvatarReply>(send(request).reply);
        EXPECT_TRUE(reply.has_value());
        return reply.value_or(AvatarReply{});
    }

    TempDirectory directory_;
    std::unique_ptr<Storage> storage_;
    Accounts accounts_;
    SignInThrottle throttle_;
    Catalogue catalogue_;
    std::unique_ptr<RequestHandler> handler_;
};

TEST_F(RequestHandlerTest, VersionReplyComesFromTheSettings) {
    VersionQuery query;
    auto reply = testing::decodeReply<VersionReply>(send(query).reply);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->newestVersion, 3);
    EXPECT_EQ(reply->updaterArguments, "http://127.0.0.1:8080/Download/");
    EXPECT_EQ(reply->newsBase, "http://127.0.0.1:8080/news.xml");
}

TEST_F(RequestHandlerTest, SavedAvatarsAreNumberedAndOpenByAccessMode) {
    SaveAvatarRequest upload = freeUpload(u"ALICE", kPassword, 3);
    SaveAvatarReply first = save(upload);
    ASSERT_EQ(first.result, SaveAvatarReply::Saved);
    EXPECT_EQ(first.avatarNumber, 1);
    EXPECT_EQ(first.address, "http://127.0.0.1:8080/a/1");

    AvatarReply opened = open(1);
    ASSERT_EQ(opened.result, AvatarReply::Found);
    EXPECT_EQ(opened.avatar, upload.avatar);

    for (std::uint8_t mode : {1, 2, 3}) {
        SaveAvatarRequest restricted = freeUpload(u"alice", kPassword);
        restricted.accessMode = mode;
        restricted.accessDigest = md5Hex("door");
        SaveAvatarReply reply = save(restricted);
        ASSERT_EQ(reply.result, SaveAvatarReply::Saved);
        EXPECT_EQ(open(reply.avatarNumber).result, AvatarReply::Refused) << int(mode);
    }
    EXPECT_EQ(open(99).result, AvatarReply::Failed);
    EXPECT_EQ(open(0).result, AvatarReply::Failed);
    EXPECT_EQ(open(-5).result, AvatarReply::Failed);

    auto stored = storage_->loadAvatar(3);
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(Accounts::digestMatches(stored->accessHash, md5Hex("door")));
    EXPECT_EQ(stored->accessHash.find(md5Hex("door")), std::string::npos);  // never the digest itself
}

TEST_F(RequestHandlerTest, WrongPasswordsAndUnknownNamesAreRejected) {
    EXPECT_EQ(save(freeUpload(u"alice", md5Hex("wrong"))).result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(save(freeUpload(u"nobody", kPassword)).result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(save(freeUpload(u"", kPassword)).result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(storage_->avatarCount(), 0);
    // The account's secret is an argon2id hash, never the digest.
    auto account = storage_->findAccount("alice");
    ASSERT_TRUE(account.has_value());
    EXPECT_EQ(account->secretHash.rfind("$argon2id$", 0), 0u);
}

// Repeated sign-ins are remembered, but never across a change of password.
TEST_F(RequestHandlerTest, RememberedSignInsEndWithANewPassword) {
    EXPECT_TRUE(accounts_.signIn(u"alice", kPassword).has_value());
    EXPECT_TRUE(accounts_.signIn(u"ALICE", kPassword).has_value());
    EXPECT_FALSE(accounts_.signIn(u"alice", md5Hex("other")).has_value());
    ASSERT_TRUE(accounts_.setPassword(u"Alice", md5Hex("other")));
    EXPECT_FALSE(accounts_.signIn(u"alice", kPassword).has_value());
    EXPECT_TRUE(accounts_.signIn(u"alice", md5Hex("other")).has_value());
    EXPECT_FALSE(accounts_.setPassword(u"nobody", kPassword));
}

// ---- Typed passwords and the legacy form of long ones ----

// A password of 31 to 33 characters stored before in its legacy form (the text itself): the
// editor now sends the typed digest, which fails until the person signs in once with the typed
// password on the web, which puts the typed form in its place.
TEST_F(RequestHandlerTest, ALegacyLongSecretGivesWayToTheTypedFormOnceItMatches) {
    const std::u16string password = u"thirty-two characters, not fewer";
    const std::string typed = typedPasswordDigest(password, toWindows1252);
    const std::string legacy = legacyPasswordDigest(password, toWindows1252);
    ASSERT_NE(typed, legacy);
    ASSERT_TRUE(accounts_.setPassword(u"alice", legacy));
    EXPECT_FALSE(accounts_.signIn(u"alice", typed).has_value());
    EXPECT_TRUE(accounts_.signIn(u"alice", legacy).has_value());  // as an editor remembered it

    const std::string before = storage_->findAccount("alice")->secretHash;
    EXPECT_FALSE(accounts_.signInTyped(u"alice", u"thirty-two characters, not fewr!", toWindows1252).has_value());
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, before);

    ASSERT_TRUE(accounts_.signInTyped(u"ALICE", password, toWindows1252).has_value());
    EXPECT_NE(storage_->findAccount("alice")->secretHash, before);
    EXPECT_TRUE(accounts_.signIn(u"alice", typed).has_value());
    EXPECT_FALSE(accounts_.signIn(u"alice", legacy).has_value());
    EXPECT_TRUE(accounts_.signInTyped(u"alice", password, toWindows1252).has_value());
}

TEST_F(RequestHandlerTest, TypedPasswordsMatchAccessHashesInBothForms) {
    const std::u16string longPassword(33, u'k');
    const std::string fromEditor = accounts_.hashDigest(typedPasswordDigest(longPassword, toWindows1252));
    const std::string storedBefore = accounts_.hashDigest(legacyPasswordDigest(longPassword, toWindows1252));
    EXPECT_TRUE(Accounts::typedPasswordMatches(fromEditor, longPassword, toWindows1252));
    EXPECT_TRUE(Accounts::typedPasswordMatches(storedBefore, longPassword, toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches(fromEditor, std::u16string(32, u'k'), toWindows1252));
    // Cut to 32 bytes, the legacy forms of 32 and 33 equal characters are the same text.
    EXPECT_TRUE(Accounts::typedPasswordMatches(storedBefore, std::u16string(32, u'k'), toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches(storedBefore, std::u16string(31, u'k'), toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches("", u"", toWindows1252));
    const std::string shortHash = accounts_.hashDigest(md5Hex("door"));
    EXPECT_TRUE(Accounts::typedPasswordMatches(shortHash, u"door", toWindows1252));
    EXPECT_FALSE(Accounts::typedPasswordMatches(shortHash, u"Door", toWindows1252));
}

// A storage in which the operator sets a new password just before a legacy sign-in stores
// the typed form.
class PasswordChangedMeanwhile : public Storage {
public:
    PasswordChangedMeanwhile(Storage& inner, std::string newSecret) : inner_(inner), newSecret_(std::move(newSecret)) {}
    void migrate() override { inner_.migrate(); }
    int schemaVersion() override { return inner_.schemaVersion(); }
    std::optional<std::int64_t> addAccount(const Account& a) override { return inner_.addAccount(a); }
    std::optional<Account> findAccount(const std::string& key) override { return inner_.findAccount(key); }
    bool setAccountSecret(const std::string& key, const std::string& hash) override {
        return inner_.setAccountSecret(key, hash);
    }
    bool replaceAccountSecret(const std::string& key, const std::string& oldHash, const std::string& newHash) override {
        EXPECT_TRUE(inner_.setAccountSecret(key, newSecret_));
        return inner_.replaceAccountSecret(key, oldHash, newHash);
    }
    std::int64_t storeAvatar(const StoredAvatar& a) override { return inner_.storeAvatar(a); }
    std::optional<StoredAvatar> loadAvatar(std::int64_t n) override { return inner_.loadAvatar(n); }
    std::int64_t avatarCount() override { return inner_.avatarCount(); }
    std::vector<AvatarSummary> latestAvatars(int limit) override { return inner_.latestAvatars(limit); }
    std::vector<AvatarSummary> avatarsOf(std::int64_t owner, int limit) override {
        return inner_.avatarsOf(owner, limit);
    }
    std::vector<AvatarSummary> searchAvatars(const std::u16string& part, int limit) override {
        return inner_.searchAvatars(part, limit);
    }

private:
    Storage& inner_;
    std::string newSecret_;
};

TEST_F(RequestHandlerTest, ALegacySignInNeverUndoesAPasswordSetMeanwhile) {
    const std::u16string password(31, u'q');
    ASSERT_TRUE(accounts_.setPassword(u"alice", legacyPasswordDigest(password, toWindows1252)));
    const std::string operatorsChoice = accounts_.hashDigest(md5Hex("fresh"));
    PasswordChangedMeanwhile storage(*storage_, operatorsChoice);
    Accounts accounts(storage, Argon2Cost{1, 8192});
    (void)accounts.signInTyped(u"alice", password, toWindows1252);
    EXPECT_EQ(storage_->findAccount("alice")->secretHash, operatorsChoice);
    EXPECT_TRUE(accounts_.signIn(u"alice", md5Hex("fresh")).has_value());
}

TEST_F(RequestHandlerTest, TheGuestNeedsNoPasswordButStoresOnlyFreeOutfits) {
    EXPECT_EQ(save(freeUpload(u"GuEsT", "anything")).result, SaveAvatarReply::Saved);
    SaveAvatarRequest priced = freeUpload(u"guest", "");
    priced.avatar.items[2] = {102, 0};  // price 50
    EXPECT_EQ(save(priced).result, SaveAvatarReply::Refused);
    priced.avatar.items[2] = {0, 255};
    priced.appendScriptEntry(7, u"");  // an action with a price
    EXPECT_EQ(save(priced).result, SaveAvatarReply::Refused);
    EXPECT_EQ(storage_->avatarCount(), 1);
    // A signed-in user may store the priced one.
    priced.userName = u"alice";
    priced.passwordDigest = kPassword;
    EXPECT_EQ(save(priced).result, SaveAvatarReply::Saved);
}

TEST_F(RequestHandlerTest, UnknownCatalogueEntriesAndLongScriptsAreRefusedUnstored) {
    std::vector<std::function<void(SaveAvatarRequest&)>> breakages = {
        [](SaveAvatarRequest& r) { r.avatar.items[0] = {999, 0}; },
        [](SaveAvatarRequest& r) { r.avatar.items[3] = {202, 0}; },  // withdrawn
        [](SaveAvatarRequest& r) { r.avatar.items[0] = {0, 4}; },
        [](SaveAvatarRequest& r) { r.avatar.bodyPart = 13; },
        [](SaveAvatarRequest& r) { r.avatar.faceOption1 = 2; },  // an option of the other layer
        [](SaveAvatarRequest& r) { r.appendScriptEntry(9, u"x"); },
        [](SaveAvatarRequest& r) { r.appendScriptEntry(0x10005, u"x"); },  // not a 16-bit identifier
        [](SaveAvatarRequest& r) { r.avatar.direction = 8; },
        [](SaveAvatarRequest& r) { r.avatar.skin = 44; },
        [](SaveAvatarRequest& r) { r.accessMode = 4; },
        [](SaveAvatarRequest& r) { r.accessMode = 2; },  // without an access password
        [](SaveAvatarRequest& r) {  // 11 * 10 + 11 frames = 121
            r.avatar.script.clear();
            for (int i = 0; i < 11; ++i) r.appendScriptEntry(5, u"");
            for (int i = 0; i < 11; ++i) r.appendScriptEntry(7, u"");
        },
    };
    for (std::size_t i = 0; i < breakages.size(); ++i) {
        SaveAvatarRequest r = freeUpload(u"alice", kPassword);
        breakages[i](r);
        EXPECT_EQ(save(r).result, SaveAvatarReply::Refused) << "breakage " << i;
    }
    EXPECT_EQ(storage_->avatarCount(), 0);

    // The none values and exactly 120 frames pass.
    SaveAvatarRequest r = freeUpload(u"alice", kPassword, 0);
    r.avatar.items = {};
    r.avatar.bodyPart = 0;
    r.avatar.faceOption1 = 0;
    for (int i = 0; i < 2; ++i) r.appendScriptEntry(6, u"");
    EXPECT_EQ(save(r).result, SaveAvatarReply::Saved);
}

TEST_F(RequestHandlerTest, MalformedAndUnknownFramesGetNoReply) {
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{6, 0, 2, 1, 0, 0}, "p").reply.empty());  // a reply type
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{7, 0, 3, 1, 0, 0, 0}, "p").reply.empty());
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{9, 0, 1, 1, 0, 0, 1, 2, 3}, "p").reply.empty());
    EXPECT_TRUE(handler_->handle(std::vector<std::uint8_t>{1, 2}, "p").reply.empty());
    EXPECT_EQ(storage_->avatarCount(), 0);
}

TEST_F(RequestHandlerTest, FailedSignInsAreSlowedButNeverHeldLong) {
    auto wrong = freeUpload(u"alice", md5Hex("guess"));
    EXPECT_TRUE(wrong.encode());
    std::chrono::steady_clock::duration longest{};
    int rejectedUnchecked = 0;
    for (int i = 0; i < 12; ++i) {
        auto outcome = handler_->handle(wrong.bytes(), "10.0.0.9");
        longest = std::max(longest, outcome.delay);
        if (outcome.summary.find("unchecked") != std::string::npos) ++rejectedUnchecked;
        EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(outcome.reply)->result, SaveAvatarReply::SignInRejected);
    }
    EXPECT_GT(longest, 0ms);
    EXPECT_LE(longest, 1000ms);  // the test's longest wait; the default is 5 s, far from 30 s
    EXPECT_GT(rejectedUnchecked, 0);
}

// After a handful of failures from one address the account is locked out there: answered at
// once, with no hash, while its owner still signs in from home.
TEST_F(RequestHandlerTest, ALockedOutAddressIsAnsweredAtOnceWhileTheOwnerSignsIn) {
    auto wrong = freeUpload(u"alice", md5Hex("guess"));
    EXPECT_TRUE(wrong.encode());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(handler_->handle(wrong.bytes(), "6.6.6.6").summary, "save by alice: sign-in rejected");
    const auto hashes = accounts_.hashesDone();
    auto locked = handler_->handle(wrong.bytes(), "6.6.6.6");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(locked.reply)->result, SaveAvatarReply::SignInRejected);
    EXPECT_EQ(locked.delay, 0ms);
    EXPECT_NE(locked.summary.find("locked out for 60 s"), std::string::npos) << locked.summary;
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    // The right password from the locked address is refused too; from home it goes through.
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "6.6.6.6").result, SaveAvatarReply::SignInRejected);
    auto home = freeUpload(u"Alice", kPassword);
    EXPECT_TRUE(home.encode());
    auto stored = handler_->handle(home.bytes(), "10.0.0.2");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(stored.reply)->result, SaveAvatarReply::Saved);
    EXPECT_EQ(stored.delay, 0ms);
}

// Guest uploads count against their address before anything is hashed, an access password
// included; other addresses keep their own allowance.
TEST_F(RequestHandlerTest, GuestUploadsOverTheAddressLimitAreRefusedWithoutHashing) {
    limitUploads({.guestUploadsPerHour = 3, .uploadsPerMinute = 0});
    SaveAvatarRequest withPassword = freeUpload(u"guest", "");
    withPassword.accessMode = 2;
    withPassword.accessDigest = md5Hex("door");
    const auto before = accounts_.hashesDone();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(save(withPassword, "6.6.6.6").result, SaveAvatarReply::Saved) << i;
    const auto hashes = accounts_.hashesDone();
    EXPECT_EQ(hashes, before + 3);  // one for each access password
    ASSERT_TRUE(withPassword.encode());
    auto refused = handler_->handle(withPassword.bytes(), "6.6.6.6");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(refused.reply)->result, SaveAvatarReply::Refused);
    EXPECT_EQ(refused.delay, 0ms);
    EXPECT_NE(refused.summary.find("guest uploads"), std::string::npos) << refused.summary;
    EXPECT_EQ(save(freeUpload(u"guest", ""), "6.6.6.6").result, SaveAvatarReply::Refused);
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    EXPECT_EQ(storage_->avatarCount(), 3);
    // An account from the same address is not a guest; another address is another allowance.
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "6.6.6.6").result, SaveAvatarReply::Saved);
    EXPECT_EQ(save(withPassword, "10.0.0.2").result, SaveAvatarReply::Saved);
}

TEST_F(RequestHandlerTest, AllUploadsFromAnAddressAreLimitedPerMinuteBeforeTheSignIn) {
    limitUploads({.guestUploadsPerHour = 0, .uploadsPerMinute = 2});
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "6.6.6.6").result, SaveAvatarReply::Saved);
    EXPECT_EQ(save(freeUpload(u"guest", ""), "6.6.6.6").result, SaveAvatarReply::Saved);
    const auto hashes = accounts_.hashesDone();
    EXPECT_EQ(save(freeUpload(u"alice", md5Hex("guess")), "6.6.6.6").result, SaveAvatarReply::Refused);
    EXPECT_EQ(save(freeUpload(u"guest", ""), "6.6.6.6").result, SaveAvatarReply::Refused);
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    EXPECT_EQ(throttle_.sizes().pairs, 0u);  // no sign-in was tried, so none failed
    EXPECT_EQ(save(freeUpload(u"alice", kPassword), "10.0.0.2").result, SaveAvatarReply::Saved);
}

// An avatar only its owner sees would be seen by nobody when the guest owns it.
TEST_F(RequestHandlerTest, GuestsCannotStoreAvatarsOnlyTheirOwnerSees) {
    SaveAvatarRequest ownerOnly = freeUpload(u"guest", "");
    ownerOnly.accessMode = 1;
    ASSERT_TRUE(ownerOnly.encode());
    auto refused = handler_->handle(ownerOnly.bytes(), "10.0.0.1");
    EXPECT_EQ(testing::decodeReply<SaveAvatarReply>(refused.reply)->result, SaveAvatarReply::Refused);
    EXPECT_EQ(refused.summary, "save by guest: refused, an avatar only its owner sees needs an account");
    EXPECT_EQ(storage_->avatarCount(), 0);
    ownerOnly.userName = u"alice";
    ownerOnly.passwordDigest = kPassword;
    EXPECT_EQ(save(ownerOnly).result, SaveAvatarReply::Saved);
}

// ---- The web side's registration and password pages over the same throttle ----

class WebLimitsTest : public RequestHandlerTest {
protected:
    explicit WebLimitsTest(int registrationsPerHour = 2) {
        testing::writeProgramDirectory(program_.path());
        ServerConfig config = testing::testConfig(directory_.path() + "/data", program_.path());
        config.registrationsPerHour = registrationsPerHour;
        site_ = std::make_unique<WebSite>(*storage_, accounts_, throttle_, catalogue_, config, program_.path());
    }
    HttpResponse post(const std::string& target, const std::string& body, const std::string& peer) {
        return site_->respond(HttpRequest{.method = "POST", .target = target, .body = body, .peer = peer});
    }

    TempDirectory program_;
    std::unique_ptr<WebSite> site_;
};

TEST_F(WebLimitsTest, RegistrationsPerAddressAreLimitedWithAReadablePage) {
    EXPECT_EQ(post("/?c=reg", "name=one&password=p&again=p", "6.6.6.6").status, 200);
    EXPECT_EQ(post("/?c=reg", "name=ALICE&password=p&again=p", "6.6.6.6").status, 409);  // made nothing: not counted
    EXPECT_EQ(post("/?c=reg", "name=two&password=p&again=p", "6.6.6.6").status, 200);
    const auto hashes = accounts_.hashesDone();
    HttpResponse refused = post("/?c=reg", "name=three&password=p&again=p", "6.6.6.6");
    EXPECT_EQ(refused.status, 429);
    EXPECT_NE(refused.body.find("Too many accounts have been made from your address"), std::string::npos);
    EXPECT_NE(refused.body.find("<form method=\"post\" action=\"/?c=reg\">"), std::string::npos);
    EXPECT_EQ(accounts_.hashesDone(), hashes);
    EXPECT_FALSE(storage_->findAccount("three").has_value());
    EXPECT_EQ(post("/?c=reg", "name=three&password=p&again=p", "10.0.0.2").status, 200);
}

// An account called "avatar:5" signs in, fails and succeeds without touching avatar 5's
// access-password failures, and the other way round.
TEST_F(WebLimitsTest, AnAccountNamedAvatar5NeverTouchesAvatar5sFailures) {
    ASSERT_EQ(post("/?c=reg", "name=avatar%3A5&password=p&again=p", "10.0.0.2").status, 200);
    for (int i = 0; i < 4; ++i) {
        SaveAvatarRequest restricted = freeUpload(u"alice", kPassword);
        restricted.accessMode = 2;
        restricted.accessDigest = md5Hex("door");
        ASSERT_EQ(save(restricted).result, SaveAvatarReply::Saved);
    }
    const std::string five = "/a/5";
    SaveAvatarRequest fifth = freeUpload(u"alice", kPassword);
    fifth.accessMode = 2;
    fifth.accessDigest = md5Hex("door");
    ASSERT_EQ(save(fifth).avatarNumber, 5);
    // Four wrong access passwords on avatar 5 from one address, each after the last one's delay.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(post(five, "access=wrong", "6.6.6.6").status, 403) << i;
        std::this_thread::sleep_for(500ms);
    }
    // The account avatar:5 fails once, then signs in from the same address, over the web and
    // in the editor; avatar 5's failures stay as they were.
    EXPECT_EQ(post("/my.aspx?mc=account&to=pay", "name=avatar%3A5&password=wrong", "6.6.6.6").status, 403);
    std::this_thread::sleep_for(500ms);
    HttpResponse signedIn = post("/my.aspx?mc=account&to=pay", "name=avatar%3A5&password=p", "6.6.6.6");
    EXPECT_NE(signedIn.body.find("Signed in as avatar:5"), std::string::npos) << signedIn.body;
    EXPECT_EQ(save(freeUpload(u"AVATAR:5", typedPasswordDigest(u"p", toWindows1252)), "6.6.6.6").result,
              SaveAvatarReply::Saved);
    std::this_thread::sleep_for(500ms);
    // The fifth wrong access password locks avatar 5 out for this address.
    EXPECT_EQ(post(five, "access=wrong", "6.6.6.6").status, 403);
    HttpResponse locked = post(five, "access=door", "6.6.6.6");
    EXPECT_EQ(locked.status, 429);
    EXPECT_NE(locked.body.find("try again in 1 minute"), std::string::npos) << locked.body;
    EXPECT_EQ(locked.headers["Retry-After"], "60");
    // The account is still free there, and avatar 5 opens from elsewhere.
    EXPECT_NE(post("/my.aspx?mc=account&to=pay", "name=avatar%3A5&password=p", "6.6.6.6").body.find("Signed in as"),
              std::string::npos);
    EXPECT_EQ(post(five, "access=door", "10.0.0.2").status, 200);
}

// ---- Throttle arithmetic with a clock of the test's own ----

using Subject = SignInThrottle::Subject;
const auto kT0 = SignInThrottle::Clock::time_point{} + std::chrono::hours(1);

SignInThrottle::Limits smallLimits() {
    return {.firstDelay = 100ms, .longestDelay = 400ms, .longestWait = 1000ms, .subjectSlowAfter = 10,
            .subjectSpacing = 300ms, .memory = std::chrono::hours(1), .maxEntries = 1000};
}

// Fails `count` attempts of one subject from one address, each admitted at `now`.
void fail(SignInThrottle& throttle, const Subject& subject, const std::string& address, int count,
          SignInThrottle::Clock::time_point now) {
    for (int i = 0; i < count; ++i) {
        auto attempt = throttle.admit(subject, address, now);
        ASSERT_TRUE(attempt.admitted()) << i;
        attempt.failed(now);
    }
}

TEST(SignInThrottle, DelaysDoubleQueueAndAreForgotten) {
    SignInThrottle throttle(smallLimits());
    const Subject a = Subject::account("a");
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0).wait(), 0ms);
    fail(throttle, a, "1.1.1.1", 1, kT0);
    {
        auto first = throttle.admit(a, "1.1.1.1", kT0);
        auto parallel = throttle.admit(a, "1.1.1.1", kT0);  // queues behind the first
        EXPECT_EQ(first.wait(), 100ms);
        EXPECT_EQ(parallel.wait(), 200ms);
        EXPECT_EQ(throttle.admit(a, "2.2.2.2", kT0).wait(), 0ms);  // the account from elsewhere: not slowed
        EXPECT_EQ(throttle.admit(Subject::account("b"), "1.1.1.1", kT0).wait(), 0ms);
    }
    fail(throttle, a, "1.1.1.1", 2, kT0 + 1s);
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0 + 1s).wait(), 400ms);  // 100, 200, 400: capped
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0 + 2s).wait(), 0ms);    // the delay has passed
    // Forgotten an hour after the last failure.
    fail(throttle, a, "1.1.1.1", 1, kT0 + 2h);
    EXPECT_EQ(throttle.admit(a, "1.1.1.1", kT0 + 2h).wait(), 100ms);
    EXPECT_EQ(throttle.sizes().pairs, 1u);
}

// Guessing from one address ends in a lock-out answered at once; the owner elsewhere goes on.
TEST(SignInThrottle, TheOwnerSignsInFromElsewhereWhileOneAddressIsLockedOut) {
    SignInThrottle throttle(smallLimits());
    const Subject alice = Subject::account("alice");
    fail(throttle, alice, "6.6.6.6", 5, kT0);
    auto refused = throttle.admit(alice, "6.6.6.6", kT0 + 1s);
    EXPECT_FALSE(refused.admitted());
    EXPECT_EQ(refused.lockedFor(), 59s);
    auto owner = throttle.admit(alice, "10.0.0.2", kT0 + 1s);
    ASSERT_TRUE(owner.admitted());
    EXPECT_EQ(owner.wait(), 0ms);
    owner.succeeded();
    // The owner's success clears the owner's pair only.
    EXPECT_FALSE(throttle.admit(alice, "6.6.6.6", kT0 + 2s).admitted());
    // Five failures on one account leave the address free for others, until it fails overall.
    EXPECT_TRUE(throttle.admit(Subject::account("bob"), "6.6.6.6", kT0 + 2s).admitted());
}

TEST(SignInThrottle, LockOutsDoubleUpToAnHourAndAdmitOneAttemptEach) {
    auto limits = smallLimits();
    limits.subjectSlowAfter = 1000;
    SignInThrottle throttle(limits);
    const Subject alice = Subject::account("alice");
    fail(throttle, alice, "6.6.6.6", 5, kT0);
    auto now = kT0;
    std::vector<std::chrono::seconds> lockOuts;
    for (int round = 0; round < 9; ++round) {
        auto refused = throttle.admit(alice, "6.6.6.6", now);
        ASSERT_FALSE(refused.admitted());
        lockOuts.push_back(std::chrono::ceil<std::chrono::seconds>(refused.lockedFor()));
        now += refused.lockedFor();
        auto once = throttle.admit(alice, "6.6.6.6", now);
        ASSERT_TRUE(once.admitted()) << round;
        EXPECT_LE(once.wait(), 400ms);
        EXPECT_FALSE(throttle.admit(alice, "6.6.6.6", now).admitted());  // one at a time
        once.failed(now);
    }
    EXPECT_EQ(lockOuts, (std::vector<std::chrono::seconds>{60s, 120s, 240s, 480s, 960s, 1920s, 3600s, 3600s, 3600s}));
    // A success after a lock-out starts the pair afresh.
    now += 1h;
    auto right = throttle.admit(alice, "6.6.6.6", now);
    ASSERT_TRUE(right.admitted());
    right.succeeded();
    fail(throttle, alice, "6.6.6.6", 4, now);
    EXPECT_TRUE(throttle.admit(alice, "6.6.6.6", now + 1s).admitted());
}

TEST(SignInThrottle, AnAddressFailingOnManyAccountsIsLockedOutForAll) {
    SignInThrottle throttle(smallLimits());
    for (int i = 0; i < 20; ++i) fail(throttle, Subject::account("user" + std::to_string(i)), "6.6.6.6", 1, kT0);
    auto refused = throttle.admit(Subject::account("fresh"), "6.6.6.6", kT0);
    EXPECT_FALSE(refused.admitted());
    EXPECT_EQ(refused.lockedFor(), 60s);
    EXPECT_FALSE(throttle.admit(Subject::avatar(3), "6.6.6.6", kT0).admitted());
    EXPECT_TRUE(throttle.admit(Subject::account("user0"), "10.0.0.2", kT0).admitted());
}

// Attempts in flight count as failures to come: a burst sent at once gets no more guesses
// than attempts made one after another. Attempts dropped unsettled give their places back.
TEST(SignInThrottle, ParallelAttemptsCountTowardsTheLockOut) {
    SignInThrottle throttle(smallLimits());
    const Subject alice = Subject::account("alice");
    {
        std::vector<SignInThrottle::Attempt> burst;
        for (int i = 0; i < 5; ++i) {
            burst.push_back(throttle.admit(alice, "6.6.6.6", kT0));
            ASSERT_TRUE(burst.back().admitted());
        }
        auto sixth = throttle.admit(alice, "6.6.6.6", kT0);
        EXPECT_FALSE(sixth.admitted());
        EXPECT_EQ(sixth.lockedFor(), 0ms);
    }
    EXPECT_EQ(throttle.sizes().pairs, 0u);
    EXPECT_EQ(throttle.sizes().addresses, 0u);
    EXPECT_TRUE(throttle.admit(alice, "6.6.6.6", kT0).admitted());
}

// Guessing one account from many addresses: past the account's threshold every attempt on
// it is spaced, from any address; an attempt that would wait too long is refused at once,
// and the account is never locked.
TEST(SignInThrottle, GuessingFromManyAddressesSlowsTheAccountWithoutLockingIt) {
    SignInThrottle throttle(smallLimits());
    const Subject alice = Subject::account("alice");
    for (int i = 0; i < 9; ++i) fail(throttle, alice, "10.1.0." + std::to_string(i), 1, kT0);
    EXPECT_EQ(throttle.admit(alice, "10.0.0.2", kT0).wait(), 0ms);  // below the threshold
    fail(throttle, alice, "10.1.0.9", 1, kT0);
    std::vector<SignInThrottle::Attempt> queued;
    for (int i = 0; i < 4; ++i) {
        queued.push_back(throttle.admit(alice, "10.2.0." + std::to_string(i), kT0));
        ASSERT_TRUE(queued.back().admitted());
        EXPECT_EQ(queued.back().wait(), i * 300ms);
    }
    auto tooLate = throttle.admit(alice, "10.0.0.2", kT0);
    EXPECT_FALSE(tooLate.admitted());
    EXPECT_EQ(tooLate.lockedFor(), 0ms);
    EXPECT_TRUE(throttle.admit(Subject::account("bob"), "10.0.0.2", kT0).admitted());
    auto later = throttle.admit(alice, "10.0.0.2", kT0 + 10s);
    ASSERT_TRUE(later.admitted());
    EXPECT_EQ(later.wait(), 0ms);
}

// An account named like an avatar's key is a different subject: neither one's failures nor
// successes touch the other.
TEST(SignInThrottle, AnAccountNamedLikeAnAvatarSharesNothingWithIt) {
    SignInThrottle throttle(smallLimits());
    EXPECT_NE(Subject::account("avatar:5"), Subject::avatar(5));
    EXPECT_NE(Subject::account("5"), Subject::avatar(5));
    fail(throttle, Subject::avatar(5), "6.6.6.6", 5, kT0);
    EXPECT_FALSE(throttle.admit(Subject::avatar(5), "6.6.6.6", kT0).admitted());
    for (const char* name : {"avatar:5", "5"}) {
        auto asAccount = throttle.admit(Subject::account(name), "6.6.6.6", kT0);
        ASSERT_TRUE(asAccount.admitted()) << name;
        EXPECT_EQ(asAccount.wait(), 0ms);
        asAccount.succeeded();
    }
    EXPECT_FALSE(throttle.admit(Subject::avatar(5), "6.6.6.6", kT0).admitted());
    fail(throttle, Subject::account("avatar:6"), "7.7.7.7", 1, kT0);
    EXPECT_EQ(throttle.admit(Subject::avatar(6), "7.7.7.7", kT0).wait(), 0ms);
}

// Under a flood of distinct addresses and accounts no map outgrows its maximum, and a
// locked-out address outlives the harmless entries around it.
TEST(SignInThrottle, MemoryStaysBoundedUnderManyAddresses) {
    auto limits = smallLimits();
    limits.maxEntries = 64;
    limits.addressLockAfter = 3;
    limits.firstLockout = 1h;
    SignInThrottle throttle(limits);
    fail(throttle, Subject::account("victim"), "6.6.6.6", 3, kT0);
    auto t = kT0;
    std::size_t mostPairs = 0, mostAddresses = 0, mostSubjects = 0;
    for (int i = 0; i < 100000; ++i) {
        t += 1ms;
        const std::string address = "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                                    std::to_string(i % 256);
        throttle.admit(Subject::account("acct" + std::to_string(i)), address, t).failed(t);
        auto sizes = throttle.sizes();
        mostPairs = std::max(mostPairs, sizes.pairs);
        mostAddresses = std::max(mostAddresses, sizes.addresses);
        mostSubjects = std::max(mostSubjects, sizes.subjects);
    }
    EXPECT_LE(mostPairs, 64u);
    EXPECT_LE(mostAddresses, 64u);
    EXPECT_LE(mostSubjects, 64u);
    EXPECT_GT(mostAddresses, 32u);  // the maps were full: pruning was what held them
    auto locked = throttle.admit(Subject::account("anyone"), "6.6.6.6", t);
    EXPECT_FALSE(locked.admitted());
    EXPECT_GT(locked.lockedFor(), 0ms);
    EXPECT_TRUE(throttle.admit(Subject::account("new"), "9.9.9.9", t).admitted());
}

// With nothing harmless left to drop, even locked-out entries go: the bound holds.
TEST(SignInThrottle, MemoryStaysBoundedWhenEveryAddressIsLockedOut) {
    auto limits = smallLimits();
    limits.maxEntries = 64;
    limits.addressLockAfter = 1;
    limits.pairLockAfter = 1;
    SignInThrottle throttle(limits);
    for (int i = 0; i < 1000; ++i) {
        auto attempt = throttle.admit(Subject::account("acct" + std::to_string(i)),
                                      "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256), kT0);
        ASSERT_TRUE(attempt.admitted()) << i;
        attempt.failed(kT0);
        ASSERT_LE(throttle.sizes().addresses, 64u);
        ASSERT_LE(throttle.sizes().pairs, 64u);
        ASSERT_LE(throttle.sizes().subjects, 64u);
    }
}

TEST(AddressQuota, ABurstUpToTheLimitThenOneEachShare) {
    AddressQuota quota(3, 1h, 100);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(quota.take("1.1.1.1", kT0)) << i;
    EXPECT_FALSE(quota.take("1.1.1.1", kT0));
    EXPECT_FALSE(quota.take("1.1.1.1", kT0 + 19min));
    EXPECT_TRUE(quota.take("1.1.1.1", kT0 + 20min));  // a third of the hour gives one back
    EXPECT_FALSE(quota.take("1.1.1.1", kT0 + 20min));
    EXPECT_TRUE(quota.take("2.2.2.2", kT0));
    quota.giveBack("1.1.1.1");
    EXPECT_TRUE(quota.take("1.1.1.1", kT0 + 20min));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(quota.take("1.1.1.1", kT0 + 2h)) << i;  // whole again

    AddressQuota unlimited(0, 1h, 100);
    for (int i = 0; i < 1000; ++i) EXPECT_TRUE(unlimited.take("1.1.1.1", kT0));
    EXPECT_EQ(unlimited.size(), 0u);
}

TEST(AddressQuota, MemoryStaysBoundedAndAnAddressAtItsLimitIsKept) {
    AddressQuota quota(2, 1h, 64);
    ASSERT_TRUE(quota.take("6.6.6.6", kT0));
    ASSERT_TRUE(quota.take("6.6.6.6", kT0));
    std::size_t most = 0;
    for (int i = 0; i < 100000; ++i) {
        EXPECT_TRUE(quota.take("10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                                   std::to_string(i % 256),
                               kT0 + std::chrono::milliseconds(i)));
        most = std::max(most, quota.size());
    }
    EXPECT_LE(most, 64u);
    EXPECT_GT(most, 32u);
    EXPECT_FALSE(quota.take("6.6.6.6", kT0 + 100s));
}

// ---- Prices, names, code pages and settings ----

TEST(UploadRules, OutfitPriceCountsAnOutfitAlone) {
    Catalogue catalogue;
    catalogue.replaceTables(testing::testCatalogue());
    AvatarFields a;
    a.items[2] = {102, 0};
    a.bodyPart = 12;
    a.script = {{7, u""}, {7, u""}};
    EXPECT_EQ(outfitPrice(a, catalogue), 50 + 5 + 3 + 3);
    a.items[1] = {201, 0};  // an outfit in the slot-6 pair: the pairs after it do not count
    EXPECT_EQ(outfitPrice(a, catalogue), 5 + 3 + 3);
    EXPECT_EQ(scriptFrames(a, catalogue), 2);
}

TEST(AccountNames, CaseIsIgnoredAndLengthIsInUtf16Units) {
    EXPECT_EQ(Accounts::nameKey(u"ÉlodieÅ"), Accounts::nameKey(u"élodieå"));
    EXPECT_EQ(Accounts::nameKey(u"ЖУК"), Accounts::nameKey(u"жук"));
    EXPECT_TRUE(Accounts::isGuest(u"GUEST"));
    EXPECT_FALSE(Accounts::isGuest(u"guests"));
    EXPECT_TRUE(Accounts::isValidName(std::u16string(23, u'x')));
    EXPECT_FALSE(Accounts::isValidName(std::u16string(24, u'x')));
    std::u16string emoji;
    for (int i = 0; i < 12; ++i) emoji += u"\U0001F600";  // 12 characters, 24 units
    EXPECT_FALSE(Accounts::isValidName(emoji));
    EXPECT_FALSE(Accounts::isValidName(u"tab\there"));
}

TEST(CodePages, Windows1252AndUtf8) {
    EXPECT_EQ(toWindows1252(u"caf\u00e9 \u20ac\u2122\u0178"), "caf\xe9 \x80\x99\x9f");
    EXPECT_EQ(toWindows1252(u"\u4e2d\u0081"), "??");
    EXPECT_EQ(toLatin1(u"\u20ac\u00ff"), "?\xff");
    std::u16string mixed = u"a\u00e9\u4e2d\U0001F600";
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(mixed)), mixed);
    EXPECT_EQ(utf8ToUtf16("\xff\xc3"), u"\ufffd\ufffd");
    EXPECT_EQ(utf8ToUtf16("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // an encoded surrogate is not a character
    EXPECT_EQ(utf8ToUtf16("\xc0\xaf"), u"\ufffd\ufffd");            // an overlong form neither
    // The same password digested with both code pages differs only where they differ.
    EXPECT_EQ(typedPasswordDigest(u"caf\u00e9", toWindows1252), typedPasswordDigest(u"caf\u00e9", toLatin1));
    EXPECT_NE(typedPasswordDigest(u"\u20ac", toWindows1252), typedPasswordDigest(u"\u20ac", toLatin1));
}

TEST(ServerSettings, DefaultsAreValidAndTheNewsBaseFollowsTheClientsPattern) {
    ServerConfig config;
    ASSERT_FALSE(applyConfigurationText(config, defaultConfigurationText()).has_value());
    EXPECT_FALSE(validateConfig(config).has_value());
    EXPECT_EQ(config.protocolPort, 1234);
    EXPECT_EQ(config.httpPort, 8080);
    EXPECT_EQ(config.newsBaseOrDefault(), "http://127.0.0.1:8080/news.xml");
    EXPECT_EQ(config.updaterArgumentsOrDefault(), "http://127.0.0.1:8080/Download/");

    for (const char* bad : {"http://localhost:8080/news.xml", "https://news.example.org/feed", "ftp://a.b/"}) {
        ServerConfig c = config;
        c.newsBase = bad;
        EXPECT_TRUE(validateConfig(c).has_value()) << bad;
    }
    ServerConfig c = config;
    c.updaterArguments = "http://10.0.0.1/Download";
    EXPECT_TRUE(validateConfig(c).has_value());
    EXPECT_TRUE(applySetting(c, "protocol_port", "70000").has_value());
    EXPECT_TRUE(applySetting(c, "no_such_key", "1").has_value());
    EXPECT_TRUE(applyConfigurationText(c, "protocol_port = 1235\nbroken line\n").has_value());
    EXPECT_FALSE(applyConfigurationText(c, "  # comment\nprotocol_port = 1235 # trailing\n").has_value());
    EXPECT_EQ(c.protocolPort, 1235);
}

}  // namespace
}  // namespace likenex
