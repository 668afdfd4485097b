// Update.exe as the editor starts it: a program folder of its own with News.dll, a stand-in
// editor and merger, the version values in the registry, and a local HTTP server as the
// update and feed host. The dialog is read and pressed from outside, as a user would.

#include "test_support/HttpFixtureServer.h"  // winsock2.h before windows.h

#include "base/Constants.h"
#include "base/Text.h"
#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"
#include "update/NewsPage.h"
#include "update/NewsText.h"
#include "update/win/NewsLibrary.h"
#include "update/win/UpdateResources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace likenex::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr DWORD kPatienceMs = 30000;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string fixture(const std::string& name) { return readBytes(fs::path(LIKENEX_NEWS_FIXTURES) / name); }

std::string manifestOf(const std::string& installer) {
    return readBytes(std::string(LIKENEX_RUN_RECORDER) + "." + installer + ".sig");
}

// Under HKEY_CURRENT_USER, where the editor writes them; an older install left them under
// HKEY_LOCAL_MACHINE.
void writeVersions(std::uint32_t installed, std::uint32_t newest, const std::string& news,
                   HKEY root = HKEY_CURRENT_USER) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, kVersionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr), ERROR_SUCCESS);
    const UniqueRegistryKey key(raw);
    RegSetValueExA(key.get(), "ver", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&installed), 4);
    RegSetValueExA(key.get(), "newver", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&newest), 4);
    // As the editor writes it: without the terminator.
    RegSetValueExA(key.get(), "news", 0, REG_SZ, reinterpret_cast<const BYTE*>(news.data()),
                   static_cast<DWORD>(news.size()));
}

void deleteVersions() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVersionKey);
}

