#pragma once

#include <memory>
#include <optional>

#include "platform/scoped_win32.h"
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

// Another edition query's reading, made on a thread of its own from the moment this object is
// made and waited for at most limitMs at the first call. A reading not there by then counts as a
// failed one; the first call's answer is every later call's too, so no call waits longer. A late
// answer lands in state the thread shares with this object, and the query is released only once
// neither needs it, however long the thread runs.
class TimeLimitedSkuQuery : public SkuQuery {
public:
    TimeLimitedSkuQuery(std::shared_ptr<SkuQuery> query, DWORD limitMs);
    SkuReading ReadOperatingSystemSkus() override;

private:
    struct Pending {
        std::shared_ptr<SkuQuery> Query;
        SkuReading Reading;
    };
    static DWORD WINAPI ReadOnItsThread(void* threadsShare) noexcept;

    std::shared_ptr<Pending> pending_;
    win32::ScopedHandle thread_;
    DWORD limitMs_;
    std::optional<SkuReading> first_;
};

} // namespace tolvane
