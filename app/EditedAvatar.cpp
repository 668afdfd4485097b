#include "app/EditedAvatar.h"

#include "app/AppData.h"
#include "app/MainWindow.h"
#include "avatar/AvatarModel.h"
#include "base/WindowMessages.h"
#include "catalogue/WardrobeOffer.h"

#include <windows.h>

#include <mmsystem.h>

#include <utility>

namespace likenex {

AvatarModel& EditedAvatar::makeModel() {
    record_ = std::make_shared<AvatarRecord>();
    record_->standingAction = kStandingAction;
    record_->skin = kDefaultSkin;
    record_->shown = true;
    // A new avatar starts with a friendly face. The editor takes it off again when it loads a
    // stored avatar or a code into this model, which keep the face they were given.
    for (const auto [layer, slot] : {std::pair{1, kFaceOptionSlot1}, std::pair{2, kFaceOptionSlot2}})
        if (const LayerOption* face = defaultFaceOption(data_.catalogue.layerOptions(), layer))
            record_->items[static_cast<std::size_t>(slot)] = {face->optionNumber, -1, true};
    auto model =
        std::make_shared<AvatarModel>(AvatarModelParts{&data_.catalogue, &data_.avatarArchive, &data_.spriteCache, this,
                                                       this, &scene_, &data_.avatarSettings, &painter_});
    model->setRecord(record_);
    data_.avatarModel = model;
    model->loadFromRecord(true);
    (void)model->playSpan(0, 0, true);
    return *model;
}

AvatarModel* EditedAvatar::startNewAvatar() {
    AvatarModel& model = makeModel();
    (void)model.playAction(kStandingAction, 0, false);
    (void)model.playSpan(0, 0, true);
    return &model;
}

void EditedAvatar::actionEnded(std::uint16_t actionId, std::int64_t value) {
    // Posted, not sent: the model reports the end from inside drawAvatar or playSpan, holding
    // its frame store, and a screen that answers by playing the next step would re-enter the
    // model there. Posted, the answer runs from the message loop once that call has returned,
    // in the same order and on the same thread, before the next frame is drawn.
    if (HWND w = window_.window()) PostMessageW(w, WM_AVATAR_ACTION_END, actionId, static_cast<LPARAM>(value));
}

Tick EditedAvatar::now() const { return timeGetTime(); }

}  // namespace likenex
