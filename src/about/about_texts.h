#pragma once

#include <string>
#include <string_view>

// The texts of the About window, kept apart from the window so they can be checked anywhere.
namespace tolvane::about {

// The maker's home page, shown and opened by the About window's address label.
inline constexpr std::string_view kMakerWebAddress = "https://tolvane.example.org/";

inline constexpr std::string_view kCaptionPrefix = "About ";
inline constexpr std::string_view kVersionPrefix = "Version ";
inline constexpr std::string_view kOkCaption = "OK";

inline constexpr std::string_view kDescription =
    "Tolvane automates the Windows chkdsk utility. It is meant for a technician's bench computer "
    "or Windows PE, where chkdsk can work freely on a partition that is not the system's own "
    "drive. It helps with badly corrupted partitions that need several scans, and confirms that "
    "a partition is clean once the scans are done.";

inline constexpr std::string_view kDisclaimer =
    "Use at your own risk: provided as is, without warranty of any kind, under the MIT "
    "licence in LICENSE.txt.";

// "About " and the program title.
std::string Caption();
// "Version " and the major, minor and revision numbers, as in "Version 1.5.4".
std::string VersionLine();

} // namespace tolvane::about
