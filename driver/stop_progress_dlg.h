// The "Stopping..." dialog: stops the driver's service on a worker thread while its bar moves.
#pragma once

#include "driver/service_manager.h"
#include "framework/controls.h"
#include "framework/dialog.h"

#include <memory>

// Posted by the worker when the stop has finished; wParam is the stop's result, lParam 0.
#define WM_STOP_DONE (WM_USER + 200)

class CStopProgressDlg : public CDialog {
public:
    // The worker stops the service through services, which it holds until it has finished.
    explicit CStopProgressDlg(std::shared_ptr<IServiceManager> services = std::make_shared<CServiceManager>(),
                              CWnd* pParent = nullptr);

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

    std::shared_ptr<IServiceManager> m_pServices;
    BOOL m_bStopDone = FALSE;
};
