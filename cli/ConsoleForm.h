// The window's own actions on the command line: the window's logic runs on the console toolkit,
// with its connection controls set from the options, so that the commands show the very texts,
// checks and clean-up of the window's buttons.
#pragma once

#include "app/Main.h"
#include "cli/ConsoleToolkit.h"
#include "cli/TransferSettings.h"

#include <string>

class ConsoleForm {
public:
    // settingsFile: where the logger tables are read before each conversion; the window's own
    // keys are neither read nor written.
    ConsoleForm(CliIo& io, ConsoleAnswers answers, const std::string& settingsFile);
    ~ConsoleForm();
    ConsoleForm(const ConsoleForm&) = delete;
    ConsoleForm& operator=(const ConsoleForm&) = delete;

    // "Serial" with the entry of COM N, or "IP network" with the host and the target port; the
    // reply time-out; the silence that ends a packet on the line.
    void Connect(const TransferSettings& settings);

    TForm1& Form() { return form_; }
    const ConsoleToolkit& Toolkit() const { return ui_; }
    // The exit status of the action run: 1 after a warning or a question answered no, else 0.
    int Status() const { return ui_.Failed() ? 1 : 0; }

private:
    ConsoleToolkit ui_;
    TForm1 form_;
};
