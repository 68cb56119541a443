#include "scan/scan_settings.h"

#include <stdexcept>

namespace tolvane {

std::string& ScanSettings::Drive(int number) {
    return const_cast<std::string&>(static_cast<const ScanSettings&>(*this).Drive(number));
}

const std::string& ScanSettings::Drive(int number) const {
    switch (number) {
    case 1: return Drive1;
    case 2: return Drive2;
    case 3: return Drive3;
    case 4: return Drive4;
    case 5: return Drive5;
    default: throw std::out_of_range("drive number");
    }
}

int& ScanSettings::DriveCheck(int number) {
    switch (number) {
    case 2: return Drive2Check;
    case 3: return Drive3Check;
    case 4: return Drive4Check;
    case 5: return Drive5Check;
    default: throw std::out_of_range("drive check number");
    }
}

int ScanSettings::DriveCheck(int number) const {
    return const_cast<ScanSettings&>(*this).DriveCheck(number);
}

} // namespace tolvane
