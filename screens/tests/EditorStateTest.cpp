// The editor's choices over a small catalogue of its own: what each page offers, navigation
// and tabs with and without an outfit, dressing and recolouring, reset and turn, the action
// script's limits, order and playback, the price, starting over, and undo and redo.
#include "screens/EditorState.h"

#include "catalogue/AvatarArchive.h"
#include "screens/tests/SmallCatalogue.h"
#include "test_support/RecordingRenderer.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

using testing::RecordingRenderer;
using namespace small_catalogue;

class EditorStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        ASSERT_TRUE(readSmallCatalogue(catalogue_));
        model_ = makeModel();
        state_ = std::make_unique<EditorState>(catalogue_);
        state_->attachModel(model_.get());
    }
    void TearDown() override {
        state_.reset();
        model_.reset();
        RecordingRenderer::uninstall();
    }
    std::unique_ptr<AvatarModel> makeModel() {
        auto model = std::make_unique<AvatarModel>(AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, &events_,
                                                                    nullptr, nullptr, &RecordingRenderer::painter()});
        model->setRecord(std::make_shared<AvatarRecord>());
        model->loadFromRecord(true);
        return model;
    }
    // Index of an entry on a page's grid.
    int entry(int page, std::uint16_t id) const {
        const auto& items = state_->pageItems(page);
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i]->identifier == id) return static_cast<int>(i);
        return -1;
    }
    void choose(int page, std::uint16_t id) {
        state_->showPage(page);
        state_->chooseEntry(entry(page, id));
    }
    int actionIndex(std::uint16_t id) const {
        for (std::size_t i = 0; i < state_->actions().size(); ++i)
            if (state_->actions()[i].identifier == id) return static_cast<int>(i);
        return -1;
    }
    void addStep(std::uint16_t id, std::u16string caption = u"") {
        state_->selectAction(actionIndex(id));
        ASSERT_EQ(state_->addStep(std::move(caption)), StepRefusal::none);
    }
    const ItemSlot& slot(int s) const { return model_->look().items[static_cast<std::size_t>(s)]; }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    SpriteCache cache_;
    FakeClock clock_;
    FakeEvents events_;
    std::unique_ptr<AvatarModel> model_;
    std::unique_ptr<EditorState> state_;
};

TEST_F(EditorStateTest, PagesOfferWhatIsAvailableInTheirCategories) {
    ASSERT_EQ(state_->faceOptions(0).size(), 2u);  // the withdrawn option 12 is left out
    EXPECT_EQ(state_->faceOptions(0)[1]->optionNumber, 13);
    ASSERT_EQ(state_->faceOptions(1).size(), 1u);
    auto ids = [&](int page) {
        std::vector<int> out;
        for (const Item* i : state_->pageItems(page)) out.push_back(i->identifier);
        return out;
    };
    EXPECT_EQ(ids(1), (std::vector<int>{101, 111}));
    EXPECT_EQ(ids(2), (std::vector<int>{701, 703}));  // withdrawn outfit pieces are not offered
    EXPECT_EQ(ids(4), (std::vector<int>{401, 501}));
    EXPECT_EQ(ids(5), (std::vector<int>{601}));
    EXPECT_TRUE(state_->pageItems(6).empty());
    EXPECT_EQ(state_->bodyParts().size(), 2u);
}

TEST_F(EditorStateTest, NavigationAndTabsFollowTheOutfit) {
    EXPECT_EQ(state_->nextPage(8), 0);
    EXPECT_EQ(state_->nextPage(2), 3);
    for (int p = 0; p <= 7; ++p) state_->showPage(p);
    for (int tab = 0; tab < 8; ++tab) EXPECT_TRUE(state_->tabShown(tab)) << tab;
    EXPECT_FALSE(state_->tabShown(8));  // the upload page's tab stays hidden
    EXPECT_EQ(state_->tabOffset(6), 300);
    EXPECT_EQ(state_->tabOffset(7), 350);

    choose(2, 701);
    EXPECT_TRUE(state_->outfit());
    EXPECT_EQ(state_->nextPage(2), 6);
    for (int tab : {3, 4, 5}) EXPECT_FALSE(state_->tabShown(tab));
    EXPECT_EQ(state_->tabOffset(6), 150);
    EXPECT_EQ(state_->tabOffset(7), 200);

    choose(2, 703);  // a single piece takes the outfit off
    EXPECT_FALSE(state_->outfit());
    EXPECT_EQ(state_->nextPage(2), 3);
    EXPECT_TRUE(state_->tabShown(4));
}

