// The framework's worker: a job's end reaches the window that asked and only the
// worker's own word counts; a cancelled job posts nothing and its wait is ended
// by its task; a window that has gone is posted nothing, and what an abandoned
// job held is freed when it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/handles.h"
#include "framework/worker.h"
#include "message_pump.h"

namespace {

// A window that notes which worker messages reached it.
std::vector<UINT> g_heard;

LRESULT CALLBACK Listener(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == fw::kMsgWorkerDone || msg == fw::kMsgWorkerProgress)
        g_heard.push_back(msg);
    return DefWindowProcW(h, msg, wParam, lParam);
}

HWND MakeListener() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Listener;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnWorkerTestListener";
        return RegisterClassW(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExW(0, L"OvnWorkerTestListener", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// A task whose cancel ends the wait its job is in, as a download's closes its handles.
class WaitingTask : public fw::WorkerTask {
public:
    fw::Handle wake{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

protected:
    void OnCancel() override { SetEvent(wake.get()); }
};

class WaitingWorker : public fw::Worker {
public:
    bool Start(HWND notify, std::shared_ptr<WaitingTask> task, Job job) {
        return Launch(notify, std::move(task), std::move(job), fw::kMsgWorkerDone);
    }
};

class FrameworkWorker : public ::testing::Test {
protected:
    void SetUp() override {
        g_heard.clear();
        window = MakeListener();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (IsWindow(window))
            DestroyWindow(window);
    }
    HWND window = nullptr;
};

TEST_F(FrameworkWorker, TheEndReachesTheWindowThatAskedAndOnlyTheWorkersWordCounts) {
    fw::Worker worker;
    fw::Handle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(worker.Start(window, [&](fw::WorkerTask& task) -> WPARAM {
        WaitForSingleObject(go.get(), INFINITE);
        task.PostProgress(50);
        return 7;
    }));
    // Anybody can post the done message: while the job runs it yields nothing.
    PostMessageW(window, fw::kMsgWorkerDone, 7, 0);
    wintest::PumpIdle();
    EXPECT_FALSE(worker.TakeResult());
    EXPECT_TRUE(worker.Running());

    g_heard.clear();
    SetEvent(go.get());
    ASSERT_TRUE(wintest::PumpUntil([&] { return g_heard.size() == 2; }));
    EXPECT_EQ(g_heard, (std::vector<UINT>{fw::kMsgWorkerProgress, fw::kMsgWorkerDone}));
    EXPECT_EQ(worker.TakeResult(), WPARAM{7});
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(worker.TakeResult()) << "a result is taken once";
}

TEST_F(FrameworkWorker, ACancelledJobPostsNothingAndItsWaitIsEnded) {
    WaitingWorker worker;
    auto task = std::make_shared<WaitingTask>();
    HANDLE wake = task->wake.get();
    bool postedAfterCancel = true;
    ASSERT_TRUE(worker.Start(window, task, [&, wake](fw::WorkerTask& t) -> WPARAM {
        WaitForSingleObject(wake, INFINITE);  // ended by the task's cancel only
        postedAfterCancel = t.PostProgress(100);
        return 1;
    }));
    worker.Cancel();  // returns once the worker has ended
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(postedAfterCancel);
    wintest::PumpIdle();
    EXPECT_TRUE(g_heard.empty()) << "a cancelled job was heard";
    EXPECT_FALSE(worker.TakeResult());
}

TEST_F(FrameworkWorker, AWindowThatHasGoneIsPostedNothingAndAnAbandonedJobFreesWhatItHeld) {
    fw::Worker worker;
    fw::Handle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto held = std::make_shared<int>(1);
    std::weak_ptr<int> watch = held;
    auto posted = std::make_shared<int>(-1);
    ASSERT_TRUE(worker.Start(window, [held, posted, g = go.get()](fw::WorkerTask& task) -> WPARAM {
        WaitForSingleObject(g, INFINITE);
        *posted = task.PostProgress(100) ? 1 : 0;
        return 1;
    }));
    held.reset();
    DestroyWindow(window);
    SetEvent(go.get());
    worker.Join();
    EXPECT_EQ(*posted, 0) << "the job posted to a window that had gone";
    EXPECT_TRUE(watch.expired()) << "what the job captured outlived it";

    // Abandoned while it runs: the worker's thread frees the task and the job.
    fw::Handle hold(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    held = std::make_shared<int>(2);
    watch = held;
    window = MakeListener();
    ASSERT_TRUE(worker.Start(window, [held, h = hold.get()](fw::WorkerTask&) -> WPARAM {
        WaitForSingleObject(h, INFINITE);
        return 1;
    }));
    held.reset();
    worker.Abandon();
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(watch.expired());
    SetEvent(hold.get());
    EXPECT_TRUE(wintest::PumpUntil([&] { return watch.expired(); }, 30000)) << "an abandoned job's captures stayed";
    wintest::PumpIdle();
    EXPECT_TRUE(g_heard.empty());
}

}  // namespace
