// The server over real sockets on loopback: framing faults, slow and idle clients, many
// connections at once, stopping and crashing, two instances on one PostgreSQL database,
// and the web side.
#include "avatar/ScriptAnimation.h"
#include "catalogue/AvatarData.h"
#include "net/Md5.h"
#include "server/Accounts.h"
#include "server/ServerApp.h"
#include "server/Storage.h"
#include "server/tests/ServerChildProcess.h"
#include "server/tests/ServerTestSupport.h"
#include "test_support/PngChunks.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using namespace testing;

class ServerNetworkTest : public ::testing::Test {
protected:
    ServerNetworkTest() {
        writeProgramDirectory(program_.path());
        config_ = testConfig(data_.path() + "/data", program_.path());
    }
    std::unique_ptr<RunningServer> start() { return std::make_unique<RunningServer>(config_); }
    std::int64_t storedAvatars() {
        auto storage = openSqliteStorage(config_.dataDirectory + "/likenex.sqlite");
        return storage->avatarCount();
    }

    TempDirectory program_;
    TempDirectory data_;
    ServerConfig config_;
};

std::vector<std::uint8_t> frameOfLength(std::uint16_t length) {
    std::vector<std::uint8_t> frame(std::max<std::size_t>(length, 6), 0);
    frame[0] = static_cast<std::uint8_t>(length);
    frame[1] = static_cast<std::uint8_t>(length >> 8);
    frame[2] = 1;  // type 257
    frame[3] = 1;
    return frame;
}

TEST_F(ServerNetworkTest, RepliesAndWaitsForTheClientToClose) {
    auto server = start();
    VersionQuery query;
    ASSERT_TRUE(query.encode());
    ProtocolClient client(server->protocolPort());
    ASSERT_TRUE(client.send(query.bytes()));
    auto reply = decodeReply<VersionReply>(client.receive());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->newestVersion, 2);
    EXPECT_FALSE(client.closedByServer(300ms));  // the server never closes first after a reply
    client.shutdownSend();
    EXPECT_TRUE(client.closedByServer(3s));
}

TEST_F(ServerNetworkTest, BadFramesAreClosedWithoutReplyOrStorage) {
    config_.requestSeconds = 1;
    config_.idleSeconds = 1;
    auto server = start();
    for (std::uint16_t length : {0, 5, 4097, 65535}) {
        ProtocolClient client(server->protocolPort());
        ASSERT_TRUE(client.send(frameOfLength(length)));
        EXPECT_TRUE(client.closedByServer(3s)) << length;
    }
    {
        // Says 200 bytes, sends 50: the request limit closes it.
        ProtocolClient client(server->protocolPort());
        auto frame = frameOfLength(200);
        frame.resize(50);
        ASSERT_TRUE(client.send(frame));
        EXPECT_TRUE(client.closedByServer(3s));
    }
    {
        // A valid upload, one byte every 100 ms: cut off by the request limit, not served.
        SaveAvatarRequest upload = freeUpload(u"guest", "");
        ASSERT_TRUE(upload.encode());
        ProtocolClient client(server->protocolPort());
        auto started = std::chrono::steady_clock::now();
        bool closed = false;
        for (std::uint8_t byte : upload.bytes()) {
            if (!client.send({byte})) {
                closed = true;
                break;
            }
            if (client.closedByServer(100ms)) {
                closed = true;
                break;
            }
        }
        EXPECT_TRUE(closed);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    }
    {
        // A client that never closes after its reply is closed after the idle limit.
        VersionQuery query;
        ASSERT_TRUE(query.encode());
        ProtocolClient client(server->protocolPort());
        ASSERT_TRUE(client.send(query.bytes()));
        ASSERT_TRUE(client.receive().has_value());
        EXPECT_TRUE(client.closedByServer(3s));
    }
    server.reset();
    EXPECT_EQ(storedAvatars(), 0);
}

