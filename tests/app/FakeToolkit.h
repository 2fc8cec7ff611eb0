// A scripted stand-in for the window's toolkit: it keeps the state of every designed control,
// answers file dialogs and message boxes from queues, and records what the logic asked for.
#pragma once

#include "app/Toolkit.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct FakeControl {
    std::string text;
    bool checked = false;
    int value = 0;
    int minimum = 0;
    int maximum = 0;
    std::vector<std::string> items = {};
    bool enabled = true;
    bool visible = true;
    Bounds bounds;
    Colour colour = Colour::Window;
    int repaints = 0;
};

class FakeToolkit final : public Toolkit {
public:
    // Where "the system" puts the window before the settings move it.
    static constexpr Bounds kSystemPosition{300, 200, kFormWidth, kFormHeight};

    FakeToolkit();

    FakeControl& operator[](Control control) { return controls_.at(control); }

    // Scripted answers. An empty dialog queue cancels; an empty message queue presses the
    // box's default button.
    std::deque<std::optional<std::string>> dialogAnswers;
    std::deque<MessageButton> messageAnswers;

    // What the logic asked for.
    std::vector<FileDialogRequest> dialogRequests;
    std::vector<MessageRequest> messages;
    std::vector<std::string> calls; // "ProcessEvents", "Cursor Hourglass", "CloseWindow", ...
    Cursor cursor = Cursor::Arrow;

    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    bool Checked(Control control) const override;
    void SetChecked(Control control, bool checked) override;
    int Value(Control control) const override;
    void SetValue(Control control, int value) override;
    int Maximum(Control control) const override;
    void SetMaximum(Control control, int maximum) override;
    void SetItems(Control control, const std::vector<std::string>& items) override;
    bool Enabled(Control control) const override;
    void SetEnabled(Control control, bool enabled) override;
    bool Visible(Control control) const override;
    void SetVisible(Control control, bool visible) override;
    Bounds GetBounds(Control control) const override;
    void SetBounds(Control control, const Bounds& bounds) override;
    void SetColour(Control control, Colour colour) override;
    void Repaint(Control control) override;
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;
    MessageButton ShowMessage(const MessageRequest& request) override;
    void ProcessEvents() override;
    void SetCursor(Cursor cursor) override;
    void CloseWindow() override;

private:
    const FakeControl& Get(Control control) const { return controls_.at(control); }

    std::map<Control, FakeControl> controls_;
};
