#pragma once
// A scrolling grid of choices: cells in rows of `columns`, each a picture fitted into the cell
// and up to two lines of text under it (a one-column grid of text is a plain list). A click
// or an arrow key selects a cell and tells the owner (code 0x201); the scroll bar at the right
// moves it by whole rows.

#include "ui/ScrollBar.h"

#include <string>
#include <vector>

namespace likenex::ui {

class ChoiceGrid : public Control {
public:
    struct Cell {
        TextureHandle picture = 0;  // not owned; none draws only the text
        int pictureWidth = 0, pictureHeight = 0;
        std::wstring text;
        std::wstring note;  // a second, smaller line (a price)
    };
    struct Layout {
        int columns = 1;
        int rowsShown = 1;
        int cellWidth = 0, cellHeight = 0;
        int left = 0, top = 0;  // the first cell's corner, relative to the grid's bounds
        // The lines kept for text under every cell's picture, so that the pictures line up
        // whether or not a cell has its text; -1 keeps the lines each cell has.
        int textLines = -1;
    };

    struct Room {
        int width = 0, height = 0;
    };

    explicit ChoiceGrid(UiHost& host);

    // The room a cell of `layout` gives its picture above `textLines` lines of text, or above
    // the layout's own when it keeps some. A larger picture is drawn smaller, so whoever makes
    // the pictures makes them to fit.
    [[nodiscard]] static Room pictureRoom(const Layout& layout, int textLines);

    bool loadSkin() override;
    void setBounds(const ImageRect& rect) override;
    void draw(Painter& painter) override;
    bool onKey(std::uint32_t message, WParam wParam, LParam lParam) override;
    bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam) override;
    [[nodiscard]] bool canFocus() const override { return true; }

    void setLayout(const Layout& layout);
    // Replaces the cells; nothing is selected and the first row shows.
    void setCells(std::vector<Cell> cells);
    // Selects without telling the owner and scrolls the cell into view; -1 selects nothing.
    void select(int index);
    [[nodiscard]] int selected() const { return selected_; }
    [[nodiscard]] std::size_t size() const { return cells_.size(); }
    [[nodiscard]] const Cell& cell(std::size_t index) const { return cells_[index]; }
    [[nodiscard]] int firstRow() const { return scrollBar_.position(); }
    // The cell under a point on screen, or -1.
    [[nodiscard]] int cellAt(int x, int y) const;
    // Where cell `index` is on screen while its row shows.
    [[nodiscard]] ImageRect cellRect(int index) const;
    [[nodiscard]] ScrollBar& scrollBar() { return scrollBar_; }

    Colour selectionColour = Colour::fromPacked(0xFFFFD98Cu);

private:
    [[nodiscard]] int rowCount() const;
    void keepInView(int index);
    void choose(int index);

    Layout layout_;
    std::vector<Cell> cells_;
    int selected_ = -1;
    ScrollBar scrollBar_;
};

}  // namespace likenex::ui
