#include "screens/EditorState.h"

#include "avatar/AvatarRecord.h"
#include "avatar/UploadSlots.h"
#include "catalogue/OutfitPrice.h"
#include "catalogue/WardrobeOffer.h"

#include <algorithm>
#include <utility>

namespace likenex {

EditorState::EditorState(const Catalogue& catalogue) : catalogue_(catalogue) {
    for (const LayerOption& option : catalogue.layerOptions()) {
        if (!isOffered(option.availability)) continue;
        if (option.faceLayer == 1) faceOptions_[0].push_back(&option);
        else if (option.faceLayer == 2) faceOptions_[1].push_back(&option);
    }
    for (const Item& item : catalogue.items()) {
        if (!isOffered(item.availability)) continue;
        for (int page = 1; page <= 5; ++page)
            if (pageOffers(page, item.category)) pageItems_[static_cast<std::size_t>(page)].push_back(&item);
    }
    for (const BodyPart& part : catalogue.bodyParts()) bodyParts_.push_back(&part);
    reached_[0] = true;
}

const std::vector<const LayerOption*>& EditorState::faceOptions(int list) const { return faceOptions_[list & 1]; }

void EditorState::attachModel(AvatarModel* model) {
    model_ = model;
    choices_.faceSelection = {-1, -1};
    if (!model_) return;
    for (int list = 0; list < 2; ++list) {
        const ItemSlot& worn =
            model_->look().items[static_cast<std::size_t>(list == 0 ? kFaceOptionSlot1 : kFaceOptionSlot2)];
        if (!worn.occupied) continue;
        const auto& options = faceOptions(list);
        const auto found = std::find_if(options.begin(), options.end(),
                                        [&](const LayerOption* option) { return option->optionNumber == worn.item; });
        if (found != options.end())
            choices_.faceSelection[static_cast<std::size_t>(list)] = static_cast<int>(found - options.begin());
    }
}

const std::vector<const Item*>& EditorState::pageItems(int page) const {
    // Only pages 1 to 5 offer items; the list of page 0 stays empty and stands for the others.
    return pageItems_[page >= 1 && page <= 5 ? static_cast<std::size_t>(page) : 0];
}

const PageChoice& EditorState::pageChoice(int page) const {
    static const PageChoice none;
    return page >= 1 && page <= 6 ? choices_.pages[static_cast<std::size_t>(page)] : none;
}

// ---- Pages and tabs ----------------------------------------------------------------

int EditorState::nextPage(int page) const {
    const int next = page == kOutfitPage && choices_.outfit ? kBodyPartPage : page + 1;
    return next >= kPageCount || next < 0 ? 0 : next;
}

void EditorState::showPage(int page) {
    page_ = std::clamp(page, 0, kPageCount - 1);
    reached_[static_cast<std::size_t>(page_)] = true;
}

bool EditorState::tabShown(int tab) const {
    if (tab < 0 || tab >= kUploadPage) return false;
    if (choices_.outfit && tab >= 3 && tab <= 5) return false;
    return reached_[static_cast<std::size_t>(tab)];
}

int EditorState::tabOffset(int tab) const {
    if (tab >= 6 && choices_.outfit) return (tab - 3) * 50;
    return tab * 50;
}

// ---- Dressing ----------------------------------------------------------------------

void EditorState::standIdle() {
    if (!model_) return;
    if (model_->playAction(kStandingAction, direction_, true)) (void)model_->playSpan(0, 0, true);
    awaitedAction_ = 0;
}

void EditorState::chooseFaceOption(int list, int index) {
    const auto& options = faceOptions(list);
    if (index < 0 || static_cast<std::size_t>(index) >= options.size()) return;
    remember();
    choices_.faceSelection[list & 1] = index;
    if (model_) model_->setFaceOption(list == 0 ? kFaceOptionSlot1 : kFaceOptionSlot2, options[index]->optionNumber);
    standIdle();
}

void EditorState::chooseSkin(int cell) {
    if (cell < 0 || cell >= kSkinCells) return;
    remember();
    choices_.skin = cell;
    if (model_) model_->setSkin(cell);
    standIdle();
}

void EditorState::chooseEntry(int index) {
    if (page_ == kBodyPartPage) {
        if (index < 0 || static_cast<std::size_t>(index) >= bodyParts_.size()) return;
        remember();
        const BodyPart& part = *bodyParts_[static_cast<std::size_t>(index)];
        choices_.pages[kBodyPartPage] = {index, part.identifier, -1};
        // One body part at a time: it is the one the avatar is stored with.
        if (model_) {
            model_->clearBodyParts();
            (void)model_->chooseBodyPart(part.identifier);
        }
        standIdle();
        return;
    }
    const auto& items = pageItems(page_);
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
    remember();
    const Item& item = *items[static_cast<std::size_t>(index)];
    choices_.pages[static_cast<std::size_t>(page_)] = {index, item.identifier, defaultColour(item)};
    if (page_ == kOutfitPage) {
        // Taking an outfit off must give back what pages 3 to 5 show, not leave its pieces on.
        choices_.outfit = isOutfit(&item);
        wearChoices();
    } else if (model_) {
        model_->wearItem(item.category, item.identifier, defaultColour(item));
    }
    standIdle();
}

bool EditorState::chooseColour(int cell) {
    if (page_ < 1 || page_ > 5 || cell < 0 || cell >= kColourCells) return false;
    PageChoice& choice = choices_.pages[static_cast<std::size_t>(page_)];
    if (choice.index < 0) return false;
    const Item* item = catalogue_.findItem(choice.identifier);
    if (!item || defaultColour(*item) == -1) return false;
    remember();
    choice.colour = cell;
    if (model_) model_->wearItem(item->category, item->identifier, cell);
    standIdle();
    return true;
}

void EditorState::wearPage(int page) {
    const PageChoice& choice = choices_.pages[static_cast<std::size_t>(page)];
    if (choice.index < 0 || !model_) return;
    if (const Item* item = catalogue_.findItem(choice.identifier))
        model_->wearItem(item->category, item->identifier, choice.colour);
}

void EditorState::wearChoices() {
    if (!model_) return;
    model_->clearItems();
    wearPage(1);
    if (!choices_.outfit)
        for (int page : {3, 4, 5}) wearPage(page);
    wearPage(kOutfitPage);
}

void EditorState::takeOffFace() {
    choices_.faceSelection = {-1, -1};
    if (!model_) return;
    for (const int slot : {kFaceOptionSlot1, kFaceOptionSlot2})
        if (model_->look().items[static_cast<std::size_t>(slot)].item != 0) model_->setFaceOption(slot, 0);
}

void EditorState::reset() {
    if (page_ == kFacePage) {
        remember();
        takeOffFace();
    } else if (page_ >= 1 && page_ <= 5) {
        remember();
        choices_.pages[static_cast<std::size_t>(page_)] = {};
        if (page_ == kOutfitPage) choices_.outfit = false;
        wearChoices();
    } else if (page_ == kBodyPartPage) {
        remember();
        choices_.pages[kBodyPartPage] = {};
        if (model_) model_->clearBodyParts();
    } else {
        return;
    }
    standIdle();
}

void EditorState::turn() {
    direction_ = (direction_ + 1) % 8;
    if (!model_) return;
    // The figure keeps doing what it does, facing the new way.
    const bool looping = model_->running() && awaitedAction_ == 0;
    model_->turn(direction_);
    if (looping) (void)model_->playSpan(0, 0, true);
    else if (awaitedAction_ != 0) (void)model_->playSpan(0, 0, false);
}

// ---- The action script ---------------------------------------------------------------

void EditorState::say(const std::u16string& caption) {
    if (model_) (void)model_->say(&caption, 0, kCaptionShownMs);
}

void EditorState::playOnce(std::uint16_t actionId) {
    if (!model_) return;
    if (!model_->playAction(actionId, direction_, true)) {
        standIdle();
        return;
    }
    awaitedAction_ = actionId;
    (void)model_->playSpan(0, 0, false);
}

void EditorState::selectAction(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= actions().size()) {
        selectedAction_ = -1;
        return;
    }
    stopPlaying();
    selectedAction_ = index;
    say(u"");
    playOnce(actions()[static_cast<std::size_t>(index)].identifier);
}

