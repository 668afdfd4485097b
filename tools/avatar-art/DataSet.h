#pragma once
// The default data set as the content files describe it, and the making of its files.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/AvatarArchive.h"
#include "catalogue/CatalogueRecords.h"
#include "tools/avatar-art/Art.h"

namespace likenex::art {

struct HeadPose {
    int n = 0;
    HeadFace face = HeadFace::options;
    Posture posture;
};
struct TorsoPose {
    int n = 0;
    Posture posture;
};
struct SidePose {
    int n = 0;
    std::string prop;
    int phase = 0;
};
struct FacePicture {
    int layer = 0, number = 0, price = 0, availability = 1;
    std::string style;
};
struct ItemSource {
    Item record;
    std::string shape, kind;  // shape: hat, hair, top, trousers, skirt, shoes; empty for outfits
    TopStyle top;
    TrouserStyle trousers;
    SkirtStyle skirt;
};
struct BodyPartSource {
    BodyPart record;
    std::string kind;
};
struct FramePictureSource {
    int number = 0;
    std::string kind;
    int x = 0, y = 0;
};

// Where the frame picture and the effects of a standing frame are drawn; the avatar view
// and the snapshot place the whole frame through these offsets of body layer 0.
inline constexpr int kFrameX = 104;
inline constexpr int kFrameY = 109;

struct DataSet {
    std::map<std::string, HeadPose> heads;
    std::map<std::string, TorsoPose> torsos;
    std::map<std::string, ArmPose> arms;
    std::map<std::string, LegPose> legs;
    std::map<std::string, SidePose> sides;
    std::vector<FacePicture> faces;
    std::vector<ItemSource> items;
    std::vector<BodyPartSource> bodyParts;
    BodyPartSource modePart;
    std::map<std::string, FramePictureSource> framePictures;
    std::vector<Action> actions;

    // The catalogue tables as avatar.dat holds them.
    [[nodiscard]] CatalogueTables catalogue() const;
};

// Reads poses.json and catalogue.json from the content folder; throws std::runtime_error
// naming the file and the entry on any mistake.
[[nodiscard]] DataSet loadDataSet(const std::string& contentDirectory);

// Every picture of the data set, keys ascending, each key once.
[[nodiscard]] std::vector<SpriteSource> drawDataSet(const DataSet& data);

// The body image numbers that actions use on each body layer (0 included where used).
[[nodiscard]] std::array<std::set<int>, kBodyLayerCount> usedImageNumbers(const DataSet& data);

}  // namespace likenex::art
