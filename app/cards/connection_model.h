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
#include "serial/port_list.h"
#include "serial/serial_port.h"

namespace app {

enum class Family { None, Fj, Ev48400c, Tercel };

// The three families' drivers. The Windows program supplies the real ones; nothing here knows them.
class FamilyDrivers {
public:
    virtual ~FamilyDrivers() = default;
    // A fresh driver; drivers keep nothing between operations.
    virtual std::shared_ptr<ControllerInterface> Make(Family family) = 0;
    // The family of a driver, by its class.
    virtual Family FamilyOf(const ControllerInterface& driver) = 0;
};

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

uint32_t FamilyEventCode(Family family);

// The page's help: two bullet paragraphs in Calibri 12 pt, as an RTF document.
const std::string& ConnectionHelpRtf();

class ConnectionModel {
public:
    ConnectionModel(FamilyDrivers& drivers, SerialPort& port, PortLister listPorts = ListSerialPorts)
        : drivers_(drivers), port_(port), listPorts_(std::move(listPorts)) {}

    void AttachView(ConnectionView* view) { view_ = view; }

    // Called after the controls are made: status text 1, the ports, and the list box locked while
    // connected.
    void OnControlsCreated();
    void RefreshPorts();
    void ConnectOrDisconnect();
    // The identified driver with the port still open, or none with the port closed.
    std::shared_ptr<ControllerInterface> ProbeController(const std::string& portName);

    const std::vector<SerialPortInfo>& Ports() const { return choice_.ports; }
    int Selected() const { return choice_.selected; }

private:
    void Connect();
    void Disconnect();
    void UpdateConnectButton();

    FamilyDrivers& drivers_;
    SerialPort& port_;
    PortLister listPorts_;
    ConnectionView* view_ = nullptr;
    PortChoice choice_;
};

}  // namespace app