struct FindDialog {
    DWORD process;
    HWND found = nullptr;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<FindDialog*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    if (owner == search->process && std::wstring(title) == L"Update" && GetDlgItem(window, IDC_STATUS)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct UpdateProcessTest : ::testing::Test {
    test::HttpFixtureServer server;
    fs::path folder = fs::temp_directory_path() / ("likenex-update-run-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                   std::to_string(GetTickCount()));
    UniqueHandle process;
    DWORD processId = 0;
    HWND dialog = nullptr;

    void SetUp() override {
        ASSERT_TRUE(server.running());
        fs::create_directories(folder / "data");
        const fs::path program(LIKENEX_PROGRAM_DIR);
        fs::copy_file(program / "Update.exe", folder / "Update.exe");
        fs::copy_file(program / "News.dll", folder / "News.dll");
        fs::copy_file(LIKENEX_RUN_RECORDER, folder / "Likenex.exe");
        fs::copy_file(LIKENEX_RUN_RECORDER, folder / "data" / "merge.exe");
        server.serve("/news.xml", fixture("dates.xml"));
        server.serve("/Download/3.exe", readBytes(LIKENEX_RUN_RECORDER), "application/octet-stream");
        server.serve("/Download/fullup.exe", readBytes(LIKENEX_RUN_RECORDER), "application/octet-stream");
        // The build signed the stand-in as 3.exe of version 3 and as fullup.exe of version 5.
        server.serve("/Download/3.exe.sig", manifestOf("3.exe"), "application/octet-stream");
        server.serve("/Download/fullup.exe.sig", manifestOf("fullup.exe"), "application/octet-stream");
    }

    void TearDown() override {
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process.get(), 1);
        if (process) WaitForSingleObject(process.get(), kPatienceMs);
        deleteVersions();
        SetEnvironmentVariableW(L"LIKENEX_TEST_RUN_EXIT", nullptr);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string newsAddress() { return server.url("/news.xml?v=1.0&ln=en"); }

    void start(const std::string& argument) {
        const std::wstring exe = (folder / "Update.exe").wstring();
        std::wstring line = L"\"" + exe + L"\" " + std::wstring(argument.begin(), argument.end());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        // A start can fail for a moment on a loaded machine (Wine's server busy with the
        // previous test's processes); a few tries tell that from a real failure.
        bool running = false;
        DWORD error = 0;
        for (int attempt = 0; attempt < 5 && !running; ++attempt) {
            running = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     folder.wstring().c_str(), &startup, &started) != FALSE;
            if (!running) {
                error = GetLastError();
                Sleep(500);
            }
        }
        ASSERT_TRUE(running) << "Update.exe did not start, error " << error;
        process.reset(started.hProcess);
        const UniqueHandle thread(started.hThread);
        processId = started.dwProcessId;
    }

    void findTheDialog() {
        FindDialog search{processId};
        for (DWORD waited = 0; !search.found && waited < kPatienceMs; waited += 50) {
            EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
            if (!search.found) Sleep(50);
        }
        dialog = search.found;
        ASSERT_NE(dialog, nullptr) << "no Update dialog";
    }

    std::wstring status() {
        wchar_t text[256] = {};
        GetDlgItemTextW(dialog, IDC_STATUS, text, 256);
        return text;
    }

    // Waits until the status line says `expected`; returns what it said last.
    std::wstring waitForStatus(const std::wstring& expected) {
        std::wstring now = status();
        for (DWORD waited = 0; now != expected && waited < kPatienceMs; waited += 50) {
            Sleep(50);
            now = status();
        }
        return now;
    }

    void press(int control) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
    }

    // Update started as the editor starts it, a newer version offered, and the offer taken.
    void startAndAccept(std::uint32_t installed, std::uint32_t newest) {
        writeVersions(installed, newest, newsAddress());
        start(server.url("/Download/"));
        findTheDialog();
        ASSERT_EQ(waitForStatus(L"New data are received!"), L"New data are received!");
        press(IDC_ACTION);
    }

    // The exit code, or -1 when it is still running after the wait.
    long exitCode() {
        if (WaitForSingleObject(process.get(), kPatienceMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.get(), &code);
        return static_cast<long>(code);
    }

    std::string runs() { return readBytes(folder / "runs.txt"); }

    int requestsFor(const std::string& path) {
        int count = 0;
        for (const std::string& request : server.requests()) count += request == path;
        return count;
    }
};

TEST_F(UpdateProcessTest, NothingNewerSaysSoAndWritesTheNewsPage) {
    writeVersions(5, 3, newsAddress());
    start(server.url("/Download/"));
    findTheDialog();
    EXPECT_EQ(waitForStatus(L"No new data!"), L"No new data!");

    // The page is the builder's, for the items the library hands out, after FF FE.
    NewsLibrary library(fs::path(fs::path(LIKENEX_PROGRAM_DIR) / "News.dll").wstring());
    ASSERT_TRUE(library.loaded());
    const auto items = fetchNewsItems(library, newsAddress());
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 5u);
    const std::vector<std::uint8_t> expected = newsPageFile(buildNewsPage(*items, systemCodePage()));
    const std::string written = readBytes(folder / "news.html");
    EXPECT_EQ(written, std::string(expected.begin(), expected.end()));
    ASSERT_GE(written.size(), 14u);
    EXPECT_EQ(written.substr(0, 14), std::string("\xFF\xFE<\0H\0T\0M\0L\0>\0", 14));

    // Wine here has no HTML engine: the news area shows the same items as text.
    HWND newsBox = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    ASSERT_NE(newsBox, nullptr) << "no text in place of the browser";
    // GetWindowText would not ask another process's control for its text; the message does.
    const auto length = static_cast<std::size_t>(SendMessageW(newsBox, WM_GETTEXTLENGTH, 0, 0));
    std::wstring shown(length + 1, L'\0');
    shown.resize(static_cast<std::size_t>(
        SendMessageW(newsBox, WM_GETTEXT, shown.size(), reinterpret_cast<LPARAM>(shown.data()))));
    EXPECT_EQ(shown, text::wideFromUtf16(newsPlainText(*items)));
    EXPECT_NE(shown.find(L"\r\n\r\n"), std::wstring::npos) << "items are set apart";

    press(IDC_ACTION);  // nothing installed: Update ends without starting anything
    EXPECT_EQ(exitCode(), 0);
    EXPECT_EQ(runs(), "");
    EXPECT_EQ(requestsFor("/Download/3.exe") + requestsFor("/Download/fullup.exe"), 0);
}

TEST_F(UpdateProcessTest, OneVersionBehindInstallsTheNumberedInstallerAndRestartsTheEditor) {
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 3));
    ASSERT_EQ(waitForStatus(L"Update is completed!"), L"Update is completed!");
    EXPECT_EQ(requestsFor("/Download/3.exe"), 1);
    EXPECT_EQ(requestsFor("/Download/fullup.exe"), 0);
    EXPECT_EQ(runs(), "3.exe \nmerge.exe \n");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0), 100);

    press(IDC_ACTION);  // installed in this run: the editor starts again with "goon"
    EXPECT_EQ(exitCode(), 0);
    std::string ran;
    for (DWORD waited = 0; ran.find("Likenex.exe") == std::string::npos && waited < kPatienceMs; waited += 100) {
        Sleep(100);
        ran = runs();
    }
    EXPECT_EQ(ran, "3.exe \nmerge.exe \nLikenex.exe goon\n");
}

