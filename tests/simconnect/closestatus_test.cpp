#include "simconnect/closestatus.h"

#include <gtest/gtest.h>

namespace {
void lf_expectClose(std::uint32_t code, bool pipe, std::uint32_t reason, std::uint32_t status, std::uint32_t win32)
{
    const ScCompletionOutcome outcome = sc_classifyCompletion(code, pipe);
    EXPECT_EQ(outcome.kind, ScCompletionOutcome::close) << code;
    EXPECT_EQ(outcome.reason, reason) << code;
    EXPECT_EQ(static_cast<std::uint32_t>(outcome.status), status) << code;
    EXPECT_EQ(outcome.win32Code, win32) << code;
}
} // namespace

TEST(CloseStatus, WindowsAndWineCodesGiveTheSameReasonAndStatus)
{
    // NTSTATUS values, as Windows passes them, and the Win32 codes Wine passes instead.
    lf_expectClose(0xC000014B, true, 5, 0xC000014B, 109);
    lf_expectClose(109, true, 5, 0xC000014B, 109);
    lf_expectClose(0xC000020D, false, 5, 0xC000020D, 64);
    lf_expectClose(64, false, 5, 0xC000020D, 64);
    lf_expectClose(10054, false, 5, 0xC000020D, 10054);
    lf_expectClose(0xC000013C, false, 5, 0xC000013C, 64);
    lf_expectClose(0xC0000120, true, 8, 0xC0000120, 995);
    lf_expectClose(995, false, 8, 0xC0000120, 995);
    lf_expectClose(233, true, 9, 0xC00000B0, 233);
    lf_expectClose(1236, false, 9, 0xC0000241, 1236);
}

TEST(CloseStatus, OtherFailuresCloseWithANegativeStatusThatNamesThem)
{
    lf_expectClose(5, true, 9, 0x80070005, 5);         // access denied, as an HRESULT
    lf_expectClose(10058, false, 9, 0x8007274A, 10058); // sending after shutdown
    lf_expectClose(0xC0000008, true, 9, 0xC0000008, 0); // an NTSTATUS without a Win32 twin here
}

TEST(CloseStatus, MoreDataIsASuccessOnAPipeOnly)
{
    for (const std::uint32_t code : {234u, 0x80000005u}) {
        EXPECT_EQ(sc_classifyCompletion(code, true).kind, ScCompletionOutcome::moreData) << code;
        lf_expectClose(code, false, 9, 0x80000005, 234);
    }
    EXPECT_EQ(sc_classifyCompletion(0, false).kind, ScCompletionOutcome::success);
    EXPECT_EQ(sc_classifyCompletion(0, true).kind, ScCompletionOutcome::success);
}
