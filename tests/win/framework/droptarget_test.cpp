// The OLE drop target base under Wine: registration with OLE, the calls that reach the
// handlers, and OLE's references to a target that is a member object.
#include "framework/droptarget.h"
#include "framework/wnd.h"
#include "support/data_object.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

class CRecordingTarget : public COleDropTarget {
public:
    std::vector<std::string> m_calls;
    std::vector<POINT> m_points;
    DROPEFFECT m_effect = DROPEFFECT_COPY;
    BOOL m_bDropResult = TRUE;
    std::string m_throwIn;  // the handler ("enter", "over", "drop", "leave") that throws

    DROPEFFECT OnDragEnter(CWnd*, IDataObject*, DWORD dwKeyState, POINT point) override
    {
        ThrowIf("enter");
        Record("enter " + std::to_string(dwKeyState), point);
        return m_effect;
    }
    DROPEFFECT OnDragOver(CWnd*, IDataObject* pDataObject, DWORD, POINT point) override
    {
        ThrowIf("over");
        Record(pDataObject ? "over" : "over without data", point);
        return m_effect;
    }
    BOOL OnDrop(CWnd*, IDataObject*, DROPEFFECT dropEffect, POINT point) override
    {
        ThrowIf("drop");
        Record("drop " + std::to_string(dropEffect), point);
        return m_bDropResult;
    }
    void OnDragLeave(CWnd*) override
    {
        ThrowIf("leave");
        m_calls.push_back("leave");
    }

private:
    void ThrowIf(const char* handler) const
    {
        if (m_throwIn == handler)
            throw std::runtime_error(handler);
    }

    void Record(const std::string& call, POINT point)
    {
        m_calls.push_back(call);
        m_points.push_back(point);
    }
};

// A borderless window at a known place: its client origin is its screen position.
class TargetWindow : public CWnd {
public:
    static constexpr int kLeft = 200;
    static constexpr int kTop = 150;

    TargetWindow()
    {
        SubclassWindow(::CreateWindowExA(0, "STATIC", "", WS_POPUP, kLeft, kTop, 300, 200, nullptr, nullptr,
                                         nullptr, nullptr));
    }
    ~TargetWindow() override
    {
        if (HWND hWnd = m_hWnd)
            ::DestroyWindow(hWnd);
    }
};

// OLE's references to the target, read without changing them.
ULONG References(IDropTarget* pTarget)
{
    pTarget->AddRef();
    return pTarget->Release();
}

IDropTarget* RegisteredTarget(HWND hWnd)
{
    return static_cast<IDropTarget*>(::GetPropA(hWnd, "OleDropTargetInterface"));
}

TEST(OleDropTarget, RegistersWithOleAndIsRevokedWhenTheWindowGoes)
{
    CRecordingTarget target;
    TestDataObject data;
    ASSERT_EQ(References(target.GetInterface()), 0u);
    {
        TargetWindow window;
        ASSERT_NE(window.m_hWnd, nullptr);
        ASSERT_TRUE(target.Register(&window));
        EXPECT_EQ(RegisteredTarget(window.m_hWnd), target.GetInterface());
        EXPECT_GT(References(target.GetInterface()), 0u) << "OLE holds the target while registered";
        EXPECT_EQ(::RegisterDragDrop(window.m_hWnd, target.GetInterface()), DRAGDROP_E_ALREADYREGISTERED);
        EXPECT_FALSE(target.Register(&window));

        // A drag in progress when the window goes.
        DWORD effect = DROPEFFECT_COPY;
        ASSERT_EQ(target.GetInterface()->DragEnter(&data, 0, POINTL{210, 160}, &effect), S_OK);
        EXPECT_GT(data.References(), 0);
        ::DestroyWindow(window.m_hWnd);
        EXPECT_EQ(window.m_pDropTarget, nullptr);
    }
    EXPECT_EQ(References(target.GetInterface()), 0u) << "revoked with the window";
    EXPECT_EQ(data.References(), 0) << "the drag's data object is let go";

    // The same target serves another window afterwards.
    TargetWindow other;
    EXPECT_TRUE(target.Register(&other));
    target.Revoke();
    EXPECT_EQ(References(target.GetInterface()), 0u);
    EXPECT_EQ(RegisteredTarget(other.m_hWnd), nullptr);
    EXPECT_EQ(::RegisterDragDrop(other.m_hWnd, target.GetInterface()), S_OK) << "the window is free again";
    ::RevokeDragDrop(other.m_hWnd);
}

