#include <windows.h>

#include <string>

#include "core/text.h"
#include "serial/win32/port_list_win32.h"

namespace win32serial {

std::vector<SerialPortInfo> ListPortsSerialComm() {
    std::vector<SerialPortInfo> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return ports;
    }
    // Room for the longest value name the registry allows; the data are short port names.
    std::wstring valueName(16384, L'\0');
    std::wstring data(256, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD dataBytes = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        std::wstring port(data.data(), dataBytes / sizeof(wchar_t));
        while (!port.empty() && port.back() == L'\0') port.pop_back();
        const std::string shown =
            SerialCommDisplayName(text::WideToUtf8(valueName.substr(0, nameLength)), text::WideToUtf8(port));
        if (auto cut = PortFromDisplayName(shown)) ports.push_back(SerialPortInfo{*cut, shown});
    }
    RegCloseKey(key);
    return ports;
}

}  // namespace win32serial
