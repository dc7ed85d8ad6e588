#pragma once
// Recording fakes of the desktop services: each call is appended to a
// shared event list, so tests can check what happened and in which order
// ("beep", "box:Log file trimmed.", "play:C:\x.wav", "open:...").

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/services.h"

namespace pw::test {

struct Events {
    std::vector<std::string> list;
    void Add(std::string e) { list.push_back(std::move(e)); }
    void Clear() { list.clear(); }
};

class FakeSound : public Sound {
public:
    explicit FakeSound(Events& e) : events_(e) {}
    void PlayFile(std::string_view path) override { events_.Add("play:" + std::string(path)); }
    void Beep() override { events_.Add("beep"); }

private:
    Events& events_;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    explicit FakeMessageBoxes(Events& e) : events_(e) {}
    void Show(std::string_view text) override {
        events_.Add("box:" + std::string(text));
        // Once: what the user does while this box is up.
        if (auto f = std::exchange(whileShown, nullptr)) f();
    }
    void ShowError(std::string_view text) override { events_.Add("error:" + std::string(text)); }
    Answer Ask(std::string_view caption, std::string_view text, Answer def) override {
        events_.Add("ask:" + std::string(caption) + "|" + std::string(text));
        if (answers.empty()) return def;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<Answer> answers;  // next answers to questions; the default when empty
    std::function<void()> whileShown;

private:
    Events& events_;
};

class FakeShell : public Shell {
public:
    explicit FakeShell(Events& e) : events_(e) {}
    bool Open(std::string_view what) override {
        events_.Add("open:" + std::string(what));
        return succeed;
    }
    bool succeed = true;

private:
    Events& events_;
};

}  // namespace pw::test
