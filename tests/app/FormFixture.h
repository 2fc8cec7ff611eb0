// A window logic over the fake toolkit, with its program file in a fresh temporary folder, so
// that every test has its own settings file.
#pragma once

#include "app/Main.h"
#include "tests/kit/FakeToolkit.h"
#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

class FormTest : public ::testing::Test {
protected:
    fs::path ProgramPath() const { return folder.Path() / "quorvel"; }
    fs::path SettingsFile() const { return folder.Path() / "quorvel.INI"; }
    void WriteSettings(const std::string& text) const { WriteFile(SettingsFile(), text); }

    // Creates a new window (a new program run) and runs its start-up with these parameters.
    TForm1& Start(std::vector<std::string> params = {});
    // Closes the window as the toolkit does: FormClose runs.
    void Close() { form->FormClose(); }

    TempFolder folder;
    std::unique_ptr<FakeToolkit> ui;
    std::unique_ptr<TForm1> form;
};
