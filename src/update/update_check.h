#pragma once
// "Check for updates": asks the update server for its version list,
// compares the version listed for this program with the running one, and
// offers the what's-new page when a newer one exists. Nothing is stored
// or logged; the check only runs when the user asks.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_services.h"
#include "common/files.h"
#include "common/services.h"
#include "common/store.h"
#include "common/version.h"
#include "net/io_driver.h"
#include "update/http_get.h"

namespace pw::update {

inline constexpr std::string_view kProductId = "plenwick";
inline constexpr std::string_view kShortName = "plenwk";
inline constexpr std::string_view kTempFileName = "temp.txt";

inline constexpr std::string_view kAskCaption = "Check for latest version?";
inline constexpr std::string_view kAskText =
    "You are about to check for the latest version.\r\n You must be connected to the internet for this.\r\n\r\n"
    "Do you wish to continue?";
inline constexpr std::string_view kNewerCaption = "New Version Found";
inline constexpr std::string_view kLatestNotice = "You already have the latest version.";
inline constexpr std::string_view kUnreachableNotice = "The update server could not be reached.";
inline constexpr std::string_view kNoListNotice = "The update server did not send a version list for this program.";
// Followed by the time limit in seconds and " seconds.".
inline constexpr std::string_view kNoAnswerNotice = "The update server was reached but sent no complete answer within ";
// Followed by the setting in quotes.
inline constexpr std::string_view kNotAHostNotice = "The update server setting is not a host name: ";

// Versions longer than this, or with more components than are compared,
// are no version: a list naming one is a list without a version.
inline constexpr std::size_t kMaxVersionLength = 64;

// Version lists hold at most this many components worth comparing.
inline constexpr std::size_t kMaxVersionComponents = 9;

// What the check reaches of the system.
struct UpdateServices : AppServices {
    net::IoDriver& driver;
};

// Why a check found nothing newer without having a version to compare.
enum class CheckFailure {
    None,
    NotAHost,       // the configured server is no host name (empty, blanks, a bad port): nothing sent
    Unreachable,    // no connection, a name that does not resolve
    NoAnswer,       // connected, but no complete reply within the time limit
    NoVersionList,  // an error status, too many redirections, a reply that is no version list
};

class TVUpdateCheck {
public:
    // server: host with an optional ":port", for the version list and the
    // what's-new page.
    TVUpdateCheck(UpdateServices services, std::string server);

    std::string ProductId;
    // Where "temp.txt" goes, with its trailing separator.
    std::string TempDir;
    std::string ShortName;
    std::string CurrentVersion;
    // Results.
    std::string LatestVersion;
    bool NewerFound = false;
    CheckFailure Failure = CheckFailure::None;
    // The list could not go through "temp.txt" (the folder not writable)
    // and was read from memory instead.
    bool ListReadFromMemory = false;
    // The time limit of one download.
    int TimeoutMs = kHttpTimeoutMs;

    // Asks, then checks without waiting and answers with message boxes
    // when the answer has come; ended follows (also after a No). Errors of
    // the temporary file escape to the caller of the step that meets them:
    // Run itself, or ended's caller, the driver.
    void RunUpdateCheck(std::function<void()> ended);
    // Downloads and reads the version list; then(true) when it lists a
    // newer version. Sets LatestVersion and Failure.
    void FindNewerVersion(std::function<void(bool newer)> then);
    // One GET of url into a new file at path (replacing any file there);
    // then(true) only when the whole body came with status 200 and is in
    // the file. The body is also kept in memory (it is small) for when the
    // file cannot be written.
    void DownloadToFile(std::string_view url, std::string_view path, std::function<void(bool)> then);
    // Stops a check under way: nothing more is said.
    void Cancel() { get_.Cancel(); }
    bool Running() const { return get_.Running(); }

    std::string VersionListAddress() const;
    // Whether the configured server is a host name with an optional port.
    bool ServerIsHost() const;
    std::string WhatsNewAddress() const;

private:
    void AnswerUser(bool newer);
    bool ReadList(bool inFile, const std::string& file);

    UpdateServices s_;
    std::string server_;
    HttpGet get_;
    HttpResult lastResult_;
    std::string lastBody_;
    std::unique_ptr<FileWriter> file_;
    bool fileWhole_ = false;
};

// The version given for productId (lower case) in a version list: the rest
// of the first line that begins with it, blanks trimmed. Nothing when no
// line does, or when what that line gives is too long to be a version.
std::optional<std::string> ListedVersion(const std::vector<std::string>& lines, std::string_view productId);

// Whether listed is newer than running, comparing as many dot-separated
// components as listed has (at most nine) as numbers; a component that is
// not a number counts as 0, and a missing one of running too.
bool IsNewerVersion(std::string_view listed, std::string_view running);

// The About page's button: a check with this program's identity, the
// server from the store and the version from the version resource. Keep
// one for the program's life; it owns the check under way.
class UpdateChecker {
public:
    UpdateChecker(UpdateServices services, ProgramVersion version)
        : services_(services), version_(std::move(version)) {}

    // Errors that escape the check are shown in the error box. A click
    // while a check is still waiting for the server does nothing.
    void butCheckForUpdateClick();
    bool Running() const { return running_; }
    // The program ends: a check under way says nothing more.
    void Shutdown();

private:
    void Ended();

    UpdateServices services_;
    ProgramVersion version_;
    std::unique_ptr<TVUpdateCheck> check_;
    bool running_ = false;
    bool shut_ = false;
};

}  // namespace pw::update
