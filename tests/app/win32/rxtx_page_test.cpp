// The Tercel raw frame page under Wine against a simulated controller: its controls where they belong,
// a typed identity request sent, and the answer decoded.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/app_ids.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/rxtx_tercel_card.h"
#include "app/dashboard.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using testing::HasSubstr;
using testing::StartsWith;
using testsupport::GuiHarness;

void ConnectTercel(GuiHarness& gui) {
    gui.WriteSettingsFile("[Probe]\nFJ=false\nEV48-400-C=false\nTercel=true\nRXTX=true\n");
    gui.Start();
    gui.Click(app::kIdAgree);
    // The simulator's port is the CH340 cable the page picks by itself.
    gui.Click(app::kIdConnect);
}

void Type(GuiHarness& gui, int id, const wchar_t* text) {
    SetWindowTextW(gui.Control(id), text);
}

TEST(RxTxPage, ShowsItsControlsWithTheReadOfRegister255) {
    GuiHarness gui;
    ConnectTercel(gui);
    ASSERT_THAT(gui.NavLabels(), testing::Contains("RX/TX"));
    gui.ClickNavigation("RX/TX");

    EXPECT_EQ(gui.ControlText(app::kIdRxTxTransmitText), L"2B 04 05 02 FF 00 00 00 F6");
    const int x = gui.Dashboard().ContentRect().left + 200;
    const struct {
        int id;
        const wchar_t* text;
        int left, top;
    } controls[] = {
        {app::kIdRxTxTransmitText, nullptr, x, 76},       {app::kIdRxTxParseTransmit, L"Parse", x, 142},
        {app::kIdRxTxChecksum, L"Checksum", x + 86, 142}, {app::kIdRxTxSend, L"Tx", x + 172, 142},
        {app::kIdRxTxReceiveText, L"", x, 214},           {app::kIdRxTxParseReceive, L"Parse", x, 280},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.id);
        if (c.text) {
            EXPECT_EQ(gui.ControlText(c.id), c.text);
        }
        const RECT where = gui.ControlRect(c.id);
        EXPECT_EQ(where.left, c.left);
        EXPECT_EQ(where.top, c.top);
    }

    gui.Click(app::kIdRxTxParseTransmit);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText), L"MCB_CMD_READMEMEX\r\n\r\n");

    Type(gui, app::kIdRxTxTransmitText, L"2b 04 05 02 3e 0b 00 00 00");
    gui.Click(app::kIdRxTxParseTransmit);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText), L"Invalid Checksum");
    gui.Click(app::kIdRxTxChecksum);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxTransmitText), L"2B 04 05 02 3E 0B 00 00 AC");

    gui.ClickNavigation("Tuning");
    EXPECT_EQ(gui.Control(app::kIdRxTxTransmitText), nullptr);
    gui.Finish();
}

TEST(RxTxPage, SendsAnIdentityRequestAndDecodesTheAnswer) {
    GuiHarness gui;
    ConnectTercel(gui);
    gui.ClickNavigation("RX/TX");

    Type(gui, app::kIdRxTxTransmitText, L"2B C0 40");
    gui.Click(app::kIdRxTxParseTransmit);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText), L"MCB_CMD_GETINFO\r\n\r\n");
    gui.Click(app::kIdRxTxSend);
    const std::wstring answer = gui.ControlText(app::kIdRxTxReceiveText);
    EXPECT_THAT(answer, StartsWith(L"2B 00 03 "));
    EXPECT_EQ(answer.size(), 39u * 3 - 1);

    gui.Click(app::kIdRxTxParseReceive);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText),
              L"MCB_CMD_GETINFO\r\nProtocol Version Number=3\r\nFirmware Version=2.7\r\n"
              L"Description=TERCEL SIM 48V 450A\r\n");

    // A read of register 2878: its answer is shown, and nothing is decoded.
    Type(gui, app::kIdRxTxTransmitText, L"2B 04 05 02 3E 0B 00 00 AC");
    gui.Click(app::kIdRxTxParseTransmit);
    gui.Click(app::kIdRxTxSend);
    EXPECT_THAT(gui.ControlText(app::kIdRxTxReceiveText), StartsWith(L"2B 00 64 19 "));
    gui.Click(app::kIdRxTxParseReceive);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText), L"");

    Type(gui, app::kIdRxTxReceiveText, L"2B 0");
    gui.Click(app::kIdRxTxParseReceive);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText), L"Invalid Frame");
    EXPECT_TRUE(gui.WindowIsOpen());
    gui.Finish();
}

}  // namespace
