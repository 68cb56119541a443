#include "sysinfo/os_version.h"

namespace tolvane {

bool IsNTFamily(Environment& environment) {
    const std::optional<std::string> value = environment.Get(kOsVariableName);
    return value && *value == kNtFamilyOsValue;
}

std::string_view EditionName(std::int32_t sku) {
    switch (sku) {
    case 1: return "Ultimate";
    case 2: return "Home Basic";
    case 3: return "Home Premium";
    case 4: return "Enterprise";
    case 5: return "Home Basic N";
    case 6: return "Business";
    case 16: return "Business N";
    default: return kUnknownEdition;
    }
}

std::optional<clsVistaCheck> clsVistaCheck::Create(VersionQuery& version, SkuQuery& sku) {
    clsVistaCheck check(sku);
    const OsVersionNumbers numbers = version.Read();
    if (numbers.PlatformId != kPlatformWin32Nt) {
        return check;
    }
    if (numbers.MajorVersion != kVistaMajorVersion) {
        check.VistaCheckSKU.clear();
        return check;
    }
    check.IsThisVista = true;
    const std::optional<std::int32_t> edition = check.getOSSKU();
    if (!edition) {
        return std::nullopt;
    }
    check.VistaCheckSKU = EditionName(*edition);
    return check;
}

std::optional<std::int32_t> clsVistaCheck::getOSSKU() const {
    const SkuReading reading = sku_->ReadOperatingSystemSkus();
    if (!reading.Succeeded) {
        return std::nullopt;
    }
    return reading.Values.empty() ? 0 : reading.Values.back();
}

} // namespace tolvane