int EditorState::scriptLength() const {
    long long frames = 0;
    for (const ScriptStep& step : choices_.script)
        if (const Action* action = catalogue_.findAction(step.action))
            frames += static_cast<long long>(action->frames.size());
    return static_cast<int>(std::min<long long>(frames, 1 << 30));
}

StepRefusal EditorState::addStep(std::u16string caption) {
    if (selectedAction_ < 0 || static_cast<std::size_t>(selectedAction_) >= actions().size())
        return StepRefusal::noAction;
    const Action& action = actions()[static_cast<std::size_t>(selectedAction_)];
    if (static_cast<long long>(scriptLength()) + static_cast<long long>(action.frames.size()) > kMaxScriptFrames)
        return StepRefusal::tooLong;
    // Refused here, where the words can still be shortened, rather than failing at the upload.
    std::vector<ScriptStep> longer = choices_.script;
    longer.push_back({action.identifier, caption});
    if (!fitsUpload(longer)) return StepRefusal::tooLargeToUpload;
    stopPlaying();
    remember();
    choices_.script.push_back({action.identifier, std::move(caption)});
    say(choices_.script.back().caption);
    selectedAction_ = -1;
    selectedStep_ = static_cast<int>(choices_.script.size()) - 1;
    return StepRefusal::none;
}