// Replies held back by the sign-in slowing outlast the stop's grace period: the server ends
// anyway, and the connections still held by its handlers are torn down safely after it.
TEST_F(ServerNetworkTest, StopEndsEvenWithRepliesHeldBack) {
    config_.requestSeconds = 1;
    auto server = start();
    std::vector<std::unique_ptr<ProtocolClient>> clients;
    for (int i = 0; i < 8; ++i) {
        SaveAvatarRequest guess = freeUpload(u"nobody", md5Hex("guess" + std::to_string(i)));
        ASSERT_TRUE(guess.encode());
        clients.push_back(std::make_unique<ProtocolClient>(server->protocolPort()));
        ASSERT_TRUE(clients.back()->send(guess.bytes()));
        std::this_thread::sleep_for(20ms);
    }
    auto started = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST_F(ServerNetworkTest, AThousandConnectionsAtOnce) {
    auto server = start();
    VersionQuery query;
    ASSERT_TRUE(query.encode());
    std::vector<std::unique_ptr<ProtocolClient>> clients;
    for (int i = 0; i < 1000; ++i) {
        clients.push_back(std::make_unique<ProtocolClient>(server->protocolPort()));
        ASSERT_TRUE(clients.back()->connected()) << i;
    }
    for (auto& client : clients) ASSERT_TRUE(client->send(query.bytes()));
    int answered = 0;
    for (auto& client : clients) answered += decodeReply<VersionReply>(client->receive(20s)).has_value() ? 1 : 0;
    EXPECT_EQ(answered, 1000);
}

TEST_F(ServerNetworkTest, UploadThenOpenAndTheWebPagesEscapeEverything) {
    auto server = start();
    SaveAvatarRequest upload = freeUpload(u"guest", "");
    upload.title = u"<script>alert(1)</script>\"'&";
    upload.secondText = u"<img src=x onerror=alert(2)>";
    upload.avatar.script[0].caption = u"</li><b>caption</b>";
    auto saved = decodeReply<SaveAvatarReply>(exchange(server->protocolPort(), upload));
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->result, SaveAvatarReply::Saved);
    EXPECT_EQ(saved->address, "http://127.0.0.1:8080/a/1");

    OpenAvatarRequest open;
    open.avatarId = saved->avatarNumber;
    auto opened = decodeReply<AvatarReply>(exchange(server->protocolPort(), open));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->avatar, upload.avatar);

    for (const char* target : {"/", "/a/1", "/?c=search&type=0&q=%3Cscript%3E", "/?c=search&type=0&q=%22%3E%3Cb%3E"}) {
        std::string response = httpRequest(server->httpPort(), "GET", target);
        EXPECT_NE(response.find("200 OK"), std::string::npos) << target;
        EXPECT_EQ(response.find("<script>"), std::string::npos) << target;
        EXPECT_EQ(response.find("<img"), std::string::npos) << target;
        EXPECT_EQ(response.find("<b>"), std::string::npos) << target;
    }
    std::string page = httpRequest(server->httpPort(), "GET", "/a/1");
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&#39;&amp;"), std::string::npos);
    std::string search = httpRequest(server->httpPort(), "GET", "/?c=search&type=0&q=%22%3E%3Cb%3E");
    EXPECT_NE(search.find("value=\"&quot;&gt;&lt;b&gt;\""), std::string::npos);
}

TEST_F(ServerNetworkTest, EveryAddressTheProgramsOpenAnswers) {
    auto server = start();
    {
        std::ofstream file(config_.dataDirectory + "/Download/3.exe", std::ios::binary);
        file << "installer";
    }
    for (const char* target : {"/", "/?c=search&type=0", "/?c=help", "/?c=reg", "/?c=forgot&type=pwd",
                               "/my.aspx?mc=account&to=pay", "/news.xml?v=1.0&ln=fr", "/Download/3.exe"}) {
        std::string response = httpRequest(server->httpPort(), "GET", target);
        EXPECT_EQ(response.rfind("HTTP/1.1 200 OK", 0), 0u) << target << "\n" << response.substr(0, 200);
    }
    EXPECT_NE(httpRequest(server->httpPort(), "GET", "/Download/3.exe").find("\r\n\r\ninstaller"), std::string::npos);
    for (const char* target : {"/Download/../likenex.sqlite", "/Download/.hidden", "/a/0", "/a/x", "/a/99", "/nothing"})
        EXPECT_EQ(httpRequest(server->httpPort(), "GET", target).rfind("HTTP/1.1 404", 0), 0u) << target;

    std::string feed = httpRequest(server->httpPort(), "GET", "/news.xml");
    EXPECT_NE(feed.find("<rss version=\"2.0\""), std::string::npos);
    EXPECT_NE(feed.find("<content:encoded><![CDATA["), std::string::npos);
    auto date = feed.find("<dc:date>");
    ASSERT_NE(date, std::string::npos);
    EXPECT_EQ(feed[date + 9 + 19], 'Z');
}