TEST_F(EditorStateTest, ChoicesDressTheModelAndPalettesRecolour) {
    choose(1, 101);
    EXPECT_TRUE(slot(0).occupied);
    EXPECT_EQ(slot(0).item, 101);
    EXPECT_EQ(slot(0).colourId, 3);  // the item's own colour first
    EXPECT_TRUE(state_->chooseColour(45));
    EXPECT_EQ(slot(0).colourId, 45);
    EXPECT_EQ(state_->pageChoice(1).colour, 45);
    EXPECT_FALSE(state_->chooseColour(46));

    choose(1, 111);  // hair frees the hat's slot and cannot be recoloured
    EXPECT_FALSE(slot(0).occupied);
    EXPECT_FALSE(state_->chooseColour(4));
    EXPECT_EQ(slot(1).colourId, -1);

    choose(2, 701);  // the outfit puts on its three pieces
    EXPECT_EQ(slot(6).item, 702);
    EXPECT_EQ(slot(3).item, 402);
    EXPECT_EQ(slot(4).item, 602);

    state_->showPage(0);
    state_->chooseFaceOption(0, 1);
    EXPECT_EQ(slot(kFaceOptionSlot1).item, 13);
    state_->chooseSkin(43);
    EXPECT_EQ(model_->look().skin, 43);
    state_->chooseSkin(44);  // past the palette
    EXPECT_EQ(state_->skin(), 43);

    state_->showPage(kBodyPartPage);
    state_->chooseEntry(0);
    state_->chooseEntry(1);  // one body part at a time
    EXPECT_FALSE(model_->look().bodyParts[8].chosen);
    EXPECT_TRUE(model_->look().bodyParts[9].chosen);
}

TEST_F(EditorStateTest, ResetClearsOnlyThePageShown) {
    choose(1, 101);
    choose(3, 301);
    choose(5, 601);
    state_->showPage(3);
    state_->reset();
    EXPECT_FALSE(slot(2).occupied);
    EXPECT_EQ(slot(0).item, 101);
    EXPECT_EQ(slot(4).item, 601);
    EXPECT_EQ(state_->pageChoice(3).index, -1);

    state_->showPage(0);
    state_->chooseFaceOption(0, 0);
    state_->chooseFaceOption(1, 0);
    state_->reset();
    EXPECT_EQ(state_->faceSelection(0), -1);
    EXPECT_EQ(state_->faceSelection(1), -1);
    EXPECT_EQ(slot(kFaceOptionSlot1).item, 0);
    EXPECT_EQ(slot(kFaceOptionSlot2).item, 0);
}

TEST_F(EditorStateTest, LeavingAnOutfitGivesBackWhatPagesThreeToFiveShow) {
    // Nothing chosen on pages 3 to 5: a single top after the outfit leaves none of its pieces.
    choose(2, 701);
    choose(2, 703);
    EXPECT_FALSE(state_->outfit());
    for (int s : {2, 3, 4, 5}) EXPECT_FALSE(slot(s).occupied) << s;
    EXPECT_EQ(state_->price(), 70) << "the outfit's trousers and shoes are not charged";
    AvatarFields fields = state_->uploadFields();
    EXPECT_EQ(fields.items[1], (ItemPair{703, 9}));
    for (std::size_t pair : {2u, 3u, 4u}) EXPECT_EQ(fields.items[pair], ItemPair{}) << pair;

    // The pages' own choices come back, in their colours.
    choose(3, 301);
    choose(4, 401);
    ASSERT_TRUE(state_->chooseColour(12));
    choose(5, 601);
    choose(2, 701);
    EXPECT_EQ(slot(3).item, 402);
    choose(2, 703);
    EXPECT_EQ(slot(2).item, 301);
    EXPECT_EQ(std::pair(slot(3).item, slot(3).colourId), std::pair(401, 12));
    EXPECT_EQ(slot(4).item, 601);
    EXPECT_FALSE(slot(5).occupied);
    EXPECT_EQ(slot(6).item, 703);
    EXPECT_EQ(state_->price(), 30 + 40 + 60 + 70);
    fields = state_->uploadFields();
    EXPECT_EQ(fields.items[2], (ItemPair{301, 5}));
    EXPECT_EQ(fields.items[3], (ItemPair{401, 12}));
    EXPECT_EQ(fields.items[4], (ItemPair{601, 8}));
}