void EditorState::selectStep(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= choices_.script.size()) return;
    stopPlaying();
    selectedStep_ = index;
    const ScriptStep& step = choices_.script[static_cast<std::size_t>(index)];
    say(step.caption);
    playOnce(step.action);
}

void EditorState::moveStep(int delta) {
    const int other = selectedStep_ + delta;
    if (selectedStep_ < 0 || other < 0 || static_cast<std::size_t>(other) >= choices_.script.size()) return;
    stopPlaying();
    remember();
    std::swap(choices_.script[static_cast<std::size_t>(selectedStep_)],
              choices_.script[static_cast<std::size_t>(other)]);
    selectedStep_ = other;
}

void EditorState::deleteStep() {
    if (selectedStep_ < 0 || static_cast<std::size_t>(selectedStep_) >= choices_.script.size()) return;
    stopPlaying();
    remember();
    choices_.script.erase(choices_.script.begin() + selectedStep_);
    if (choices_.script.empty()) selectedStep_ = -1;
    else selectedStep_ = std::max(0, selectedStep_ - 1);
}

std::u16string EditorState::scriptCaptions() const {
    std::u16string text;
    for (const ScriptStep& step : choices_.script) {
        text += step.caption;
        text += u'\r';
    }
    return text;
}

void EditorState::startStep(int index) {
    stepDue_.reset();
    const ScriptStep& step = choices_.script[static_cast<std::size_t>(index)];
    say(step.caption);
    playOnce(step.action);
}

void EditorState::play() {
    if (choices_.script.empty()) return;
    stopPlaying();
    selectedStep_ = 0;
    playing_ = true;
    startStep(0);
}

void EditorState::actionEnded(std::uint16_t actionId, Tick now) {
    // The standing action loops and reports every pass; only the awaited end counts.
    if (awaitedAction_ == 0 || actionId != awaitedAction_) return;
    awaitedAction_ = 0;
    if (!playing_) {
        standIdle();
        return;
    }
    const int next = selectedStep_ + 1;
    if (next >= static_cast<int>(choices_.script.size())) {
        stopPlaying();
        return;
    }
    selectedStep_ = next;
    stepDue_ = now;
}

void EditorState::update(Tick now) {
    if (!playing_ || !stepDue_ || ticksBetween(*stepDue_, now) < static_cast<Tick>(kStepPauseMs)) return;
    if (selectedStep_ < 0 || static_cast<std::size_t>(selectedStep_) >= choices_.script.size()) {
        stopPlaying();
        return;
    }
    startStep(selectedStep_);
}

DueIn EditorState::nextStepDue(Tick now) const {
    if (!playing_ || !stepDue_) return DueIn::never();
    return DueIn::in(ticksLeft(*stepDue_, now, static_cast<Tick>(kStepPauseMs)));
}