TEST_F(ServerNetworkTest, RegistrationPageAndEditorAgreeOnTheDigest) {
    auto server = start();
    std::string created =
        httpRequest(server->httpPort(), "POST", "/?c=reg", "name=Zo%C3%A9&password=caf%C3%A9&again=caf%C3%A9");
    ASSERT_EQ(created.rfind("HTTP/1.1 200", 0), 0u) << created;
    EXPECT_EQ(
        httpRequest(server->httpPort(), "POST", "/?c=reg", "name=zo%C3%89&password=x&again=x").rfind("HTTP/1.1 409", 0),
        0u);

    // The editor digests "café" in Windows-1252.
    SaveAvatarRequest upload = freeUpload(u"ZOÉ", md5Hex("caf\xe9"));
    upload.accessMode = 2;
    upload.accessDigest = md5Hex("door");
    auto saved = decodeReply<SaveAvatarReply>(exchange(server->protocolPort(), upload));
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->result, SaveAvatarReply::Saved);

    std::string asked = httpRequest(server->httpPort(), "GET", "/a/1");
    EXPECT_NE(asked.find("access password"), std::string::npos);
    EXPECT_EQ(asked.find("A title"), std::string::npos);
    EXPECT_EQ(httpRequest(server->httpPort(), "POST", "/a/1", "access=wrong").rfind("HTTP/1.1 403", 0), 0u);
    std::this_thread::sleep_for(1100ms);  // past the slowing of that failure
    EXPECT_NE(httpRequest(server->httpPort(), "POST", "/a/1", "access=door").find("A title"), std::string::npos);

    // The account page lists the owner's restricted avatars.
    std::string account =
        httpRequest(server->httpPort(), "POST", "/my.aspx?mc=account&to=pay", "name=zo%C3%A9&password=caf%C3%A9");
    EXPECT_NE(account.find("/a/1"), std::string::npos);
}

// Passwords a person types are digested alike on the web and in the editor, up to the editor's
// 33 characters; an access password stored before in its legacy form still opens its avatar.
TEST_F(ServerNetworkTest, LongPasswordsAreDigestedAlikeOnTheWebAndInTheEditor) {
    const std::string password = "a-password-of-33-characters-long!", access = "an-access-password-of-31-chars!";
    ASSERT_EQ(password.size(), 33u);
    ASSERT_EQ(access.size(), 31u);
    const std::string legacyAccess = "the-access-password-an-old-editor-sent";
    {
        std::filesystem::create_directories(config_.dataDirectory);
        auto storage = openSqliteStorage(config_.dataDirectory + "/likenex.sqlite");
        storage->migrate();
        Accounts accounts(*storage, Argon2Cost{1, 8192});
        StoredAvatar before;
        before.ownerId = storage->findAccount("guest")->id;
        before.title = u"Stored before";
        before.accessMode = 2;
        before.accessHash = accounts.hashDigest(legacyAccess.substr(0, 32));
        ASSERT_EQ(storage->storeAvatar(before), 1);
    }
    auto server = start();
    const std::uint16_t web = server->httpPort();
    const std::string tooLong = password + "x";
    EXPECT_EQ(httpRequest(web, "POST", "/?c=reg", "name=Long&password=" + tooLong + "&again=" + tooLong)
                  .rfind("HTTP/1.1 400", 0),
              0u);
    const std::string form = httpRequest(web, "GET", "/?c=reg");
    EXPECT_NE(form.find("type=\"password\" maxlength=\"33\""), std::string::npos) << form;
    ASSERT_EQ(httpRequest(web, "POST", "/?c=reg", "name=Long&password=" + password + "&again=" + password)
                  .rfind("HTTP/1.1 200", 0),
              0u);

    SaveAvatarRequest upload = freeUpload(u"long", md5Hex(password));
    upload.accessMode = 2;
    upload.accessDigest = md5Hex(access);
    auto saved = decodeReply<SaveAvatarReply>(exchange(server->protocolPort(), upload));
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->result, SaveAvatarReply::Saved);
    ASSERT_EQ(saved->avatarNumber, 2);

    EXPECT_NE(httpRequest(web, "POST", "/a/2", "access=" + access).find("A title"), std::string::npos);
    EXPECT_NE(httpRequest(web, "POST", "/a/1", "access=" + legacyAccess).find("Stored before"), std::string::npos);
    EXPECT_NE(httpRequest(web, "POST", "/my.aspx?mc=account&to=pay", "name=LONG&password=" + password).find("/a/2"),
              std::string::npos);
    EXPECT_EQ(httpRequest(web, "POST", "/a/2", "access=" + legacyAccess).rfind("HTTP/1.1 403", 0), 0u);
}

