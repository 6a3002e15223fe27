#include "app/cards/connection_model.h"

#include "core/log.h"
#include "core/prompter.h"
#include "session/family_table.h"
#include "session/probe.h"
#include "session/session.h"

namespace app {

namespace {

// Long enough to read the probe's last status.
constexpr uint32_t kStepPauseMs = 1000;

}  // namespace

const std::string& ConnectionHelpRtf() {
    // Each paragraph carries its own bullet text, so that boxes without the numbering extension
    // still show the bullet.
    static const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0"
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Calibri;}{\\f1\\fnil\\fcharset2 Symbol;}}"
        "\\viewkind4\\uc1"
        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
        "\\fi-360\\li720\\sa200\\f0\\fs24 "
        "If you're not sure what port to use, try plugging and unplugging your cable to see what port comes "
        "and goes.\\par "
        "{\\pntext\\f1\\'B7\\tab}"
        "To find the port, open \\b Device Manager\\b0  in the Windows \\b Control Panel\\b0  and look under "
        "\\b Ports (COM & LPT)\\b0  for your cable. If the cable is not working or shows an error, a driver "
        "may be missing or incorrectly installed.\\par "
        "}";
    return rtf;
}

void ConnectionModel::OnDevicesChanged() {
    if (controlsShown_) RefreshPorts();
}

void ConnectionModel::OnControlsCreated() {
    controlsShown_ = true;
    view_->SetStatusText1(session::Current().connected ? L"Connected" : L"Not Connected");
    RefreshPorts();
    view_->EnablePortList(!session::Current().connected);
}

void ConnectionModel::RefreshPorts() {
    if (!view_) return;
    choice_ = ::RefreshPorts(listPorts_);
    view_->ShowPorts(choice_.ports, choice_.selected);
    UpdateConnectButton();
    SetStatus(std::wstring());
}

// Pulling the cable empties the list; the user must still be able to disconnect.
void ConnectionModel::UpdateConnectButton() {
    if (session::Current().connected) {
        view_->SetConnectButton(true, true);
    } else {
        view_->SetConnectButton(choice_.CanConnect(), false);
    }
}

void ConnectionModel::ConnectOrDisconnect() {
    if (!view_) return;
    session::ReloadSettings();
    if (session::Current().connected) {
        Disconnect();
    } else {
        Connect();
    }
    view_->Repaint();
}

void ConnectionModel::Disconnect() {
    const uint32_t eventCode = session::Ops(session::ConnectedFamily()).eventCode;
    session::EndConnection(port_);
    view_->SetStatusText1(L"Not Connected");
    SetStatus(std::wstring());
    view_->SetConnectButton(choice_.CanConnect(), false);
    view_->EnablePortList(true);
    view_->ReleasePicture();
    view_->PostConnectionEvent(eventCode, false);
}

void ConnectionModel::Connect() {
    view_->SetStatusText1(L"Not Connected");
    const int selection = view_->CurrentSelection();
    std::string portName;
    if (selection >= 0 && static_cast<size_t>(selection) < choice_.ports.size()) {
        portName = choice_.ports[static_cast<size_t>(selection)].port;
    }
    session::ProbeOptions options;
    options.makeDriver = makeDriver_;
    options.portOpened = [this] {
        view_->EnablePortList(false);
        view_->SetConnectButton(true, true);
    };
    view_->BeginWait();
    const session::ProbeResult result =
        session::Connect(port_, portName, session::ProbeOrder(session::Current().settings), options);
    view_->EndWait();
    if (result.family != Family::None) {
        view_->SetStatusText1(L"Connected");
        view_->ReleasePicture();
        view_->Repaint();
        Pause(kStepPauseMs);
        view_->PostConnectionEvent(session::Ops(result.family).eventCode, true);
        return;
    }
    Pause(kStepPauseMs);
    view_->EnablePortList(true);
    view_->SetConnectButton(choice_.CanConnect(), false);
}

}  // namespace app
