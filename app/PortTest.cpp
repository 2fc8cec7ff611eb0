// The test of a COM port the user picks: the port is opened and closed again at once with a
// short-lived serial port object of its own, and the list turns light red when that fails.
#include "app/Main.h"

#include "serial/zivud232.h"

namespace {

// The port test only asks whether the port opens; the speed is of no consequence.
constexpr std::int32_t kTestBaud = 9600;

} // namespace

void TForm1::cbPortChange() {
    TestComPort();
}

void TForm1::cbPortCloseUp() {
    TestComPort();
}

void TForm1::cbPortDropDown() {
    // The list is shown in its normal colour while the user chooses.
    ui_.SetColour(Control::cbPort, Colour::Window);
}

void TForm1::TestComPort() {
    TPivotobject port;
    const bool opened = port.OpenPort(ui_.Value(Control::cbPort) + 1, kTestBaud, 'n');
    ui_.SetColour(Control::cbPort, opened ? Colour::Window : Colour::LightRed);
}