void EditorState::stopPlaying() {
    if (!playing_) return;
    playing_ = false;
    stepDue_.reset();
    selectedStep_ = choices_.script.empty() ? -1 : 0;
    standIdle();
}

// ---- Starting over -------------------------------------------------------------------

void EditorState::startOver(AvatarModel* fresh) {
    forgetAll(fresh);
    // The program's new models already wear the default face; one that does not is dressed in
    // it here, so that the model and page 0's grids agree whoever made the model.
    bool changed = false;
    for (int list = 0; list < 2; ++list) {
        const LayerOption* face = defaultFaceOption(catalogue_.layerOptions(), list + 1);
        const auto& offered = faceOptions(list);
        const auto found = std::find(offered.begin(), offered.end(), face);
        if (!face || found == offered.end()) continue;
        choices_.faceSelection[static_cast<std::size_t>(list)] = static_cast<int>(found - offered.begin());
        const int slot = list == 0 ? kFaceOptionSlot1 : kFaceOptionSlot2;
        if (!model_) continue;
        const ItemSlot& worn = model_->look().items[static_cast<std::size_t>(slot)];
        if (worn.occupied && worn.item == face->optionNumber) continue;
        model_->setFaceOption(slot, face->optionNumber);
        changed = true;
    }
    if (changed) standIdle();
}

void EditorState::forgetAll(AvatarModel* fresh) {
    playing_ = false;
    stepDue_.reset();
    awaitedAction_ = 0;
    choices_ = EditorChoices{};
    direction_ = 0;
    selectedAction_ = -1;
    selectedStep_ = -1;
    reached_ = {};
    undo_.clear();
    redo_.clear();
    model_ = fresh;
    showPage(nextPage(kUploadPage));
}

// ---- Stored avatars ------------------------------------------------------------------

LeftOut EditorState::loadStored(AvatarModel* fresh, const AvatarFields& stored) {
    forgetAll(fresh);
    // A new model comes wearing the default face, which a stored avatar has only if it says so.
    takeOffFace();
    direction_ = stored.direction < 8 ? stored.direction : 0;
    const LeftOut left = chooseLook(stored, LookTakes::everything);
    standIdle();
    return left;
}

LeftOut EditorState::applyLook(const AvatarFields& look, LookTakes takes) {
    stopPlaying();
    remember();
    if (takes == LookTakes::everything && look.direction < 8) direction_ = look.direction;
    std::vector<ScriptStep> script = std::move(choices_.script);
    choices_ = EditorChoices{};
    if (takes == LookTakes::everything) selectedStep_ = -1;
    else choices_.script = std::move(script);
    // What the look does not wear comes off: the pages' items go with wearChoices.
    takeOffFace();
    if (model_) {
        model_->setSkin(kDefaultSkin);
        model_->clearBodyParts();
    }
    const LeftOut left = chooseLook(look, takes);
    standIdle();
    return left;
}

bool EditorState::dressAtRandom(const RandomAvatar& dresser, RandomSource& random, int page, bool freeOnly) {
    if (page == -1) {
        AvatarFields look = dresser.dress(random, freeOnly);
        (void)applyLook(look, LookTakes::dressOnly);
        return true;
    }
    if (page < kFacePage || page > kBodyPartPage) return false;
    AvatarFields look = uploadFields();
    // Under an outfit, pages 3 to 5 keep their hidden choices, as a new outfit or piece chosen
    // by hand would.
    std::array<ItemPair, 3> hidden{};
    for (int p = 3; p <= 5; ++p) hidden[static_cast<std::size_t>(p - 3)] = pagePair(p);
    if (choices_.outfit)
        for (int p = 3; p <= 5; ++p) look.items[static_cast<std::size_t>(p - 1)] = hidden[static_cast<std::size_t>(p - 3)];
    dresser.dressPage(look, page, random, freeOnly);
    if (page == kOutfitPage)
        for (int p = 3; p <= 5; ++p) look.items[static_cast<std::size_t>(p - 1)] = hidden[static_cast<std::size_t>(p - 3)];
    (void)applyLook(look, LookTakes::dressOnly);
    return true;
}

