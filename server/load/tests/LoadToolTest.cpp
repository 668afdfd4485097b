// likenex-load's pieces: the numbers file it reads back, its verdict on replies, the upload it
// sends, and its runs against a real server on loopback (recording acknowledged uploads,
// naming avatars that do not open, giving up on a silent server, reading a download slowly).
#include "catalogue/Catalogue.h"
#include "net/Md5.h"
#include "net/Messages.h"
#include "server/load/ExchangeRun.h"
#include "server/load/IdleConnections.h"
#include "server/load/LoadRequests.h"
#include "server/load/SlowDownload.h"
#include "server/tests/ServerTestSupport.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <fstream>

namespace likenex {
namespace {

using namespace std::chrono_literals;
using namespace likenex::load;
using boost::asio::ip::tcp;

tcp::endpoint loopback(std::uint16_t port) { return {boost::asio::ip::address_v4::loopback(), port}; }

TEST(NumbersFile, ReadsOneNumberPerLineAndSkipsBlankLines) {
    std::string warning;
    EXPECT_EQ(parseNumbers("1\n\n22\r\n2147483647\n", 10, warning), (std::vector<std::int64_t>{1, 22, 2147483647}));
    EXPECT_TRUE(warning.empty());
    EXPECT_TRUE(parseNumbers("", 10, warning).empty());
}

TEST(NumbersFile, LeavesOutALastLineCutOffMidWrite) {
    std::string warning;
    EXPECT_EQ(parseNumbers("5\n6\n12", 10, warning), (std::vector<std::int64_t>{5, 6}));
    EXPECT_NE(warning.find("line 3"), std::string::npos);
}

TEST(NumbersFile, RefusesWhatIsNoAvatarNumber) {
    std::string warning;
    for (const char* text :
         {"0\n", "-4\n", "2147483648\n", "99999999999999999999999\n", "12x\n", " 12\n", "x\n", "1\n+2\n"})
        EXPECT_THROW((void)parseNumbers(text, 10, warning), std::runtime_error) << text;
    EXPECT_THROW((void)parseNumbers("1\n2\n3\n", 2, warning), std::runtime_error);
}

std::vector<std::uint8_t> encoded(ProtocolMessage& message) {
    EXPECT_TRUE(message.encode());
    return message.bytes();
}

TEST(ReplyVerdict, AnAcknowledgedUploadCarriesItsNumber) {
    SaveAvatarReply saved;
    saved.result = SaveAvatarReply::Saved;
    saved.avatarNumber = 417;
    saved.address = "http://127.0.0.1/a/417";
    Verdict verdict = judgeReply(MessageType::SaveAvatarRequest, encoded(saved));
    EXPECT_TRUE(verdict.ok);
    EXPECT_EQ(verdict.storedNumber, 417);

    saved.avatarNumber = 0;
    verdict = judgeReply(MessageType::SaveAvatarRequest, encoded(saved));
    EXPECT_FALSE(verdict.ok);
    EXPECT_EQ(verdict.storedNumber, 0);
}

TEST(ReplyVerdict, EachRefusalHasItsOwnLabel) {
    SaveAvatarReply save;
    save.result = SaveAvatarReply::SignInRejected;
    EXPECT_EQ(judgeReply(MessageType::SaveAvatarRequest, encoded(save)).label, "sign-in rejected");
    save.result = SaveAvatarReply::Refused;
    EXPECT_EQ(judgeReply(MessageType::SaveAvatarRequest, encoded(save)).label, "refused");
    AvatarReply open;
    open.result = AvatarReply::Refused;
    EXPECT_EQ(judgeReply(MessageType::OpenAvatarRequest, encoded(open)).label, "restricted");
    open.result = AvatarReply::Failed;
    EXPECT_FALSE(judgeReply(MessageType::OpenAvatarRequest, encoded(open)).ok);
}

TEST(ReplyVerdict, AReplyOfAnotherTypeIsMalformed) {
    VersionReply version;
    version.newestVersion = 2;
    auto frame = encoded(version);
    EXPECT_TRUE(judgeReply(MessageType::VersionQuery, frame).ok);
    EXPECT_EQ(judgeReply(MessageType::SaveAvatarRequest, frame).label, "malformed reply");
    frame.pop_back();
    EXPECT_EQ(judgeReply(MessageType::VersionQuery, frame).label, "malformed reply");
}

TEST(ResponseHead, ReadsStatusAndLengthInAnyCase) {
    auto head = parseResponseHead("HTTP/1.1 200 OK\r\nServer: x\r\ncontent-LENGTH:  1234 ");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->contentLength, 1234);
    head = parseResponseHead("HTTP/1.1 404 Not Found\r\nConnection: close");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->contentLength, -1);
    EXPECT_FALSE(parseResponseHead("HTTP/1.1 200 OK\r\nContent-Length: -5"));
    EXPECT_FALSE(parseResponseHead("HTTP/1.1 200 OK\r\nContent-Length: 12, 12"));
    EXPECT_FALSE(parseResponseHead("SSH-2.0-OpenSSH"));
}

class LoadAgainstServer : public ::testing::Test {
protected:
    LoadAgainstServer() {
        testing::writeProgramDirectory(program_.path());
        config_ = testing::testConfig(data_.path() + "/data", program_.path());
        config_.guestUploadsPerHour = 0;
        config_.uploadsPerMinute = 0;
        if (!catalogue_.loadCatalogueSection1(program_.path())) throw std::runtime_error("no catalogue");
    }
    RunSettings settings(std::uint16_t port) {
        RunSettings s;
        s.endpoint = loopback(port);
        s.connections = 4;
        s.seconds = 30s;
        return s;
    }

