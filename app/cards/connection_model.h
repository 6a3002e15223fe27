// What the connection page decides: the port list and its auto-selection, the order the families are
// tried in, every status text and pause of a probe, and what a connection sets and a disconnection
// clears. The page only forwards its controls to it; tests drive it with fake drivers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/controller_interface.h"
#include "core/family.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"

namespace app {

// A fresh driver of the family; the family table's when none is given (tests give fakes).
using DriverMaker = std::function<std::shared_ptr<ControllerInterface>(Family)>;

// What the model asks of the page's controls and of the main window.
class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    virtual void ShowPorts(const std::vector<SerialPortInfo>& ports, int selected) = 0;
    // The list box's current selection; -1 when none.
    virtual int CurrentSelection() const = 0;
    virtual void EnablePortList(bool enabled) = 0;
    virtual void SetConnectButton(bool enabled, bool disconnect) = 0;
    virtual void SetStatusText1(const std::wstring& text) = 0;
    virtual void ReleasePicture() = 0;
    virtual void Repaint() = 0;
    virtual void PostConnectionEvent(uint32_t familyCode, bool connected) = 0;
    // The wait cursor with every pending message dispatched, and back.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

// The page's help: two bullet paragraphs in Calibri 12 pt, as an RTF document.
const std::string& ConnectionHelpRtf();

class ConnectionModel {
public:
    explicit ConnectionModel(SerialPort& port, PortLister listPorts = ListSerialPorts,
                             DriverMaker makeDriver = {})
        : port_(port), listPorts_(std::move(listPorts)), makeDriver_(std::move(makeDriver)) {}

    void AttachView(ConnectionView* view) { view_ = view; }

    // Called after the controls are made: status text 1, the ports, and the list box locked while
    // connected.
    void OnControlsCreated();
    void OnControlsDestroyed() { controlsShown_ = false; }
    void RefreshPorts();
    // A cable came or went: the list follows while the page is shown; another page's status stays.
    void OnDevicesChanged();
    void ConnectOrDisconnect();
    const std::vector<SerialPortInfo>& Ports() const { return choice_.ports; }
    int Selected() const { return choice_.selected; }

private:
    void Connect();
    void Disconnect();
    void UpdateConnectButton();

    SerialPort& port_;
    PortLister listPorts_;
    DriverMaker makeDriver_;
    ConnectionView* view_ = nullptr;
    PortChoice choice_;
    bool controlsShown_ = false;
};

}  // namespace app