TEST_F(EditorStateTest, ResetUnderAnOutfitLeavesTheHiddenPagesOff) {
    choose(3, 301);
    choose(4, 501);
    choose(5, 601);
    choose(2, 701);
    choose(1, 101);
    state_->reset();
    EXPECT_TRUE(state_->outfit());
    EXPECT_FALSE(slot(0).occupied);
    EXPECT_FALSE(slot(2).occupied);
    EXPECT_FALSE(slot(5).occupied);
    EXPECT_EQ(slot(6).item, 702);
    EXPECT_EQ(slot(3).item, 402);
    EXPECT_EQ(slot(4).item, 602);
    EXPECT_EQ(state_->price(), 200);
    const AvatarFields fields = state_->uploadFields();
    EXPECT_EQ(fields.items[1].item, 701);
    EXPECT_EQ(fields.items[2], ItemPair{});

    // Without the outfit the hidden choices are what the figure wears again.
    state_->showPage(2);
    state_->reset();
    EXPECT_EQ(slot(2).item, 301);
    EXPECT_EQ(slot(5).item, 501);
    EXPECT_EQ(slot(4).item, 601);
    EXPECT_FALSE(slot(3).occupied);
    EXPECT_FALSE(slot(6).occupied);
}

TEST_F(EditorStateTest, StepsAreRefusedOnceTheirWordsWouldNotFitAnUpload) {
    // An upload is 132 bytes, 10 + 2 per character for each step, the three texts with their
    // terminators (at most 20, 100 and 36 characters) and 49 more; one message holds 4096.
    const std::size_t room = (4096 - 132 - 49 - 2 * (21 + 101 + 37) - 10) / 2;
    state_->selectAction(actionIndex(2003));
    EXPECT_EQ(state_->addStep(std::u16string(room + 1, u'w')), StepRefusal::tooLargeToUpload);
    EXPECT_TRUE(state_->script().empty());
    EXPECT_EQ(state_->selectedAction(), actionIndex(2003)) << "the choice stays for a shorter caption";
    ASSERT_EQ(state_->addStep(std::u16string(room, u'w')), StepRefusal::none);
    state_->selectAction(actionIndex(2003));
    EXPECT_EQ(state_->addStep(u""), StepRefusal::tooLargeToUpload) << "every step takes 10 bytes";
    EXPECT_EQ(state_->script().size(), 1u);

    // A stored avatar's script is cut where it would no longer fit.
    AvatarFields stored;
    const std::size_t half = room / 2 - 10;
    stored.script = {
        {2003, std::u16string(half, u'a')}, {2003, std::u16string(half, u'b')}, {2003, std::u16string(20, u'c')}};
    auto fresh = makeModel();
    EXPECT_EQ(state_->loadStored(fresh.get(), stored).scriptSteps, 1);
    model_.swap(fresh);
    ASSERT_EQ(state_->script().size(), 2u);
    EXPECT_TRUE(EditorState::fitsUpload(state_->script()));
}

TEST_F(EditorStateTest, TurnStepsThroughTheEightDirections) {
    for (int expected : {1, 2, 3, 4, 5, 6, 7, 0}) {
        state_->turn();
        EXPECT_EQ(state_->direction(), expected);
        EXPECT_EQ(model_->direction(), expected);
    }
}

TEST_F(EditorStateTest, ScriptRefusesWhatWouldPassOneHundredTwentyFrames) {
    EXPECT_EQ(state_->addStep(u"nothing chosen"), StepRefusal::noAction);
    for (int i = 0; i < 23; ++i) addStep(2001);
    EXPECT_EQ(state_->scriptLength(), 115);
    state_->selectAction(actionIndex(2002));
    EXPECT_EQ(state_->addStep(u"six frames"), StepRefusal::tooLong);
    EXPECT_EQ(state_->script().size(), 23u);
    addStep(2001, u"five frames");
    EXPECT_EQ(state_->scriptLength(), 120);
    EXPECT_EQ(state_->selectedStep(), 23);
    EXPECT_EQ(state_->selectedAction(), -1);
}

