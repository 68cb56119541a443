#include "sysinfo/drive_information.h"

#include "platform/text.h"

#include <limits>

namespace tolvane {
namespace {

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The first count characters (UTF-8 code points) of text.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsUtf8Continuation(text[i]) && seen++ == count) {
            return text.substr(0, i);
        }
    }
    return text;
}

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return a * b;
}

std::string GroupThousands(std::uint64_t value, std::string_view separator) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += separator;
        }
        grouped += digits[i];
    }
    return grouped;
}

struct SizeUnit {
    std::uint64_t Divisor;
    std::string_view Text;
};

constexpr SizeUnit kSizeUnits[] = {
    {std::uint64_t{1} << 40, " TB"},
    {std::uint64_t{1} << 30, " GB"},
    {std::uint64_t{1} << 20, " MB"},
    {std::uint64_t{1} << 10, " KB"},
};

} // namespace

std::string_view DriveTypeName(std::int32_t type) {
    switch (type) {
    case 1: return "No Root Directory";
    case 2: return "Removable";
    case 3: return "Fixed";
    case 4: return "Remote";
    case 5: return "CD-ROM";
    case 6: return "RAM Disk";
    default: return "Unknown";
    }
}

std::string NormaliseDrive(std::string_view newDrive) {
    std::string root(newDrive);
    const std::size_t colon = newDrive.find(':');
    if (colon != std::string_view::npos && FirstCharacters(newDrive, 1).size() == colon) {
        root = AsciiUpper(newDrive.substr(0, colon + 1));
    }
    if (root.empty() || root.back() != '\\') {
        root += '\\';
    }
    return root;
}

std::string TrimAtNull(std::string_view rawText) {
    const std::size_t nul = rawText.find('\0');
    if (nul != std::string_view::npos) {
        return std::string(rawText.substr(0, nul));
    }
    const std::size_t first = rawText.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = rawText.find_last_not_of(' ');
    return std::string(rawText.substr(first, last - first + 1));
}

std::string FormatSize(std::uint64_t size, bool longDisplay, const NumberSeparators& separators) {
    if (size < 1024) {
        return GroupThousands(size, separators.Thousands) + (size == 1 ? " byte" : " bytes");
    }
    const SizeUnit* unit = &kSizeUnits[0];
    while (size < unit->Divisor) {
        ++unit;
    }
    // Whole part and remainder keep every step inside 64 bits: the remainder is below 2^40, so
    // scaling it by 100 cannot overflow, and the whole part is at most 2^24.
    const std::uint64_t whole = size / unit->Divisor;
    const std::uint64_t remainder = size % unit->Divisor;
    const int decimals = whole >= 100 ? 0 : whole >= 10 ? 1 : 2;
    const std::uint64_t scale = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
    const std::uint64_t scaledRemainder = remainder * scale;
    std::uint64_t shown = whole * scale + scaledRemainder / unit->Divisor;
    if ((scaledRemainder % unit->Divisor) * 2 >= unit->Divisor) {
        ++shown; // a tie rounds away from zero
    }
    std::string text = std::to_string(shown / scale);
    if (decimals > 0) {
        std::string fraction = std::to_string(shown % scale);
        fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
        text += separators.Decimal + fraction;
    }
    text += unit->Text;
    if (longDisplay) {
        text += " (" + GroupThousands(size, separators.Thousands) + " bytes)";
    }
    return text;
}

std::string SerialNumberText(std::int32_t serial) {
    if (serial == 0) {
        return {};
    }
    const auto bits = static_cast<std::uint32_t>(serial);
    return HexDigits(bits >> 16, 4, HexLetters::Upper) + "-" +
           HexDigits(bits & 0xFFFFu, 4, HexLetters::Upper);
}

CDriveInfo::CDriveInfo(DriveQuery& query) : query_(query) {
    hasSpaceEx_ = FunctionAvailable(kSpaceExLibrary, kSpaceExFunction);
    // Taken as it is, not normalised: "d:\Work" gives "d:\".
    driveRoot_ = std::string(FirstCharacters(query_.CurrentDirectory(), 3));
    Refresh();
}

void CDriveInfo::SetDrive(const std::string& newDrive) {
    driveRoot_ = NormaliseDrive(newDrive);
    Refresh();
}

const std::string& CDriveInfo::Drive() const {
    return driveRoot_;
}

