#pragma once
// The user's settings as the editor keeps them: the remembered sign-in and options of opt.dat
// and the interface language, read at start-up from the program directory and the registry
// and written back when they change. The screens reach it as their UserSettings.

#include "screens/ScreenServices.h"
#include "screens/Settings.h"

#include <functional>
#include <string>

namespace likenex {

class StringTable;

class AppSettings final : public UserSettings {
public:
    // The text table follows the language; languageChanged then makes the fonts and texts
    // of the new language (the application's reloadFonts).
    AppSettings(StringTable& strings, std::function<void()> languageChanged)
        : strings_(strings), languageChanged_(std::move(languageChanged)) {}

    // The language before the settings are read (the command line's, or a test's); it stays
    // when the registry names none.
    void setStartingLanguage(int language) { language_ = language; }
    // Reads opt.dat in the program directory and the registry language.
    void load(const std::string& programDirectory);

    // UserSettings
    [[nodiscard]] int language() const override { return language_; }
    void changeLanguage(int language) override;
    [[nodiscard]] Settings& settings() override { return settings_; }
    void saveSettings() override;

private:
    StringTable& strings_;
    std::function<void()> languageChanged_;
    std::string programDirectory_;
    Settings settings_;
    int language_ = 0;
};

}  // namespace likenex