TEST_F(EditorStateTest, StepsMoveAndDelete) {
    addStep(2001, u"a");
    addStep(2002, u"b");
    addStep(2003, u"c");
    EXPECT_EQ(state_->scriptCaptions(), u"a\rb\rc\r");
    state_->selectStep(2);
    state_->moveStep(-1);
    EXPECT_EQ(state_->selectedStep(), 1);
    EXPECT_EQ(state_->scriptCaptions(), u"a\rc\rb\r");
    state_->moveStep(-1);
    state_->moveStep(-1);  // already first
    EXPECT_EQ(state_->selectedStep(), 0);
    EXPECT_EQ(state_->scriptCaptions(), u"c\ra\rb\r");
    state_->deleteStep();
    EXPECT_EQ(state_->selectedStep(), 0);
    state_->deleteStep();
    state_->deleteStep();
    EXPECT_TRUE(state_->script().empty());
    EXPECT_EQ(state_->selectedStep(), -1);
}

TEST_F(EditorStateTest, PlaybackWalksTheStepsWithPauses) {
    addStep(2001, u"one");
    addStep(2003, u"two");
    state_->play();
    EXPECT_TRUE(state_->playing());
    EXPECT_EQ(state_->selectedStep(), 0);
    EXPECT_EQ(model_->action()->identifier, 2001);
    EXPECT_EQ(model_->bubbleLine(0), u"one");

    state_->actionEnded(kStandingAction, 5000);  // an idle loop's pass is no step's end
    EXPECT_EQ(state_->selectedStep(), 0);
    state_->actionEnded(2001, 5000);
    EXPECT_EQ(state_->selectedStep(), 1);
    state_->update(5499);
    EXPECT_EQ(model_->action()->identifier, 2001);
    state_->update(5500);
    EXPECT_EQ(model_->action()->identifier, 2003);
    EXPECT_EQ(model_->bubbleLine(0), u"two");

    state_->actionEnded(2003, 6000);
    EXPECT_FALSE(state_->playing());
    EXPECT_EQ(state_->selectedStep(), 0);
    EXPECT_EQ(model_->action()->identifier, kStandingAction);
    EXPECT_TRUE(model_->running());
}

TEST_F(EditorStateTest, PriceCountsAnOutfitInsteadOfItsPieces) {
    state_->showPage(0);
    state_->chooseFaceOption(0, 0);  // 5
    state_->chooseFaceOption(1, 0);  // 7
    choose(1, 101);                  // 10
    choose(3, 301);                  // 30
    choose(4, 401);                  // 40
    state_->showPage(kBodyPartPage);
    state_->chooseEntry(0);  // 15
    addStep(2001);           // 2
    EXPECT_EQ(state_->price(), 5 + 7 + 10 + 30 + 40 + 15 + 2);
    choose(2, 701);  // the outfit replaces top and trousers
    EXPECT_EQ(state_->price(), 5 + 7 + 10 + 200 + 15 + 2);
}

TEST_F(EditorStateTest, UndoAndRedoRestoreTheExactModelState) {
    std::vector<EditorChoices> seen{state_->currentChoices()};
    auto looks = [&] { seen.push_back(state_->currentChoices()); };
    choose(1, 101), looks();
    choose(3, 301), looks();
    choose(4, 501), looks();
    choose(2, 701), looks();  // over the single pieces
    state_->showPage(0);
    state_->chooseSkin(12), looks();
    addStep(2001, u"hi"), looks();
    choose(2, 703), looks();

    auto same = [](const EditorChoices& a, const EditorChoices& b) {
        return a.outfit == b.outfit && a.skin == b.skin && a.faceSelection == b.faceSelection && a.pages == b.pages &&
               a.script == b.script && a.modelSkin == b.modelSkin &&
               std::equal(a.items.begin(), a.items.end(), b.items.begin(), [](const ItemSlot& x, const ItemSlot& y) {
                   return x.occupied == y.occupied && (!x.occupied || (x.item == y.item && x.colourId == y.colourId));
               });
    };
    for (std::size_t i = seen.size() - 1; i > 0; --i) {
        ASSERT_TRUE(state_->undo());
        EXPECT_TRUE(same(state_->currentChoices(), seen[i - 1])) << "undo to " << i - 1;
    }
    EXPECT_FALSE(state_->undo());
    for (std::size_t i = 1; i < seen.size(); ++i) {
        ASSERT_TRUE(state_->redo());
        EXPECT_TRUE(same(state_->currentChoices(), seen[i])) << "redo to " << i;
    }
    EXPECT_FALSE(state_->redo());

    // A new choice after an undo drops what could have been redone.
    ASSERT_TRUE(state_->undo());
    choose(1, 111);
    EXPECT_EQ(state_->redoDepth(), 0u);
}

