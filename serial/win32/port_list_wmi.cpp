#include <windows.h>
// windows.h first: the WMI header builds on it.
#include <wbemidl.h>

#include <string>

#include "core/text.h"
#include "serial/win32/port_list_win32.h"

namespace {

// Releases a COM interface pointer when it goes out of scope.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    Interface* Get() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* value) : value_(SysAllocString(value)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

void AddIfPort(std::vector<SerialPortInfo>& ports, const std::wstring& displayName) {
    const std::string name = text::WideToUtf8(displayName);
    if (auto port = PortFromDisplayName(name)) ports.push_back(SerialPortInfo{*port, name});
}

void QueryPnpEntities(std::vector<SerialPortInfo>& ports) {
    ComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.Out())))) {
        return;
    }
    ComPtr<IWbemServices> services;
    const Bstr nameSpace(L"ROOT\\CIMV2");
    if (FAILED(locator->ConnectServer(nameSpace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services.Out()))) {
        return;
    }
    if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        return;
    }
    ComPtr<IEnumWbemClassObject> entities;
    const Bstr language(L"WQL");
    const Bstr query(L"SELECT * FROM Win32_PnPEntity");
    if (FAILED(services->ExecQuery(language.Get(), query.Get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   entities.Out()))) {
        return;
    }
    for (;;) {
        ComPtr<IWbemClassObject> entity;
        ULONG returned = 0;
        if (entities->Next(static_cast<LONG>(WBEM_INFINITE), 1, entity.Out(), &returned) != WBEM_S_NO_ERROR ||
            returned == 0) {
            break;
        }
        VARIANT name;
        VariantInit(&name);
        if (SUCCEEDED(entity->Get(L"Name", 0, &name, nullptr, nullptr)) && name.vt == VT_BSTR &&
            name.bstrVal != nullptr) {
            AddIfPort(ports, std::wstring(name.bstrVal, SysStringLen(name.bstrVal)));
        }
        VariantClear(&name);
    }
}

}  // namespace

namespace win32serial {

std::vector<SerialPortInfo> ListPortsWmi() {
    std::vector<SerialPortInfo> ports;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // The UI thread may already sit in a single-threaded apartment (the file dialogs set one up). WMI
    // works from there as well; that apartment is just not ours to tear down.
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) return ports;
    const HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    if (SUCCEEDED(security) || security == RPC_E_TOO_LATE) QueryPnpEntities(ports);
    if (SUCCEEDED(init)) CoUninitialize();
    return ports;
}

}  // namespace win32serial

// WMI is the inventory that knows the devices' names; where it yields nothing (a broken WMI service,
// or Wine, whose PnP entities carry no port) the registry's list of COM ports still does.
std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports = win32serial::ListPortsWmi();
    if (ports.empty()) ports = win32serial::ListPortsSerialComm();
    return ports;
}