ItemPair EditorState::pagePair(int page) const {
    const PageChoice& choice = choices_.pages[static_cast<std::size_t>(page)];
    if (choice.index < 0) return {};
    return {choice.identifier, choice.colour >= 0 && choice.colour < 255 ? static_cast<std::uint8_t>(choice.colour)
                                                                         : std::uint8_t{255}};
}

LeftOut EditorState::chooseLook(const AvatarFields& look, LookTakes takes) {
    LeftOut left;
    for (int list = 0; list < 2; ++list) {
        const std::int32_t number = list == 0 ? look.faceOption1 : look.faceOption2;
        if (number == 0) continue;
        const auto& options = faceOptions(list);
        const auto found = std::find_if(options.begin(), options.end(),
                                        [&](const LayerOption* option) { return option->optionNumber == number; });
        if (found == options.end()) {
            ++left.faceOptions;
            continue;
        }
        choices_.faceSelection[static_cast<std::size_t>(list)] = static_cast<int>(found - options.begin());
        if (model_) model_->setFaceOption(list == 0 ? kFaceOptionSlot1 : kFaceOptionSlot2, number);
    }
    if (look.skin < kSkinCells) {
        choices_.skin = look.skin;
        if (model_) model_->setSkin(look.skin);
    }
    // Pair k holds what page k chose.
    for (int page = 1; page <= 5; ++page) {
        const ItemPair& pair = look.items[static_cast<std::size_t>(page - 1)];
        if (pair.item == 0) continue;
        const auto& items = pageItems(page);
        const auto found =
            std::find_if(items.begin(), items.end(), [&](const Item* item) { return item->identifier == pair.item; });
        if (found == items.end()) {
            ++left.items;
            continue;
        }
        const std::int32_t colour = pair.colour == 255 ? -1 : pair.colour;
        choices_.pages[static_cast<std::size_t>(page)] = {static_cast<int>(found - items.begin()), pair.item, colour};
        if (page == kOutfitPage) choices_.outfit = isOutfit(*found);
    }
    wearChoices();
    if (look.bodyPart != 0) {
        const auto found = std::find_if(bodyParts_.begin(), bodyParts_.end(),
                                        [&](const BodyPart* part) { return part->identifier == look.bodyPart; });
        if (found == bodyParts_.end()) {
            ++left.bodyParts;
        } else {
            choices_.pages[kBodyPartPage] = {static_cast<int>(found - bodyParts_.begin()), look.bodyPart, -1};
            if (model_) (void)model_->chooseBodyPart(look.bodyPart);
        }
    }
    if (takes != LookTakes::everything) return left;
    long long length = 0;
    for (std::size_t i = 0; i < look.script.size(); ++i) {
        const ScriptEntry& entry = look.script[i];
        const Action* action = entry.action >= 1 && entry.action <= 0xFFFF
                                   ? catalogue_.findAction(static_cast<std::uint16_t>(entry.action))
                                   : nullptr;
        if (!action) {
            ++left.scriptSteps;
            continue;
        }
        length += static_cast<long long>(action->frames.size());
        choices_.script.push_back({action->identifier, entry.caption});
        if (length > kMaxScriptFrames || !fitsUpload(choices_.script)) {
            // This step and every one after it are past the limits.
            choices_.script.pop_back();
            left.scriptSteps += static_cast<int>(look.script.size() - i);
            break;
        }
    }
    return left;
}

static_assert(kAvatarItemPairs == kUploadItemFields, "one item pair per upload field");

