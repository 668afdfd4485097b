// The pictures of avatar codes with the build's own data set: the same address gives the same
// bytes under a strong ETag and 304 to a client that holds them; a bad code or parameter is
// refused with its reason before anything is drawn; random addresses lead to a picture; the
// picture pool's queue and each address's allowance bound the work; a stored avatar's page
// shows its code.
#include "net/AvatarCode.h"
#include "server/CodePictures.h"
#include "server/ServerApp.h"
#include "server/WebText.h"
#include "server/Storage.h"
#include "server/tests/ServerTestSupport.h"
#include "test_support/PngChunks.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>

#include <chrono>
#include <future>
#include <thread>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using namespace testing;

struct Answer {
    int status = 0;
    std::string head;  // status line and fields
    std::string body;
    [[nodiscard]] std::string field(const std::string& name) const {
        const std::size_t at = head.find("\r\n" + name + ": ");
        if (at == std::string::npos) return {};
        const std::size_t from = at + name.size() + 4;
        return head.substr(from, head.find("\r\n", from) - from);
    }
};

Answer split(const std::string& reply) {
    Answer a;
    const std::size_t end = reply.find("\r\n\r\n");
    a.head = reply.substr(0, end == std::string::npos ? reply.size() : end + 2);
    if (end != std::string::npos) a.body = reply.substr(end + 4);
    if (reply.rfind("HTTP/1.1 ", 0) == 0) a.status = std::stoi(reply.substr(9, 3));
    return a;
}

Answer get(std::uint16_t port, const std::string& target, const std::string& fields = "") {
    ProtocolClient client(port);
    const std::string request =
        "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + fields + "Connection: close\r\n\r\n";
    (void)client.send(std::vector<std::uint8_t>(request.begin(), request.end()));
    return split(client.readAll(30s));
}

std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& body) {
    const auto chunks = test::pngChunks(std::vector<std::uint8_t>(body.begin(), body.end()));
    if (!chunks || chunks->empty() || (*chunks)[0].type != "IHDR") return {0, 0};
    return {test::bigEndian32(&(*chunks)[0].data[0]), test::bigEndian32(&(*chunks)[0].data[4])};
}

AvatarFields scripted() {
    AvatarFields avatar;
    avatar.direction = 3;
    avatar.script = {{1001, u"Hello"}, {1006, u""}};
    return avatar;
}

std::string codeOf(const AvatarFields& avatar) {
    const AvatarCodeResult code = encodeAvatarCode(avatar);
    EXPECT_EQ(code.refusal, CodeRefusal::none);
    return code.code;
}

class CodePicturesTest : public ::testing::Test {
protected:
    void start(int picturesPerMinute = 0) {
        config_ = testConfig(data_.path(), LIKENEX_DEFAULT_PROGRAM_DIR);
        config_.codePicturesPerMinute = picturesPerMinute;
        server_ = std::make_unique<RunningServer>(config_);
    }
    [[nodiscard]] std::uint16_t port() const { return server_->httpPort(); }

    TempDirectory data_;
    ServerConfig config_;
    std::unique_ptr<RunningServer> server_;
};

TEST_F(CodePicturesTest, TheSameAddressGivesTheSameBytesUnderAStrongETag) {
    start();
    const std::string code = codeOf(scripted());
    const Answer first = get(port(), "/c/" + code + ".png");
    ASSERT_EQ(first.status, 200) << first.head << first.body;
    EXPECT_EQ(first.field("Content-Type"), "image/png");
    EXPECT_EQ(first.field("Cache-Control"), "public, max-age=31536000, immutable");
    const std::string etag = first.field("ETag");
    ASSERT_EQ(etag.size(), 34u) << etag;  // a quoted MD5, never weak
    EXPECT_EQ(etag.front(), '"');
    EXPECT_EQ(pngSize(first.body), std::make_pair(128u, 128u));
    const Answer again = get(port(), "/c/" + code + ".png");
    EXPECT_EQ(again.body, first.body);
    EXPECT_EQ(again.field("ETag"), etag);

    // Other parameters, other pictures: turned, enlarged, another action's first frame.
    const Answer turned = get(port(), "/c/" + code + ".png?dir=6");
    ASSERT_EQ(turned.status, 200);
    EXPECT_NE(turned.body, first.body);
    EXPECT_NE(turned.field("ETag"), etag);
    // The code's own direction is the default: asked for by number, the same picture.
    EXPECT_EQ(get(port(), "/c/" + code + ".png?dir=3").body, first.body);
    const Answer large = get(port(), "/c/" + code + ".png?scale=4&dir=6");
    EXPECT_EQ(pngSize(large.body), std::make_pair(512u, 512u));
    const Answer acting = get(port(), "/c/" + code + ".png?action=1001");
    ASSERT_EQ(acting.status, 200) << acting.body;
    EXPECT_EQ(get(port(), "/c/" + code + ".png?action=1001").body, acting.body);

    // The script animated, with its control chunks, the same file twice.
    const Answer animated = get(port(), "/c/" + code + ".apng");
    ASSERT_EQ(animated.status, 200) << animated.body;
    const auto chunks = test::pngChunks(std::vector<std::uint8_t>(animated.body.begin(), animated.body.end()));
    ASSERT_TRUE(chunks && chunks->size() >= 2);
    EXPECT_EQ((*chunks)[1].type, "acTL");
    const Answer animatedAgain = get(port(), "/c/" + code + ".apng");
    EXPECT_EQ(animatedAgain.body, animated.body);
    EXPECT_EQ(animatedAgain.field("ETag"), animated.field("ETag"));
    // A code without a script has nothing to animate.
    EXPECT_EQ(get(port(), "/c/" + codeOf(AvatarFields{}) + ".apng").status, 404);
}