void CDriveInfo::SetLabel(const std::string& NewLabel) {
    std::optional<std::string> name;
    if (!NewLabel.empty()) {
        name = NewLabel;
    }
    if (query_.ChangeVolumeLabel(driveRoot_, name)) {
        RefreshVolume();
    }
}

const std::string& CDriveInfo::Label() const {
    return volumeLabel_;
}

std::uint64_t CDriveInfo::AvailableSpace() {
    RefreshSpace();
    return availableBytes_;
}

std::uint64_t CDriveInfo::FreeSpace() {
    RefreshSpace();
    return freeBytes_;
}

std::int32_t CDriveInfo::DriveType() {
    return query_.DriveType(driveRoot_);
}

std::string CDriveInfo::DriveTypeEx() {
    return std::string(DriveTypeName(DriveType()));
}

const std::string& CDriveInfo::FileSystem() const {
    return fileSystemName_;
}

bool CDriveInfo::FileSystemFlag(std::int32_t Flag) const {
    return (fileSystemFlagBits_ & Flag) == Flag;
}

std::int32_t CDriveInfo::FileSystemFlags() const {
    return fileSystemFlagBits_;
}

std::int32_t CDriveInfo::MaxFilenameLength() const {
    return maxComponentLength_;
}

bool CDriveInfo::Present() const {
    return isPresent_;
}

std::string CDriveInfo::SerialNumber() const {
    return std::to_string(volumeSerial_);
}

std::string CDriveInfo::SerialNumberEx() const {
    return SerialNumberText(volumeSerial_);
}

std::uint64_t CDriveInfo::TotalSpace() const {
    return totalBytes_;
}

std::string CDriveInfo::FormatSize(std::uint64_t size, bool longDisplay) {
    return tolvane::FormatSize(size, longDisplay, query_.Separators());
}

void CDriveInfo::Refresh() {
    // Every field starts cleared: one that cannot be read is empty, never another drive's (a
    // damaged disk read after a RAM disk must not take its label).
    ClearVolume();
    RefreshSpace();
    if (isPresent_) {
        RefreshVolume();
    }
}

void CDriveInfo::ClearVolume() {
    volumeLabel_.clear();
    volumeSerial_ = 0;
    maxComponentLength_ = 0;
    fileSystemFlagBits_ = 0;
    fileSystemName_.clear();
}

bool CDriveInfo::FunctionAvailable(std::string_view LibraryName, std::string_view FunctionName) {
    return query_.FunctionAvailable(std::string(LibraryName), std::string(FunctionName));
}

void CDriveInfo::RefreshSpace() {
    availableBytes_ = 0;
    totalBytes_ = 0;
    freeBytes_ = 0;
    isPresent_ = false;
    if (hasSpaceEx_) {
        const std::optional<DiskSpace> space = query_.FreeSpaceEx(driveRoot_);
        if (!space) {
            return;
        }
        availableBytes_ = space->AvailableToCaller;
        totalBytes_ = space->Total;
        freeBytes_ = space->TotalFree;
        isPresent_ = true;
        return;
    }
    const std::optional<ClusterCounts> clusters = query_.FreeSpaceClusters(driveRoot_);
    if (!clusters) {
        return;
    }
    // The products are taken in 64 bits, so a volume over 2 GB is counted right; clusters times
    // a cluster size no volume can have saturate rather than wrap.
    const std::uint64_t clusterBytes =
        std::uint64_t{clusters->SectorsPerCluster} * clusters->BytesPerSector;
    totalBytes_ = SaturatingProduct(clusterBytes, clusters->TotalClusters);
    freeBytes_ = SaturatingProduct(clusterBytes, clusters->FreeClusters);
    availableBytes_ = freeBytes_;
    isPresent_ = true;
}

void CDriveInfo::RefreshVolume() {
    const std::optional<VolumeDetails> volume = query_.VolumeInformation(driveRoot_);
    if (!volume) {
        ClearVolume();
        isPresent_ = false;
        return;
    }
    volumeLabel_ = TrimAtNull(volume->LabelBuffer);
    fileSystemName_ = TrimAtNull(volume->FileSystemBuffer);
    volumeSerial_ = volume->Serial;
    maxComponentLength_ = volume->MaxComponentLength;
    fileSystemFlagBits_ = volume->FlagBits;
    isPresent_ = true;
}

} // namespace tolvane
