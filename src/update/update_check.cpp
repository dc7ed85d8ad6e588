#include "update/update_check.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "common/errors.h"
#include "common/open_with_shell.h"
#include "common/text.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::update {

namespace {

// A component as a number: a whole decimal number in the 32-bit range,
// with an optional sign, blanks around it allowed; anything else is 0.
std::int64_t ComponentValue(std::string_view text) {
    const std::optional<std::int64_t> v = ParseDecimal(TrimControls(text));
    if (!v || *v > INT32_MAX || *v < -INT32_MAX) return 0;
    return *v;
}

}  // namespace

std::optional<std::string> ListedVersion(const std::vector<std::string>& lines, std::string_view productId) {
    for (const std::string& line : lines) {
        std::string t = LowerAscii(TrimControls(line));
        if (t.empty()) continue;
        if (t.compare(0, productId.size(), productId) != 0) continue;
        std::string_view version = TrimControls(std::string_view(t).substr(productId.size()));
        // A text of thousands of characters would make a box wider than
        // the screen, its buttons out of reach.
        if (version.size() > kMaxVersionLength ||
            static_cast<std::size_t>(std::count(version.begin(), version.end(), '.')) >= kMaxVersionComponents)
            return std::nullopt;
        return std::string(version);
    }
    return std::nullopt;
}

bool IsNewerVersion(std::string_view listed, std::string_view running) {
    std::vector<std::string> l = SplitString(listed, ".");
    std::vector<std::string> r = SplitString(running, ".");
    const std::size_t n = std::min(l.size(), kMaxVersionComponents);
    for (std::size_t i = 0; i < n; ++i) {
        std::int64_t a = ComponentValue(l[i]);
        std::int64_t b = i < r.size() ? ComponentValue(r[i]) : 0;
        if (a != b) return a > b;
    }
    return false;
}

TVUpdateCheck::TVUpdateCheck(UpdateServices services, std::string server)
    : s_(services), server_(std::move(server)), get_(services.driver) {}

std::string TVUpdateCheck::VersionListAddress() const { return "http://" + server_ + "/upgrades.txt"; }

bool TVUpdateCheck::ServerIsHost() const {
    // Nothing but the host and port may come from the setting: not a path,
    // not a blank that would end the request line.
    auto url = ParseHttpUrl(VersionListAddress());
    return url && url->authority == server_ && url->path == "/upgrades.txt";
}

// Made from the configured server only: a redirection or a reply never
// decides which page the browser opens.
std::string TVUpdateCheck::WhatsNewAddress() const { return "http://" + server_ + "/" + ShortName + "/whatsnew.shtml"; }

void TVUpdateCheck::RunUpdateCheck(std::function<void()> ended) {
    if (s_.boxes.Ask(kAskCaption, kAskText, Answer::Yes) != Answer::Yes) {
        ended();
        return;
    }
    NewerFound = false;
    FindNewerVersion([this, ended](bool newer) {
        // Ended even when the answer's file or box fails; the error goes on
        // to the error box.
        struct End {
            const std::function<void()>& ended;
            ~End() { ended(); }
        } end{ended};
        AnswerUser(newer);
    });
}

void TVUpdateCheck::AnswerUser(bool newer) {
    if (newer) {
        NewerFound = true;
        std::string text = "A newer version has been found (v" + LatestVersion + ")\r\n\r\nWould you like to read about it?";
        if (s_.boxes.Ask(kNewerCaption, text, Answer::Yes) == Answer::Yes) OpenWithShell(s_.shell, WhatsNewAddress());
        return;
    }
    s_.sound.Beep();
    switch (Failure) {
        case CheckFailure::None: s_.boxes.Show(kLatestNotice); break;
        case CheckFailure::Unreachable: s_.boxes.Show(kUnreachableNotice); break;
        case CheckFailure::NoAnswer:
            s_.boxes.Show(std::string(kNoAnswerNotice) + std::to_string((TimeoutMs + 999) / 1000) + " seconds.");
            break;
        case CheckFailure::NoVersionList: s_.boxes.Show(kNoListNotice); break;
        case CheckFailure::NotAHost: s_.boxes.Show(std::string(kNotAHostNotice) + "\"" + server_ + "\"."); break;
    }
}

