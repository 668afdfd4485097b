#pragma once
// What the screens asked of the program, recorded in order; installed while it lives.

#include "screens/ScreenActions.h"

#include <functional>
#include <string>
#include <vector>

namespace likenex {

class RecordedActions : public ScreenActions {
public:
    RecordedActions() { setScreenActions(this); }
    ~RecordedActions() override { setScreenActions(nullptr); }
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
    std::vector<std::string> calls;
    int current = 2;
};

}  // namespace likenex