TEST_F(EditorStateTest, HistoryKeepsAtLeastOneHundredSteps) {
    state_->showPage(0);
    for (int i = 0; i < 150; ++i) state_->chooseSkin(i % kSkinCells);
    for (int i = 0; i < 150; ++i) ASSERT_TRUE(state_->undo()) << i;
    EXPECT_EQ(model_->look().skin, kDefaultSkin);
}

TEST_F(EditorStateTest, AStoredAvatarComesBackAsItWasUploaded) {
    state_->showPage(0);
    state_->chooseFaceOption(0, 1);
    state_->chooseSkin(20);
    choose(1, 101);
    ASSERT_TRUE(state_->chooseColour(40));
    choose(2, 701);
    state_->showPage(kBodyPartPage);
    state_->chooseEntry(1);
    addStep(2002, u"bonjour");
    addStep(2003);
    state_->turn();
    state_->turn();
    const AvatarFields sent = state_->uploadFields();
    EXPECT_EQ(sent.items[0], (ItemPair{101, 40}));
    EXPECT_EQ(sent.items[1].item, 701) << "the outfit itself, not its first piece";
    EXPECT_EQ(sent.items[2], ItemPair{});
    EXPECT_EQ(sent.items[4], ItemPair{}) << "the outfit's shoes are its own";
    EXPECT_EQ(sent.faceOption1, 13);
    EXPECT_EQ(sent.faceOption2, 0);
    EXPECT_EQ(sent.bodyPart, 9);
    EXPECT_EQ(sent.direction, 2);
    const AvatarLook before = model_->look();
    const std::vector<ScriptStep> script = state_->script();

    auto fresh = makeModel();
    EXPECT_FALSE(state_->loadStored(fresh.get(), sent).any());
    model_.swap(fresh);
    EXPECT_EQ(state_->page(), 0);
    EXPECT_EQ(state_->direction(), 2);
    EXPECT_EQ(model_->direction(), 2);
    EXPECT_TRUE(state_->outfit());
    EXPECT_EQ(state_->faceSelection(0), 1);
    EXPECT_EQ(state_->faceSelection(1), -1);
    EXPECT_EQ(state_->skin(), 20);
    EXPECT_EQ(state_->pageChoice(1).colour, 40);
    EXPECT_EQ(state_->pageChoice(kBodyPartPage).identifier, 9);
    EXPECT_EQ(state_->script(), script);
    for (int slot = 0; slot < kItemSlotCount; ++slot) {
        const ItemSlot &a = before.items[static_cast<std::size_t>(slot)],
                       &b = model_->look().items[static_cast<std::size_t>(slot)];
        EXPECT_EQ(a.occupied, b.occupied) << slot;
        if (a.occupied) EXPECT_EQ(std::pair(a.item, a.colourId), std::pair(b.item, b.colourId)) << slot;
    }
    EXPECT_EQ(model_->look().skin, 20);
    EXPECT_EQ(state_->uploadFields(), sent);
}

TEST_F(EditorStateTest, AStoredAvatarSkipsWhatTheCatalogueDoesNotOffer) {
    AvatarFields stored;
    stored.direction = 9;
    stored.faceOption1 = 12;  // withdrawn
    stored.skin = 200;
    stored.items[0] = {999, 3};
    stored.items[2] = {301, 255};
    stored.bodyPart = 77;
    for (int i = 0; i < 30; ++i) stored.script.push_back({2001, u"x"});  // 150 frames
    stored.script.insert(stored.script.begin(), {4242, u"unknown"});
    auto fresh = makeModel();
    // 24 of the 30 known steps fill the 120 frames: the other 6 and the unknown one are left out.
    EXPECT_EQ(state_->loadStored(fresh.get(), stored),
              (LeftOut{.items = 1, .faceOptions = 1, .bodyParts = 1, .scriptSteps = 7}));
    model_.swap(fresh);
    EXPECT_EQ(state_->direction(), 0);
    EXPECT_EQ(state_->faceSelection(0), -1);
    EXPECT_EQ(state_->skin(), -1);
    EXPECT_EQ(state_->pageChoice(1).index, -1);
    EXPECT_EQ(state_->pageChoice(3).identifier, 301);
    EXPECT_EQ(model_->look().items[2].colourId, -1);
    EXPECT_EQ(state_->pageChoice(kBodyPartPage).index, -1);
    EXPECT_EQ(state_->scriptLength(), 120);
}

