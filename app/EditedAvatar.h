#pragma once
// The avatar being edited: a new default one at start-up and whenever the user starts over,
// made with the application's data, scene and painter. It is the model's clock and the
// receiver of its events, which go to the main window as messages, and the screens'
// AvatarFactory.

#include "avatar/AvatarRecord.h"
#include "avatar/AvatarServices.h"
#include "screens/ScreenServices.h"

#include <memory>

namespace likenex {

class MainWindow;
class Painter;
struct AppData;

class EditedAvatar final : public AvatarFactory, public AvatarEvents, public AvatarClock {
public:
    // The model is kept in data.avatarModel; everything given outlives this.
    EditedAvatar(AppData& data, AvatarScene& scene, MainWindow& window, Painter& painter)
        : data_(data), scene_(scene), window_(window), painter_(painter) {}

    // A new avatar record with its defaults and a model of it, standing, as the current model.
    AvatarModel& makeModel();

    // AvatarFactory: the same, with the standing action started as a new avatar shows it.
    AvatarModel* startNewAvatar() override;
    // AvatarEvents: the end of an action goes to the main window as a message.
    void actionEnded(std::uint16_t actionId, std::int64_t value) override;
    // AvatarClock: the system tick count.
    [[nodiscard]] Tick now() const override;

private:
    AppData& data_;
    AvatarScene& scene_;
    MainWindow& window_;
    Painter& painter_;
    std::shared_ptr<AvatarRecord> record_;
};

}  // namespace likenex
