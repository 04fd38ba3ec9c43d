// The update check's transfer (TauCustomHTTP) against the fixture's service: a file arrives
// whole or not at all. A cut connection, an error status, a digest that does not match and a
// file over the limit each leave no file behind, so nothing partial can be installed.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>

#include "base/file_io.h"
#include "base/sha256.h"
#include "base/text.h"
#include "e2e_setup.h"
#include "support/temp_folder.h"
#include "update/win32_update_transfer.h"
#include "win32_e2e_process.h"

namespace tessel::e2e {
namespace {

using update::TauCustomHTTP;
using update::TransferRequest;
using update::TransferResult;
using update::TransferStatus;

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return DigestHex(hash.Finish());
}

constexpr Millis kTransferTimeout{60000};

const Setup& TheSetup() {
    static const Setup setup = Setup::FromEnvironment();
    return setup;
}

class UpdateTransfer : public ::testing::Test {
protected:
    testing::TempFolder folder;
    HWND window = nullptr;
    const std::string body = std::string(3000, 'a') + std::string(7000, 'b');

    void SetUp() override {
        if (!TheSetup().Missing().empty()) GTEST_SKIP() << TheSetup().Missing();
        std::ofstream(TheSetup().FixtureDir / "updates" / "part.dat", std::ios::binary | std::ios::trunc) << body;
        window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }
    // Two pieces of the server's 1 KB, for the slow answers.
    static void WriteSlowFile() {
        std::ofstream(TheSetup().FixtureDir / "updates" / "slow.dat", std::ios::binary | std::ios::trunc)
            << std::string(2000, 's');
    }
    static std::string Url(const std::string& name, const std::string& host = TheSetup().ServiceHost()) {
        return "http://" + host + "/download/webupdate/" + name;
    }

    // Runs one transfer to its end, pumping the messages it posts.
    TransferResult Fetch(TransferRequest request) {
        TauCustomHTTP http(window);
        EXPECT_TRUE(http.Start(std::move(request)));
        bool done = false;
        WaitUntil(
            [&] {
                MSG msg;
                while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) done = done || msg.message == update::kTransferDone;
                return done;
            },
            kTransferTimeout, Millis(10));
        EXPECT_TRUE(done) << "the transfer did not end";
        return http.Result();
    }
};

TEST_F(UpdateTransfer, AFileArrivesWholeAndMatchesItsDigest) {
    const std::u16string target = folder.File(u"part.dat.uTMP");
    const TransferResult result = Fetch({Url("part.dat?slow=1"), target, Sha256Hex(body), 1 << 20});
    EXPECT_EQ(result.Status, TransferStatus::Ok) << result.ErrorCode;
    EXPECT_EQ(ReadFileBytes(target), body);

    const TransferResult info = Fetch({Url("part.dat"), u"", "", 1 << 20});
    EXPECT_EQ(info.Status, TransferStatus::Ok);
    EXPECT_EQ(info.Body, body);

    // Chunks hide where the body ends; its digest shows that it is whole.
    const TransferResult chunked = Fetch({Url("part.dat?chunked-cut=999999"), target, Sha256Hex(body), 1 << 20});
    EXPECT_EQ(chunked.Status, TransferStatus::Ok) << chunked.ErrorCode;
    EXPECT_EQ(ReadFileBytes(target), body);
}