TEST_F(EditorStateTest, StartingOverForgetsEverything) {
    for (int p = 0; p <= 7; ++p) state_->showPage(p);
    choose(2, 701);
    addStep(2001, u"x");
    state_->turn();
    auto fresh = makeModel();
    state_->startOver(fresh.get());
    EXPECT_EQ(state_->model(), fresh.get());
    EXPECT_EQ(state_->page(), 0);
    EXPECT_TRUE(state_->tabShown(0));
    for (int tab = 1; tab < 9; ++tab) EXPECT_FALSE(state_->tabShown(tab));
    EXPECT_FALSE(state_->outfit());
    EXPECT_TRUE(state_->script().empty());
    EXPECT_EQ(state_->direction(), 0);
    EXPECT_EQ(state_->skin(), -1);
    EXPECT_EQ(state_->pageChoice(2).index, -1);
    EXPECT_FALSE(state_->undo());
    // A new avatar wears the free offered eyes, chosen on page 0 and free of charge; the only
    // mouth costs something, so it has none. Reset takes the face off like any choice.
    EXPECT_EQ(state_->faceSelection(0), 1);
    EXPECT_EQ(state_->faceSelection(1), -1);
    EXPECT_EQ(fresh->look().items[kFaceOptionSlot1].item, 13);
    EXPECT_FALSE(fresh->look().items[kFaceOptionSlot2].occupied);
    EXPECT_EQ(state_->price(), 0);
    EXPECT_EQ(state_->uploadFields().faceOption1, 13);
    state_->reset();
    EXPECT_EQ(state_->faceSelection(0), -1);
    EXPECT_EQ(state_->uploadFields().faceOption1, 0);
    state_->attachModel(model_.get());
}

TEST(DefaultFace, IsTheFirstFreeOfferedOptionOfItsList) {
    const std::vector<LayerOption> options = {option(1, 30, 0, 0), option(1, 31, 1, 5), option(2, 40, 4, 0),
                                              option(1, 32, 3, 0), option(2, 41, 2, 0), option(1, 33, 1, 0)};
    ASSERT_TRUE(defaultFaceOption(options, 1));
    EXPECT_EQ(defaultFaceOption(options, 1)->optionNumber, 32) << "withdrawn and priced options are passed over";
    ASSERT_TRUE(defaultFaceOption(options, 2));
    EXPECT_EQ(defaultFaceOption(options, 2)->optionNumber, 41) << "availability 4 is not offered";
    const std::vector<LayerOption> noneFree = {option(1, 31, 1, 5), option(1, 30, 0, 0), option(2, 32, 1, 0)};
    EXPECT_EQ(defaultFaceOption(noneFree, 1), nullptr);
    EXPECT_EQ(defaultFaceOption({}, 2), nullptr);
}

TEST_F(EditorStateTest, OnlyANewAvatarGetsTheDefaultFace) {
    // The program's new models come wearing the default face; the editor sees it chosen.
    auto wearingDefault = [&] {
        auto model = makeModel();
        model->setFaceOption(kFaceOptionSlot1, 13);
        return model;
    };
    auto fresh = wearingDefault();
    state_->attachModel(fresh.get());
    EXPECT_EQ(state_->faceSelection(0), 1);

    // An avatar stored without a face stays without one, and keeps its own face if it has one.
    AvatarFields faceless;
    auto stored = wearingDefault();
    EXPECT_FALSE(state_->loadStored(stored.get(), faceless).any());
    EXPECT_EQ(state_->faceSelection(0), -1);
    EXPECT_EQ(stored->look().items[kFaceOptionSlot1].item, 0);
    EXPECT_EQ(state_->uploadFields().faceOption1, 0);
    AvatarFields ownFace;
    ownFace.faceOption1 = 11;
    auto storedWithFace = wearingDefault();
    (void)state_->loadStored(storedWithFace.get(), ownFace);
    EXPECT_EQ(state_->uploadFields().faceOption1, 11);

    // A code worn over a new avatar says the whole face too.
    auto another = makeModel();
    state_->startOver(another.get());
    ASSERT_EQ(state_->uploadFields().faceOption1, 13);
    (void)state_->applyLook(faceless, LookTakes::everything);
    EXPECT_EQ(state_->faceSelection(0), -1);
    EXPECT_EQ(state_->uploadFields().faceOption1, 0);
    state_->attachModel(model_.get());
}

