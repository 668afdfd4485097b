#pragma once
// What the screens asked of the program, recorded in order; it stands for every service the
// screens are given.

#include "screens/FrameWindows.h"
#include "screens/PictureScreen.h"
#include "screens/PictureStore.h"
#include "screens/ScreenServices.h"
#include "screens/UploadPage.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace likenex {

class RecordedActions : public WindowControl,
                        public WebPages,
                        public ServerChannel,
                        public UserSettings,
                        public CodePageText,
                        public ChatCommands,
                        public AvatarFactory,
                        public PictureStore {
public:
    [[nodiscard]] MainFrame::Parts mainFrameParts() { return {*this, *this, *this, *this}; }
    [[nodiscard]] PictureScreen::Parts pictureScreenParts() { return {*this, *this, *this, *this, *this}; }
    [[nodiscard]] UploadPage::Parts uploadParts() { return {*this, pictureScreenParts()}; }

    void hideToTray() override { calls.push_back("tray"); }
    void askToQuit() override { calls.push_back("quit?"); }
    void moveWindowWithMouse() override { calls.push_back("move"); }
    void openWebPage(std::string_view path) override { calls.push_back("web " + std::string(path)); }
    void requestVersionCheck() override { calls.push_back("version"); }
    int language() const override { return current; }
    void changeLanguage(int language) override {
        current = language;
        calls.push_back("language " + std::to_string(language));
    }
    std::wstring webAddressText() const override { return L"http://127.0.0.1:8080"; }
    AvatarModel* startNewAvatar() override {
        calls.push_back("new avatar");
        return newAvatar ? newAvatar() : nullptr;
    }
    std::function<AvatarModel*()> newAvatar;
    void openRegistrationPage() override { calls.push_back("registration"); }
    Settings& settings() override { return stored; }
    void saveSettings() override { ++savedSettings; }
    bool sendToServer(const ProtocolMessage& request) override {
        sent.push_back(request.bytes());
        return serverReachable;
    }
    void closeServerConnection() override { ++closedConnections; }
    std::string toCodePage(std::u16string_view text) const override {
        std::string bytes;
        for (char16_t c : text) bytes += c < 0x80 ? static_cast<char>(c) : '?';
        return bytes;
    }
    std::wstring fromCodePage(std::string_view text) const override { return std::wstring(text.begin(), text.end()); }

    void openAddress(std::string_view address) override { calls.push_back("address " + std::string(address)); }
    void openFolder(std::wstring_view folder) override {
        calls.push_back("folder " + std::string(folder.begin(), folder.end()));
    }
    std::wstring pictureFolder() const override { return L"C:\\Likenex\\photo"; }
    std::optional<std::wstring> writePicture(std::span<const std::uint8_t> pixels) override {
        pictures.emplace_back(pixels.begin(), pixels.end());
        if (!picturesWritable) return std::nullopt;
        return L"C:\\Likenex\\photo\\tovik_" + std::to_wstring(pictures.size()) + L".bmp";
    }
    bool writeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
        if (failFileWrites == FileFault::throws) throw std::runtime_error("disk gone");
        files.emplace_back(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        return failFileWrites == FileFault::none;
    }
    enum class FileFault { none, refused, throws };
    FileFault failFileWrites = FileFault::none;
    std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> files;
    bool sendChatCommand(std::wstring_view command) override {
        chatCommands.emplace_back(command);
        return chatAttached;
    }

    std::vector<std::vector<std::uint8_t>> pictures;
    bool picturesWritable = true;
    std::vector<std::wstring> chatCommands;
    bool chatAttached = false;
    Settings stored;
    int savedSettings = 0;
    std::vector<std::vector<std::uint8_t>> sent;
    bool serverReachable = true;
    int closedConnections = 0;
    std::vector<std::string> calls;
    int current = 2;
};

}  // namespace likenex