TEST(OleDropTarget, ATargetThatGoesFirstRevokesItsWindow)
{
    TargetWindow window;
    {
        CRecordingTarget target;
        ASSERT_TRUE(target.Register(&window));
        EXPECT_EQ(window.m_pDropTarget, &target);
    }
    EXPECT_EQ(window.m_pDropTarget, nullptr);
    EXPECT_EQ(RegisteredTarget(window.m_hWnd), nullptr);
    CRecordingTarget next;
    EXPECT_TRUE(next.Register(&window));
}

TEST(OleDropTarget, HandlersGetClientPointsKeyStateAndTheHeldDataObject)
{
    TargetWindow window;
    CRecordingTarget target;
    TestDataObject data;
    ASSERT_TRUE(target.Register(&window));
    IDropTarget* pTarget = RegisteredTarget(window.m_hWnd);
    ASSERT_NE(pTarget, nullptr);

    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(pTarget->DragEnter(&data, MK_CONTROL, POINTL{TargetWindow::kLeft + 5, TargetWindow::kTop + 7}, &effect),
              S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(pTarget->DragOver(0, POINTL{TargetWindow::kLeft + 40, TargetWindow::kTop + 50}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    ASSERT_EQ(pTarget->Drop(&data, 0, POINTL{TargetWindow::kLeft + 41, TargetWindow::kTop + 52}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);

    const std::vector<std::string> expected = {"enter " + std::to_string(MK_CONTROL), "over", "over",
                                               "drop " + std::to_string(DROPEFFECT_COPY)};
    EXPECT_EQ(target.m_calls, expected);
    ASSERT_EQ(target.m_points.size(), 4u);
    EXPECT_EQ(target.m_points[0].x, 5);
    EXPECT_EQ(target.m_points[0].y, 7);
    EXPECT_EQ(target.m_points[1].x, 40);
    EXPECT_EQ(target.m_points[1].y, 50);
    EXPECT_EQ(target.m_points[3].x, 41);
    EXPECT_EQ(target.m_points[3].y, 52);
    EXPECT_EQ(data.References(), 0) << "nothing holds the data after the drop";
}

// A target registered on its window, and a drag's data and point.
class RegisteredDropTarget : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(target.Register(&window)); }

    TargetWindow window;
    CRecordingTarget target;
    TestDataObject data;
    IDropTarget* pTarget = target.GetInterface();
    const POINTL pt{TargetWindow::kLeft, TargetWindow::kTop};
};

TEST_F(RegisteredDropTarget, ARefusedOrFailedDropReportsNoEffect)
{

    // Refused at the drop: the drop handler never runs, the drag is left.
    target.m_effect = DROPEFFECT_NONE;
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(pTarget->Drop(&data, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(target.m_calls, (std::vector<std::string>{"over", "leave"}));

    // An effect the source does not allow is none.
    target.m_calls.clear();
    target.m_effect = DROPEFFECT_COPY;
    effect = DROPEFFECT_MOVE;
    ASSERT_EQ(pTarget->DragEnter(&data, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    effect = DROPEFFECT_MOVE;
    ASSERT_EQ(pTarget->Drop(&data, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(target.m_calls, (std::vector<std::string>{"enter 0", "over", "leave"}));

    // A drop handler that fails.
    target.m_calls.clear();
    target.m_bDropResult = FALSE;
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(pTarget->Drop(&data, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(target.m_calls, (std::vector<std::string>{"over", "drop " + std::to_string(DROPEFFECT_COPY)}));

    // A drag over without a drag having entered.
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(pTarget->DragOver(0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(data.References(), 0);
}

// Nothing may unwind into OLE: the entry point whose handler throws fails with no effect and
// lets go of the drag's data, and the target takes the next drag as usual.
TEST_F(RegisteredDropTarget, AThrowingHandlerFailsItsCallWithNoEffectAndLetsTheDataGo)
{

    for (const std::string failing : {"enter", "over", "drop", "leave"}) {
        SCOPED_TRACE(failing);
        target.m_throwIn = failing;
        DWORD effect = DROPEFFECT_COPY;
        HRESULT hr = pTarget->DragEnter(&data, 0, pt, &effect);
        if (failing != "enter") {
            ASSERT_EQ(hr, S_OK);
            effect = DROPEFFECT_COPY;
            if (failing == "over")
                hr = pTarget->DragOver(0, pt, &effect);
            else if (failing == "drop")
                hr = pTarget->Drop(&data, 0, pt, &effect);
            else
                hr = pTarget->DragLeave();
        }
        EXPECT_EQ(hr, E_UNEXPECTED);
        if (failing != "leave")
            EXPECT_EQ(effect, DROPEFFECT_NONE);
        EXPECT_EQ(data.References(), 0);
    }

    target.m_throwIn.clear();
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(pTarget->DragEnter(&data, 0, pt, &effect), S_OK);
    EXPECT_EQ(pTarget->Drop(&data, 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
}

}  // namespace