// ---- Looks worn over the figure being edited: a pasted code, random dressing ----------

// Whether two moments of the state dress the figure alike, seen as an upload sees it, with the
// direction, which undo does not hold, left aside.
bool sameDress(AvatarFields a, AvatarFields b) {
    a.direction = b.direction = 0;
    return a == b;
}

TEST_F(EditorStateTest, ALookIsOneUndoStepAndKeepsThePageAndTabs) {
    for (int p = 0; p <= 4; ++p) state_->showPage(p);
    choose(1, 101);
    choose(4, 501);
    addStep(2001, u"before");
    state_->showPage(4);
    const AvatarFields before = state_->uploadFields();
    const std::size_t depth = state_->undoDepth();

    AvatarFields look;
    look.direction = 5;
    look.faceOption2 = 21;
    look.skin = 30;
    look.items[0] = {111, 255};
    look.items[2] = {301, 12};
    look.bodyPart = 8;
    look.script = {{2002, u"after"}, {2003, u""}};
    EXPECT_FALSE(state_->applyLook(look, LookTakes::everything).any());
    EXPECT_EQ(state_->undoDepth(), depth + 1);
    EXPECT_EQ(state_->page(), 4) << "the page shown stays";
    EXPECT_TRUE(state_->tabShown(3));
    EXPECT_FALSE(state_->tabShown(5)) << "no tab is reached by a look";
    EXPECT_EQ(state_->pageChoice(4).index, -1) << "what the look does not wear comes off";
    EXPECT_FALSE(slot(5).occupied);
    EXPECT_EQ(state_->faceSelection(1), 0);
    EXPECT_EQ(state_->pageChoice(3).colour, 12);
    EXPECT_EQ(state_->direction(), 5);
    EXPECT_EQ(model_->direction(), 5);
    EXPECT_EQ(state_->uploadFields(), look);

    ASSERT_TRUE(state_->undo());
    EXPECT_TRUE(sameDress(state_->uploadFields(), before));
    EXPECT_EQ(state_->script().front().caption, u"before");
    ASSERT_TRUE(state_->redo());
    EXPECT_TRUE(sameDress(state_->uploadFields(), look));
}

TEST_F(EditorStateTest, ALookWithoutItsScriptTakesOffWhatItDoesNotWear) {
    state_->showPage(0);
    state_->chooseFaceOption(0, 0);
    state_->chooseSkin(9);
    choose(2, 701);
    state_->showPage(kBodyPartPage);
    state_->chooseEntry(1);
    addStep(2003, u"kept");
    state_->turn();

    AvatarFields look;
    look.direction = 6;
    look.items[4] = {601, 7};
    look.script = {{2001, u"not taken"}};
    EXPECT_FALSE(state_->applyLook(look, LookTakes::dressOnly).any());
    EXPECT_EQ(state_->direction(), 1);
    ASSERT_EQ(state_->script().size(), 1u);
    EXPECT_EQ(state_->script()[0].caption, u"kept");
    EXPECT_FALSE(state_->outfit());
    EXPECT_FALSE(slot(6).occupied) << "the outfit's pieces come off with it";
    EXPECT_EQ(slot(4).item, 601);
    EXPECT_EQ(state_->uploadFields().faceOption1, 0);
    EXPECT_EQ(state_->faceSelection(0), -1);
    EXPECT_EQ(model_->look().skin, kDefaultSkin);
    EXPECT_EQ(state_->pageChoice(kBodyPartPage).index, -1);
    EXPECT_EQ(state_->price(), 60) << "the shoes alone";
}

