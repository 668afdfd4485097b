// The loader of the palette colours and the contact sheet of the drawn pictures.
#include "tools/interface-art/Paint.h"
#include "tools/likenex-data/ToolSupport.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace likenex::iart {

PaletteColours loadPaletteColours(const std::string& coloursJsonPath) {
    const auto json = parseJsonOrFail(readTextFileOrFail(coloursJsonPath), coloursJsonPath);
    auto bases = [&](const char* name) {
        std::vector<Rgb> out;
        if (!json.contains(name) || !json[name].is_array())
            throw ToolError(coloursJsonPath + ": no \"" + std::string(name) + "\" list");
        std::size_t index = 0;
        for (const auto& set : json[name]) {
            const std::string where = coloursJsonPath + ": " + name + "[" + std::to_string(index++) + "]";
            // The base colour is the fourth of the six, the one that replaces key grey 238.
            if (!set.is_array() || set.size() != 6 || !set[3].is_array() || set[3].size() != 3)
                throw ToolError(where + " must hold six [red, green, blue] colours");
            Rgb c;
            std::uint8_t* parts[3] = {&c.r, &c.g, &c.b};
            for (std::size_t k = 0; k < 3; ++k) {
                if (!set[3][k].is_number_integer() || set[3][k].get<int>() < 0 || set[3][k].get<int>() > 255)
                    throw ToolError(where + ": the base colour's parts must lie in 0..255");
                *parts[k] = static_cast<std::uint8_t>(set[3][k].get<int>());
            }
            out.push_back(c);
        }
        return out;
    };
    return {bases("skin"), bases("colour")};
}

namespace {

constexpr int kSheetWidth = 1200, kMargin = 12, kGap = 10, kCaption = 14, kHeader = 22;

int shownScale(const SkinImageSource& p) { return p.texW <= 64 && p.texH <= 64 ? 2 : 1; }

// The picture as a premultiplied cairo surface, upright.
cairo_surface_t* surfaceOf(const SkinImageSource& p) {
    const int w = static_cast<int>(p.texW), h = static_cast<int>(p.texH);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* q = &p.pixels[(static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w) +
                                               static_cast<std::size_t>(x)) *
                                              4];
            const std::uint32_t a = q[3];
            auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            const std::uint32_t argb = (a << 24) | (pre(q[2]) << 16) | (pre(q[1]) << 8) | pre(q[0]);
            std::memcpy(data + y * stride + x * 4, &argb, 4);
        }
    cairo_surface_mark_dirty(s);
    return s;
}

