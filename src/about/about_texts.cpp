#include "about/about_texts.h"

#include "version.h"

namespace tolvane::about {

std::string Caption() {
    return std::string(kCaptionPrefix) + version::kTitle;
}

std::string VersionLine() {
    return std::string(kVersionPrefix) + std::to_string(version::kMajor) + "." +
           std::to_string(version::kMinor) + "." + std::to_string(version::kRevision);
}

} // namespace tolvane::about
