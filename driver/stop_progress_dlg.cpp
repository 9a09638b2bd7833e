#include "driver/stop_progress_dlg.h"

#include "driver/service_routines.h"
#include "framework/app.h"
#include "res/resource.h"

namespace {
const UINT_PTR kStepTimer = 11;
const UINT kStepMilliseconds = 650;  // ten steps of 10 fill the bar in 6.5 s

// What the worker owns: the window to tell, never the dialog object, and the service manager.
struct StopJob {
    HWND hWnd;
    std::shared_ptr<IServiceManager> services;
};
}  // namespace

const MessageEntry CStopProgressDlg::messageEntries[] = {
    OnWm<WM_TIMER, &CStopProgressDlg::OnTimer>(),
    OnMessage<&CStopProgressDlg::OnStopDone>(WM_STOP_DONE),
};
const MessageMap CStopProgressDlg::messageMap{&CDialog::messageMap, messageEntries};

CStopProgressDlg::CStopProgressDlg(std::shared_ptr<IServiceManager> services, CWnd* pParent)
    : CDialog(IDD_STOP_PROGRESS, pParent), m_pServices(std::move(services))
{
}

void CStopProgressDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_STOP_PROGRESS, m_progress);
}

BOOL CStopProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_progress.SetRange32(0, 100);
    SetTimer(kStepTimer, kStepMilliseconds);
    // The worker posts its result to the window only while that window still exists.
    auto job = std::make_unique<StopJob>(StopJob{m_hWnd, m_pServices});
    if (AfxBeginThread(&CStopProgressDlg::StopThreadProc, job.get()))
        job.release();
    else
        PostMessage(WM_STOP_DONE, FALSE, 0);  // no worker: nothing was stopped
    return TRUE;
}

UINT __cdecl CStopProgressDlg::StopThreadProc(LPVOID pParam)
{
    const std::unique_ptr<StopJob> job(static_cast<StopJob*>(pParam));
    const BOOL stopped = StopDriverService(*job->services);
    // Posted, never sent: the worker does not wait for the user-interface thread.
    if (::IsWindow(job->hWnd))
        ::PostMessageA(job->hWnd, WM_STOP_DONE, static_cast<WPARAM>(stopped), 0);
    return 0;
}

void CStopProgressDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kStepTimer)
        m_progress.StepIt();
    Default();
}

LRESULT CStopProgressDlg::OnStopDone(WPARAM wParam, LPARAM)
{
    int lower = 0;
    int upper = 0;
    m_progress.GetRange(lower, upper);
    // Shown full before the dialog closes, wherever the bar stood (bounded: a bar that never
    // reaches its top must not hold the dialog).
    for (int steps = 0; m_progress.GetPos() < upper && steps <= upper - lower; ++steps)
        m_progress.StepIt();
    m_bStopDone = TRUE;
    if (wParam)
        OnOK();
    else
        OnCancel();
    return 0;
}

void CStopProgressDlg::OnOK()
{
    if (m_bStopDone)
        CDialog::OnOK();
}

void CStopProgressDlg::OnCancel()
{
    if (m_bStopDone)
        CDialog::OnCancel();
}