TEST_F(UpdateProcessTest, SeveralVersionsBehindTakesTheFullInstaller) {
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 5));
    ASSERT_EQ(waitForStatus(L"Update is completed!"), L"Update is completed!");
    EXPECT_EQ(requestsFor("/Download/fullup.exe"), 1);
    EXPECT_EQ(runs(), "fullup.exe \nmerge.exe \n");
}

TEST_F(UpdateProcessTest, ThreeFailedDownloadsRunNothing) {
    server.remove("/Download/3.exe");
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 3));
    EXPECT_EQ(waitForStatus(L"Fail to download!"), L"Fail to download!");
    EXPECT_EQ(requestsFor("/Download/3.exe"), 3);
    EXPECT_EQ(runs(), "");
    EXPECT_FALSE(fs::exists(folder / "3.exe"));
}

TEST_F(UpdateProcessTest, ATamperedOrUnsignedInstallerNeverRuns) {
    std::string tampered = readBytes(LIKENEX_RUN_RECORDER);
    tampered[tampered.size() / 3] ^= 0x01;
    server.serve("/Download/3.exe", tampered, "application/octet-stream");
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 3));
    EXPECT_EQ(waitForStatus(L"Fail to download!"), L"Fail to download!");
    EXPECT_EQ(requestsFor("/Download/3.exe"), 3);
    EXPECT_EQ(requestsFor("/Download/3.exe.sig"), 3);
    EXPECT_EQ(runs(), "");
    EXPECT_FALSE(fs::exists(folder / "3.exe"));
    press(IDC_CLOSE);
    EXPECT_EQ(exitCode(), 0);
}

TEST_F(UpdateProcessTest, AnInstallerWithoutSignatureNeverRuns) {
    server.remove("/Download/fullup.exe.sig");
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 5));
    EXPECT_EQ(waitForStatus(L"Fail to download!"), L"Fail to download!");
    EXPECT_EQ(requestsFor("/Download/fullup.exe.sig"), 3);
    EXPECT_EQ(runs(), "");
    EXPECT_FALSE(fs::exists(folder / "fullup.exe"));
}

TEST_F(UpdateProcessTest, AnOlderSignedInstallerIsNeverRun) {
    // The host still offers the full installer of version 5 while it announces version 6.
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 6));
    EXPECT_EQ(waitForStatus(L"Fail to download!"), L"Fail to download!");
    EXPECT_EQ(requestsFor("/Download/fullup.exe.sig"), 3);
    EXPECT_EQ(runs(), "");
    EXPECT_FALSE(fs::exists(folder / "fullup.exe"));
    EXPECT_FALSE(fs::exists(folder / "fullup.exe.sig"));
    press(IDC_CLOSE);
    EXPECT_EQ(exitCode(), 0);
}

