#pragma once
// The help document: an HTML file beside the executable, each numbered
// topic an anchor "topic<number>" in it. Current Windows has no viewer for
// the old numbered-topic help files, so the browser is the viewer.

#include <string>
#include <string_view>

namespace pw::win {

// "file:///C:/dir/plenwk.htm#topic10", with the characters a URL cannot
// hold escaped. Empty when the path cannot be made into a URL.
std::wstring HelpTopicUrl(std::string_view path, int topic);

// Opens the document at the topic in the program registered for .htm
// files; where there is none, opens the document through the shell
// without the topic. True when something was started.
bool OpenHelpDocument(std::string_view path, int topic);

}  // namespace pw::win
