#include "tests/kit/FakeToolkit.h"

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

void FakeToolkit::SetValue(Control control, int value) {
    FakeControl& state = controls_.at(control);
    const bool inRange = control == Control::cbPort
                             ? value >= -1 && value < static_cast<int>(state.items.size())
                             : value >= state.minimum && value <= state.maximum;
    if (!inRange) {
        throw std::logic_error("value " + std::to_string(value) + " outside the range of " +
                               std::string(DesignOf(control).name));
    }
    state.value = value;
}

void FakeToolkit::SetItems(Control control, const std::vector<std::string>& items) {
    controls_.at(control).items = items;
    controls_.at(control).itemHints.clear();
    controls_.at(control).value = -1;
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
    if (onMessage) {
        onMessage(request);
    }
    if (messageAnswers.empty()) {
        return request.buttons.at(request.defaultButton);
    }
    const MessageButton answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

void FakeToolkit::ProcessEvents() {
    calls.push_back("ProcessEvents");
    if (onProcessEvents) {
        onProcessEvents();
    }
}

void FakeToolkit::SetCursor(Cursor newCursor) {
    cursor = newCursor;
    calls.push_back(newCursor == Cursor::Hourglass ? "Cursor Hourglass" : "Cursor Arrow");
}
