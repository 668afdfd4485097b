#pragma once
// The editor's choices and the rules that turn them into the avatar: which page shows and
// which tabs have been reached, what each page has chosen, the action script and its
// playback, the outfit's price, and the undo history. It drives the avatar model with every
// choice but owns no widget: the editor screen shows this state and hands it the user's
// clicks, and tests drive it directly.

#include "avatar/AvatarModel.h"
#include "avatar/ScriptAnimation.h"
#include "base/Tick.h"
#include "catalogue/Catalogue.h"
#include "catalogue/WardrobeOffer.h"
#include "net/Messages.h"
#include "net/RandomAvatar.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace likenex {

inline constexpr int kFacePage = 0, kOutfitPage = 2, kBodyPartPage = 6, kScriptPage = 7, kUploadPage = 8;
inline constexpr int kPageCount = 9;
inline constexpr int kSkinCells = kSkinChoices, kColourCells = kColourChoices;
inline constexpr int kCaptionShownMs = 10000;
inline constexpr std::size_t kUndoSteps = 200;
// The most UTF-16 units the upload page's title, second and third text boxes take.
inline constexpr int kTitleUnits = kUploadTitleUnits, kSecondTextUnits = kUploadSecondTextUnits,
                     kThirdTextUnits = kUploadThirdTextUnits;

// What one of pages 1 to 6 has chosen.
struct PageChoice {
    int index = -1;               // in the page's entries; -1 for none
    std::int32_t identifier = 0;  // the item or body part
    std::int32_t colour = -1;     // pages 1 to 5

    friend bool operator==(const PageChoice&, const PageChoice&) = default;
};

// Everything undo and redo put back: the choices and what the model wears.
struct EditorChoices {
    bool outfit = false;
    std::int32_t skin = -1;
    std::array<int, 2> faceSelection{-1, -1};
    std::array<PageChoice, 7> pages{};  // 1 to 6 used
    std::vector<ScriptStep> script;
    std::array<ItemSlot, kItemSlotCount> items{};
    std::array<BodyPartSlot, kBodyLayerCount> bodyParts{};
    std::int32_t modelSkin = -1;
};

// What an avatar to be worn held that this catalogue does not offer, and was left out: item
// pairs, face options, the body part, and script steps (an unknown action, or a step past the
// script's limits). The person is told when anything was.
struct LeftOut {
    int items = 0;
    int faceOptions = 0;
    int bodyParts = 0;
    int scriptSteps = 0;

    [[nodiscard]] bool any() const { return items + faceOptions + bodyParts + scriptSteps > 0; }
    friend bool operator==(const LeftOut&, const LeftOut&) = default;
};

// What applyLook takes from the avatar besides its dress: a pasted code brings its direction
// and script too, a random dressing leaves them as they are.
enum class LookTakes { dressOnly, everything };

// Why a step was not added: no action chosen, too many frames, or captions that together
// would no longer fit one upload message.
enum class StepRefusal { none, noAction, tooLong, tooLargeToUpload };

class EditorState {
public:
    explicit EditorState(const Catalogue& catalogue);

    // The model every choice drives; null until the program has one. Page 0's grids select the
    // face options it already wears.
    void attachModel(AvatarModel* model);
    [[nodiscard]] AvatarModel* model() const { return model_; }

    // --- What the pages offer ---
    // Face layer 1 (list 0) or 2 (list 1): the offered options in catalogue order.
    [[nodiscard]] const std::vector<const LayerOption*>& faceOptions(int list) const;
    // Pages 1 to 5: the offered items of the page's categories; page 6: nothing (see bodyParts).
    [[nodiscard]] const std::vector<const Item*>& pageItems(int page) const;
    [[nodiscard]] const std::vector<const BodyPart*>& bodyParts() const { return bodyParts_; }
    [[nodiscard]] const std::vector<Action>& actions() const { return catalogue_.actions(); }
    [[nodiscard]] const Catalogue& catalogue() const { return catalogue_; }

    // --- Pages and tabs ---
    [[nodiscard]] int page() const { return page_; }
    // The page after `page`: the outfit skips pages 3 to 5; after the last comes the first.
    [[nodiscard]] int nextPage(int page) const;
    // Shows the page and marks it reached.
    void showPage(int page);
    // Tab k (0 to 8, for controls 401 + k) is shown once its page was reached, except the
    // tabs of pages 3 to 5 while the outfit is worn and the upload page's tab, never shown.
    [[nodiscard]] bool tabShown(int tab) const;
    // Left edge relative to the first tab; later tabs close up while the outfit hides three.
    [[nodiscard]] int tabOffset(int tab) const;
    [[nodiscard]] bool outfit() const { return choices_.outfit; }

    // --- Dressing ---
    void chooseFaceOption(int list, int index);
    [[nodiscard]] int faceSelection(int list) const { return choices_.faceSelection[list & 1]; }
    // A cell of the skin palette, 0 to 43; any other does nothing.
    void chooseSkin(int cell);
    [[nodiscard]] std::int32_t skin() const { return choices_.skin; }
    // An entry of the current page's grid (pages 1 to 6).
    void chooseEntry(int index);
    [[nodiscard]] const PageChoice& pageChoice(int page) const;
    // A cell of the colour palette for the current page's chosen item; false when nothing
    // changed (no choice, an item that cannot be recoloured, a cell outside 0 to 45).
    bool chooseColour(int cell);
    // Clears the current page's choice.
    void reset();
    // The next direction, 7 wrapping to 0.
    void turn();
    [[nodiscard]] int direction() const { return direction_; }

