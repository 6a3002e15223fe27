#include "app/cards/settings_model.h"

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "core/text.h"
#include "session/session.h"

namespace app {

namespace {

struct BoxKind {
    int id;
    const wchar_t* label;
    int top;
    bool Settings::*flag;
    bool optional;  // shown only while its flag is on
};

constexpr BoxKind kBoxes[] = {
    {kIdProbeFj, L"Probe for FJ Controller", 100, &Settings::probeFj, false},
    {kIdProbeEv48400c, L"Probe for EV48-400-C Controller", 130, &Settings::probeEv48400c, false},
    {kIdProbeTercel, L"Probe for Tercel Controller", 160, &Settings::probeTercel, false},
    {kIdRxTx, L"RXTX", 190, &Settings::rxtx, true},
    {kIdLog, L"Log", 220, &Settings::log, true},
};

}  // namespace

void SettingsModel::Open() {
    boxes_.clear();
    const Settings& settings = session::Current().settings;
    for (const auto& kind : kBoxes) {
        if (kind.optional && !(settings.*kind.flag)) continue;
        boxes_.push_back(Box{kind.id, kind.label, kind.top, kind.flag, false});
    }
    ResetChecks();
}

bool SettingsModel::IsShown(int id) const {
    return Find(id) != nullptr;
}

bool SettingsModel::IsChecked(int id) const {
    const Box* box = Find(id);
    return box && box->checked;
}

void SettingsModel::SetChecked(int id, bool checked) {
    if (Box* box = Find(id)) box->checked = checked;
}

void SettingsModel::ResetChecks() {
    for (auto& box : boxes_) box.checked = session::Current().settings.*box.flag;
}

void SettingsModel::Save() {
    // Without its boxes the page would switch every family off.
    if (boxes_.empty()) return;
    session::Session& state = session::Current();
    for (const auto& kind : kBoxes) {
        const Box* box = Find(kind.id);
        state.settings.*kind.flag = box && box->checked;
    }
    WriteSettingsFile(state.settingsPath, state.settings);
    SetStatus(L"Saved Settings to " + text::Utf8ToWide(text::PathToUtf8(state.settingsPath)));
}

SettingsModel::Box* SettingsModel::Find(int id) {
    for (auto& box : boxes_)
        if (box.id == id) return &box;
    return nullptr;
}

const SettingsModel::Box* SettingsModel::Find(int id) const {
    for (const auto& box : boxes_)
        if (box.id == id) return &box;
    return nullptr;
}

}  // namespace app
