#pragma once
// The main form's controls as both windows lay them out: names, captions,
// places and sizes in the form's pixels (96 dots per inch), colours and fonts.
// A window scales the pixels to its screen and maps each kind to its
// toolkit's control; it decides nothing of its own about the form.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "editor/MainView.h"

namespace kvr {

struct Rgb {
    std::uint8_t red, green, blue;
};

enum class ControlKind {
    Tree,     // the alias tree
    Panel,    // Panel1 (lowered inner bevel) and Panel2 (no bevel)
    Rule,     // Panel3, the rule under the hint
    NameBox,  // the yellow rename box
    Hint,     // the red line under it
    Label,    // a field's caption, right-aligned against its box
    Box,      // a field box
    Button,
};

struct FormControl {
    const char* name;
    ControlKind kind;
    const char* parent;            // "fmMain", "Panel1" or "Panel2"
    const char16_t* caption;       // empty for none
    int left, top, width, height;  // in the parent; see FormGeometry for what resizes
    int fontPixels;                // 0: the form's font
    bool bold;
    std::optional<Rgb> text;        // text colour, when not the system's
    std::optional<Rgb> background;  // background, when not the system's
    Box box;                        // for NameBox and Box: which one
};

struct FormGeometry {
    // The client area as the form defines it, and the outer size with a
    // usual frame. Neither is scaled with the screen's font size.
    static constexpr int kClientWidth = 740;
    static constexpr int kClientHeight = 296;
    static constexpr int kOuterWidth = 748;
    static constexpr int kOuterHeight = 323;
    static constexpr int kTreeWidth = 283;
    static constexpr int kPanelWidth = kClientWidth - kTreeWidth;
    static constexpr int kFontPixels = 15;  // the form's font, 細明體 in Big5
    static constexpr Rgb kYellow{255, 255, 0};
    static constexpr Rgb kAqua{0, 255, 255};
    static constexpr Rgb kRed{255, 0, 0};
    static constexpr Rgb kBlue{0, 0, 255};

    // A larger window gives the tree the room: Panel1 keeps its width at the
    // right edge, and both take the client area's full height.
    static int TreeWidth(int clientWidth, int panelWidth) {
        return clientWidth - panelWidth > 0 ? clientWidth - panelWidth : 0;
    }
};

// In creation order, which is the tab order.
std::span<const FormControl> FormControls();
const FormControl& FormControlNamed(std::string_view name);

// How tall a box may grow downwards when its font's lines need it: a field
// box into the gap above the next label, the rename box not at all.
int MaxHeight(const FormControl& control);

// The pixel size of a font whose lines measure lineHeight at pixels, cut down
// so that a line fits room: a fallback face taller than the form's own would
// lose its descenders and underscores in a box of the form's height. A box
// first grows (MaxHeight); only a line taller still makes the font smaller.
int FittingFontPixels(int pixels, int lineHeight, int room);

}  // namespace kvr
