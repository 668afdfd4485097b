// The application's start-up, shut-down, fonts and text services, and what it does for the
// avatar model (bubbles, text, the end-of-action message, the clock).
#include "app/Application.h"
#include "base/WindowMessages.h"

#include "app/ProgramFiles.h"
#include "app/StartupTiming.h"
#include "app/TestSeams.h"
#include "app/WidgetGallery.h"
#include "avatar/AvatarModel.h"
#include "base/Text.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/AvatarData.h"
#include "catalogue/StringTable.h"
#include "platform/win/MessageBox.h"
#include "render/text/win/Fonts.h"
#include "screens/EditorScreen.h"
#include "screens/FrameWindows.h"
#include "screens/win/SettingsStore.h"
#include "ui/InterfaceArchive.h"


namespace likenex {

const wchar_t* uiFontForLanguage(int languageIndex) {
    switch (languageIndex) {
    case 0:
    case 1: return L"mingliu.TTC";
    case 2:
    case 4: return L"SSERIFE.FON";
    case 3: return L"MSGOTHIC.TTC";
    default: return L"";
    }
}

void Application::failStartup(const std::string& text) {
    startupError_ = text;
    throw startupError_.c_str();
}

void Application::startup() {
    // The main window has been created and its renderer started just before.
    startupTiming::mark("window and renderer");
    startupSteps_.clear();
    // 1. The program directory, however long; the data loaders take at most 499 narrow
    // characters of the system code page, so a longer or unconvertible one stops here.
    step("program directory");
    programDirectoryW_ = programDirectoryOverride_.empty() ? executableDirectory() : programDirectoryOverride_;
    programDirectory_ = narrowProgramDirectory(programDirectoryW_);
    if (programDirectory_.empty())
        failStartup(
            "The program folder cannot be used: its path is too long or holds characters this system cannot "
            "pass on. Install Likenex in a shorter folder.");
    textEngines_.setFolders({defaultFontFolders().windowsFonts, programDirectoryW_ + L"\\fonts\\"});
    pictures_.setFolder(programDirectoryW_ + L"\\photo");
    versionCheck_.setProgramDirectory(programDirectory_);
    startupTiming::mark("program directory");

    step("url protocol");
    registerUrlProtocol(programDirectory_);
    startupTiming::mark("url protocol");

    step("interface archive");
    if (!data_.interfaceArchive.loadInterfaceArchive(programDirectory_)) failStartup(programDirectory_);
    startupTiming::mark("interface archive");

    step("network");
    if (!startNetwork()) failStartup("winsock error");
    startupTiming::mark("network");

    step("settings");
    settings_.load(programDirectory_);
    startupTiming::mark("settings");

    step("language table");
    (void)data_.strings.loadStringTable(programDirectory_ + "\\data\\lang.bin");
    data_.strings.setLanguage(settings_.language());
    startupTiming::mark("language table");

    // The sprite lock is made with the archive; loading the avatar data comes next.
    step("avatar data");
    if (!loadAvatarData(data_.catalogue, data_.avatarArchive, data_.colourTables, programDirectory_))
        failStartup(programDirectory_);
    startupTiming::mark("avatar data");

    step("scene pictures");
    {
        std::vector<std::uint8_t> pixels;
        if (!data_.avatarArchive.loadSpritePixels(kShadowKey, 0, -1, pixels)) pixels.clear();
        data_.spriteCache.setShadowPicture(data_.spriteCache.image(painter(), data_.avatarArchive, kShadowKey),
                                               std::move(pixels));
        (void)data_.spriteCache.image(painter(), data_.avatarArchive, kSmallShadowKey);
    }
    startupTiming::mark("scene pictures");

    step("bubble pictures");
    text_.speechBubbles().load(data_.avatarArchive, painter());
    startupTiming::mark("bubble pictures");

    step("fonts");
    createTextRenderers();
    startupTiming::mark("fonts");

    step("avatar model");
    (void)avatar_.makeModel();
    startupTiming::mark("avatar model");

    step("screens");
    createScreens();
    if (const int count = testSeams::galleryWidgetCount()) openWidgetField(windowStack(), width(), height(), count);
    else if (testSeams::galleryRequested()) openWidgetGallery(windowStack(), width(), height());
    startupTiming::mark("screens");

    startupState_ = StartupState::started;

    step("updater files");
    cleanUpAfterUpdater(programDirectory_);
    startupTiming::mark("updater files");
}

bool Application::startNetwork() { return server_.start(window()); }

void Application::createScreens() {
    ui::WindowStack& stack = windowStack();
    auto* frame = static_cast<MainFrame*>(
        stack.openWindow(nullptr, {0, 0, width(), height()}, false,
                         std::make_unique<MainFrame>(uiHost_, MainFrame::Parts{shell_, shell_, server_, settings_})));
    auto* editor = static_cast<EditorScreen*>(stack.openWindow(
        stack.root(), {0, kTitleBandHeight - 1, width(), height()}, false,
        std::make_unique<EditorScreen>(
            uiHost_,
            EditorScreen::Parts{data_.catalogue, data_.avatarArchive, data_.strings,
                                data_.avatarModel.get(), avatar_, UploadPage::Parts{server_, pictureScreenParts()}})));
    // The frame's new-avatar button asks the editor, which closes with the frame.
    if (frame) frame->setNewAvatarQuestion(editor);
}

void Application::releaseRendererResources() { data_.interfaceArchive.releaseInterfaceArchive(); }

void Application::shutdown() {
    closeWindows();
    server_.stop();
    data_.avatarModel.reset();
    text_.speechBubbles().release();
    text_.release();
}

bool Application::checkFontFile(const std::wstring& name) {
    const std::wstring path = textEngines_.resolve(name);
    if (path.empty()) {
        // Owned by the main window, which stays disabled while the box is up: the box may come
        // from a window's own code (a language change), and no click may close that window
        // meanwhile.
        showMessageBox(window(), (textEngines_.folders().windowsFonts + name + L"\nFont does not exist").c_str(),
                       nullptr, MB_OK);
        return false;
    }
    setUiFontFile(name);
    return true;
}

void Application::createTextRenderers() {
    // The UI font of the language comes first; a missing one leaves the previous in force.
    if (const wchar_t* font = uiFontForLanguage(settings_.language()); *font) (void)checkFontFile(font);
    text_.create(uiFontFile());
}

void Application::reloadFonts() {
    text_.release();
    createTextRenderers();
    for (const auto& window : windowStack().windows()) window->languageChanged();
}

}  // namespace likenex
