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

bool checkRunning = false;

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

TVUpdateCheck::TVUpdateCheck(UpdateServices services, std::string server) : s_(services), server_(std::move(server)) {}

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

void TVUpdateCheck::RunUpdateCheck() {
    if (s_.boxes.Ask(kAskCaption, kAskText, Answer::Yes) != Answer::Yes) return;
    NewerFound = false;
    if (FindNewerVersion()) {
        NewerFound = true;
        std::string text = "A newer version has been found (v" + LatestVersion + ")\r\n\r\nWould you like to read about it?";
        if (s_.boxes.Ask(kNewerCaption, text, Answer::Yes) == Answer::Yes) OpenWithShell(s_.shell, WhatsNewAddress());
        return;
    }
    if (Failure == CheckFailure::Cancelled) return;
    s_.sound.Beep();
    switch (Failure) {
        case CheckFailure::None: s_.boxes.Show(kLatestNotice); break;
        case CheckFailure::Unreachable: s_.boxes.Show(kUnreachableNotice); break;
        case CheckFailure::NoAnswer:
            s_.boxes.Show(std::string(kNoAnswerNotice) + std::to_string((TimeoutMs + 999) / 1000) + " seconds.");
            break;
        case CheckFailure::NoVersionList: s_.boxes.Show(kNoListNotice); break;
        case CheckFailure::NotAHost: s_.boxes.Show(std::string(kNotAHostNotice) + "\"" + server_ + "\"."); break;
        case CheckFailure::Cancelled: break;
    }
}

bool TVUpdateCheck::DownloadToFile(std::string_view url, std::string_view path) {
    lastBody_.clear();
    std::unique_ptr<FileWriter> file = s_.files.CreateReplacement(path);
    bool fileWhole = file != nullptr;
    HttpGet get(s_.sockets, s_.waiter);
    get.TimeoutMs = TimeoutMs;
    lastResult_ = get.Get(url, [&](std::string_view bytes) {
        lastBody_.append(bytes);
        // A file that fails is given up, not the download: the list can
        // still be read from memory.
        if (fileWhole && !file->Write(bytes)) fileWhole = false;
        return true;
    });
    if (!lastResult_.Completed() || lastResult_.status != 200) return false;
    return fileWhole && file->Commit();
}

bool TVUpdateCheck::FindNewerVersion() {
    LatestVersion.clear();
    Failure = CheckFailure::None;
    ListReadFromMemory = false;
    const std::string id = LowerAscii(ProductId);
    const std::string file = TempDir + std::string(kTempFileName);
    if (!ServerIsHost()) {
        Failure = CheckFailure::NotAHost;
        return false;
    }

    const bool inFile = DownloadToFile(VersionListAddress(), file);
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
        Failure = lastResult_.socketError == net::kWsaInterrupted ? CheckFailure::Cancelled
                  : lastResult_.Unreachable()                      ? CheckFailure::Unreachable
                  : lastResult_.NoAnswer()                         ? CheckFailure::NoAnswer
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

void butCheckForUpdateClick(UpdateServices services, const ProgramVersion& version) {
    // The wait for the server dispatches messages, so the button can be
    // clicked again before the first check has ended.
    if (checkRunning) return;
    checkRunning = true;
    struct Reset {
        ~Reset() { checkRunning = false; }
    } reset;
    try {
        auto check = std::make_unique<TVUpdateCheck>(services, cfg::Read(services.store, cfg::kSettingsKey, cfg::global::UpdateServer));
        check->ProductId = kProductId;
        check->ShortName = kShortName;
        check->TempDir = services.files.ExecutableDirectory();
        check->CurrentVersion = version.fileVersionText;
        check->RunUpdateCheck();
    } catch (const std::exception& e) {
        services.boxes.ShowError(e.what());
    }
}

}  // namespace pw::update