// An account whose secret holds the legacy form of a long password (as `user add` stored it
// before): the editor's remembered form signs in until the person signs in once on the web,
// after which the editor signs in with the password typed.
TEST_F(ServerNetworkTest, ALegacyLongPasswordMovesToTheTypedFormAtAWebSignIn) {
    const std::string password = "thirty-one characters, at least";
    ASSERT_EQ(password.size(), 31u);
    {
        std::filesystem::create_directories(config_.dataDirectory);
        auto storage = openSqliteStorage(config_.dataDirectory + "/likenex.sqlite");
        storage->migrate();
        Accounts accounts(*storage, Argon2Cost{1, 8192});
        ASSERT_EQ(accounts.addAccount(u"Old", password), Accounts::AddResult::Added);
    }
    auto server = start();
    auto upload = [&](std::string digest) {
        SaveAvatarRequest request = freeUpload(u"old", std::move(digest));
        auto reply = decodeReply<SaveAvatarReply>(exchange(server->protocolPort(), request));
        return reply ? reply->result : 255;
    };
    EXPECT_EQ(upload(password), SaveAvatarReply::Saved);
    std::string signedIn = httpRequest(server->httpPort(), "POST", "/my.aspx?mc=account&to=pay",
                                       "name=old&password=thirty-one+characters%2C+at+least");
    EXPECT_NE(signedIn.find("Signed in as Old"), std::string::npos) << signedIn;
    EXPECT_EQ(upload(md5Hex(password)), SaveAvatarReply::Saved);
    EXPECT_EQ(upload(password), SaveAvatarReply::SignInRejected);
}

// An outfit fills slots 2 to 5 itself: opened again, the avatar wears the outfit and nothing in
// those slots, even when a client sent items there (which no price counted).
TEST_F(ServerNetworkTest, AnOutfitComesBackAloneInItsSlots) {
    auto server = start();
    SaveAvatarRequest alone = freeUpload(u"guest", "");
    alone.avatar.items[1] = {201, 6};
    SaveAvatarRequest covering = alone;
    covering.avatar.items[2] = {102, 1};  // priced, under the outfit
    covering.avatar.items[3] = {101, 2};
    covering.avatar.items[4] = {101, 255};
    for (SaveAvatarRequest* upload : {&alone, &covering}) {
        auto saved = decodeReply<SaveAvatarReply>(exchange(server->protocolPort(), *upload));
        ASSERT_TRUE(saved.has_value());
        ASSERT_EQ(saved->result, SaveAvatarReply::Saved);
        OpenAvatarRequest open;
        open.avatarId = saved->avatarNumber;
        auto opened = decodeReply<AvatarReply>(exchange(server->protocolPort(), open));
        ASSERT_TRUE(opened.has_value());
        ASSERT_EQ(opened->result, AvatarReply::Found);
        EXPECT_EQ(opened->avatar.items, alone.avatar.items);
        EXPECT_EQ(opened->avatar.script, alone.avatar.script);
        EXPECT_EQ(opened->avatar.bodyPart, alone.avatar.bodyPart);
    }
    EXPECT_EQ(httpRequest(server->httpPort(), "GET", "/a/2").find("102 (colour"), std::string::npos);
}

// An avatar only its owner sees, stored beside the running server as an account's upload
// stores it (guests may store open avatars only).
void storeRestricted(const ServerConfig& config, const AvatarFields& avatar) {
    auto storage = openSqliteStorage(config.dataDirectory + "/likenex.sqlite");
    auto owner = storage->addAccount({0, "owner", "owner", "unused"});
    StoredAvatar restricted;
    restricted.ownerId = owner ? *owner : storage->findAccount("owner")->id;
    restricted.avatar = avatar;
    restricted.title = u"kept to myself";
    restricted.accessMode = 1;
    (void)storage->storeAvatar(restricted);
}

// With the build's own data set: a running server over a fresh data folder, and the upload of
// a bare figure by a guest.
class AvatarPicture : public ::testing::Test {
protected:
    std::optional<SaveAvatarReply> uploadBareFigure() {
        SaveAvatarRequest upload = freeUpload(u"guest", "", 0);
        upload.avatar = AvatarFields{};
        return decodeReply<SaveAvatarReply>(exchange(server.protocolPort(), upload));
    }

