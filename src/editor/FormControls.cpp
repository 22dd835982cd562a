#include "editor/FormControls.h"

#include "texts/Labels.h"

#include <array>
#include <stdexcept>
#include <string>

namespace kvr {
namespace {

using G = FormGeometry;

constexpr std::array kControls{
    FormControl{"TreeView1",
                ControlKind::Tree,
                "fmMain",
                u"",
                0,
                0,
                G::kTreeWidth,
                G::kClientHeight,
                0,
                false,
                {},
                {},
                Box::Name},
    FormControl{"Panel1",
                ControlKind::Panel,
                "fmMain",
                u"",
                G::kTreeWidth,
                0,
                G::kPanelWidth,
                G::kClientHeight,
                0,
                false,
                {},
                {},
                Box::Name},
    FormControl{"Panel2",
                ControlKind::Panel,
                "Panel1",
                u"",
                1,
                1,
                G::kPanelWidth - 2,
                31,
                0,
                false,
                {},
                {},
                Box::Name},
    FormControl{"edName", ControlKind::NameBox, "Panel2", u"", 8, 4, 430, 27, 19, true, G::kBlue,
                G::kYellow, Box::Name},
    FormControl{"Label5",
                ControlKind::Hint,
                "Panel1",
                u"修改KVR別名:請於上方黃框內修改,完成後請按下鍵盤\"Enter\"鍵。",
                12,
                34,
                406,
                13,
                13,
                false,
                G::kRed,
                {},
                Box::Name},
    FormControl{
        "Panel3", ControlKind::Rule, "Panel1", u"", 8, 47, 432, 3, 0, false, {}, {}, Box::Name},
    FormControl{"Label1",
                ControlKind::Label,
                "Panel1",
                texts::kFieldCaptions[0],
                12,
                64,
                115,
                19,
                19,
                false,
                {},
                {},
                Box::DatabaseName},
    FormControl{"Label2",
                ControlKind::Label,
                "Panel1",
                texts::kFieldCaptions[1],
                12,
                112,
                115,
                19,
                19,
                false,
                {},
                {},
                Box::ServerName},
    FormControl{"Label3",
                ControlKind::Label,
                "Panel1",
                texts::kFieldCaptions[2],
                12,
                160,
                115,
                19,
                19,
                false,
                {},
                {},
                Box::UserName},
    FormControl{"Label4",
                ControlKind::Label,
                "Panel1",
                texts::kFieldCaptions[3],
                12,
                208,
                115,
                19,
                19,
                false,
                {},
                {},
                Box::PassWord},
    FormControl{"edDatabaseName",
                ControlKind::Box,
                "Panel1",
                u"",
                130,
                61,
                308,
                27,
                19,
                false,
                {},
                {},
                Box::DatabaseName},
    FormControl{"edServerName",
                ControlKind::Box,
                "Panel1",
                u"",
                130,
                109,
                308,
                27,
                19,
                false,
                {},
                {},
                Box::ServerName},
    FormControl{"edUserName",
                ControlKind::Box,
                "Panel1",
                u"",
                130,
                157,
                308,
                27,
                19,
                false,
                {},
                {},
                Box::UserName},
    FormControl{"edPassWord",
                ControlKind::Box,
                "Panel1",
                u"",
                130,
                205,
                308,
                27,
                19,
                true,
                {},
                {},
                Box::PassWord},
    FormControl{"btnSave",
                ControlKind::Button,
                "Panel1",
                u"存 檔",
                187,
                242,
                94,
                31,
                15,
                false,
                Rgb{0, 128, 0},
                {},
                Box::Name},
    FormControl{"btnTest",
                ControlKind::Button,
                "Panel1",
                u"連線測試",
                315,
                242,
                86,
                31,
                15,
                false,
                G::kBlue,
                {},
                Box::Name},
};

}  // namespace

std::span<const FormControl> FormControls() {
    return kControls;
}

const FormControl& FormControlNamed(std::string_view name) {
    for (const FormControl& control : kControls) {
        if (name == control.name) {
            return control;
        }
    }
    throw std::out_of_range("no control " + std::string(name));
}

int MaxHeight(const FormControl& control) {
    // The field boxes stand 48 pixels apart.
    return control.kind == ControlKind::Box ? 40 : control.height;
}

int FittingFontPixels(int pixels, int lineHeight, int room) {
    if (lineHeight <= room || lineHeight <= 0 || room <= 0) {
        return pixels;
    }
    // Line height grows with the pixel size; rounded down, so that it fits.
    return pixels * room / lineHeight;
}

}  // namespace kvr
