#include "tools/avatar-art/LabelCanvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/avatar-art/Palette.h"

namespace likenex::art {

LabelCanvas::LabelCanvas() : labels_(static_cast<std::size_t>(kSize) * kSize, label::none) {
    mask_ = cairo_image_surface_create(CAIRO_FORMAT_A8, kSize, kSize);
    cr_ = cairo_create(mask_);
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo could not make a canvas");
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_scale(cr_, kScale, kScale);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

LabelCanvas::~LabelCanvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(mask_);
}

void LabelCanvas::clear() {
    if (!empty())
        for (int y = minY_; y <= maxY_; ++y)
            std::fill_n(labels_.begin() + static_cast<std::ptrdiff_t>(y) * kSize + minX_, maxX_ - minX_ + 1,
                        label::none);
    minX_ = minY_ = kSize;
    maxX_ = maxY_ = -1;
    cairo_new_path(cr_);
}

void LabelCanvas::fill(Label l) { rasterise(false, 0, Mode::plain, l, l, 0, nullptr); }
void LabelCanvas::fillShaded(Label base, Label shadow, double shift) {
    rasterise(false, 0, Mode::shaded, base, shadow, shift, nullptr);
}
void LabelCanvas::fillWith(const std::function<Label(double, double)>& shader) {
    rasterise(false, 0, Mode::shader, 0, 0, 0, &shader);
}
void LabelCanvas::stroke(Label l, double width) { rasterise(true, width, Mode::plain, l, l, 0, nullptr); }
void LabelCanvas::fillInside(Label l) { rasterise(false, 0, Mode::inside, l, l, 0, nullptr); }

void LabelCanvas::erase() { rasterise(false, 0, Mode::erase, 0, 0, 0, nullptr); }
void LabelCanvas::eraseWhere(const std::function<bool(double, double)>& hidden) {
    const std::function<Label(double, double)> shader = [&](double x, double y) {
        return hidden(x, y) ? Label{1} : Label{0};
    };
    rasterise(false, 0, Mode::erase, 1, 0, 0, &shader);
}

void LabelCanvas::rasterise(bool strokeIt, double width, Mode mode, Label a, Label b, double shift,
                            const std::function<Label(double, double)>* shader) {
    double x1, y1, x2, y2;
    if (strokeIt) {
        cairo_set_line_width(cr_, width);
        cairo_stroke_extents(cr_, &x1, &y1, &x2, &y2);
    } else {
        cairo_fill_extents(cr_, &x1, &y1, &x2, &y2);
    }
    // The extents are in the path's coordinates; a turned context needs the box around
    // their corners in frame pixels.
    {
        double xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y1, y2, y2};
        x1 = y1 = 1e9;
        x2 = y2 = -1e9;
        for (int k = 0; k < 4; ++k) {
            cairo_user_to_device(cr_, &xs[k], &ys[k]);
            x1 = std::min(x1, xs[k] / kScale);
            y1 = std::min(y1, ys[k] / kScale);
            x2 = std::max(x2, xs[k] / kScale);
            y2 = std::max(y2, ys[k] / kScale);
        }
    }
    // Subpixel box, with room for the shade probe, clamped to the canvas.
    const int pad = static_cast<int>(std::ceil(shift * kScale)) + 2;
    const int bx1 = std::max(0, static_cast<int>(std::floor(x1 * kScale)) - 1);
    const int by1 = std::max(0, static_cast<int>(std::floor(y1 * kScale)) - 1);
    const int bx2 = std::min(kSize - 1, static_cast<int>(std::ceil(x2 * kScale)) + 1 + pad);
    const int by2 = std::min(kSize - 1, static_cast<int>(std::ceil(y2 * kScale)) + 1 + pad);
    if (bx2 < bx1 || by2 < by1 || x2 <= x1) {
        cairo_new_path(cr_);
        return;
    }
    // Clear the mask under the box, then draw the shape into it.
    unsigned char* data = cairo_image_surface_get_data(mask_);
    const int stride = cairo_image_surface_get_stride(mask_);
    cairo_surface_flush(mask_);
    for (int y = by1; y <= by2; ++y)
        std::fill_n(data + static_cast<std::ptrdiff_t>(y) * stride + bx1, bx2 - bx1 + 1, 0);
    cairo_surface_mark_dirty(mask_);
    cairo_set_source_rgba(cr_, 0, 0, 0, 1);
    if (strokeIt) cairo_stroke(cr_);
    else cairo_fill(cr_);
    cairo_surface_flush(mask_);