    TempDirectory data;
    ServerConfig config = testConfig(data.path(), LIKENEX_DEFAULT_PROGRAM_DIR);
    RunningServer server{config};
};

// Open avatars get a still picture composed by the avatar model.
TEST_F(AvatarPicture, OpenAvatarsHaveAStillPicture) {
    ASSERT_EQ(uploadBareFigure()->result, SaveAvatarReply::Saved);
    storeRestricted(config, AvatarFields{});
    std::string picture = httpRequest(server.httpPort(), "GET", "/a/1.bmp");
    ASSERT_EQ(picture.rfind("HTTP/1.1 200", 0), 0u);
    std::string body = picture.substr(picture.find("\r\n\r\n") + 4);
    ASSERT_EQ(body.size(), 54u + 128 * 128 * 4);
    EXPECT_EQ(body.substr(0, 2), "BM");
    std::size_t notWhite = 0;
    for (std::size_t i = 54; i < body.size(); i += 4) notWhite += (body[i] & 0xff) != 0xff ? 1 : 0;
    EXPECT_GT(notWhite, 500u);  // a figure is drawn
    EXPECT_NE(httpRequest(server.httpPort(), "GET", "/a/1").find("/a/1.bmp"), std::string::npos);
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/2.bmp").rfind("HTTP/1.1 404", 0), 0u);  // restricted
}

TEST_F(AvatarPicture, AStoredAvatarsPicturesAreMadeWithoutWaitingForItsPage) {
    auto saved = uploadBareFigure();
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->result, SaveAvatarReply::Saved);
    // Nobody asks for the page: the picture pool makes and keeps the pictures on its own.
    auto storage = openSqliteStorage(config.dataDirectory + "/likenex.sqlite");
    std::optional<AvatarPictureSet> kept;
    for (auto until = std::chrono::steady_clock::now() + 30s; !kept && std::chrono::steady_clock::now() < until;) {
        kept = storage->loadAvatarPictures(saved->avatarNumber);
        if (!kept) std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(kept.has_value());
    EXPECT_FALSE(kept->still.empty());
}

// Open avatars with a script are shown animated: the route serves the APNG that the shared
// animation code makes of the stored script, frame for frame and delay for delay.
TEST_F(AvatarPicture, OpenAvatarsWithAScriptAreAnimated) {
    // Actions without a price: guests may upload them.
    const std::vector<ScriptEntry> script{{1001, u"Hello there"}, {1006, u""}, {1011, u"\u4f60\u597d"}};
    for (std::uint8_t mode : {0, 1, 0}) {
        AvatarFields avatar;
        avatar.script = script;
        if (mode != 0) {
            storeRestricted(config, avatar);
            continue;
        }
        SaveAvatarRequest upload = freeUpload(u"guest", "", 0);
        upload.avatar = avatar;
        ASSERT_EQ(decodeReply<SaveAvatarReply>(exchange(server.protocolPort(), upload))->result,
                  SaveAvatarReply::Saved);
    }
    // Avatar 1 has the script; 2 is restricted; 3 is open and has the script too.
    std::string reply = httpRequest(server.httpPort(), "GET", "/a/1.png");
    ASSERT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u) << reply.substr(0, 200);
    EXPECT_NE(reply.find("image/png"), std::string::npos);
    const std::string body = reply.substr(reply.find("\r\n\r\n") + 4);

    // The timeline the shared code plays for this script, against the file's control chunks.
    Catalogue catalogue;
    ColourTables tables;
    AvatarArchive archive(tables);
    ASSERT_TRUE(loadAvatarData(catalogue, archive, tables, LIKENEX_DEFAULT_PROGRAM_DIR));
    std::vector<ScriptStep> steps;
    for (const ScriptEntry& e : script) steps.push_back({static_cast<std::uint16_t>(e.action), e.caption});
    const ScriptAnimation animation(AvatarModelParts{&catalogue, &archive, nullptr, nullptr, nullptr, nullptr},
                                    AvatarLook{}, 0, steps);
    std::vector<std::uint32_t> expected;
    for (const AnimationTiming& t : animation.timeline()) expected.push_back(t.durationMs);
    ASSERT_FALSE(expected.empty());
    const auto chunks = test::pngChunks(std::vector<std::uint8_t>(body.begin(), body.end()));
    ASSERT_TRUE(chunks);
    ASSERT_GE(chunks->size(), 2u);
    EXPECT_EQ(test::bigEndian32(&(*chunks)[0].data[0]), 256u);  // IHDR: width and height
    EXPECT_EQ(test::bigEndian32(&(*chunks)[0].data[4]), 192u);
    ASSERT_EQ((*chunks)[1].type, "acTL");
    const std::uint32_t announced = test::bigEndian32(&(*chunks)[1].data[0]);
    const std::vector<std::uint32_t> delays = test::apngDelays(*chunks);
    EXPECT_EQ(announced, expected.size());
    EXPECT_EQ(delays, expected);

    // The page shows the animation; the still picture stays where it was.
    EXPECT_NE(httpRequest(server.httpPort(), "GET", "/a/1").find("/a/1.png"), std::string::npos);
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/1.bmp").rfind("HTTP/1.1 200", 0), 0u);
    // Asked again (kept), and for another avatar with the same script: the same file.
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/1.png"), reply);
    const std::string other = httpRequest(server.httpPort(), "GET", "/a/3.png");
    EXPECT_EQ(other.substr(other.find("\r\n\r\n") + 4), body);
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/2.png").rfind("HTTP/1.1 404", 0), 0u);   // restricted
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/99.png").rfind("HTTP/1.1 404", 0), 0u);  // missing
    // Served from what the database keeps; nothing is kept of the restricted one.
    auto storage = openSqliteStorage(config.dataDirectory + "/likenex.sqlite");
    ASSERT_TRUE(storage->loadAvatarPictures(1).has_value());
    EXPECT_TRUE(storage->loadAvatarPictures(1)->animation == std::vector<std::uint8_t>(body.begin(), body.end()));
    EXPECT_FALSE(storage->loadAvatarPictures(2).has_value());
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/x.png").rfind("HTTP/1.1 404", 0), 0u);
}

