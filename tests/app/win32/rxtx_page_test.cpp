// The Tercel raw frame page under Wine against the simulated controller: a typed identity request sent
// over the line and its answer decoded.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "app/cards/rxtx_tercel_card.h"
#include "tests/app/win32/gui_harness.h"

namespace {

TEST(RxTxPage, SendsAnIdentityRequestAndDecodesTheAnswer) {
    testsupport::GuiHarness gui;
    // The simulator's port is the CH340 cable the page picks by itself.
    ASSERT_TRUE(gui.StartAndConnect("[Probe]\nFJ=false\nEV48-400-C=false\nRXTX=true\n", ""));
    gui.ClickNavigation("RX/TX");

    SetWindowTextW(gui.Control(app::kIdRxTxTransmitText), L"2B C0 40");
    gui.Click(app::kIdRxTxParseTransmit);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText), L"MCB_CMD_GETINFO\r\n\r\n");
    gui.Click(app::kIdRxTxSend);
    EXPECT_THAT(gui.ControlText(app::kIdRxTxReceiveText), testing::StartsWith(L"2B 00 03 "));
    gui.Click(app::kIdRxTxParseReceive);
    EXPECT_EQ(gui.ControlText(app::kIdRxTxResultText),
              L"MCB_CMD_GETINFO\r\nProtocol Version Number=3\r\nFirmware Version=2.7\r\n"
              L"Description=TERCEL SIM 48V 450A\r\n");
    gui.Finish();
}

}  // namespace
