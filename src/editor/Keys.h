#pragma once
// Keys as the editor's handlers take them: Windows' virtual-key codes, which a
// Windows view passes on as they come and other views map to.
namespace kvr {

enum KeyCode : int {
    kKeyEnter = 0x0D,
    kKeyEscape = 0x1B,
    kKeySpace = 0x20,
    kKeyDelete = 0x2E,
    kKeyS = 0x53,
    kKeyApps = 0x5D,  // the context-menu key
    kKeyF2 = 0x71,
    kKeyF10 = 0x79,
};

struct KeyModifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
};

}  // namespace kvr
