#include "sysinfo/os_query_win32.h"

#include <windows.h>

#include <oleauto.h>
#include <wbemidl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the version record the checks are written for");

// How long one step through the instances may take before the query counts as failed.
constexpr long kNextInstanceTimeoutMs = 30'000;

// The steps of the time-limited query that can fail, as SkuReading::Failure names them.
constexpr const char* kQueryThrew = "ReadOperatingSystemSkus failed: an exception";
constexpr const char* kThreadFailed = "CreateThread(edition query) failed: ";
constexpr const char* kNoAnswerLead = "Waiting for the edition query failed: no answer within ";

template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (pointer_ != nullptr) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }

private:
    Interface* pointer_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }
    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }
    VARIANT* Get() { return &value_; }

private:
    VARIANT value_;
};

std::string StepFailure(const char* step, HRESULT result) {
    const std::string code =
        "0x" + HexDigits(static_cast<std::uint32_t>(result), 8, HexLetters::Upper);
    return std::string(step) + " failed (" + code +
           "): " + win32::ErrorText(static_cast<DWORD>(result));
}

// Lets WMI act for the caller. An in-process object has no proxy to set, so failing here is
// not an error; a call that needed it fails later and is reported there.
void AllowImpersonation(IUnknown* object) {
    CoSetProxyBlanket(object, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

// Every instance's OperatingSystemSKU, in the order met; the failed step when one fails.
std::optional<std::string> ReadSkus(IEnumWbemClassObject* instances,
                                    std::vector<std::int32_t>& values) {
    for (;;) {
        ComPtr<IWbemClassObject> instance;
        ULONG returned = 0;
        HRESULT result = instances->Next(kNextInstanceTimeoutMs, 1, instance.Put(), &returned);
        if (FAILED(result) || result == WBEM_S_TIMEDOUT) {
            return StepFailure("IEnumWbemClassObject::Next", result);
        }
        if (returned == 0) {
            return std::nullopt;
        }
        Variant value;
        result = instance->Get(L"OperatingSystemSKU", 0, value.Get(), nullptr, nullptr);
        if (FAILED(result)) {
            return StepFailure("Get(OperatingSystemSKU)", result);
        }
        // A missing value (VT_NULL) or one beyond 32 signed bits fails the conversion.
        Variant number;
        result = VariantChangeType(number.Get(), value.Get(), 0, VT_I4);
        if (FAILED(result)) {
            return StepFailure("VariantChangeType(OperatingSystemSKU)", result);
        }
        values.push_back(static_cast<std::int32_t>(number.Get()->lVal));
    }
}

} // namespace

OsVersionNumbers Win32VersionQuery::Read() {
    OSVERSIONINFOEXA record{};
    record.dwOSVersionInfoSize = sizeof record;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record))) {
        return {};
    }
    return {record.dwPlatformId, record.dwMajorVersion};
}

SkuReading WmiSkuQuery::ReadOperatingSystemSkus() {
    SkuReading reading;
    // Made first, so it ends last: every COM object below is released while COM still runs.
    const win32::ScopedCom apartment(COINIT_APARTMENTTHREADED);
    if (!apartment.Usable()) {
        reading.Failure = StepFailure("CoInitializeEx", apartment.Result());
        return reading;
    }
    ComPtr<IWbemLocator> locator;
    HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWbemLocator, locator.PutVoid());
    if (FAILED(result)) {
        reading.Failure = StepFailure("CoCreateInstance(WbemLocator)", result);
        return reading;
    }
    ComPtr<IWbemServices> services;
    const Bstr space(L"ROOT\\CIMV2");
    result = locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.Put());
    if (FAILED(result)) {
        reading.Failure = StepFailure("ConnectServer(ROOT\\CIMV2)", result);
        return reading;
    }
    AllowImpersonation(services.Get());
    ComPtr<IEnumWbemClassObject> instances;
    const Bstr className(L"Win32_OperatingSystem");
    result = services->CreateInstanceEnum(className.Get(),
                                          WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                          nullptr, instances.Put());
    if (FAILED(result)) {
        reading.Failure = StepFailure("CreateInstanceEnum(Win32_OperatingSystem)", result);
        return reading;
    }
    AllowImpersonation(instances.Get());
    if (std::optional<std::string> failure = ReadSkus(instances.Get(), reading.Values)) {
        reading.Failure = std::move(*failure);
        return reading;
    }
    reading.Succeeded = true;
    return reading;
}

TimeLimitedSkuQuery::TimeLimitedSkuQuery(std::shared_ptr<SkuQuery> query, DWORD limitMs)
    : pending_(std::make_shared<Pending>(Pending{std::move(query), {false, {}, kQueryThrew}})),
      limitMs_(limitMs) {
    auto threadsShare = std::make_unique<std::shared_ptr<Pending>>(pending_);
    thread_.Reset(CreateThread(nullptr, 0, &ReadOnItsThread, threadsShare.get(), 0, nullptr));
    if (!thread_) {
        first_ = SkuReading{false, {}, kThreadFailed + win32::ErrorText(GetLastError())};
        return;
    }
    threadsShare.release(); // the thread's own from now on
}

DWORD WINAPI TimeLimitedSkuQuery::ReadOnItsThread(void* threadsShare) noexcept {
    const std::unique_ptr<std::shared_ptr<Pending>> pending(
        static_cast<std::shared_ptr<Pending>*>(threadsShare));
    try {
        (*pending)->Reading = (*pending)->Query->ReadOperatingSystemSkus();
    } catch (...) {
        // The reading keeps its failure.
    }
    return 0;
}

SkuReading TimeLimitedSkuQuery::ReadOperatingSystemSkus() {
    if (!first_) {
        // Once the thread has ended, it writes nothing more; before, its reading is not looked at.
        if (WaitForSingleObject(thread_.Get(), limitMs_) == WAIT_OBJECT_0) {
            first_ = pending_->Reading;
        } else {
            first_ = SkuReading{false, {}, kNoAnswerLead + std::to_string(limitMs_) + " ms"};
        }
        thread_.Reset();
        pending_.reset();
    }
    return *first_;
}

} // namespace tolvane
