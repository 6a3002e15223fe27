#include "app/cards/connection_model.h"

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/prompter.h"

namespace app {

namespace {

constexpr uint32_t kStepPauseMs = 1000;
constexpr const char* kFailedToIdentify = "Failed to Identify controller";

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

uint32_t FamilyEventCode(Family family) {
    switch (family) {
        case Family::Fj:
            return kFamilyCodeFj;
        case Family::Ev48400c:
            return kFamilyCodeEv48400c;
        case Family::Tercel:
            return kFamilyCodeTercel;
        case Family::None:
            break;
    }
    return 0;
}

void ConnectionModel::OnControlsCreated() {
    view_->SetStatusText1(App().connected ? L"Connected" : L"Not Connected");
    RefreshPorts();
    view_->EnablePortList(!App().connected);
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
    if (App().connected) {
        view_->SetConnectButton(true, true);
    } else {
        view_->SetConnectButton(choice_.CanConnect(), false);
    }
}

void ConnectionModel::ConnectOrDisconnect() {
    if (!view_) return;
    ReloadSettings();
    if (App().connected) {
        Disconnect();
    } else {
        Connect();
    }
    view_->Repaint();
}

void ConnectionModel::Disconnect() {
    AppState& state = App();
    port_.Close();
    state.connected = false;
    state.ClearFamilyFlags();
    DirtyKeys().clear();
    state.controllerName.clear();
    view_->SetStatusText1(L"Not Connected");
    SetStatus(std::wstring());
    view_->SetConnectButton(choice_.CanConnect(), false);
    view_->EnablePortList(true);
    view_->ReleasePicture();
    view_->PostConnectionEvent(state.familyEventCode, false);
}

void ConnectionModel::Connect() {
    AppState& state = App();
    view_->SetStatusText1(L"Not Connected");
    const int selection = view_->CurrentSelection();
    std::string portName;
    if (selection >= 0 && static_cast<size_t>(selection) < choice_.ports.size()) {
        portName = choice_.ports[static_cast<size_t>(selection)].port;
    }
    std::shared_ptr<ControllerInterface> driver = ProbeController(portName);
    if (driver) {
        const Family family = drivers_.FamilyOf(*driver);
        view_->SetStatusText1(L"Connected");
        state.fjConnected = family == Family::Fj;
        state.ev48400cConnected = family == Family::Ev48400c;
        state.tercelConnected = family == Family::Tercel;
        state.familyEventCode = FamilyEventCode(family);
        state.controllerName = driver->GetName();
        driver.reset();
        // What was edited for the previous controller must never be written to this one.
        DirtyKeys().clear();
        SetStatus("Detected Controller: " + state.controllerName);
        view_->ReleasePicture();
        view_->Repaint();
        Pause(kStepPauseMs);
        view_->PostConnectionEvent(state.familyEventCode, true);
        return;
    }
    if (port_.IsOpen()) port_.Close();
    SetStatus(kFailedToIdentify);
    Pause(kStepPauseMs);
    view_->EnablePortList(true);
    state.connected = false;
    view_->SetConnectButton(choice_.CanConnect(), false);
}

std::shared_ptr<ControllerInterface> ConnectionModel::ProbeController(const std::string& portName) {
    AppState& state = App();
    view_->BeginWait();
    std::vector<Family> candidates;
    if (state.settings.probeFj) candidates.push_back(Family::Fj);
    if (state.settings.probeEv48400c) candidates.push_back(Family::Ev48400c);
    if (state.settings.probeTercel) candidates.push_back(Family::Tercel);

    std::shared_ptr<ControllerInterface> result;
    for (const Family family : candidates) {
        std::shared_ptr<ControllerInterface> driver = drivers_.Make(family);
        if (!driver) continue;
        const std::string name = driver->GetName();
        if (!port_.Open(portName, driver->GetBaudRate())) {
            SetStatus("Failed to connect to " + portName);
            state.connected = false;
        } else {
            state.connected = true;
            view_->EnablePortList(false);
            view_->SetConnectButton(true, true);
            SetStatus(portName);
            Pause(kStepPauseMs);
            SetStatus("Probing Controller for " + name);
            Pause(kStepPauseMs);
            state.ClearFamilyFlags();
            if (driver->Identify()) {
                result = std::move(driver);
                break;
            }
            Pause(kStepPauseMs);
            SetStatus("Controller not responding for " + name);
            Pause(kStepPauseMs);
            SetStatus("Closing port " + portName);
            port_.Close();
            state.connected = false;
            Pause(kStepPauseMs);
        }
        if (port_.IsOpen()) port_.Close();
    }
    view_->EndWait();
    return result;
}

}  // namespace app