TEST_F(CodePicturesTest, AClientHoldingThePictureIsAnswered304) {
    start();
    const std::string address = "/c/" + codeOf(scripted()) + ".png?scale=2";
    const Answer first = get(port(), address);
    ASSERT_EQ(first.status, 200);
    const std::string etag = first.field("ETag");
    for (const std::string& held : {etag, "\"other\", " + etag, "W/" + etag, std::string("*")}) {
        const Answer cached = get(port(), address, "If-None-Match: " + held + "\r\n");
        EXPECT_EQ(cached.status, 304) << held;
        EXPECT_TRUE(cached.body.empty()) << held;
        EXPECT_EQ(cached.field("ETag"), etag) << held;
    }
    const Answer stale = get(port(), address, "If-None-Match: \"0123\"\r\n");
    EXPECT_EQ(stale.status, 200);
    EXPECT_EQ(stale.body, first.body);
    // A picture made anew (not from the cache) is told apart by the same rule.
    const Answer fresh = get(port(), "/c/" + codeOf(scripted()) + ".png?scale=3", "If-None-Match: " + etag + "\r\n");
    EXPECT_EQ(fresh.status, 200);
}

TEST_F(CodePicturesTest, BadCodesAndParametersAreRefusedWithTheReason) {
    start();
    const std::string code = codeOf(scripted());
    std::string mistyped = code;
    mistyped[mistyped.size() - 2] = mistyped[mistyped.size() - 2] == 'A' ? 'B' : 'A';
    const std::pair<std::string, std::string> refused[] = {
        {"/c/AAAA.png", describeRefusal(CodeRefusal::cut)},
        {"/c/" + mistyped + ".png", "the avatar code is"},
        {"/c/" + code.substr(0, 3) + "*" + code.substr(4) + ".png", describeRefusal(CodeRefusal::badCharacter)},
        {"/c/" + code + ".png?dir=8", "dir is a direction from 0 to 7"},
        {"/c/" + code + ".png?dir=-1", "dir is a direction"},
        {"/c/" + code + ".png?dir=", "dir is a direction"},
        {"/c/" + code + ".png?scale=0", "scale is a whole number from 1 to 4"},
        {"/c/" + code + ".png?scale=5", "scale is a whole number"},
        {"/c/" + code + ".png?scale=1.5", "scale is a whole number"},
        {"/c/" + code + ".png?scale=00000000001", "scale is a whole number"},
        {"/c/" + code + ".png?action=65536", "action is an action identifier"},
        {"/c/" + code + ".png?action=4", "the catalogue has no action 4"},
        {"/c/" + code + ".png?size=2", "dir, action and scale only"},
        {"/c/" + code + ".apng?dir=1", "takes no parameters"},
        {"/c/AAAA", describeRefusal(CodeRefusal::cut)},
    };
    for (const auto& [target, reason] : refused) {
        const Answer a = get(port(), target);
        EXPECT_EQ(a.status, 400) << target;
        EXPECT_EQ(a.field("Content-Type"), "text/plain; charset=utf-8") << target;
        EXPECT_NE(a.body.find(reason), std::string::npos) << target << ": " << a.body;
    }
}

TEST_F(CodePicturesTest, RandomAddressesLeadToACodeWhosePictureAndPageLoad) {
    start();
    const Answer picture = get(port(), "/random.png");
    ASSERT_EQ(picture.status, 302);
    const std::string to = picture.field("Location");
    ASSERT_EQ(to.rfind("/c/", 0), 0u) << to;
    ASSERT_EQ(to.substr(to.size() - 4), ".png") << to;
    EXPECT_EQ(picture.field("Cache-Control"), "no-store");
    const Answer drawn = get(port(), to);
    EXPECT_EQ(drawn.status, 200);
    EXPECT_EQ(pngSize(drawn.body), std::make_pair(128u, 128u));

    const Answer page = get(port(), "/random");
    ASSERT_EQ(page.status, 302);
    const std::string pageAddress = page.field("Location");
    ASSERT_EQ(pageAddress.rfind("/c/", 0), 0u);
    EXPECT_EQ(pageAddress.find('.'), std::string::npos) << pageAddress;
    const Answer shown = get(port(), pageAddress);
    ASSERT_EQ(shown.status, 200);
    const std::string code = pageAddress.substr(3);
    EXPECT_NE(shown.body.find("href=\"avatar:code:" + code + "\""), std::string::npos) << shown.body;
    EXPECT_NE(shown.body.find("<code id=\"code\">" + code + "</code>"), std::string::npos);
    EXPECT_NE(shown.body.find("src=\"/c/" + code + ".png?scale=2\""), std::string::npos);
    // Two random addresses are two avatars.
    EXPECT_NE(get(port(), "/random").field("Location"), pageAddress);
}