// An open avatar without a script keeps the still picture on its page and has no animation.
TEST_F(AvatarPicture, AvatarWithoutAScriptHasNoAnimation) {
    ASSERT_EQ(uploadBareFigure()->result, SaveAvatarReply::Saved);
    EXPECT_EQ(httpRequest(server.httpPort(), "GET", "/a/1.png").rfind("HTTP/1.1 404", 0), 0u);
    const std::string page = httpRequest(server.httpPort(), "GET", "/a/1");
    EXPECT_NE(page.find("/a/1.bmp"), std::string::npos);
    EXPECT_EQ(page.find("/a/1.png"), std::string::npos);
}

// ---- The program itself: user command, SIGTERM, kill -9 ----

TEST_F(ServerNetworkTest, UserCommandThenSigtermFinishesTheRequestInFlight) {
    std::string command = "echo 'p\xc3\xa4ss' | " + std::string(LIKENEX_SERVER_BINARY) + " --data " +
                          config_.dataDirectory +
                          " --set argon2_memory_kib=8 --set argon2_operations=1 user add Bob 2>/dev/null";
    ASSERT_EQ(runCommand(command), 0);
    EXPECT_NE(runCommand(command), 0);  // the name is taken now
    std::string binary = LIKENEX_SERVER_BINARY;
    std::string options = " --data " + config_.dataDirectory + " --set argon2_memory_kib=8 --set argon2_operations=1 ";
    EXPECT_EQ(runCommand(binary + " --help >/dev/null"), 0);
    EXPECT_NE(runCommand("echo x | " + binary + options + "user passwd nobody 2>/dev/null"), 0);
    // Up to the editor's 33 characters, digested as the editor digests a typed password.
    EXPECT_NE(runCommand("echo " + std::string(34, 'x') + " | " + binary + options + "user add Longpass 2>/dev/null"),
              0);
    ASSERT_EQ(runCommand("echo " + std::string(33, 'x') + " | " + binary + options + "user add Longpass 2>/dev/null"),
              0);
    // A new password replaces the old one; the old digest no longer signs in (checked below).
    ASSERT_EQ(runCommand("echo old | " + binary + options + "user add Carol 2>/dev/null"), 0);
    ASSERT_EQ(runCommand("echo new | " + binary + options + "user passwd CAROL 2>/dev/null"), 0);

    ServerChildProcess process(LIKENEX_SERVER_BINARY, config_,
                               {.settings = {"argon2_memory_kib=8", "argon2_operations=1"}});
    SaveAvatarRequest upload = freeUpload(u"bob", md5Hex("p\xe4ss"));
    ASSERT_TRUE(upload.encode());
    ProtocolClient client(process.protocolPort());
    ASSERT_TRUE(client.connected());
    std::vector<std::uint8_t> half(upload.bytes().begin(), upload.bytes().begin() + 40);
    std::vector<std::uint8_t> rest(upload.bytes().begin() + 40, upload.bytes().end());
    ASSERT_TRUE(client.send(half));
    std::this_thread::sleep_for(200ms);
    process.signal(SIGTERM);
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(client.send(rest));
    auto saved = decodeReply<SaveAvatarReply>(client.receive());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->result, SaveAvatarReply::Saved);
    EXPECT_EQ(process.wait(10s), 0);
    EXPECT_EQ(storedAvatars(), 1);
    {
        auto storage = openSqliteStorage(config_.dataDirectory + "/likenex.sqlite");
        Accounts accounts(*storage, Argon2Cost{1, 8192});
        EXPECT_TRUE(accounts.signIn(u"carol", md5Hex("new")).has_value());
        EXPECT_FALSE(accounts.signIn(u"carol", md5Hex("old")).has_value());
        EXPECT_TRUE(accounts.signIn(u"longpass", md5Hex(std::string(33, 'x'))).has_value());
    }

    const std::string all = process.log();
    EXPECT_NE(all.find("save by bob: stored 1"), std::string::npos) << all;
}

