// A scripted stand-in for the window's toolkit: it keeps the state of every designed control,
// answers file dialogs and message boxes from queues, and records what the logic asked for.
// Unlike a real toolkit it refuses values outside a control's range, so that the logic cannot
// come to rely on a control bending them.
#pragma once

#include "app/Toolkit.h"

#include <deque>
#include <functional>
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
    std::map<int, std::string> itemHints = {}; // by list position
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

    // Run while the logic processes events or shows a box, so that a test can act in the
    // middle of an action: press "Cancel action", play the device, look at the state.
    std::function<void()> onProcessEvents;
    std::function<void(const MessageRequest&)> onMessage;

    std::string Text(Control c) const override { return Get(c).text; }
    void SetText(Control c, const std::string& text) override { (*this)[c].text = text; }
    bool Checked(Control c) const override { return Get(c).checked; }
    void SetChecked(Control control, bool checked) override;
    int Value(Control c) const override { return Get(c).value; }
    void SetValue(Control control, int value) override;
    int Maximum(Control c) const override { return Get(c).maximum; }
    void SetMaximum(Control c, int maximum) override { (*this)[c].maximum = maximum; }
    void SetItems(Control control, const std::vector<std::string>& items) override;
    void SetItemHint(Control c, int position, const std::string& hint) override {
        (*this)[c].itemHints[position] = hint;
    }
    bool Enabled(Control c) const override { return Get(c).enabled; }
    void SetEnabled(Control c, bool enabled) override { (*this)[c].enabled = enabled; }
    bool Visible(Control c) const override { return Get(c).visible; }
    void SetVisible(Control c, bool visible) override { (*this)[c].visible = visible; }
    Bounds GetBounds(Control c) const override { return Get(c).bounds; }
    void SetBounds(Control control, const Bounds& bounds) override;
    void SetColour(Control c, Colour colour) override { (*this)[c].colour = colour; }
    void Repaint(Control c) override { ++(*this)[c].repaints; }
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;
    MessageButton ShowMessage(const MessageRequest& request) override;
    void ProcessEvents() override;
    void SetCursor(Cursor cursor) override;
    void CloseWindow() override { calls.push_back("CloseWindow"); }

private:
    const FakeControl& Get(Control control) const { return controls_.at(control); }

    std::map<Control, FakeControl> controls_;
};
