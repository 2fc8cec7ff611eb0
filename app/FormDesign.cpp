#include "app/FormDesign.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

using enum Control;
using K = ControlKind;

// clang-format off
const std::array<ControlDesign, 21> kControls{{
    {GroupBox1, "GroupBox1", K::GroupBox, Form1, {8, 8, 371, 105}, " Connection "},
    {rb1, "rb1", K::RadioButton, GroupBox1, {8, 24, 121, 17}, "IP network"},
    {rb2, "rb2", K::RadioButton, GroupBox1, {192, 24, 89, 17}, "Serial"},
    {eIP, "eIP", K::Edit, GroupBox1, {8, 40, 121, 21}, kFactoryAddress},
    {cbPort, "cbPort", K::DropDownList, GroupBox1, {192, 40, 89, 21}, ""},
    {btnsetTransfermode, "btnsetTransfermode", K::Button, GroupBox1, {188, 80, 93, 17}, "Set transfer mode"},
    {seTO, "seTO", K::SpinEdit, GroupBox1, {95, 77, 36, 22}, "",
     {}, true, false, kTimeoutMin, kTimeoutMax, kTimeoutDefault},
    {Label1, "Label1", K::Label, GroupBox1, {8, 64, 0, 0}, "Host"},
    {LblPort, "LblPort", K::Label, GroupBox1, {40, 64, 88, 13}, "", {}, true, true},
    {Label2, "Label2", K::Label, GroupBox1, {192, 64, 0, 0}, "Comport"},
    {Label3, "Label3", K::Label, GroupBox1, {48, 80, 0, 0}, "Timeout: "},
    {Label4, "Label4", K::Label, GroupBox1, {136, 80, 25, 13}, "s"},
    {GroupBox2, "GroupBox2", K::GroupBox, Form1, {8, 120, 371, 94}, " Action "},
    {btnFirmware, "btnFirmware", K::Button, GroupBox2, {8, 16, 85, 25}, "Firmware update"},
    {btnGet, "btnGet", K::Button, GroupBox2, {188, 16, 85, 25}, "Get file"},
    {btnPut, "btnPut", K::Button, GroupBox2, {278, 16, 85, 25}, "Put file"},
    {ProgressBar1, "ProgressBar1", K::ProgressBar, GroupBox2, {8, 45, 81, 13}, "",
     {}, false, false, 0, 100, 0},
    {btnReadLogger, "btnReadLogger", K::Button, GroupBox2, {98, 16, 85, 25}, "Read zel logger",
     "read logger data from device and convert to .CSV"},
    {btnconvertLogger, "btnconvertLogger", K::Button, GroupBox2, {98, 64, 85, 25}, "only convert",
     "convert existing PLOG.ZEL to .CSV"},
    {btnClose, "btnClose", K::Button, Form1, {8, 218, 75, 25}, "Close"},
    {btnCancel, "btnCancel", K::Button, Form1, {303, 218, 75, 25}, "Cancel action", {}, false},
}};
// clang-format on

const ControlDesign kForm{Form1,   "Form1", K::Window, Form1, {0, 0, kFormWidth, kFormHeight},
                          kCaption};

} // namespace

std::span<const ControlDesign> FormControls() {
    return kControls;
}

const ControlDesign& DesignOf(Control control) {
    if (control == Form1) {
        return kForm;
    }
    const auto it = std::ranges::find(kControls, control, &ControlDesign::id);
    if (it == kControls.end()) {
        throw std::logic_error("control missing from the window's design");
    }
    return *it;
}
