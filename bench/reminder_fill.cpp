// Native: the portable part of showing 300 reminders (splitting the items,
// logging, building the one rich text document the window streams in),
// against a baseline of copying the same lines into one plain string, the
// least any fill of the text area has to do.
#include "reminder_fill.h"

#include <algorithm>
#include <cstdio>

#include "common/memory_store.h"
#include "config/global_settings.h"
#include "support/fake_reminder_view.h"

namespace {

// The view as the Windows window is, minus the control: the document is
// built exactly as it is built there.
class DocumentView : public pw::test::FakeReminderView {
public:
    void SetText(const std::vector<pw::app::StyledLine>& lines) override {
        document = pw::app::RichText(lines);
        FakeReminderView::SetText(lines);
    }
    std::string document;
};

}  // namespace

int main() {
    using namespace pw;
    const auto items = bench::DueReminders(bench::kReminders);
    MemoryStore store;
    cfg::GlobalSettings settings;
    settings.LogReminders = true;
    std::size_t logged = 0;
    DocumentView view;
    app::ReminderWindow window(view, store, settings, [&logged](std::string_view m) { logged += m.size(); },
                                 ProgramVersion{});
    window.FormCreate();

    const double fill = bench::BestMs(20, [&] { window.ShowReminders(items); });
    std::string plain;
    const double copy = bench::BestMs(20, [&] {
        plain.clear();
        for (const auto& line : view.lines) plain.append(line.text).append("\r\n");
    });
    std::printf("%d reminders: one-step fill (split, log, rich text of %zu bytes): %.3f ms\n", bench::kReminders,
                view.document.size(), fill);
    std::printf("baseline, the same %zu lines copied into one plain text: %.3f ms\n", view.lines.size(), copy);
    std::printf("fill / baseline: %.1fx\n", fill / std::max(copy, 1e-6));
    return 0;
}
