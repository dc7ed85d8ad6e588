#pragma once
// The settings dialog's window for tests: a map of control states, and
// scripted answers for the input box and the common dialogs. A test acts as
// the user does: it changes a control's state, then reports the event.

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/control_state.h"
#include "ui/dialog_view.h"

namespace pw::test {

class FakeDialogView : public ui::DialogView {
public:
    using Control = ui::ControlState;

    std::string caption;
    ui::Page page = ui::Page::Schedules;
    bool visible = false;
    std::map<ui::Ctl, Control> controls;
    // Each input box takes the next answer (nothing = Cancel) and records
    // its prompt.
    std::deque<std::optional<std::string>> inputAnswers;
    std::vector<std::string> inputPrompts;
    std::vector<std::string> inputInitials;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<ui::FileDialogRequest> fileRequests;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<std::string> folderStarts;
    std::deque<std::optional<std::uint32_t>> colourAnswers;
    std::vector<std::uint32_t> colourStarts;

    Control& operator[](ui::Ctl c) { return controls[c]; }

    void SetCaption(std::string_view c) override { caption = c; }
    void SelectPage(ui::Page p) override { page = p; }
    ui::Page SelectedPage() override { return page; }
    void ShowDialog() override { visible = true; }
    void HideDialog() override { visible = false; }
    bool DialogVisible() override { return visible; }
    std::string Text(ui::Ctl c) override { return controls[c].text; }
    void SetText(ui::Ctl c, std::string_view t) override { controls[c].text = t; }
    bool Checked(ui::Ctl c) override { return controls[c].checked; }
    void SetChecked(ui::Ctl c, bool on) override { controls[c].checked = on; }
    void SetEnabled(ui::Ctl c, bool on) override { controls[c].enabled = on; }
    void SetItems(ui::Ctl c, const std::vector<std::string>& items) override { controls[c].items = items; }
    int Selected(ui::Ctl c) override { return controls[c].selected; }
    void SetSelected(ui::Ctl c, int i) override { controls[c].selected = i; }
    DateTime Value(ui::Ctl c) override { return controls[c].value; }
    void SetValue(ui::Ctl c, DateTime v) override { controls[c].value = v; }
    int Position(ui::Ctl c) override { return controls[c].position; }
    void SetPosition(ui::Ctl c, int p) override { controls[c].position = p; }
    void SetColour(ui::Ctl c, std::uint32_t colour) override { controls[c].colour = colour; }

    std::optional<std::string> InputBox(std::string_view, std::string_view prompt, std::string_view initial) override {
        inputPrompts.emplace_back(prompt);
        inputInitials.emplace_back(initial);
        return Next(inputAnswers);
    }
    std::optional<std::string> OpenFileDialog(const ui::FileDialogRequest& r) override {
        fileRequests.push_back(r);
        return Next(fileAnswers);
    }
    std::optional<std::string> FolderDialog(std::string_view start) override {
        folderStarts.emplace_back(start);
        return Next(folderAnswers);
    }
    std::optional<std::uint32_t> ColourDialog(std::uint32_t initial) override {
        colourStarts.push_back(initial);
        return Next(colourAnswers);
    }

private:
    template <class T>
    static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace pw::test
