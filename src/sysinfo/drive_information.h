#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sysinfo/drive_query.h"

namespace tolvane {

// The export whose presence decides between the extended space query and the cluster one.
inline constexpr std::string_view kSpaceExLibrary = "kernel32";
inline constexpr std::string_view kSpaceExFunction = "GetDiskFreeSpaceExW";

// The name of a drive-type value: "Fixed", "RAM Disk" (with a space) and so on; "Unknown" for
// anything outside 0 to 6.
std::string_view DriveTypeName(std::int32_t type);

// What setting Drive stores: when the first ":" is the second character, that character and
// the letter before it in upper case ("d: [DATA]" and "d:\Windows" give "D:"); then a "\" is
// appended unless the text ends with one. Characters count as UTF-8 code points; only ASCII
// letters change case, as drive letters are ASCII.
std::string NormaliseDrive(std::string_view newDrive);

// The text before the first NUL; without a NUL, the text without leading and trailing spaces.
std::string TrimAtNull(std::string_view rawText);

// A size for people: under 1024 "1,023 bytes" / "1 byte"; otherwise the quotient by the largest
// unit it reaches (KB, MB, GB, TB) with two decimals below 10, one below 100 and none from 100,
// so 1536 gives "1.50 KB" and 1,048,575 gives "1024 KB". The quotient is rounded once, exactly,
// half away from zero, in the shown digits ("99.96 GB" shows as "100.0 GB"). longDisplay adds
// " (1,536 bytes)" from 1024 on. Thousands are grouped by three.
std::string FormatSize(std::uint64_t size, bool longDisplay, const NumberSeparators& separators);

// The volume serial as the two four-digit hexadecimal groups people know ("1A2B-3C4D"); empty
// for serial 0.
std::string SerialNumberText(std::int32_t serial);

// Describes one drive or volume. Setting Drive normalises the text ("d: [DATA]" becomes "D:\")
// and reads the drive again. Most values are cached from the last read; a failed read is no
// error, it shows as Present() false with zero or empty values. The query service must outlive
// the object.
class CDriveInfo {
public:
    // Starts on the current directory's drive (its first three characters, as they are).
    explicit CDriveInfo(DriveQuery& query);

    void SetDrive(const std::string& newDrive);
    const std::string& Drive() const;
    // An empty label removes the volume label. A refused change is silent and keeps the cache.
    void SetLabel(const std::string& NewLabel);
    const std::string& Label() const;

    // These two query the space again, which also updates TotalSpace and Present.
    std::uint64_t AvailableSpace();
    std::uint64_t FreeSpace();
    // Asked of the system on every read.
    std::int32_t DriveType();
    std::string DriveTypeEx();

    const std::string& FileSystem() const;
    // True when every bit of Flag is set, so Flag 0 is always true.
    bool FileSystemFlag(std::int32_t Flag) const;
    std::int32_t FileSystemFlags() const;
    std::int32_t MaxFilenameLength() const;
    bool Present() const;
    // The serial in signed decimal ("-1056969216" for the bits C0FFEE00).
    std::string SerialNumber() const;
    std::string SerialNumberEx() const;
    // As the last Refresh or space query stored it.
    std::uint64_t TotalSpace() const;

    // FormatSize above, with the user's separators.
    std::string FormatSize(std::uint64_t size, bool longDisplay);
    // The space query, then the volume query when the drive is present; every field starts
    // cleared, so one that cannot be read is empty or zero.
    void Refresh();

private:
    bool FunctionAvailable(std::string_view LibraryName, std::string_view FunctionName);
    void RefreshSpace();
    void RefreshVolume();
    void ClearVolume();

    DriveQuery& query_;
    std::string driveRoot_;
    bool hasSpaceEx_ = false; // decided once, at creation
    bool isPresent_ = false;
    std::uint64_t availableBytes_ = 0;
    std::uint64_t freeBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
    std::string volumeLabel_;
    std::int32_t volumeSerial_ = 0;
    std::int32_t maxComponentLength_ = 0;
    std::int32_t fileSystemFlagBits_ = 0;
    std::string fileSystemName_;
};

} // namespace tolvane
