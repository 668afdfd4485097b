#include "app/AppSettings.h"

#include "catalogue/StringTable.h"
#include "screens/win/SettingsStore.h"

namespace likenex {

void AppSettings::load(const std::string& programDirectory) {
    programDirectory_ = programDirectory;
    settings_.language = language_;
    readSettings(programDirectory_, settings_);
    language_ = settings_.language;
}

void AppSettings::changeLanguage(int language) {
    language_ = language;
    settings_.language = language;
    writeSettings(programDirectory_, settings_);
    strings_.setLanguage(language);
    if (languageChanged_) languageChanged_();
}

void AppSettings::saveSettings() { writeSettings(programDirectory_, settings_); }

}  // namespace likenex
