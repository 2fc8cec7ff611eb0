#include "app/FakeToolkit.h"

#include <stdexcept>

FakeToolkit::FakeToolkit() {
    controls_[Control::Form1] =
        FakeControl{.text = std::string(DesignOf(Control::Form1).text), .bounds = kSystemPosition};
    for (const ControlDesign& design : FormControls()) {
        controls_[design.id] = FakeControl{.text = std::string(design.text),
                                           .value = design.value,
                                           .minimum = design.minimum,
                                           .maximum = design.maximum,
                                           .visible = design.visible,
                                           .bounds = design.bounds};
    }
    controls_[Control::cbPort].value = -1;
}

std::string FakeToolkit::Text(Control control) const {
    return Get(control).text;
}

void FakeToolkit::SetText(Control control, const std::string& text) {
    controls_.at(control).text = text;
}

bool FakeToolkit::Checked(Control control) const {
    return Get(control).checked;
}

void FakeToolkit::SetChecked(Control control, bool checked) {
    const ControlDesign& design = DesignOf(control);
    if (design.kind != ControlKind::RadioButton) {
        throw std::logic_error("SetChecked on a control that is no radio button");
    }
    if (checked) {
        for (const ControlDesign& sibling : FormControls()) {
            if (sibling.kind == ControlKind::RadioButton && sibling.parent == design.parent) {
                controls_.at(sibling.id).checked = false;
            }
        }
    }
    controls_.at(control).checked = checked;
}

int FakeToolkit::Value(Control control) const {
    return Get(control).value;
}

void FakeToolkit::SetValue(Control control, int value) {
    FakeControl& state = controls_.at(control);
    // The real controls would silently bend a value outside their range; the logic must not
    // rely on that, so the fake refuses it.
    const bool inRange = control == Control::cbPort
                             ? value >= -1 && value < static_cast<int>(state.items.size())
                             : value >= state.minimum && value <= state.maximum;
    if (!inRange) {
        throw std::logic_error("value " + std::to_string(value) + " outside the range of " +
                               std::string(DesignOf(control).name));
    }
    state.value = value;
}

int FakeToolkit::Maximum(Control control) const {
    return Get(control).maximum;
}

void FakeToolkit::SetMaximum(Control control, int maximum) {
    controls_.at(control).maximum = maximum;
}

void FakeToolkit::SetItems(Control control, const std::vector<std::string>& items) {
    controls_.at(control).items = items;
    controls_.at(control).value = -1;
}

bool FakeToolkit::Enabled(Control control) const {
    return Get(control).enabled;
}

void FakeToolkit::SetEnabled(Control control, bool enabled) {
    controls_.at(control).enabled = enabled;
}

bool FakeToolkit::Visible(Control control) const {
    return Get(control).visible;
}

void FakeToolkit::SetVisible(Control control, bool visible) {
    controls_.at(control).visible = visible;
}

Bounds FakeToolkit::GetBounds(Control control) const {
    return Get(control).bounds;
}

void FakeToolkit::SetBounds(Control control, const Bounds& bounds) {
    Bounds& current = controls_.at(control).bounds;
    if (control == Control::Form1) {
        current.left = bounds.left;
        current.top = bounds.top;
    } else {
        current = bounds;
    }
}

void FakeToolkit::SetColour(Control control, Colour colour) {
    controls_.at(control).colour = colour;
}

void FakeToolkit::Repaint(Control control) {
    ++controls_.at(control).repaints;
}

std::optional<std::string> FakeToolkit::RunFileDialog(const FileDialogRequest& request) {
    dialogRequests.push_back(request);
    calls.push_back("RunFileDialog " + std::string(request.setup->name));
    if (dialogAnswers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

MessageButton FakeToolkit::ShowMessage(const MessageRequest& request) {
    messages.push_back(request);
    calls.push_back("ShowMessage");
    if (messageAnswers.empty()) {
        return request.buttons.at(request.defaultButton);
    }
    const MessageButton answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

void FakeToolkit::ProcessEvents() {
    calls.push_back("ProcessEvents");
}

void FakeToolkit::SetCursor(Cursor newCursor) {
    cursor = newCursor;
    calls.push_back(newCursor == Cursor::Hourglass ? "Cursor Hourglass" : "Cursor Arrow");
}

void FakeToolkit::CloseWindow() {
    calls.push_back("CloseWindow");
}
