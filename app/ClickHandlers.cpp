#include "app/ClickHandlers.h"

#include "app/Main.h"

std::span<const ClickHandler> ClickHandlers() {
    using enum Control;
    static constexpr ClickHandler kHandlers[] = {
        {rb1, &TForm1::rb2Click},
        {rb2, &TForm1::rb2Click},
        {btnClose, &TForm1::btnCloseClick},
        {btnFirmware, &TForm1::btnFirmwareClick},
        {btnGet, &TForm1::btnGetClick},
        {btnPut, &TForm1::btnPutClick},
        {btnCancel, &TForm1::btnCancelClick},
        {btnsetTransfermode, &TForm1::btnsetTransfermodeClick},
        {btnReadLogger, &TForm1::btnReadLoggerClick},
        {btnconvertLogger, &TForm1::btnconvertLoggerClick},
    };
    return kHandlers;
}
