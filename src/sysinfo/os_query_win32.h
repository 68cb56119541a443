#pragma once

#include "sysinfo/os_version.h"

namespace tolvane {

// GetVersionExA with the 156-byte extended record. Without a manifest that names Windows 10 as
// supported, Windows 8.1 and later report themselves as 6.2 here.
class Win32VersionQuery : public VersionQuery {
public:
    OsVersionNumbers Read() override;
};

// Win32_OperatingSystem's OperatingSystemSKU from WMI's ROOT\CIMV2. COM is initialised for the
// call (single-threaded apartment) and uninitialised again only when this call initialised it;
// every WMI object is released before the call returns. A thread already in the multithreaded
// apartment is served in that apartment.
class WmiSkuQuery : public SkuQuery {
public:
    SkuReading ReadOperatingSystemSkus() override;
};

} // namespace tolvane