TEST_F(ServerNetworkTest, KillDuringABurstLosesNothingAcknowledged) {
    auto process = std::make_unique<ServerChildProcess>(
        LIKENEX_SERVER_BINARY, config_,
        ServerChildProcess::Options{.settings = {"argon2_memory_kib=8", "argon2_operations=1"}});
    const std::uint16_t port = process->protocolPort();
    std::mutex mutex;
    std::vector<std::int32_t> acknowledged;
    std::atomic<bool> running{true};
    std::vector<std::thread> uploaders;
    for (int t = 0; t < 4; ++t)
        uploaders.emplace_back([&] {
            while (running) {
                SaveAvatarRequest upload = freeUpload(u"guest", "", 20);
                auto saved = decodeReply<SaveAvatarReply>(exchange(port, upload));
                if (!saved) continue;
                if (saved->result == SaveAvatarReply::Saved) {
                    std::lock_guard lock(mutex);
                    acknowledged.push_back(saved->avatarNumber);
                }
            }
        });
    std::this_thread::sleep_for(1500ms);
    process->signal(SIGKILL);
    std::this_thread::sleep_for(300ms);
    running = false;
    for (auto& t : uploaders) t.join();
    process.reset();

    ASSERT_GT(acknowledged.size(), 10u);
    auto storage = openSqliteStorage(config_.dataDirectory + "/likenex.sqlite");
    storage->migrate();
    for (std::int32_t number : acknowledged) EXPECT_TRUE(storage->loadAvatar(number).has_value()) << number;
    EXPECT_GE(storage->avatarCount(), static_cast<std::int64_t>(acknowledged.size()));
}

TEST(TwoInstances, ShareOnePostgresDatabase) {
    PostgresCluster cluster;
    ASSERT_TRUE(cluster.available()) << cluster.reason();
    TempDirectory program, dataA, dataB;
    writeProgramDirectory(program.path());
    std::string database = cluster.newDatabase();
    ServerConfig a = testConfig(dataA.path(), program.path());
    ServerConfig b = testConfig(dataB.path(), program.path());
    for (ServerConfig* c : {&a, &b}) {
        c->storage = "postgresql";
        c->postgresConnection = database;
    }
    RunningServer first(a);
    RunningServer second(b);
    SaveAvatarRequest upload = freeUpload(u"guest", "", 4);
    auto saved = decodeReply<SaveAvatarReply>(exchange(first.protocolPort(), upload));
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->result, SaveAvatarReply::Saved);
    OpenAvatarRequest open;
    open.avatarId = saved->avatarNumber;
    auto opened = decodeReply<AvatarReply>(exchange(second.protocolPort(), open));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->result, AvatarReply::Found);
    EXPECT_EQ(opened->avatar, upload.avatar);
    EXPECT_NE(httpRequest(second.httpPort(), "GET", "/a/1").find("A title"), std::string::npos);
}

}  // namespace
}  // namespace likenex
