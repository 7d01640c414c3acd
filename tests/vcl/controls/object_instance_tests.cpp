// Window procedures made from framework methods: chains of subclassing procedures that are removed
// in any order, and instances freed while still installed.
#include <algorithm>
#include <vector>

#include "vcl/messages.h"
#include "vcl/sysutils.h"
#include "win32/user/recorder.h"

namespace usertest {
namespace {

struct Subclass {
    int id;
    HWND hwnd = nullptr;
    WNDPROC instance = nullptr;
    WNDPROC previous = nullptr;
    std::vector<int>* trail = nullptr;

    void Hook(HWND w) {
        hwnd = w;
        instance = vcl::MakeObjectInstance([this](vcl::TMessage& m) {
            if (m.Msg == WM_USER) trail->push_back(id);
            m.Result = CallWindowProc(previous, hwnd, m.Msg, m.WParam, m.LParam);
        });
        previous =
            reinterpret_cast<WNDPROC>(SetWindowLongPtr(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(instance)));
    }
    void Unhook() {
        SetWindowLongPtr(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        vcl::FreeObjectInstance(instance);
        trail = nullptr;
    }
};

using Subclassing = UserTest;

TEST_F(Subclassing, ProceduresRemovedInAnyOrderKeepTheRestOfTheChain) {
    std::vector<int> order{0, 1, 2};
    int permutations = 0;
    do {
        HWND w = Top();
        std::vector<int> trail;
        Subclass hooks[3] = {{1}, {2}, {3}};
        for (auto& h : hooks) {
            h.trail = &trail;
            h.Hook(w);
        }
        SendMessage(w, WM_USER, 0, 0);
        EXPECT_EQ(trail, (std::vector<int>{3, 2, 1}));
        std::vector<int> alive{1, 2, 3};
        for (int index : order) {
            hooks[index].Unhook();
            alive.erase(std::find(alive.begin(), alive.end(), index + 1));
            trail.clear();
            for (auto& h : hooks)
                if (std::count(alive.begin(), alive.end(), h.id)) h.trail = &trail;
            Log().clear();
            SendMessage(w, WM_USER, 0, 0);
            std::vector<int> expected(alive.rbegin(), alive.rend());
            EXPECT_EQ(trail, expected) << "permutation " << permutations;
            // The class procedure still receives the message at the end of the chain.
            EXPECT_EQ(MessagesOf(w, {WM_USER}).size(), 1u);
        }
        EXPECT_EQ(GetWindowLongPtr(w, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
        DestroyWindow(w);
        ++permutations;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(permutations, 6);
}

TEST_F(Subclassing, FreedInstanceStillInstalledForwardsInsteadOfDangling) {
    HWND w = Top();
    std::vector<int> trail;
    Subclass s{1};
    s.trail = &trail;
    s.Hook(w);
    vcl::FreeObjectInstance(s.instance);  // freed without restoring the window procedure
    Log().clear();
    EXPECT_EQ(SendMessage(w, WM_GETTEXTLENGTH, 0, 0), 3);
    EXPECT_TRUE(trail.empty());
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_GETTEXTLENGTH}));
    vcl::FreeObjectInstance(s.instance);  // twice is harmless
    // Calling a slot that was never handed out does not crash either.
    WNDPROC other = vcl::MakeObjectInstance([](vcl::TMessage& m) { m.Result = 7; });
    EXPECT_EQ(other(w, WM_USER, 0, 0), 7);
    vcl::FreeObjectInstance(other);
    EXPECT_EQ(other(nullptr, WM_USER, 0, 0), 0);
}

TEST_F(Subclassing, InstancesAreDistinctAndRecycledOnlyWhenUnreferenced) {
    HWND w = Top();
    WNDPROC a = vcl::MakeObjectInstance([](vcl::TMessage&) {});
    WNDPROC b = vcl::MakeObjectInstance([](vcl::TMessage&) {});
    EXPECT_NE(a, b);
    SetWindowLongPtr(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(a));
    vcl::FreeObjectInstance(a);
    EXPECT_TRUE(IsWindowProcInUse(a));
    // Exhaust the pool (instances of earlier tests in this process, such as the application's
    // window, may hold a few slots): the freed but installed `a` is never handed out again.
    std::vector<WNDPROC> made;
    try {
        for (size_t i = 0; i < vcl::MaxObjectInstances; ++i)
            made.push_back(vcl::MakeObjectInstance([](vcl::TMessage&) {}));
    } catch (const vcl::EOutOfResources&) {
    }
    EXPECT_GT(made.size(), vcl::MaxObjectInstances - 16);
    EXPECT_LT(made.size(), vcl::MaxObjectInstances - 1);
    EXPECT_EQ(std::count(made.begin(), made.end(), a), 0);
    EXPECT_THROW(vcl::MakeObjectInstance([](vcl::TMessage&) {}), vcl::EOutOfResources);
    DestroyWindow(w);
    WNDPROC reused = vcl::MakeObjectInstance([](vcl::TMessage&) {});
    EXPECT_EQ(reused, a);
    for (WNDPROC p : made)
        vcl::FreeObjectInstance(p);
    vcl::FreeObjectInstance(b);
    vcl::FreeObjectInstance(reused);
}

}  // namespace
}  // namespace usertest
