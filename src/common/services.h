#pragma once
// Small interfaces through which portable code reaches the desktop: sounds,
// message boxes and the shell. Windows implements them for the program;
// tests use recording fakes (tests/support/fake_services.h).

#include <string>
#include <string_view>

namespace pw {

class Sound {
public:
    virtual ~Sound() = default;
    // Starts a wave file asynchronously; a later sound replaces one still
    // playing. A file that cannot be found plays the system's default sound.
    virtual void PlayFile(std::string_view path) = 0;
    // The default system beep.
    virtual void Beep() = 0;
};

enum class Answer { Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain notice with an OK button, captioned with the application title.
    virtual void Show(std::string_view text) = 0;
    // The program's error box (an error that stopped an operation).
    virtual void ShowError(std::string_view text) = 0;
    // A Yes/No question with the question icon; defaultAnswer is the
    // button Enter presses. Only a Yes the user gave is a Yes: a box closed
    // without an answer, or by the program ending, is a No.
    virtual Answer Ask(std::string_view caption, std::string_view text, Answer defaultAnswer) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or web address with its associated application, the
    // default verb, shown normally. True when the shell reports success.
    virtual bool Open(std::string_view pathOrAddress) = 0;
};

}  // namespace pw