TEST_F(CodePicturesTest, EachAddressMakesSoManyPicturesAMinuteAndTheCacheStillAnswers) {
    start(3);
    const std::string code = codeOf(scripted());
    for (int d = 0; d < 3; ++d) EXPECT_EQ(get(port(), "/c/" + code + ".png?dir=" + std::to_string(d)).status, 200);
    const Answer refused = get(port(), "/c/" + code + ".png?dir=3");
    EXPECT_EQ(refused.status, 429);
    EXPECT_FALSE(refused.field("Retry-After").empty());
    EXPECT_EQ(get(port(), "/c/" + code + ".apng").status, 429);
    // What was made is answered from the cache, which costs nothing of the allowance.
    EXPECT_EQ(get(port(), "/c/" + code + ".png?dir=1").status, 200);
    // Pages and refusals are not pictures.
    EXPECT_EQ(get(port(), "/c/" + code).status, 200);
    EXPECT_EQ(get(port(), "/c/" + code + ".png?dir=9").status, 400);
}

// The pool the avatar pictures are made on answers a code's picture too: when its queue is
// full the request is refused at once, while pages, which other pools answer, still load.
TEST(CodePicturesPool, AFullPicturePoolAnswers503) {
    AvatarPictures pictures(LIKENEX_DEFAULT_PROGRAM_DIR, 1);
    ASSERT_TRUE(pictures.available());
    CodePictures codes(pictures, CodePictures::Limits{});
    boost::asio::io_context io;
    WorkPool picturePool("pictures", 1, 1), pages("pages", 1, 8);
    RequestLog log;
    HttpServer server(
        io, boost::asio::ip::tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0),
        [&](const HttpRequest& request) {
            const std::string path(targetPath(request.target));
            return CodePictures::isCodePath(path) ? codes.respond(request, path) : HttpResponse{};
        },
        [&](std::string_view, std::string_view target) -> WorkPool& {
            return CodePictures::isPicturePath(targetPath(target)) ? picturePool : pages;
        },
        HttpServer::Limits{10s, 10s, 100, {}}, log);
    std::thread network([&] { io.run(); });

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> holding;
    ASSERT_TRUE(picturePool.post([&] {
        holding.set_value();
        released.wait();
    }));
    holding.get_future().wait();
    ASSERT_TRUE(picturePool.post([released] { released.wait(); }));  // the queue's one place
    const std::string address = "/c/" + codeOf(scripted()) + ".png";
    const Answer busy = get(server.port(), address);
    EXPECT_EQ(busy.status, 503);
    EXPECT_EQ(busy.field("Retry-After"), "5");
    EXPECT_EQ(get(server.port(), "/c/" + codeOf(scripted()) + ".apng").status, 503);
    EXPECT_EQ(get(server.port(), "/random.png").status, 302);
    release.set_value();
    // The held work ends on the pool's own thread a moment after it is released; until then
    // the pool is still full.
    Answer served = get(server.port(), address);
    for (auto until = std::chrono::steady_clock::now() + 10s;
         served.status == 503 && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(20ms);
        served = get(server.port(), address);
    }
    EXPECT_EQ(served.status, 200);

    server.stop();
    picturePool.join();
    pages.join();
    io.stop();
    network.join();
}

TEST_F(CodePicturesTest, AStoredAvatarsPageShowsItsCode) {
    start();
    SaveAvatarRequest upload = freeUpload(u"guest", "", 0);
    upload.avatar = scripted();
    ASSERT_EQ(decodeReply<SaveAvatarReply>(exchange(server_->protocolPort(), upload))->result,
              SaveAvatarReply::Saved);
    const Answer page = get(port(), "/a/1");
    ASSERT_EQ(page.status, 200);
    const std::size_t at = page.body.find("<code id=\"code\">");
    ASSERT_NE(at, std::string::npos) << page.body;
    const std::size_t from = at + 16;
    const std::string shown = page.body.substr(from, page.body.find('<', from) - from);
    EXPECT_EQ(shown, codeOf(upload.avatar));
    EXPECT_NE(page.body.find("href=\"/c/" + shown + "\""), std::string::npos);
    EXPECT_EQ(get(port(), "/c/" + shown).status, 200);
}

}  // namespace
}  // namespace likenex