    // Shaders work in the coordinates the path was built in, so a turned context (a lying
    // figure) shades its spheres as the standing figure does.
    cairo_matrix_t toUser;
    cairo_get_matrix(cr_, &toUser);
    cairo_matrix_invert(&toUser);
    auto shade = [&](int x, int y) {
        double ux = x + 0.5, uy = y + 0.5;
        cairo_matrix_transform_point(&toUser, &ux, &uy);
        return (*shader)(ux, uy);
    };
    const int probeX = static_cast<int>(std::lround(shift * kScale));
    const int probeY = static_cast<int>(std::lround(shift * 0.6 * kScale));
    auto covered = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < kSize && y < kSize && data[static_cast<std::ptrdiff_t>(y) * stride + x] != 0;
    };
    for (int y = by1; y <= by2; ++y) {
        for (int x = bx1; x <= bx2; ++x) {
            if (data[static_cast<std::ptrdiff_t>(y) * stride + x] == 0) continue;
            Label& target = labels_[static_cast<std::size_t>(y) * kSize + x];
            Label value = a;
            switch (mode) {
            case Mode::plain: break;
            case Mode::shaded: value = covered(x + probeX, y + probeY) ? a : b; break;
            case Mode::shader: value = shade(x, y); break;
            case Mode::inside:
                if (target == label::none) continue;
                break;
            case Mode::erase:
                if (!shader || shade(x, y) != 0) target = label::none;
                continue;
            }
            if (value == label::none) continue;
            target = value;
            minX_ = std::min(minX_, x);
            maxX_ = std::max(maxX_, x);
            minY_ = std::min(minY_, y);
            maxY_ = std::max(maxY_, y);
        }
    }
}

SpriteSource LabelCanvas::resolve(std::int64_t key) const {
    SpriteSource sprite;
    sprite.key = key;
    if (empty()) {
        sprite.width = sprite.height = 1;
        sprite.pixels.assign(4, 0);
        return sprite;
    }
    // Erasing leaves the painted box as it was, so find the labels' true extent.
    int x1 = maxX_, y1 = maxY_, x2 = minX_, y2 = minY_;
    for (int y = minY_; y <= maxY_; ++y)
        for (int x = minX_; x <= maxX_; ++x)
            if (labels_[static_cast<std::size_t>(y) * kSize + x] != label::none) {
                x1 = std::min(x1, x);
                x2 = std::max(x2, x);
                y1 = std::min(y1, y);
                y2 = std::max(y2, y);
            }
    if (x2 < x1) {
        sprite.width = sprite.height = 1;
        sprite.pixels.assign(4, 0);
        return sprite;
    }
    const int px1 = x1 / kScale, py1 = y1 / kScale, px2 = x2 / kScale, py2 = y2 / kScale;
    const int w = px2 - px1 + 1, h = py2 - py1 + 1;
    sprite.x = px1;
    sprite.y = py1;
    sprite.width = w;
    sprite.height = h;
    sprite.pixels.assign(static_cast<std::size_t>(w) * h * 4, 0);
    const auto& colours = palette();
    std::array<int, label::count> counts{};
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            counts.fill(0);
            int coveredCount = 0;
            for (int sy = 0; sy < kScale; ++sy) {
                const Label* line =
                    &labels_[static_cast<std::size_t>((py1 + row) * kScale + sy) * kSize + (px1 + col) * kScale];
                for (int sx = 0; sx < kScale; ++sx) {
                    if (line[sx] == label::none) continue;
                    ++counts[line[sx]];
                    ++coveredCount;
                }
            }
            if (coveredCount == 0) continue;
            Label best = label::none;
            int bestScore = -1;
            for (Label l = 1; l < label::count; ++l) {
                const int score = counts[l] * colours[l].weight;
                if (score > bestScore) {
                    bestScore = score;
                    best = l;
                }
            }
            const Rgba c = colours[best].colour;
            const int alpha = (coveredCount * 255 + (kScale * kScale) / 2) / (kScale * kScale) * c.a / 255;
            // Stored bottom row first, as textures are uploaded.
            std::uint8_t* p = &sprite.pixels[(static_cast<std::size_t>(h - 1 - row) * w + col) * 4];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
            p[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return sprite;
}

}  // namespace likenex::art
