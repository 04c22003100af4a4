#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
// The firewall's CLSIDs and IIDs are not in MinGW's libuuid: this file defines them, and it alone.
#include <initguid.h>
#include <netfw.h>

#include <memory>
#include <string>

#include "base/scoped_handle_win.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "base/wide_win.h"
#include "engine/privileges.h"

namespace engine {
namespace {

constexpr long kPrivateAndPublicProfiles = 6;  // NET_FW_PROFILE2_PRIVATE | NET_FW_PROFILE2_PUBLIC
constexpr long kAnyProtocol = 256;             // NET_FW_IP_PROTOCOL_ANY
constexpr DWORD kTokenAllAccess = 0xF01FF;
constexpr int kMaxRulesRemoved = 64;

// An owned COM interface pointer.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (p_ != nullptr) {
            p_->Release();
            p_ = nullptr;
        }
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(std::u16string_view text)
        : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return b_; }
    BSTR* Put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::u16string_view View() const {
        return b_ == nullptr ? std::u16string_view()
                             : std::u16string_view(reinterpret_cast<const char16_t*>(b_), SysStringLen(b_));
    }

private:
    BSTR b_ = nullptr;
};

// COM for the calling thread, for as long as the object lives; harmless where it is already running.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

bool RuleIsInPlace(INetFwRules* rules, const Bstr& name, std::u16string_view path) {
    ComRef<INetFwRule> rule;
    if (FAILED(rules->Item(name.Get(), rule.Put())) || !rule) {
        return false;
    }
    long profiles = 0;
    long protocol = 0;
    Bstr application;
    return SUCCEEDED(rule->get_Profiles(&profiles)) &&
           (profiles & kPrivateAndPublicProfiles) == kPrivateAndPublicProfiles &&
           SUCCEEDED(rule->get_ApplicationName(application.Put())) && application.View() == path &&
           SUCCEEDED(rule->get_Protocol(&protocol)) && protocol == kAnyProtocol;
}

// Through the firewall policy of Vista and later: a rule for the application in the private and public
// profiles, any protocol.
HRESULT AddFirewallRule(std::u16string_view name, std::u16string_view path) {
    ComRef<INetFwPolicy2> policy;
    HRESULT hr = CoCreateInstance(CLSID_NetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwPolicy2,
                                  policy.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<INetFwRules> rules;
    if (FAILED(hr = policy->get_Rules(rules.Put()))) {
        return hr;
    }
    const Bstr ruleName(name);
    if (RuleIsInPlace(rules.Get(), ruleName, path)) {
        return S_OK;
    }
    for (int i = 0; i < kMaxRulesRemoved; ++i) {
        ComRef<INetFwRule> old;
        if (FAILED(rules->Item(ruleName.Get(), old.Put())) || !old || FAILED(rules->Remove(ruleName.Get()))) {
            break;
        }
    }
    ComRef<INetFwRule> rule;
    if (FAILED(hr = CoCreateInstance(CLSID_NetFwRule, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwRule,
                                     rule.PutVoid()))) {
        return hr;
    }
    const Bstr application(path);
    rule->put_Name(ruleName.Get());
    rule->put_Description(ruleName.Get());
    rule->put_ApplicationName(application.Get());
    rule->put_Profiles(kPrivateAndPublicProfiles);
    rule->put_Protocol(kAnyProtocol);
    rule->put_Enabled(VARIANT_TRUE);
    return rules->Add(rule.Get());
}

// The firewall manager of older systems: the application among the current profile's authorised ones.
HRESULT AuthorizeApplication(std::u16string_view name, std::u16string_view path) {
    ComRef<INetFwMgr> manager;
    HRESULT hr =
        CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr, manager.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<INetFwPolicy> policy;
    ComRef<INetFwProfile> profile;
    ComRef<INetFwAuthorizedApplications> applications;
    if (FAILED(hr = manager->get_LocalPolicy(policy.Put())) ||
        FAILED(hr = policy->get_CurrentProfile(profile.Put())) ||
        FAILED(hr = profile->get_AuthorizedApplications(applications.Put()))) {
        return hr;
    }
    ComRef<INetFwAuthorizedApplication> application;
    if (FAILED(hr = CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_INetFwAuthorizedApplication, application.PutVoid()))) {
        return hr;
    }
    const Bstr image(path);
    const Bstr title(name);
    application->put_ProcessImageFileName(image.Get());
    application->put_Name(title.Get());
    application->put_Enabled(VARIANT_TRUE);
    return applications->Add(application.Get());
}

std::uint32_t LogFailure(const char* format) {
    const DWORD error = GetLastError();
    base::WriteTrafficLogError(format, error);
    return error;
}

class WindowsPrivilegeOps final : public IPrivilegeOps {
public:
    std::int32_t AddFirewallException(std::u16string_view name,
                                      std::u16string_view applicationPath) override {
        ComScope com;
        const HRESULT hr = AddFirewallRule(name, applicationPath);
        return SUCCEEDED(hr) ? hr : AuthorizeApplication(name, applicationPath);
    }

    // SeDebugPrivilege lets the registry open the processes of other users.
    std::uint32_t EnableProcessPrivileges() override {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), kTokenAllAccess, &raw)) {
            return LogFailure("OpenProcessToken failed，error no = %d \n");
        }
        const base::ScopedKernelHandle token(raw);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
            return LogFailure("LookupPrivilegeValue failed，error no = %d \n");
        }
        if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr)) {
            return LogFailure("AdjustTokenPrivileges failed，error no = %d \n");
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<IPrivilegeOps> CreatePrivilegeOps() {
    return std::make_unique<WindowsPrivilegeOps>();
}

}  // namespace engine
