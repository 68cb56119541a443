#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"

namespace tolvane {

inline constexpr std::string_view kOsVariableName = "os";
inline constexpr std::string_view kNtFamilyOsValue = "Windows_NT";
inline constexpr std::uint32_t kPlatformWin32Nt = 2;
inline constexpr std::uint32_t kVistaMajorVersion = 6;
inline constexpr std::string_view kUnknownEdition = "Unknown ?";

// True when the environment variable "os" is exactly "Windows_NT".
bool IsNTFamily(Environment& environment);

// The two numbers of the system's version record that the checks read.
struct OsVersionNumbers {
    std::uint32_t PlatformId = 0;
    std::uint32_t MajorVersion = 0;
};

class VersionQuery {
public:
    virtual ~VersionQuery() = default;
    // Both numbers 0 when the system does not answer.
    virtual OsVersionNumbers Read() = 0;
};

// The OperatingSystemSKU of every Win32_OperatingSystem instance, in the order they were met.
struct SkuReading {
    bool Succeeded = false;
    std::vector<std::int32_t> Values;
    std::string Failure; // the step that failed and the system's text, when !Succeeded
};

class SkuQuery {
public:
    virtual ~SkuQuery() = default;
    virtual SkuReading ReadOperatingSystemSkus() = 0;
};

// The edition name of an OperatingSystemSKU value, "Unknown ?" for one not in the table.
std::string_view EditionName(std::int32_t sku);

// Whether the system is Vista (NT family, major version 6, whatever the minor) and its edition,
// worked out once when the object is made.
class clsVistaCheck {
public:
    // Reads the version and, on Vista, the edition. When the edition cannot be read (the
    // management service is missing or fails) no object results: nullopt, which happens only on
    // a Vista-version system, so the window load then takes the version alone as Vista's. The SKU
    // service must outlive the object.
    static std::optional<clsVistaCheck> Create(VersionQuery& version, SkuQuery& sku);

    bool IsThisVista = false;
    std::string VistaCheckSKU;

    // The system's OperatingSystemSKU: the value of the last instance met, 0 when there is none;
    // nullopt when the management service fails or a value does not fit 32 bits.
    std::optional<std::int32_t> getOSSKU() const;

private:
    explicit clsVistaCheck(SkuQuery& sku) : sku_(&sku) {}

    SkuQuery* sku_;
};

} // namespace tolvane