TEST_F(UpdateTransfer, AnythingButAWholeMatchingFileLeavesNoFile) {
    const struct {
        const char* what;
        std::string url;
        std::string digest;
        uint64_t limit;
        TransferStatus status;
        unsigned long code;  // 0: any
    } cases[] = {
        {"cut mid-file", Url("part.dat?drop=4000"), "", 1 << 20, TransferStatus::ConnectionLost, 0},
        {"missing", Url("gone.dat"), "", 1 << 20, TransferStatus::NotFound, 404},
        {"wrong digest", Url("part.dat"), Sha256Hex("other"), 1 << 20, TransferStatus::Refused, ERROR_INVALID_DATA},
        {"over the limit", Url("part.dat"), "", 5000, TransferStatus::Refused, ERROR_FILE_TOO_LARGE},
        {"no server", Url("part.dat", "127.0.0.1:9"), "", 1 << 20, TransferStatus::HostUnreachable, 0},
        {"chunks cut", Url("part.dat?chunked-cut=4000"), "", 1 << 20, TransferStatus::ConnectionLost,
         ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"chunks whole, no digest", Url("part.dat?chunked-cut=999999"), "", 1 << 20, TransferStatus::ConnectionLost,
         ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"HTTP/1.0 without a length, cut", Url("part.dat?lengthless-cut=4000"), "", 1 << 20,
         TransferStatus::ConnectionLost, ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"two lengths", Url("part.dat?two-lengths=4000"), "", 1 << 20, TransferStatus::ConnectionLost,
         ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"206", Url("part.dat?partial"), "", 1 << 20, TransferStatus::NotFound, 206},
        {"redirect loop", Url("part.dat?loop"), "", 1 << 20, TransferStatus::NotFound, ERROR_HTTP_REDIRECT_FAILED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string target = folder.File(u"part.dat.uTMP");
        WriteFileAtomic(target, "left over");
        const TransferResult result = Fetch({c.url, target, c.digest, c.limit});
        EXPECT_EQ(result.Status, c.status);
        if (c.code) {
            EXPECT_EQ(result.ErrorCode, c.code);
        }
        EXPECT_FALSE(FileExists(target));
    }
}

// A transfer blocked in the network (a server that waits before its answer, or between pieces of
// the body) is over as soon as it is stopped, by Abort or by its deadline, and reported; its
// partial file goes as soon as the worker lets go of it: when the blocked read returns, which
// under Wine is once the whole 4 KB buffer or the body's end has come (here after 16 s).
TEST_F(UpdateTransfer, AbortAndDeadlineEndABlockedTransferAtOnce) {
    constexpr Millis kPrompt{3000};
    constexpr Millis kWorkerEnd{40000};
    WriteSlowFile();
    const std::string held = "http://" + TheSetup().ServiceHost() + "/test/delay/12000";
    const struct {
        const char* what;
        std::string url;
        DWORD deadlineMs;
        TransferStatus status;
        unsigned long code;
    } cases[] = {
        {"abort, waiting for the answer", held, 0, TransferStatus::Aborted, 0},
        {"abort, waiting for the body", Url("slow.dat?slow=8000"), 0, TransferStatus::Aborted, 0},
        {"deadline, waiting for the answer", held, 1500, TransferStatus::ConnectionLost, ERROR_INTERNET_TIMEOUT},
        {"deadline, waiting for the body", Url("slow.dat?slow=8000"), 1500, TransferStatus::ConnectionLost,
         ERROR_INTERNET_TIMEOUT},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string target = folder.File(u"part" + Widen(std::to_string(++index)) + u".dat.uTMP");
        TauCustomHTTP http(window);
        ASSERT_TRUE(http.Start({c.url, target, "", 1 << 20, c.deadlineMs}));
        Sleep(800);  // the request is under way and blocked
        if (c.deadlineMs == 0) http.Abort();
        bool done = false;
        EXPECT_TRUE(WaitUntil(
            [&] {
                MSG msg;
                while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) done = done || msg.message == update::kTransferDone;
                return done && !http.Busy();
            },
            kPrompt))
            << "not reported as over";
        EXPECT_EQ(http.Result().Status, c.status);
        EXPECT_EQ(http.Result().ErrorCode, c.code);
        EXPECT_TRUE(WaitUntil([&] { return !FileExists(target); }, kWorkerEnd));
    }
}

// The program's end destroys a transfer that is still blocked: that returns at once, and the
// partial file goes with the transfer.
TEST_F(UpdateTransfer, EndingWhileATransferIsBlockedLeavesNoFile) {
    WriteSlowFile();
    const std::u16string target = folder.File(u"part.dat.uTMP");
    {
        TauCustomHTTP http(window);
        ASSERT_TRUE(http.Start({Url("slow.dat?slow=8000"), target, "", 1 << 20, 0}));
        EXPECT_TRUE(WaitUntil([&] { return FileExists(target); }, Millis(10000))) << "the body never began";
    }
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(target); }, Millis(40000)));
}

}  // namespace
}  // namespace tessel::e2e