    // --- The action script ---
    // Selects an action of the list and plays it once; -1 selects none.
    void selectAction(int index);
    [[nodiscard]] int selectedAction() const { return selectedAction_; }
    [[nodiscard]] StepRefusal addStep(std::u16string caption);
    // Selects a step, shows its caption and plays its action.
    void selectStep(int index);
    [[nodiscard]] int selectedStep() const { return selectedStep_; }
    // Swaps the selected step with its neighbour above (-1) or below (+1).
    void moveStep(int delta);
    void deleteStep();
    [[nodiscard]] const std::vector<ScriptStep>& script() const { return choices_.script; }
    // The frames the script plays.
    [[nodiscard]] int scriptLength() const;
    // The captions of every step, each followed by a carriage return.
    [[nodiscard]] std::u16string scriptCaptions() const;
    // Plays the script from its first step; nothing for an empty script.
    void play();
    [[nodiscard]] bool playing() const { return playing_; }
    // The model finished an action (the end-of-action message): during playback the next step
    // is selected and starts after a pause; after a single action the figure stands again.
    void actionEnded(std::uint16_t actionId, Tick now);
    // Starts a step whose pause is over; called as the window's time moves on.
    void update(Tick now);
    // When update next has a step to start: never unless a pause runs.
    [[nodiscard]] DueIn nextStepDue(Tick now) const;
    void stopPlaying();

    // --- Starting over ---
    // Forgets every choice and the script, shows page 0 and drives the new model, which wears
    // the default face (defaultFaceOption) as chosen on page 0.
    void startOver(AvatarModel* fresh);

    // Starts over with `fresh` and puts on what a stored avatar wears, as the pages would have
    // chosen it, the face included (no default face is added); identifiers the catalogue does
    // not offer, and script steps past the length limit, are left out and counted.
    [[nodiscard]] LeftOut loadStored(AvatarModel* fresh, const AvatarFields& stored);
    // Dresses the figure being edited as `look` is dressed, as one step of undo, keeping the
    // page shown and the tabs reached. Undo gives back the dress and the script; the direction,
    // which no undo step holds, stays as `look` turned it.
    [[nodiscard]] LeftOut applyLook(const AvatarFields& look, LookTakes takes);
    // Dresses the whole figure at random (page -1), keeping its direction and script, or
    // dresses anew what page 0 to 6 chooses and leaves the rest; one step of undo. False, with
    // nothing changed, for the script and upload pages.
    bool dressAtRandom(const RandomAvatar& dresser, RandomSource& random, int page, bool freeOnly);
    // What an upload carries of the avatar. An outfit is sent as itself, not as its pieces.
    [[nodiscard]] AvatarFields uploadFields() const;
    // Whether an upload with this script still fits one message, whatever the upload page's
    // texts hold within their limits.
    [[nodiscard]] static bool fitsUpload(const std::vector<ScriptStep>& script);

    // The outfit's price as shown on every page.
    [[nodiscard]] long long price() const;

    // --- Undo ---
    bool undo();
    bool redo();
    [[nodiscard]] std::size_t undoDepth() const { return undo_.size(); }
    [[nodiscard]] std::size_t redoDepth() const { return redo_.size(); }
    [[nodiscard]] EditorChoices currentChoices() const;

private:
    // Forgets every choice, the script and the history, and drives `fresh` from page 0.
    void forgetAll(AvatarModel* fresh);
    // Takes both face options off the model and out of page 0's grids.
    void takeOffFace();
    // Keeps the choices as they are before a change, for undo.
    void remember();
    void restore(const EditorChoices& choices);
    // The model plays its standing action again in the current direction, looping.
    void standIdle();
    // Plays an action once; its end comes back through actionEnded.
    void playOnce(std::uint16_t actionId);
    void say(const std::u16string& caption);
    void startStep(int index);
    void wearPage(int page);
    // Chooses on every page what `look` wears (the script too, with `takes` everything) and
    // dresses the model in it; the choices start empty.
    [[nodiscard]] LeftOut chooseLook(const AvatarFields& look, LookTakes takes);
    // What page 3, 4 or 5 has chosen as an item pair, shown or hidden under an outfit.
    [[nodiscard]] ItemPair pagePair(int page) const;
    // Dresses the model from nothing in what pages 1 to 5 have chosen. While an outfit is
    // chosen, the hidden choices of pages 3 to 5 stay off: the outfit covers those slots.
    void wearChoices();

    const Catalogue& catalogue_;
    AvatarModel* model_ = nullptr;
    std::array<std::vector<const LayerOption*>, 2> faceOptions_;
    std::array<std::vector<const Item*>, 7> pageItems_;
    std::vector<const BodyPart*> bodyParts_;

    EditorChoices choices_;
    int page_ = 0;
    std::array<bool, kPageCount> reached_{};
    int direction_ = 0;
    int selectedAction_ = -1;
    int selectedStep_ = -1;
    bool playing_ = false;
    std::uint16_t awaitedAction_ = 0;  // the action whose end we wait for, 0 for none
    std::optional<Tick> stepDue_;      // when the selected step starts during playback

    std::deque<EditorChoices> undo_, redo_;
};

}  // namespace likenex
