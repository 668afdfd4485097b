#include <map>
#include <stdexcept>

#include "catalogue/ImageKey.h"
#include "tools/avatar-art/DataSet.h"

namespace likenex::art {

namespace {

constexpr int kDirections = 8;

class Pictures {
public:
    // Draws one picture unless its key is made already (a face option's first picture is
    // also the body picture of its face layer, so such keys meet twice).
    template <typename Draw>
    void add(std::int64_t key, Draw draw) {
        if (sprites_.contains(key)) return;
        canvas_.clear();
        draw(canvas_);
        sprites_.emplace(key, canvas_.resolve(key));
    }
    void addFixed(std::int64_t key, SpriteSource sprite) { sprites_.emplace(key, std::move(sprite)); }
    LabelCanvas& canvas() { return canvas_; }
    [[nodiscard]] std::vector<SpriteSource> take() {
        std::vector<SpriteSource> all;
        all.reserve(sprites_.size());
        for (auto& [key, sprite] : sprites_) all.push_back(std::move(sprite));
        return all;
    }

private:
    LabelCanvas canvas_;
    std::map<std::int64_t, SpriteSource> sprites_;
};

template <typename Pose>
const Pose& byNumber(const std::map<std::string, Pose>& poses, int n, const char* what) {
    for (const auto& [name, pose] : poses)
        if (pose.n == n) return pose;
    throw std::runtime_error(std::string("no ") + what + " pose numbered " + std::to_string(n));
}

int sideOfLayer(int v) { return v % 2 == 0 ? 1 : -1; }  // 4, 6, 8 left; 5, 7, 9 right

// The posture of the figure's picture numbered n on body layer v, which its clothes share.
Posture postureOf(const DataSet& data, int v, int n) {
    if (v == 0) return byNumber(data.heads, n, "head").posture;
    if (v == 3) return byNumber(data.torsos, n, "torso").posture;
    if (v == 4 || v == 5) return byNumber(data.arms, n, "arm").posture;
    if (v == 6 || v == 7) return byNumber(data.legs, n, "leg").posture;
    return {};
}

// Draws with the canvas turned into the posture.
template <typename Draw>
void posed(LabelCanvas& c, const View& view, const Posture& posture, Draw draw) {
    cairo_save(c.path());
    applyPosture(c.path(), view, posture);
    draw();
    cairo_restore(c.path());
}

}  // namespace

std::vector<SpriteSource> drawDataSet(const DataSet& data) {
    Pictures pictures;
    const auto used = usedImageNumbers(data);
    auto numbers = [&](int v) {
        std::vector<int> n;
        for (int x : used[static_cast<std::size_t>(v)])
            if (x != 0) n.push_back(x);
        return n;
    };

    // Face options first: their first pictures are also the face layers' body pictures.
    for (const FacePicture& f : data.faces)
        for (int d = 0; d < kDirections; ++d)
            for (int phase = 0; phase < 2; ++phase)
                pictures.add(makeImageKey(f.number, 0, f.layer, d, phase, 0), [&](LabelCanvas& c) {
                    if (f.layer == 1) drawEyes(c, View(d), f.style, phase);
                    else drawMouth(c, View(d), f.style, phase);
                });

    // Body pictures.
    for (int d = 0; d < kDirections; ++d) {
        const View view(d);
        for (int n : numbers(0))
            pictures.add(makeImageKey(n, 0, 0, d, 0, 0), [&](LabelCanvas& c) {
                const HeadPose& head = byNumber(data.heads, n, "head");
                posed(c, view, head.posture, [&] { drawHead(c, view, head.face); });
            });
        for (int v : {1, 2})
            for (int n : numbers(v)) pictures.add(makeImageKey(n, 0, v, d, 0, 0), [](LabelCanvas&) {});
        for (int n : numbers(3))
            pictures.add(makeImageKey(n, 0, 3, d, 0, 0),
                         [&](LabelCanvas& c) { posed(c, view, postureOf(data, 3, n), [&] { drawTorso(c, view); }); });
        for (int v : {4, 5})
            for (int n : numbers(v))
                pictures.add(makeImageKey(n, 0, v, d, 0, 0), [&](LabelCanvas& c) {
                    const ArmPose& arm = byNumber(data.arms, n, "arm");
                    posed(c, view, arm.posture, [&] { drawArm(c, view, sideOfLayer(v), arm); });
                });
        for (int v : {6, 7})
            for (int n : numbers(v))
                pictures.add(makeImageKey(n, 0, v, d, 0, 0), [&](LabelCanvas& c) {
                    const LegPose& leg = byNumber(data.legs, n, "leg");
                    posed(c, view, leg.posture, [&] { drawLeg(c, view, sideOfLayer(v), leg); });
                });
        for (int v : {8, 9})
            for (int n : numbers(v))
                pictures.add(makeImageKey(n, 0, v, d, 0, 0), [&](LabelCanvas& c) {
                    const SidePose& side = byNumber(data.sides, n, "side");
                    // A carried thing sits in the hand of that side's arm pose of the same name.
                    const auto arm = data.arms.find(side.prop);
                    if (arm != data.arms.end()) drawCarried(c, view, sideOfLayer(v), side.prop, arm->second);
                });
    }

    // Items on every body layer they cover, for every image number that layer shows.
    for (const ItemSource& item : data.items) {
        if (item.shape.empty()) continue;  // outfits are worn as their components
        const int id = item.record.identifier, category = item.record.category;
        for (int d = 0; d < kDirections; ++d) {
            const View view(d);
            auto each = [&](int v, auto draw) {
                for (int n : numbers(v))
                    pictures.add(makeImageKey(id, 1, v, d, category, n),
                                 [&](LabelCanvas& c) { posed(c, view, postureOf(data, v, n), [&] { draw(c, n); }); });
            };
            if (item.shape == "hat") each(0, [&](LabelCanvas& c, int) { drawHat(c, view, item.kind); });
            if (item.shape == "hair") each(0, [&](LabelCanvas& c, int) { drawHair(c, view, item.kind); });
            if (item.shape == "top") {
                each(3, [&](LabelCanvas& c, int) { drawTopBody(c, view, item.top); });
                for (int v : {4, 5})
                    each(v, [&](LabelCanvas& c, int n) {
                        drawTopSleeve(c, view, sideOfLayer(v), byNumber(data.arms, n, "arm"), item.top);
                    });
            }
            if (item.shape == "trousers")
                for (int v : {6, 7})
                    each(v, [&](LabelCanvas& c, int n) {
                        drawTrouserLeg(c, view, sideOfLayer(v), byNumber(data.legs, n, "leg"), item.trousers);
                    });
            if (item.shape == "skirt") {
                // The whole skirt hangs from the left leg's layer, drawn over both legs; the
                // right leg's layer holds an empty picture.
                each(6, [&](LabelCanvas& c, int n) {
                    const LegPose& pose = byNumber(data.legs, n, "leg");
                    drawSkirt(c, view, pose, pose, item.skirt);
                });
                each(7, [](LabelCanvas&, int) {});
            }
            if (item.shape == "shoes")
                for (int v : {6, 7})
                    each(v, [&](LabelCanvas& c, int n) {
                        drawShoe(c, view, sideOfLayer(v), byNumber(data.legs, n, "leg"), item.kind);
                    });
        }
    }

    // Body parts on their layer for every image number it shows, their thumbnails, and
    // the picture that mode 1 adds on layer 8.
    auto bodyPart = [&](const BodyPartSource& part, int style) {
        const int v = part.record.bodyLayer;
        for (int d = 0; d < kDirections; ++d)
            for (int n : used[static_cast<std::size_t>(v)])
                pictures.add(makeImageKey(part.record.identifier, 2, v, d, style, n), [&](LabelCanvas& c) {
                    const int phase = n == 0 ? 0 : byNumber(data.sides, n, "side").phase;
                    drawBodyPart(c, View(d), part.kind, sideOfLayer(v), phase);
                });
    };
    for (const BodyPartSource& part : data.bodyParts) {
        bodyPart(part, part.record.style);
        pictures.add(makeImageKey(part.record.identifier, 4, part.record.bodyLayer, 0, part.record.style, 0),
                     [&](LabelCanvas& c) { drawBodyPartThumbnail(c, part.kind, sideOfLayer(part.record.bodyLayer)); });
    }
    bodyPart(data.modePart, 0);

    // Frame pictures, the same in every direction.
    for (const auto& [name, pic] : data.framePictures)
        for (int d = 0; d < kDirections; ++d)
            pictures.add(makeImageKey(pic.number, 3, 0, d, 0, 0),
                         [&](LabelCanvas& c) { drawFramePicture(c, pic.kind, pic.x, pic.y); });

    // Fixed pictures, drawn on screen at their own offsets rather than into the frame.
    // The shadow's centre lands under the feet of a frame drawn at (kFrameX, kFrameY).
    for (int which : {1, 2}) {
        LabelCanvas& c = pictures.canvas();
        c.clear();
        drawGroundShadow(c, which == 2);
        SpriteSource s = c.resolve(makeImageKey(which, 5, 0, 0, 0, 0));
        s.x += kFrameX - 102;
        s.y += kFrameY + 21 - 100;
        pictures.addFixed(s.key, std::move(s));
    }
    // Speech bubble pieces in pairs (normal, warm): one-line left cap, middle, tail, right
    // cap, then the same for two lines.
    struct Piece {
        int first, piece;
        bool twoLines;
    };
    for (const Piece& p : {Piece{10, 0, false}, Piece{12, 2, false}, Piece{14, 3, false}, Piece{16, 1, false},
                           Piece{18, 0, true}, Piece{20, 2, true}, Piece{22, 3, true}, Piece{24, 1, true}}) {
        for (int warm = 0; warm < 2; ++warm) {
            LabelCanvas& c = pictures.canvas();
            c.clear();
            drawBubblePiece(c, p.piece, p.twoLines, warm == 1);
            SpriteSource s = c.resolve(makeImageKey(p.first + warm, 5, 0, 0, 0, 0));
            s.x = p.piece == 0 ? -6 : 0;
            s.y = 0;
            pictures.addFixed(s.key, std::move(s));
        }
    }
    return pictures.take();
}

}  // namespace likenex::art