    testing::TempDirectory program_;
    testing::TempDirectory data_;
    ServerConfig config_;
    Catalogue catalogue_;
};

TEST_F(LoadAgainstServer, TheUploadIsTheShortestFreeActionTwentyTimes) {
    UploadSettings upload;
    upload.accessPassword = "secret";
    SaveAvatarRequest request;
    ASSERT_TRUE(request.assign(uploadRequest(catalogue_, upload)));
    ASSERT_TRUE(request.decode());
    EXPECT_EQ(request.userName, u"guest");
    ASSERT_EQ(request.avatar.script.size(), 20u);
    EXPECT_EQ(request.avatar.script[0].action, 8);  // 1 frame, free; action 5 is free but longer
    EXPECT_EQ(request.accessMode, 2);
    EXPECT_EQ(request.accessDigest, md5Hex("secret"));
    EXPECT_THROW((void)asciiPasswordDigest("p\xc3\xa4ss"), std::runtime_error);
}

TEST_F(LoadAgainstServer, RecordsEveryAcknowledgedUploadAndOpensThemAgain) {
    testing::RunningServer server(config_);
    std::string recordPath = data_.path() + "/numbers";
    std::vector<Exchange> uploads{{uploadRequest(catalogue_, {}), MessageType::SaveAvatarRequest}};
    RunSettings upload = settings(server.protocolPort());
    upload.limit = 12;
    RunResult stored;
    {
        RecordFile record(recordPath);
        stored = ExchangeRun(upload, uploads, true, &record).run();
    }
    EXPECT_EQ(stored.ok, 12) << stored.errorCount();
    std::string warning;
    auto numbers = parseNumbers(testing::fileText(recordPath), 100, warning);
    ASSERT_EQ(numbers.size(), 12u);
    EXPECT_TRUE(warning.empty());

    // Every recorded number opens; one that was never stored is named.
    std::vector<Exchange> opens;
    for (auto n : numbers) opens.push_back({openRequest(n), MessageType::OpenAvatarRequest, n});
    opens.push_back({openRequest(999999), MessageType::OpenAvatarRequest, 999999});
    RunResult opened = ExchangeRun(settings(server.protocolPort()), opens, false, nullptr).run();
    EXPECT_EQ(opened.sent, 13);
    EXPECT_EQ(opened.ok, 12);
    ASSERT_EQ(opened.failedNumbers.size(), 1u);
    EXPECT_EQ(opened.failedNumbers[0].first, 999999);
}

TEST(LoadRun, ASilentServerCountsAsTimedOutAndTheRunEnds) {
    boost::asio::io_context io;
    tcp::acceptor silent(io, loopback(0));  // accepts through the backlog, never answers
    RunSettings s;
    s.endpoint = loopback(silent.local_endpoint().port());
    s.connections = 2;
    s.limit = 4;
    s.replyTimeout = 200ms;
    RunResult result = ExchangeRun(s, {{versionQuery(), MessageType::VersionQuery}}, true, nullptr).run();
    EXPECT_EQ(result.sent, 4);
    EXPECT_EQ(result.ok, 0);
    EXPECT_EQ(result.errors["timed out"], 4);
    EXPECT_TRUE(result.latenciesMs.empty());
}

TEST(LoadRun, AClosedPortCountsAsNoConnection) {
    RunSettings s;
    s.endpoint = loopback(static_cast<std::uint16_t>(testing::freePort()));
    s.connections = 1;
    s.limit = 3;
    RunResult result = ExchangeRun(s, {{versionQuery(), MessageType::VersionQuery}}, true, nullptr).run();
    EXPECT_EQ(result.errors["no connection"], 3);
}

TEST_F(LoadAgainstServer, ASlowReaderGetsTheWholeDownload) {
    testing::RunningServer server(config_);
    std::vector<std::uint8_t> installer(300000, 'x');
    {
        std::ofstream out(config_.dataDirectory + "/Download/big.exe", std::ios::binary);
        out.write(reinterpret_cast<const char*>(installer.data()), static_cast<std::streamsize>(installer.size()));
    }
    SlowDownloadSettings s;
    s.endpoint = loopback(server.httpPort());
    s.target = "/Download/big.exe";
    s.connections = 2;
    s.rate = 400000;
    s.seconds = 20s;
    auto outcomes = runSlowDownloads(s);
    for (const auto& o : outcomes) {
        EXPECT_EQ(o.end, DownloadOutcome::End::Complete);
        EXPECT_EQ(o.status, 200);
        EXPECT_EQ(o.bodyBytes, 300000);
    }
    // Missing files are whole responses too, and the reader must not wait for more.
    s.target = "/Download/none.exe";
    s.connections = 1;
    auto missing = runSlowDownloads(s);
    EXPECT_EQ(missing[0].status, 404);
    EXPECT_EQ(missing[0].end, DownloadOutcome::End::Complete);
}

TEST_F(LoadAgainstServer, IdleConnectionsAreHeldAndCounted) {
    testing::RunningServer server(config_);
    IdleResult idle = holdIdleConnections(loopback(server.protocolPort()), 20, 500ms);
    EXPECT_EQ(idle.opened, 20);
    EXPECT_EQ(idle.closedByServer, 0);
    IdleResult none = holdIdleConnections(loopback(static_cast<std::uint16_t>(testing::freePort())), 3, 300ms);
    EXPECT_EQ(none.refused, 3);
}

}  // namespace
}  // namespace likenex