TEST_F(EditorStateTest, ALookCountsWhatItLeftOut) {
    AvatarFields look;
    look.faceOption1 = 21;  // an option of the other list
    look.items[1] = {301, 4};  // a top is not offered on the outfit page
    look.items[3] = {402, 2};  // a withdrawn piece
    look.bodyPart = 3;
    look.script = {{9999, u""}, {2003, u"ok"}, {0, u""}};
    EXPECT_EQ(state_->applyLook(look, LookTakes::everything),
              (LeftOut{.items = 2, .faceOptions = 1, .bodyParts = 1, .scriptSteps = 2}));
    ASSERT_EQ(state_->script().size(), 1u);
    EXPECT_EQ(state_->script()[0].action, 2003);
    EXPECT_EQ(state_->applyLook(look, LookTakes::dressOnly).scriptSteps, 0) << "a script not taken is not counted";
}

class RandomDressingTest : public EditorStateTest {
protected:
    void SetUp() override {
        EditorStateTest::SetUp();
        dresser_.emplace(catalogue_, tables_.colour);  // over the catalogue read
    }
    std::optional<RandomAvatar> dresser_;
};

TEST_F(RandomDressingTest, TheWholeFigureKeepsItsDirectionAndScriptAsOneStep) {
    addStep(2001, u"stays");
    state_->turn();
    state_->turn();
    const AvatarFields before = state_->uploadFields();
    bool changed = false;
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        RandomSource random(seed);
        const std::size_t depth = state_->undoDepth();
        ASSERT_TRUE(state_->dressAtRandom(*dresser_, random, -1, false));
        EXPECT_EQ(state_->undoDepth(), depth + 1);
        const AvatarFields after = state_->uploadFields();
        EXPECT_EQ(after.direction, 2);
        EXPECT_EQ(after.script, before.script);
        changed = changed || !sameDress(after, before);
        ASSERT_TRUE(state_->undo());
        EXPECT_TRUE(sameDress(state_->uploadFields(), before)) << seed;
    }
    EXPECT_TRUE(changed);
}

TEST_F(RandomDressingTest, OnePageChangesOnlyWhatThatPageChooses) {
    choose(1, 101);
    choose(3, 301);
    choose(5, 601);
    state_->showPage(kBodyPartPage);
    state_->chooseEntry(0);
    for (int page : {0, 1, 3, 5, 6}) {
        state_->showPage(page);
        for (std::uint64_t seed = 1; seed <= 10; ++seed) {
            const AvatarFields before = state_->uploadFields();
            RandomSource random(seed * 31 + static_cast<std::uint64_t>(page));
            ASSERT_TRUE(state_->dressAtRandom(*dresser_, random, page, false));
            AvatarFields after = state_->uploadFields();
            // Put back what the page may change: the rest must be as it was.
            if (page == 0) {
                after.faceOption1 = before.faceOption1;
                after.faceOption2 = before.faceOption2;
                after.skin = before.skin;
            } else if (page == kBodyPartPage) {
                after.bodyPart = before.bodyPart;
            } else {
                after.items[static_cast<std::size_t>(page - 1)] = before.items[static_cast<std::size_t>(page - 1)];
            }
            EXPECT_EQ(after, before) << "page " << page << ", seed " << seed;
        }
    }
    const std::size_t depth = state_->undoDepth();
    RandomSource random(7);
    for (int page : {kScriptPage, kUploadPage}) {
        state_->showPage(page);
        EXPECT_FALSE(state_->dressAtRandom(*dresser_, random, page, false));
    }
    EXPECT_EQ(state_->undoDepth(), depth);
}

TEST_F(RandomDressingTest, ARandomPieceInPlaceOfAnOutfitGivesBackTheHiddenPages) {
    choose(3, 301);
    choose(4, 401);
    choose(2, 701);
    ASSERT_TRUE(state_->outfit());
    bool sawPiece = false;
    for (std::uint64_t seed = 1; seed <= 40 && !sawPiece; ++seed) {
        RandomSource random(seed);
        ASSERT_TRUE(state_->dressAtRandom(*dresser_, random, kOutfitPage, false));
        if (state_->outfit()) continue;
        sawPiece = true;
        EXPECT_EQ(state_->pageChoice(kOutfitPage).identifier, 703);
        EXPECT_EQ(slot(2).item, 301) << "the top hidden under the outfit is worn again";
        EXPECT_EQ(slot(3).item, 401);
    }
    EXPECT_TRUE(sawPiece);
}

}  // namespace
}  // namespace likenex