struct Placed {
    const DrawnSkin* skin;
    int x, y;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The pictures as surfaces, by identifier, for putting pieces together.
class Pictures {
public:
    explicit Pictures(const std::vector<DrawnSkin>& skins) {
        for (const DrawnSkin& s : skins) byId_[s.row.identifier] = &s;
    }
    ~Pictures() {
        for (auto& [id, s] : surfaces_) cairo_surface_destroy(s);
    }
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    const DrawnSkin& skin(std::uint32_t id) const {
        const auto it = byId_.find(id);
        if (it == byId_.end()) throw ToolError("the sheet needs skin " + std::to_string(id));
        return *it->second;
    }
    // Draws the picture stretched into r, without smoothing, as the renderer does.
    void draw(cairo_t* cr, std::uint32_t id, Rect r) {
        const SkinImageSource& p = skin(id).picture;
        if (r.right <= r.left || r.bottom <= r.top) return;
        auto [it, fresh] = surfaces_.try_emplace(id, nullptr);
        if (fresh) it->second = surfaceOf(p);
        cairo_save(cr);
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_clip(cr);
        cairo_translate(cr, r.left, r.top);
        cairo_scale(cr, double(r.right - r.left) / p.texW, double(r.bottom - r.top) / p.texH);
        cairo_set_source_surface(cr, it->second, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    void drawAt(cairo_t* cr, std::uint32_t id, int x, int y) {
        const SkinImageSource& p = skin(id).picture;
        draw(cr, id, {x, y, x + static_cast<int>(p.texW), y + static_cast<int>(p.texH)});
    }
    // The nine pieces laid out over (x, y, W, H) the way the widgets lay out their skins.
    void drawNine(cairo_t* cr, const NinePatchIds& ids, int x, int y, int W, int H) {
        std::array<std::int64_t, 9> w{}, h{}, tw{}, th{};
        for (std::size_t k = 0; k < 9; ++k) {
            const DrawnSkin& s = skin(ids[k]);
            w[k] = s.picture.layoutWidth, h[k] = s.picture.layoutHeight, tw[k] = s.picture.texW, th[k] = s.picture.texH;
        }
        std::array<Rect, 9> d;
        auto R = [](std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
            return Rect{int(l), int(t), int(r), int(b)};
        };
        d[0] = R(0, 0, tw[0], th[0]);
        d[2] = R(W - w[2], 0, W - w[2] + tw[2], th[2]);
        d[6] = R(0, H - h[6], tw[6], H - h[6] + th[6]);
        d[8] = R(W - w[8], H - h[8], W - w[8] + tw[8], H - h[8] + th[8]);
        d[1] = R(w[0], 0, d[2].left, th[1]);
        d[3] = R(0, h[0], tw[3], H - h[6]);
        d[5] = R(W - w[5], h[2], W - w[5] + tw[5], H - h[8]);
        d[7] = R(w[6], H - h[7], d[8].left, H - h[7] + th[7]);
        const std::int64_t bottom = H - h[7];
        const auto right = static_cast<std::int64_t>(w[3] + double(std::uint32_t(W - w[5] - w[3])) * tw[4] / w[4]);
        const auto top = static_cast<std::int64_t>(bottom - double(std::uint32_t(bottom - h[1])) * th[4] / h[4]);
        d[4] = R(w[3], top, right, bottom);
        for (std::size_t k = 0; k < 9; ++k)
            draw(cr, ids[k], {x + d[k].left, y + d[k].top, x + d[k].right, y + d[k].bottom});
    }

private:
    std::map<std::uint32_t, const DrawnSkin*> byId_;
    std::map<std::uint32_t, cairo_surface_t*> surfaces_;
};

// Sizes at which the program shows each nine-patch (dialog buttons, list boxes, fields...).
std::pair<int, int> demoSize(std::uint32_t first) {
    switch (first) {
    case 1004001:
    case 1004010: return {54, 20};
    case 1001001:
    case 1001010: return {53, 20};
    case 1006001:
    case 1006010: return {40, 20};
    case 6001001: return {120, 16};
    case 4001001: return {231, 40};
    case 4002001: return {92, 20};
    case 11004001: return {100, 16};
    case 12001001: return {96, 18};
    case 14004001: return {254, 176};
    default: return {327, 234};
    }
}

void label(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb colour, bool centred = false) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    setColour(cr, colour);
    cairo_move_to(cr, centred ? x - e.x_advance / 2 : x, y);
    cairo_show_text(cr, s.c_str());
}

constexpr int kWindowW = 654, kWindowH = 537;

// The editor's main window as the screens would put it together: editor frame, title band
// with toolbar and logo, tabs, preview, palette and buttons, and a message dialog on top.
void drawMockUp(cairo_t* cr, Pictures& p, int x0, int y0) {
    cairo_save(cr);
    cairo_translate(cr, x0, y0);
    roundRect(cr, 0, 0, kWindowW, kWindowH, 5.5);
    cairo_clip(cr);
    p.drawNine(cr, {16001094, 16001095, 16001096, 16001097, 16001098, 16001099, 16001100, 16001101, 16001102}, 0, 0,
               kWindowW, kWindowH);
    for (int k = 0; k < 8; ++k) {
        static const std::uint32_t tabs[8] = {16001016, 16001020, 16001030, 16001022,
                                              16001024, 16001026, 16001028, 16001014};
        p.drawAt(cr, k == 2 ? tabs[k] - 1 : tabs[k], 16 + 50 * k, 80);
    }
    p.drawNine(cr, {4001001, 4001002, 4001003, 4001004, 4001005, 4001006, 4001007, 4001008, 4001009}, 22, 148, 306,
               354);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawNine(cr, {6001001, 6001002, 6001003, 6001004, 6001005, 6001006, 6001007, 6001008, 6001009},
                       28 + 98 * c, 154 + 114 * r, 92, 108);
    p.draw(cr, 8001001, {328, 160, 340, 490});
    p.drawAt(cr, 8001018, 328, 148);
    p.drawAt(cr, 8001005, 328, 490);
    p.draw(cr, 8001015, {327, 200, 341, 202});
    p.draw(cr, 8001016, {327, 202, 341, 258});
    p.draw(cr, 8001017, {327, 258, 341, 260});
    p.drawAt(cr, 16001090, 370, 148);
    p.drawAt(cr, 16001203, 527, 371);
    p.drawAt(cr, 16001205, 556, 371);
    p.drawAt(cr, 16001006, 480, 360);
    p.drawAt(cr, 16001202, kPaletteLeft, kPaletteTop);
    p.drawAt(cr, 16001043, 584, 458);
    label(cr, "250", 637 - 20, 85, 12, theme::ink);
    // The main frame on top: the band, its buttons, the logo and the captions.
    p.drawNine(cr, {16001103, 16001104, 16001105, 2001001, 2001001, 2001001, 2001001, 2001001, 2001001}, 0, 0, kWindowW,
               kWindowH);
    p.drawAt(cr, 500007006, kWindowW - 40, 5);
    p.drawAt(cr, 1002002, kWindowW - 21, 5);
    const SkinImageSource& logo = p.skin(16001109).picture;
    p.drawAt(cr, 16001109, (kWindowW - static_cast<int>(logo.texW)) / 2, 15);
    const std::pair<std::uint32_t, int> toolbar[4] = {{16001041, 21}, {16001053, 71}, {16001047, 126}, {16001002, 182}};
    const char* captions[4] = {"New", "Search", "Language", "About"};
    const int centres[4] = {36, 87, 141, 197};
    for (int k = 0; k < 4; ++k) {
        p.drawAt(cr, toolbar[k].first, toolbar[k].second, 21);
        label(cr, captions[k], centres[k], 66, 11, Rgb{0, 0, 0}, true);
    }
    // A message dialog with two buttons, centred as showMessageDialog places it.
    const int dx = kWindowW / 2 - 127, dy = kWindowH / 2 - 88;
    p.drawNine(cr, {14004001, 14004002, 14004003, 14004004, 14004005, 14004006, 14004007, 14004008, 14004009}, dx, dy,
               254, 176);
    label(cr, "Likenex", dx + 127, dy + 19, 12, Rgb{255, 255, 255}, true);
    p.drawNine(cr, {4001001, 4001002, 4001003, 4001004, 4001005, 4001006, 4001007, 4001008, 4001009}, dx + 9, dy + 27,
               237, 110);
    label(cr, "Start a new avatar?", dx + 35, dy + 59, 12, Rgb{0, 0, 0});
    p.drawNine(cr, {1004001, 1004002, 1004003, 1004004, 1004005, 1004006, 1004007, 1004008, 1004009}, dx + 69, dy + 147,
               53, 20);
    label(cr, "OK", dx + 95, dy + 161, 11, Rgb{255, 255, 255}, true);
    p.drawNine(cr, {1001010, 1001011, 1001012, 1001013, 1001014, 1001015, 1001016, 1001017, 1001018}, dx + 150,
               dy + 147, 53, 20);
    label(cr, "Cancel", dx + 177, dy + 162, 11, Rgb{255, 255, 255}, true);
    // A tooltip over the turn button.
    p.drawNine(cr, {12001001, 12001002, 12001003, 12001004, 12001005, 12001006, 12001007, 12001008, 12001009}, 560, 392,
               64, 18);
    label(cr, "Turn", 563, 405, 11, Rgb{0, 0, 0});
    cairo_restore(cr);
}

}  // namespace

void writeInterfaceSheet(const InterfaceArt& art, const std::string& pngPath) {
    const std::vector<DrawnSkin>& skins = art.skins;
    // Lay out first (families in the order they first appear), then draw.
    std::vector<std::string> families;
    std::map<std::string, std::vector<const DrawnSkin*>> byFamily;
    for (const DrawnSkin& s : skins) {
        if (!byFamily.contains(s.row.family)) families.push_back(s.row.family);
        byFamily[s.row.family].push_back(&s);
    }
    std::vector<Placed> placed;
    std::vector<std::pair<std::string, int>> headers;
    int y = kMargin;
    for (const std::string& family : families) {
        headers.emplace_back(family, y);
        y += kHeader;
        int x = kMargin, rowHeight = 0;
        for (const DrawnSkin* s : byFamily[family]) {
            const int scale = shownScale(s->picture);
            const int w = std::max(static_cast<int>(s->picture.texW) * scale, 58),
                      h = static_cast<int>(s->picture.texH) * scale + kCaption;
            if (x + w > kSheetWidth - kMargin && x > kMargin) {
                x = kMargin;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            placed.push_back({s, x, y});
            x += w + kGap;
            rowHeight = std::max(rowHeight, h);
        }
        y += rowHeight + kGap * 2;
    }
    // Nine-patches put together, then the mock-up.
    std::vector<std::pair<const NinePatchIds*, std::pair<int, int>>> nines;
    headers.emplace_back("nine-patches put together (first piece named)", y);
    y += kHeader;
    {
        int x = kMargin, rowHeight = 0;
        for (const NinePatchIds& ids : art.ninePatches) {
            const auto [w, h] = demoSize(ids[0]);
            if (x + w > kSheetWidth - kMargin && x > kMargin) {
                x = kMargin;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            nines.push_back({&ids, {x, y}});
            x += std::max(w, 58) + kGap;
            rowHeight = std::max(rowHeight, h + kCaption);
        }
        y += rowHeight + kGap * 2;
    }
    headers.emplace_back("the editor's main window put together", y);
    y += kHeader;
    const int mockTop = y;
    y += kWindowH + kMargin;
    const int height = y + kMargin;

    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSheetWidth, height);
    cairo_t* cr = cairo_create(sheet);
    setColour(cr, Rgb{255, 255, 255});
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 13);
    for (const auto& [family, top] : headers) {
        setColour(cr, theme::ink);
        cairo_move_to(cr, kMargin, top + 14);
        cairo_show_text(cr, family.c_str());
    }
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 10);
    auto checker = [cr](int x, int y0, int w, int h) {
        for (int cy = 0; cy < h; cy += 4)
            for (int cx = 0; cx < w; cx += 4) {
                cairo_rectangle(cr, x + cx, y0 + cy, std::min(4, w - cx), std::min(4, h - cy));
                setColour(cr, ((cx + cy) / 4) % 2 ? Rgb{204, 204, 204} : Rgb{240, 240, 240});
                cairo_fill(cr);
            }
    };
    Pictures pictures(skins);
    for (const Placed& p : placed) {
        const SkinImageSource& pic = p.skin->picture;
        const int scale = shownScale(pic), w = static_cast<int>(pic.texW) * scale,
                  h = static_cast<int>(pic.texH) * scale;
        checker(p.x, p.y, w, h);
        pictures.draw(cr, p.skin->row.identifier, {p.x, p.y, p.x + w, p.y + h});
        label(cr, std::to_string(p.skin->row.identifier), p.x, p.y + h + 10, 10, Rgb{60, 60, 60});
    }
    for (const auto& [ids, at] : nines) {
        const auto [w, h] = demoSize((*ids)[0]);
        checker(at.first, at.second, w, h);
        pictures.drawNine(cr, *ids, at.first, at.second, w, h);
        label(cr, std::to_string((*ids)[0]), at.first, at.second + h + 10, 10, Rgb{60, 60, 60});
    }
    checker(kMargin, mockTop, kWindowW, kWindowH);
    drawMockUp(cr, pictures, kMargin, mockTop);
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(sheet, pngPath.c_str());
    cairo_surface_destroy(sheet);
    if (status != CAIRO_STATUS_SUCCESS) throw ToolError("cannot write " + pngPath);
}

void releaseDrawingCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace likenex::iart