void TVUpdateCheck::DownloadToFile(std::string_view url, std::string_view path, std::function<void(bool)> then) {
    lastBody_.clear();
    file_ = s_.files.CreateReplacement(path);
    fileWhole_ = file_ != nullptr;
    get_.TimeoutMs = TimeoutMs;
    get_.Start(
        url,
        [this](std::string_view bytes) {
            lastBody_.append(bytes);
            // A file that fails is given up, not the download: the list can
            // still be read from memory.
            if (fileWhole_ && !file_->Write(bytes)) fileWhole_ = false;
            return true;
        },
        [this, then = std::move(then)](const HttpResult& result) {
            lastResult_ = result;
            const bool ok = lastResult_.Completed() && lastResult_.status == 200 && fileWhole_ && file_->Commit();
            file_.reset();
            then(ok);
        });
}

void TVUpdateCheck::FindNewerVersion(std::function<void(bool newer)> then) {
    LatestVersion.clear();
    Failure = CheckFailure::None;
    ListReadFromMemory = false;
    if (!ServerIsHost()) {
        Failure = CheckFailure::NotAHost;
        then(false);
        return;
    }
    const std::string file = TempDir + std::string(kTempFileName);
    DownloadToFile(VersionListAddress(), file, [this, file, then = std::move(then)](bool inFile) {
        then(ReadList(inFile, file));
    });
}

bool TVUpdateCheck::ReadList(bool inFile, const std::string& file) {
    const std::string id = LowerAscii(ProductId);
    const bool received = lastResult_.Completed() && lastResult_.status == 200;
    std::optional<std::vector<std::string>> lines;
    if (inFile) lines = s_.files.ReadLines(file);
    if (received && !lines) {
        lines = SplitLines(s_.files.FromFileText(lastBody_));
        ListReadFromMemory = true;
    }
    if (s_.files.FileExists(file)) s_.files.Remove(file);
    lastBody_.clear();

    if (!received) {
        Failure = lastResult_.Unreachable() ? CheckFailure::Unreachable
                  : lastResult_.NoAnswer()  ? CheckFailure::NoAnswer
                                            : CheckFailure::NoVersionList;
        return false;
    }
    std::optional<std::string> listed = ListedVersion(*lines, id);
    // A page without a version for this program (a provider's notice, a
    // list of other products) says nothing about whether one is newer.
    if (!listed || listed->empty()) {
        Failure = CheckFailure::NoVersionList;
        return false;
    }
    LatestVersion = *listed;
    if (CurrentVersion.empty()) return false;
    return IsNewerVersion(LatestVersion, CurrentVersion);
}

void UpdateChecker::butCheckForUpdateClick() {
    // The box and the wait for the server leave the loop running, so the
    // button can be clicked again before the first check has ended.
    if (running_ || shut_) return;
    running_ = true;
    try {
        check_ = std::make_unique<TVUpdateCheck>(
            services_, cfg::Read(services_.store, cfg::kSettingsKey, cfg::global::UpdateServer));
        check_->ProductId = kProductId;
        check_->ShortName = kShortName;
        check_->TempDir = services_.files.ExecutableDirectory();
        check_->CurrentVersion = version_.fileVersionText;
        check_->RunUpdateCheck([this] { Ended(); });
    } catch (const std::exception& e) {
        running_ = false;
        services_.boxes.ShowError(e.what());
    }
}

void UpdateChecker::Ended() {
    // The check is not freed here, inside its own call: the next click
    // replaces it.
    running_ = false;
}

void UpdateChecker::Shutdown() {
    shut_ = true;
    if (check_) check_->Cancel();
}

}  // namespace pw::update
