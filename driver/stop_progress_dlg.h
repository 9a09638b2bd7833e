// The "Stopping..." dialog: stops the driver's service on a worker thread while its bar moves.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

// Posted by the worker when the stop has finished; wParam is the stop's result, lParam 0.
#define WM_STOP_DONE (WM_USER + 200)

class CStopProgressDlg : public CDialog {
public:
    explicit CStopProgressDlg(CWnd* pParent = nullptr);

    // What the worker runs; the real service stop unless a test puts a slower one in place.
    static BOOL (*s_pfnStopService)();

    CProgressCtrl m_progress;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The dialog closes only with the stop's result: OK and Cancel (Enter, Escape) are ignored
    // until the stop is done.
    void OnOK() override;
    void OnCancel() override;

    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnStopDone(WPARAM wParam, LPARAM lParam);

private:
    static const MessageEntry messageEntries[];
    static UINT __cdecl StopThreadProc(LPVOID pParam);

    BOOL m_bStopDone = FALSE;
};