AvatarFields EditorState::uploadFields() const {
    AvatarFields fields;
    fields.direction = static_cast<std::uint8_t>(direction_);
    auto pairOf = [&](int slot) {
        ItemPair pair;
        if (!model_) return pair;
        const ItemSlot& s = model_->look().items[static_cast<std::size_t>(slot)];
        if (!s.occupied || s.item == 0) return pair;
        pair.item = s.item;
        pair.colour = s.colourId >= 0 && s.colourId < 255 ? static_cast<std::uint8_t>(s.colourId) : 255;
        return pair;
    };
    if (model_) {
        const AvatarLook& look = model_->look();
        if (look.items[kFaceOptionSlot1].occupied) fields.faceOption1 = look.items[kFaceOptionSlot1].item;
        if (look.items[kFaceOptionSlot2].occupied) fields.faceOption2 = look.items[kFaceOptionSlot2].item;
        fields.skin = look.skin >= 0 && look.skin < kSkinCells ? static_cast<std::uint8_t>(look.skin) : kDefaultSkin;
    }
    for (int field = 0; field < kUploadItemFields; ++field) {
        const UploadField& f = kUploadFields[static_cast<std::size_t>(field)];
        fields.items[static_cast<std::size_t>(field)] = pairOf(f.slot).item != 0 ? pairOf(f.slot) : pairOf(f.otherSlot);
    }
    if (choices_.outfit) {
        // The model holds the outfit's pieces, which are not offered on their own: the
        // outfit is stored as itself and puts its pieces on again when loaded.
        const PageChoice& outfit = choices_.pages[kOutfitPage];
        fields.items[1].item = outfit.identifier;
        fields.items[1].colour =
            outfit.colour >= 0 && outfit.colour < 255 ? static_cast<std::uint8_t>(outfit.colour) : 255;
        fields.items[2] = fields.items[3] = fields.items[4] = ItemPair{};
    }
    fields.bodyPart = choices_.pages[kBodyPartPage].identifier;
    for (const ScriptStep& step : choices_.script) fields.script.push_back({step.action, step.caption});
    return fields;
}

bool EditorState::fitsUpload(const std::vector<ScriptStep>& script) {
    std::vector<ScriptEntry> entries;
    entries.reserve(script.size());
    for (const ScriptStep& step : script) entries.push_back({step.action, step.caption});
    return scriptFitsUpload(entries);
}

// ---- Price -------------------------------------------------------------------------

long long EditorState::price() const {
    PricedOutfit outfit;
    if (model_) {
        const AvatarLook& look = model_->look();
        for (std::size_t slot = 0; slot < outfit.worn.size(); ++slot)
            if (look.items[slot].occupied) outfit.worn[slot] = look.items[slot].item;
        if (look.items[kFaceOptionSlot1].occupied) outfit.faceOption1 = look.items[kFaceOptionSlot1].item;
        if (look.items[kFaceOptionSlot2].occupied) outfit.faceOption2 = look.items[kFaceOptionSlot2].item;
    }
    // The model holds an outfit's components; the outfit itself is the page's choice.
    if (choices_.outfit) outfit.worn[6] = choices_.pages[kOutfitPage].identifier;
    outfit.bodyPart = choices_.pages[kBodyPartPage].identifier;
    std::vector<std::uint16_t> actions;
    actions.reserve(choices_.script.size());
    for (const ScriptStep& step : choices_.script) actions.push_back(step.action);
    outfit.actions = actions;
    return outfitPrice(outfit, catalogue_);
}

// ---- Undo ------------------------------------------------------------------------

EditorChoices EditorState::currentChoices() const {
    EditorChoices c = choices_;
    if (model_) {
        c.items = model_->look().items;
        c.bodyParts = model_->look().bodyParts;
        c.modelSkin = model_->look().skin;
    }
    return c;
}

void EditorState::remember() {
    undo_.push_back(currentChoices());
    if (undo_.size() > kUndoSteps) undo_.pop_front();
    redo_.clear();
}

void EditorState::restore(const EditorChoices& choices) {
    stopPlaying();
    choices_ = choices;
    if (selectedStep_ >= static_cast<int>(choices_.script.size()))
        selectedStep_ = static_cast<int>(choices_.script.size()) - 1;
    // Reached pages stay reached; an outfit put back hides its tabs again by itself.
    if (model_) {
        AvatarLook look = model_->look();
        look.items = choices.items;
        look.bodyParts = choices.bodyParts;
        look.skin = choices.modelSkin;
        model_->setLook(look);
    }
    standIdle();
}

bool EditorState::undo() {
    if (undo_.empty()) return false;
    redo_.push_back(currentChoices());
    EditorChoices back = std::move(undo_.back());
    undo_.pop_back();
    restore(back);
    return true;
}

bool EditorState::redo() {
    if (redo_.empty()) return false;
    undo_.push_back(currentChoices());
    EditorChoices forward = std::move(redo_.back());
    redo_.pop_back();
    restore(forward);
    return true;
}

}  // namespace likenex
