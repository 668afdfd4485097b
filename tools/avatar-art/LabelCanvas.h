#pragma once
// A supersampled canvas of colour labels for drawing avatar pictures.
//
// Recolouring replaces exact key greys, so a picture may only hold the colours of its
// palette: shapes are rasterised without anti-aliasing at four times the frame's size into
// labels, and `resolve` turns each 4 by 4 block into one pixel whose colour is the block's
// dominant label and whose alpha is the share of the block that is covered. Edges are then
// soft in alpha only, and no blend of two colours ever appears.

#include <cairo.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "catalogue/AvatarArchive.h"

namespace likenex::art {

using Label = std::uint8_t;  // 0 is empty; see Palette.h for the others

struct Point {
    double x = 0;
    double y = 0;
};

class LabelCanvas {
public:
    static constexpr int kScale = 4;
    static constexpr int kFrame = 128;
    static constexpr int kSize = kFrame * kScale;

    LabelCanvas();
    ~LabelCanvas();
    LabelCanvas(const LabelCanvas&) = delete;
    LabelCanvas& operator=(const LabelCanvas&) = delete;

    // Empties the canvas for the next picture.
    void clear();

    // The path context works in frame pixels (0..128, y down); build a path on it, then
    // call one of the fill or stroke operations, which consume the path.
    [[nodiscard]] cairo_t* path() { return cr_; }

    void fill(Label label);
    // Fills with a shade: the part of the shape whose lower-right neighbour at `shift`
    // pixels lies outside the shape gets `shadow`, the rest `base` (light from the upper left).
    void fillShaded(Label base, Label shadow, double shift = 2.0);
    // Fills with a label chosen per point (frame pixel coordinates).
    void fillWith(const std::function<Label(double x, double y)>& shader);
    void stroke(Label label, double width);
    // Only paints where the canvas already holds a label (for details that must stay inside).
    void fillInside(Label label);
    // Removes what the shape covers (a part hidden behind something the picture does not hold).
    void erase();
    // Removes the points of the shape for which `hidden` is true.
    void eraseWhere(const std::function<bool(double x, double y)>& hidden);

    // Whether any label was painted since `clear`.
    [[nodiscard]] bool empty() const { return maxX_ < minX_; }

    // The picture as a sprite record: cropped to what was painted, BGRA, bottom row first,
    // x and y the frame column and row (from the top) of its top-left corner. An empty
    // canvas gives a 1 by 1 transparent picture at (0, 0).
    [[nodiscard]] SpriteSource resolve(std::int64_t key) const;

private:
    enum class Mode { plain, shaded, shader, inside, erase };
    void rasterise(bool strokeIt, double width, Mode mode, Label a, Label b, double shift,
                   const std::function<Label(double, double)>* shader);

    cairo_surface_t* mask_ = nullptr;
    cairo_t* cr_ = nullptr;
    std::vector<Label> labels_;
    int minX_ = kSize, minY_ = kSize, maxX_ = -1, maxY_ = -1;
};

}  // namespace likenex::art