TEST_F(UpdateProcessTest, AnInstallerSignedUnderAnotherNameIsNeverRun) {
    // The one-step installer and its manifest served in place of the full one: a jump of two
    // versions without the data files.
    server.serve("/Download/fullup.exe.sig", manifestOf("3.exe"), "application/octet-stream");
    ASSERT_NO_FATAL_FAILURE(startAndAccept(1, 3));
    EXPECT_EQ(waitForStatus(L"Fail to download!"), L"Fail to download!");
    EXPECT_EQ(requestsFor("/Download/fullup.exe"), 3);
    EXPECT_EQ(requestsFor("/Download/3.exe"), 0);
    EXPECT_EQ(runs(), "");
    EXPECT_FALSE(fs::exists(folder / "fullup.exe"));
    EXPECT_FALSE(fs::exists(folder / "fullup.exe.sig"));
    press(IDC_CLOSE);
    EXPECT_EQ(exitCode(), 0);
}

TEST_F(UpdateProcessTest, AnInstallerThatFailsIsAFailedUpdate) {
    SetEnvironmentVariableW(L"LIKENEX_TEST_RUN_EXIT", L"2");  // inherited by Update and what it runs
    ASSERT_NO_FATAL_FAILURE(startAndAccept(2, 3));
    EXPECT_EQ(waitForStatus(L"Fail to update!"), L"Fail to update!");
    press(IDC_CLOSE);
    EXPECT_EQ(exitCode(), 0);
    EXPECT_EQ(runs(), "3.exe \nmerge.exe \n");  // no editor started
}

TEST_F(UpdateProcessTest, ANewsAddressLongerThanItsBufferIsCutThere) {
    const std::string address = newsAddress() + "&pad=" + std::string(600, 'p');
    writeVersions(3, 3, address);
    start(server.url("/Download/"));
    findTheDialog();
    EXPECT_EQ(waitForStatus(L"No new data!"), L"No new data!");
    const std::vector<std::string> asked = server.requests();
    ASSERT_EQ(asked.size(), 1u);
    const std::string host = server.url("");
    EXPECT_EQ(host + asked[0], address.substr(0, 500));
}

TEST_F(UpdateProcessTest, WithoutTheNewsLibraryOrItsFeedTheOldPageStaysAndUpdateGoesOn) {
    std::ofstream(folder / "news.html", std::ios::binary) << "earlier page";
    fs::remove(folder / "News.dll");
    writeVersions(3, 3, newsAddress());
    start(server.url("/Download/"));
    findTheDialog();
    EXPECT_EQ(waitForStatus(L"No new data!"), L"No new data!");
    EXPECT_EQ(readBytes(folder / "news.html"), "earlier page");
    press(IDC_CLOSE);
    EXPECT_EQ(exitCode(), 0);
}

// An editor of an older install left its values for the whole machine; Update reads them while
// the user has none.
TEST_F(UpdateProcessTest, VersionValuesLeftForTheMachineAreReadWhenTheUserHasNone) {
    deleteVersions();
    writeVersions(2, 3, newsAddress(), HKEY_LOCAL_MACHINE);
    start(server.url("/Download/"));
    findTheDialog();
    EXPECT_EQ(waitForStatus(L"New data are received!"), L"New data are received!");
    EXPECT_EQ(requestsFor("/news.xml?v=1.0&ln=en"), 1);
    press(IDC_CLOSE);
}

// Value by value, the user's come first: here the installed version and the news address are
// the user's, and only the newest version is the machine's.
TEST_F(UpdateProcessTest, TheUsersVersionValuesComeBeforeTheMachines) {
    deleteVersions();
    writeVersions(2, 3, server.url("/machine.xml"), HKEY_LOCAL_MACHINE);
    writeVersions(3, 9, newsAddress());
    ASSERT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, kVersionKey, "newver"), ERROR_SUCCESS);
    start(server.url("/Download/"));
    findTheDialog();
    EXPECT_EQ(waitForStatus(L"No new data!"), L"No new data!");
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/news.xml?v=1.0&ln=en"});
    press(IDC_CLOSE);
    EXPECT_EQ(exitCode(), 0);
}

TEST_F(UpdateProcessTest, WithoutTheVersionValuesUpdateEndsAtOnce) {
    deleteVersions();
    start(server.url("/Download/"));
    EXPECT_EQ(exitCode(), 0);
    EXPECT_FALSE(fs::exists(folder / "news.html"));
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
}  // namespace likenex::update
